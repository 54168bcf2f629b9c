// SPDX-License-Identifier: MIT
// The pure rules, with no window and no screen: colour texts, pixel formats, the pixel under a scaled
// pointer and which way a compositor turns regions, a portal's colour, twips, the About box's centring.
#include "centring.h"
#include "colorcode.h"
#include "loupe.h"
#include "outputpixel.h"
#include "pixelformat.h"
#include "twipsunits.h"

#include <QTest>

#include <cfenv>
#include <cmath>
#include <limits>

using namespace colorcode;
using namespace Qt::Literals::StringLiterals;
using Bytes = QList<std::uint8_t>;
Q_DECLARE_METATYPE(Screen::PixelFormat)
Q_DECLARE_METATYPE(Screen::RegionTurn)

// What is odd about a check of the way regions are turned.
enum Quirk { RegionYInverted = 1, WholeYInverted = 2, OneColour = 4, RegionWider = 8, WholeTurnedSince = 16 };

// A place in wl_fixed units, 1/256 of a logical unit.
static std::int32_t wl_fixed(double at)
{
    return std::int32_t(std::lround(at * 256));
}

static QString q(const std::u16string &s)
{
    return QString::fromStdU16String(s);
}

// A capture of `box` of an output's buffer, in XRGB8888: each pixel's colour tells its place, unless the
// screen is of one colour.
static Screen::Captured shot(Bytes &bytes, const Screen::Box &box, bool yInverted, bool oneColour)
{
    for (int row = 0; row < box.height; ++row) {
        const int y = box.y + (yInverted ? box.height - 1 - row : row);
        for (int x = box.x; x < box.x + box.width; ++x)
            bytes << (oneColour ? Bytes { 9, 9, 9, 0 } : Bytes { 42, std::uint8_t(y), std::uint8_t(x), 0 });
    }
    return { {}, {}, bytes.data(), std::size_t(bytes.size()), box.width, box.height, box.width * 4,
        Screen::ShmPixelFormat(1), yInverted };
}

class TestRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Out of range clamps; one digit gets a zero in front; letters are upper case.
    void channelTexts_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("decimal");
        QTest::addColumn<QString>("hex");
        QTest::newRow("0") << 0 << u"0"_s << u"00"_s;
        QTest::newRow("9") << 9 << u"9"_s << u"09"_s;
        QTest::newRow("10") << 10 << u"10"_s << u"0A"_s;
        QTest::newRow("16") << 16 << u"16"_s << u"10"_s;
        QTest::newRow("171") << 171 << u"171"_s << u"AB"_s;
        QTest::newRow("255") << 255 << u"255"_s << u"FF"_s;
        QTest::newRow("-1") << -1 << u"0"_s << u"00"_s;
        QTest::newRow("256") << 256 << u"255"_s << u"FF"_s;
    }
    void channelTexts()
    {
        QFETCH(int, value);
        QFETCH(QString, decimal);
        QFETCH(QString, hex);
        QCOMPARE(q(ChannelDecimalText(value)), decimal + u"\u3000\uFF1A\u3000"_s);
        QCOMPARE(q(ChannelHexText(value)), hex);
    }

    // Every length of hexadecimal digits; the top byte carries no colour (a COLORREF may use it as a flag).
    void screenColor_data()
    {
        QTest::addColumn<uint>("color");
        QTest::addColumn<QString>("code");
        QTest::newRow("#000000") << 0u << u"#000000"_s;
        QTest::newRow("#FF0000") << 0xFFu << u"#FF0000"_s;
        QTest::newRow("#230100") << 0x123u << u"#230100"_s;
        QTest::newRow("#00AB00") << 0xAB00u << u"#00AB00"_s;
        QTest::newRow("#0A0B01") << 0x10B0Au << u"#0A0B01"_s;
        QTest::newRow("#0000FF") << 0xFF0000u << u"#0000FF"_s;
        QTest::newRow("#EFCDAB") << 0xABCDEFu << u"#EFCDAB"_s;
        QTest::newRow("#FF8000") << 0x020080FFu << u"#FF8000"_s;
        QTest::newRow("#FFFFFF") << 0xFFFFFFFFu << u"#FFFFFF"_s;
    }
    void screenColor()
    {
        QFETCH(uint, color);
        QFETCH(QString, code);
        QCOMPARE(q(ColorcodeFromScreenColor(color)), code);
        const Channels c = ChannelsOf(std::int32_t(color));
        QCOMPARE(ScreenColor(c.red, c.green, c.blue), std::int32_t(color & 0xFFFFFF));
    }

    void otherTexts()
    {
        QCOMPARE(ScreenColor(0x1FF, 0, 0), 0xFF); // a channel never spills into the next
        QCOMPARE(
            q(ColorcodeFromChannels(u"FF", u"80", u"0a")), u"#FF800a"_s); // verbatim: labels are the model
        QCOMPARE(q(CopyText(u"#FF8000", false)), u"#FF8000"_s);
        QCOMPARE(q(CopyText(u"#FF8000", true)), u"<font color=\"#FF8000\">"_s);
        QCOMPARE(q(CursorPositionText(120, 45)), u"X\uFF1A120\u3000\u3000Y\uFF1A45"_s);
        QCOMPARE(q(CursorPositionText(std::numeric_limits<std::int32_t>::min(), -7)),
            u"X\uFF1A-2147483648\u3000\u3000Y\uFF1A-7"_s);
    }

    // The slider path and the screen path agree on every one of the 2^24 colours.
    void bothPathsAgreeOnEveryColour()
    {
        std::u16string hex[256];
        for (int v = 0; v < 256; ++v)
            hex[v] = ChannelHexText(v);
        for (std::uint32_t color = 0; color < (1u << 24); ++color) {
            if (ColorcodeFromChannels(hex[color & 0xFF], hex[color >> 8 & 0xFF], hex[color >> 16])
                != ColorcodeFromScreenColor(color))
                QFAIL(qPrintable(u"paths differ for 0x%1"_s.arg(color, 6, 16, QChar(u'0'))));
        }
    }

    // Orange as each screen stores it: X visuals of every depth and byte order, and Wayland's buffers. At
    // 16 bits, 6-bit green 32 is 129.5 of 255, rounded to 130, and 5-bit red 16 is 131.6, rounded to 132;
    // 10-bit channels (red 1023, green 512, blue 128) are reduced to 8 as on 30-bit X screens.
    void pixelFormats_data()
    {
        QTest::addColumn<Screen::PixelFormat>("format");
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<int>("color");
        const Screen::PixelFormat rgb565 { 0xF800, 0x07E0, 0x001F, 16, false },
            msb565 { 0xF800, 0x07E0, 0x001F, 16, true };
        const int orange = ScreenColor(0xFF, 0x80, 0x20), deep = ScreenColor(255, 128, 32);
        const auto shm = Screen::ShmPixelFormat;
        QTest::newRow("X 24-bit") << Screen::PixelFormat {} << Bytes { 0x20, 0x80, 0xFF, 0xAB } << orange;
        QTest::newRow("X 24-bit BGR") << Screen::PixelFormat { 0xFF, 0xFF00, 0xFF0000, 32, false }
                                      << Bytes { 0xFF, 0x80, 0x20, 0 } << orange;
        QTest::newRow("X packed 24 bits") << Screen::PixelFormat { 0xFF0000, 0xFF00, 0xFF, 24, false }
                                          << Bytes { 0x20, 0x80, 0xFF } << orange;
        QTest::newRow("X 16-bit white") << rgb565 << Bytes { 0xFF, 0xFF } << 0xFFFFFF;
        QTest::newRow("X 16-bit halves") << rgb565 << Bytes { 0x00, 0x84 } << ScreenColor(132, 130, 0);
        QTest::newRow("X 16-bit, MSB first") << msb565 << Bytes { 0x00, 0x1F } << 0xFF0000;
        QTest::newRow("X visual without blue") << Screen::PixelFormat { 0xFF0000, 0xFF00, 0, 32, false }
                                               << Bytes { 0xFF, 0x80, 0xFF, 0 } << 0x80FF;
        QTest::newRow("too short for a pixel") << Screen::PixelFormat {} << Bytes { 0x20, 0x80, 0xFF } << -1;
        QTest::newRow("Wayland ARGB8888") << shm(0) << Bytes { 0x20, 0x80, 0xFF, 0x00 } << orange;
        QTest::newRow("Wayland XRGB8888") << shm(1) << Bytes { 0x20, 0x80, 0xFF, 0xFF } << orange;
        QTest::newRow("Wayland ABGR8888") << shm(0x34324241) << Bytes { 0xFF, 0x80, 0x20, 0x7F } << orange;
        QTest::newRow("Wayland XBGR8888") << shm(0x34324258) << Bytes { 0xFF, 0x80, 0x20, 0 } << orange;
        QTest::newRow("Wayland XRGB2101010") << shm(0x30335258) << Bytes { 0x80, 0x00, 0xF8, 0x3F } << deep;
        QTest::newRow("Wayland ARGB2101010") << shm(0x30335241) << Bytes { 0x80, 0x00, 0xF8, 0xFF } << deep;
        QTest::newRow("Wayland XBGR2101010") << shm(0x30334258) << Bytes { 0xFF, 0x03, 0x08, 0x08 } << deep;
        QTest::newRow("Wayland ABGR2101010") << shm(0x30334241) << Bytes { 0xFF, 0x03, 0x08, 0xC8 } << deep;
        QTest::newRow("Wayland RGB565, not taken") << shm(0x36314752) << Bytes { 0, 0, 0, 0 } << -1;
    }
    void pixelFormats()
    {
        QFETCH(Screen::PixelFormat, format);
        QFETCH(Bytes, bytes);
        QFETCH(int, color);
        QCOMPARE(Screen::ToScreenColor(bytes.data(), std::size_t(bytes.size()), format), color);
    }

    // The physical pixel whose area holds the pointer at (61.5, 62.5) of a 1280 x 1024 output, in every
    // turn, each usual scale in two of them (once sideways), found where the compositor copies the region
    // asked for; rows by where the buffer holds that pixel. wlroots 0.15 turns regions the other way, which
    // only rotations by 90 and 270 tell.
    void pixelCapture_data()
    {
        QTest::addColumn<int>("transform");
        QTest::addColumn<QSize>("logical");
        QTest::addColumn<QPoint>("pixel");
        QTest::newRow("normal, scale 1.25") << 0 << QSize(1024, 819) << QPoint(76, 78);
        QTest::newRow("90, scale 1.5") << 1 << QSize(682, 853) << QPoint(93, 931);
        QTest::newRow("180, scale 1") << 2 << QSize(1280, 1024) << QPoint(1218, 961);
        QTest::newRow("270, scale 2") << 3 << QSize(512, 640) << QPoint(1154, 123);
        QTest::newRow("flipped, scale 2") << 4 << QSize(640, 512) << QPoint(1156, 125);
        QTest::newRow("flipped-90, scale 1") << 5 << QSize(1024, 1280) << QPoint(62, 61);
        QTest::newRow("flipped-180, scale 1.5") << 6 << QSize(853, 682) << QPoint(92, 930);
        QTest::newRow("flipped-270, scale 1.25") << 7 << QSize(819, 1024) << QPoint(1201, 947);
    }
    void pixelCapture()
    {
        QFETCH(int, transform);
        QFETCH(QSize, logical);
        QFETCH(QPoint, pixel);
        const Screen::OutputShape output { 1280, 1024, logical.width(), logical.height(), transform };
        const double scale = Screen::OutputScale(output);
        for (const auto turn : { Screen::RegionTurn::Back, Screen::RegionTurn::Forward }) {
            const Screen::PixelCapture capture
                = Screen::CapturePixelUnder(output, wl_fixed(61.5), wl_fixed(62.5), turn, 3);
            const Screen::Box &region = capture.region;
            QVERIFY(region.x >= 0 && region.y >= 0 && region.width > 0 && region.height > 0);
            QVERIFY(
                region.x + region.width <= logical.width() && region.y + region.height <= logical.height());
            const Screen::Box copied = Screen::CapturedBox(output, region, turn);
            QCOMPARE(QSize(copied.width, copied.height), QSize(capture.bufferWidth, capture.bufferHeight));
            QCOMPARE(QPoint(copied.x + capture.column, copied.y + capture.row), pixel);
            // The loupe's pixels, 3 each way as the user sees them: each where the whole output holds the
            // pixel under the pointer moved onto it.
            for (int dy = -3; dy <= 3; ++dy) {
                for (int dx = -3; dx <= 3; ++dx) {
                    const auto cell = Screen::PixelBeside(output, capture, dx, dy);
                    const Screen::PixelCapture one = Screen::CapturePixelUnder(
                        output, wl_fixed(61.5 + dx / scale), wl_fixed(62.5 + dy / scale), {});
                    QVERIFY(cell && cell->first < capture.bufferWidth && cell->second < capture.bufferHeight);
                    QCOMPARE(
                        QPoint(copied.x + cell->first, copied.y + cell->second), QPoint(one.column, one.row));
                }
            }
        }
        // Not knowing which way regions are turned, where it matters: the whole output.
        const Screen::PixelCapture whole
            = Screen::CapturePixelUnder(output, wl_fixed(61.5), wl_fixed(62.5), {});
        QCOMPARE(whole.region, Screen::Box {});
        QCOMPARE(QSize(whole.bufferWidth, whole.bufferHeight), QSize(1280, 1024));
        QCOMPARE(QPoint(whole.column, whole.row), pixel);
    }

    // Where no region reaches the pixel, the whole output: the last physical column and row at 1.5, which
    // the logical size (cut to 853 x 682) leaves out; and a scale above the usual ones. With the loupe's
    // pixels 2 each way, as many as the output has there.
    void pixelCaptureEdges_data()
    {
        QTest::addColumn<QSize>("mode");
        QTest::addColumn<QSize>("logical");
        QTest::addColumn<QPointF>("pointer");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<int>("cells");
        const QSize sxga(1280, 1024), cut(853, 682); // at 1.5
        QTest::newRow("1.5, last column")
            << sxga << cut << QPointF(852.9, 10) << true << QPoint(1279, 15) << 15;
        QTest::newRow("1.5, last row") << sxga << cut << QPointF(0, 682.9) << true << QPoint(0, 1023) << 9;
        QTest::newRow("1.5, first column") << sxga << cut << QPointF(0, 10) << false << QPoint(0, 15) << 15;
        QTest::newRow("3") << QSize(3840, 2160) << QSize(1280, 720) << QPointF(100.5, 50.75) << false
                           << QPoint(301, 152) << 25;
    }
    void pixelCaptureEdges()
    {
        QFETCH(QSize, mode);
        QFETCH(QSize, logical);
        QFETCH(QPointF, pointer);
        QFETCH(bool, whole);
        QFETCH(QPoint, pixel);
        QFETCH(int, cells);
        const Screen::OutputShape output { mode.width(), mode.height(), logical.width(), logical.height(),
            0 };
        const Screen::PixelCapture capture = Screen::CapturePixelUnder(
            output, wl_fixed(pointer.x()), wl_fixed(pointer.y()), Screen::RegionTurn::Back, 2);
        QCOMPARE(capture.region.width == 0, whole);
        const Screen::Box copied = whole
            ? Screen::Box { 0, 0, mode.width(), mode.height() }
            : Screen::CapturedBox(output, capture.region, Screen::RegionTurn::Back);
        QCOMPARE(QSize(copied.width, copied.height), QSize(capture.bufferWidth, capture.bufferHeight));
        QCOMPARE(QPoint(copied.x + capture.column, copied.y + capture.row), pixel);
        int found = 0;
        for (int d = 0; d < 25; ++d) {
            const auto cell = Screen::PixelBeside(output, capture, d % 5 - 2, d / 5 - 2);
            found += cell && cell->first >= 0 && cell->second >= 0 && cell->first < capture.bufferWidth
                && cell->second < capture.bufferHeight;
        }
        QCOMPARE(found, cells);
    }

    // The scale the user set, from the sizes an output reports; none while either size is not reported yet,
    // rather than a guess that would send captures to the wrong pixels.
    void outputScale_data()
    {
        QTest::addColumn<QSize>("mode");
        QTest::addColumn<QSize>("logical");
        QTest::addColumn<int>("transform");
        QTest::addColumn<float>("scale");
        QTest::newRow("no logical width yet") << QSize(1920, 1080) << QSize(0, 720) << 0 << 0.0f;
        QTest::newRow("no mode height yet") << QSize(1920, 0) << QSize(1280, 720) << 0 << 0.0f;
        QTest::newRow("no logical height yet") << QSize(1920, 1080) << QSize(1280, 0) << 0 << 0.0f;
        QTest::newRow("one pixel") << QSize(1, 1) << QSize(1, 1) << 0 << 1.0f;
        QTest::newRow("in 120ths, the finest step")
            << QSize(1920, 1080) << QSize(1272, 716) << 0 << 181.0f / 120.0f;
        QTest::newRow("1.25, turned by 90") << QSize(1920, 1080) << QSize(864, 1536) << 1 << 1.25f;
        // The width's ratio (800 / 401) would give the height one short.
        QTest::newRow("near 2 on a small output")
            << QSize(800, 600) << QSize(401, 301) << 0 << 201.0f / 101.0f;
        // No step gives both sizes back (a report caught half-way through a change): the width's ratio.
        QTest::newRow("sides that disagree")
            << QSize(3840, 3840) << QSize(3839, 1920) << 0 << 3840.0f / 3839.0f;
    }
    void outputScale()
    {
        QFETCH(QSize, mode);
        QFETCH(QSize, logical);
        QFETCH(int, transform);
        QFETCH(float, scale);
        QCOMPARE(Screen::OutputScale(
                     { mode.width(), mode.height(), logical.width(), logical.height(), transform }),
            scale);
    }

    // Past a capture's right edge there is no colour, never the first of the row below.
    void colourBeyondCapture()
    {
        Bytes bytes;
        QCOMPARE(Screen::ColourAt(shot(bytes, { 0, 0, 2, 2 }, false, false), 2, 0), -1);
    }

    // Which way a compositor turns regions, from the check region captured after the whole output, on a
    // 200 x 120 output whose every pixel has a colour of its own; the compositor copies the region's box.
    void regionTurn_data()
    {
        QTest::addColumn<int>("transform");
        QTest::addColumn<QSize>("logical");
        QTest::addColumn<Screen::RegionTurn>("compositor"); // the way it turns regions
        QTest::addColumn<int>("quirks");
        QTest::addColumn<int>("seen"); // -1 for not known
        const auto back = Screen::RegionTurn::Back, forward = Screen::RegionTurn::Forward;
        QTest::newRow("turned back, 90") << 1 << QSize(120, 200) << back << 0 << int(back);
        QTest::newRow("turned forward, 90") << 1 << QSize(120, 200) << forward << 0 << int(forward);
        QTest::newRow("region y-inverted")
            << 1 << QSize(120, 200) << back << int(RegionYInverted) << int(back);
        QTest::newRow("whole y-inverted")
            << 1 << QSize(120, 200) << forward << int(WholeYInverted) << int(forward);
        QTest::newRow("one colour all over") << 1 << QSize(120, 200) << back << int(OneColour) << -1;
        QTest::newRow("region wider than either way")
            << 1 << QSize(120, 200) << back << int(RegionWider) << -1;
        QTest::newRow("whole from before the output turned")
            << 1 << QSize(120, 200) << back << int(WholeTurnedSince) << -1;
    }
    void regionTurn()
    {
        QFETCH(int, transform);
        QFETCH(QSize, logical);
        QFETCH(Screen::RegionTurn, compositor);
        QFETCH(int, quirks);
        QFETCH(int, seen);
        const Screen::OutputShape output { 200, 120, logical.width(), logical.height(), transform };
        const Screen::Box region = Screen::TurnCheckRegion(output);
        Screen::Box copied = Screen::CapturedBox(output, region, compositor);
        copied.width += (quirks & RegionWider) != 0 ? 1 : 0;
        Bytes checkBytes, wholeBytes;
        Screen::Captured check = shot(checkBytes, copied, quirks & RegionYInverted, quirks & OneColour);
        Screen::Captured whole
            = shot(wholeBytes, { 0, 0, 200, 120 }, quirks & WholeYInverted, quirks & OneColour);
        check.shape = whole.shape = output;
        check.region = region;
        if ((quirks & WholeTurnedSince) != 0)
            whole.shape.transform ^= 2; // by 180 degrees: the same size, another picture
        const std::optional<Screen::RegionTurn> turn = Screen::TurnSeen(check, whole);
        QCOMPARE(turn ? int(*turn) : -1, seen);
    }

    // The wheel's zoom steps, and how many pixels the view shows across at the step reached (0: closed).
    void loupeZoom_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("notches"); // away from the user when positive
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("next");
        QTest::addColumn<int>("across");
        const int closed = Loupe::Closed;
        QTest::newRow("a turn away opens it, 4 a pixel") << closed << 1 << 1.0 << 0 << 19;
        QTest::newRow("8 a pixel") << 0 << 1 << 1.0 << 1 << 9;
        QTest::newRow("16 a pixel") << 1 << 1 << 1.0 << 2 << 5;
        QTest::newRow("past the largest it stays") << 2 << 3 << 1.0 << 2 << 5;
        QTest::newRow("towards at the smallest closes it") << 0 << -1 << 1.0 << closed << 0;
        QTest::newRow("towards while closed") << closed << -2 << 1.0 << closed << 0;
        QTest::newRow("scale 2: as many centimetres") << closed << 1 << 2.0 << 0 << 39;
        QTest::newRow("scale 1.25: odd") << 1 << 1 << 1.25 << 2 << 5;
        QTest::newRow("never fewer than 3") << 2 << 0 << 0.5 << 2 << 3;
    }
    void loupeZoom()
    {
        QFETCH(int, step);
        QFETCH(int, notches);
        QFETCH(double, scale);
        QFETCH(int, next);
        QFETCH(int, across);
        QCOMPARE(Loupe::Zoom(step, notches), next);
        if (next == Loupe::Closed)
            return;
        QCOMPARE(Loupe::Across(next, scale), across);
        const Loupe::Rect view = Loupe::View(100, 50, across); // the pixel read in the middle
        QCOMPARE(QRect(view.x, view.y, view.width, view.height).center(), QPoint(100, 50));
    }

    // Beside the pointer's hot spot, its nearest edge 16 logical pixels away, and wholly on its monitor.
    void loupePlacement_data()
    {
        QTest::addColumn<QRect>("monitor");
        QTest::addColumn<QPoint>("hotSpot");
        QTest::addColumn<int>("side");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QPoint>("placed");
        const QRect hd(0, 0, 1920, 1080);
        QTest::newRow("below and to the right") << hd << QPoint(500, 400) << 76 << 1.0 << QPoint(516, 416);
        QTest::newRow("last room on the right") << hd << QPoint(1828, 400) << 76 << 1.0 << QPoint(1844, 416);
        QTest::newRow("by the right edge: left") << hd << QPoint(1829, 400) << 76 << 1.0 << QPoint(1738, 416);
        QTest::newRow("near the bottom: above") << hd << QPoint(500, 1070) << 76 << 1.0 << QPoint(516, 979);
        QTest::newRow("bottom right corner") << hd << QPoint(1919, 1079) << 76 << 1.0 << QPoint(1828, 988);
        QTest::newRow("a monitor left of the first")
            << QRect(-1280, 0, 1280, 1024) << QPoint(-10, 500) << 76 << 1.0 << QPoint(-101, 516);
        QTest::newRow("scale 2: 32 pixels away")
            << QRect(0, 0, 3840, 2160) << QPoint(100, 100) << 152 << 2.0 << QPoint(132, 132);
        QTest::newRow("scale 2, odd: on a whole logical pixel, further")
            << QRect(0, 0, 3840, 2160) << QPoint(101, 2118) << 152 << 2.0 << QPoint(134, 1934);
        QTest::newRow("no room on either side: on the monitor")
            << QRect(0, 0, 100, 100) << QPoint(50, 50) << 76 << 1.0 << QPoint(0, 0);
    }
    void loupePlacement()
    {
        QFETCH(QRect, monitor);
        QFETCH(QPoint, hotSpot);
        QFETCH(int, side);
        QFETCH(double, scale);
        QFETCH(QPoint, placed);
        const Loupe::Rect on { monitor.x(), monitor.y(), monitor.width(), monitor.height() };
        QCOMPARE(Loupe::Placement(hotSpot.x(), hotSpot.y(), side, on, scale),
            (Loupe::Rect { placed.x(), placed.y(), side, side }));
    }

    // Three sRGB channels from 0 to 1, each to the nearest of 0..255.
    void unitColor_data()
    {
        QTest::addColumn<double>("unit");
        QTest::addColumn<int>("level");
        QTest::newRow("1") << 1.0 << 255;
        QTest::newRow("0.5") << 0.5 << 128;
        QTest::newRow("1.5") << 1.5 << 255;
        QTest::newRow("-0.1") << -0.1 << 0;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 0;
    }
    void unitColor()
    {
        QFETCH(double, unit);
        QFETCH(int, level);
        QCOMPARE(Screen::ScreenColorFromUnit(unit, 0.5, 0), ScreenColor(level, 128, 0));
        QCOMPARE(Screen::ScreenColorFromUnit(0, unit, 1), ScreenColor(0, level, 255));
        QCOMPARE(Screen::ScreenColorFromUnit(1, 0, unit), ScreenColor(255, 0, level));
    }

    // Fifteen twips a pixel, the nearest pixel, halves away from zero on both sides of the origin.
    void twipsToPixels_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("7") << 7 << 0;
        QTest::newRow("8") << 8 << 1;
        QTest::newRow("-8") << -8 << -1;
        QTest::newRow("8520") << 8520 << 568;
    }
    void twipsToPixels()
    {
        QFETCH(int, twips);
        QFETCH(int, pixels);
        QCOMPARE(Twips::Pixels(twips), pixels);
    }

    // Halves go to even whatever rounding mode the caller left, and the caller's mode is kept; a centre
    // beyond 16 bits is clamped.
    void aboutBoxCentring_data()
    {
        QTest::addColumn<float>("mainExtent");
        QTest::addColumn<float>("mainOrigin");
        QTest::addColumn<float>("boxExtent");
        QTest::addColumn<int>("position");
        QTest::newRow("2672.5 to even") << 5745.f << 1000.f << 2400.f << 2672;
        QTest::newRow("2673.5 to even") << 5745.f << 1001.f << 2400.f << 2674;
        QTest::newRow("a box wider than the window") << 2000.f << 100.f << 6000.f << -1900;
        QTest::newRow("beyond 16 bits") << 8640.f << 32000.f << 1000.f << 32767;
        QTest::newRow("below 16 bits") << 8640.f << -40000.f << 1000.f << -32768;
        QTest::newRow("not a number") << std::numeric_limits<float>::quiet_NaN() << 0.f << 0.f << 0;
    }
    void aboutBoxCentring()
    {
        QFETCH(float, mainExtent);
        QFETCH(float, mainOrigin);
        QFETCH(float, boxExtent);
        QFETCH(int, position);
        std::fesetround(FE_UPWARD);
        const int centred = Twips::CentredOrigin(mainExtent, mainOrigin, boxExtent);
        const int mode = std::fegetround();
        std::fesetround(FE_TONEAREST);
        QCOMPARE(centred, position);
        QCOMPARE(mode, FE_UPWARD);
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
