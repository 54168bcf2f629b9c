// SPDX-License-Identifier: MIT
// The pure rules, with no window and no screen: colour texts, pixel formats, the pixel under a scaled
// pointer, a portal's colour, twips, the About box's centring.
#include "colorcode.h"
#include "pixelformat.h"
#include "placement.h"
#include "twips.h"

#include <QTest>

#include <cfenv>
#include <limits>

using namespace colorcode;
using namespace Qt::Literals::StringLiterals;
using Bytes = QList<std::uint8_t>;
Q_DECLARE_METATYPE(Module1::PixelFormat)

static QString q(const std::u16string &s)
{
    return QString::fromStdU16String(s);
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
        for (const auto &[value, decimal, hex] : { std::tuple { 0, "0", "00" }, { 9, "9", "09" },
                 { 10, "10", "0A" }, { 15, "15", "0F" }, { 16, "16", "10" }, { 171, "171", "AB" },
                 { 255, "255", "FF" }, { -1, "0", "00" }, { 256, "255", "FF" } })
            QTest::addRow("%d", value) << value << QString::fromLatin1(decimal) << QString::fromLatin1(hex);
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
        for (const auto &[color, code] :
            { std::pair { 0u, "#000000" }, { 0xFFu, "#FF0000" }, { 0x123u, "#230100" },
                { 0xAB00u, "#00AB00" }, { 0x10B0Au, "#0A0B01" }, { 0xFF0000u, "#0000FF" },
                { 0xABCDEFu, "#EFCDAB" }, { 0x020080FFu, "#FF8000" }, { 0xFFFFFFFFu, "#FFFFFF" } })
            QTest::addRow("%s", code) << color << QString::fromLatin1(code);
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
        using Module1::PixelFormat;
        using Module1::ShmPixelFormat;
        QTest::addColumn<PixelFormat>("format");
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<int>("color");
        const PixelFormat rgb565 { 0xF800, 0x07E0, 0x001F, 16, false },
            msb565 { 0xF800, 0x07E0, 0x001F, 16, true };
        const int orange = ScreenColor(0xFF, 0x80, 0x20), deep = ScreenColor(255, 128, 32);
        for (const auto &[name, format, bytes, color] :
            std::initializer_list<std::tuple<const char *, PixelFormat, Bytes, int>> {
                { "X 24-bit", {}, { 0x20, 0x80, 0xFF, 0xAB }, orange },
                { "X 24-bit, MSB first", { 0xFF0000, 0xFF00, 0xFF, 32, true }, { 0, 0xFF, 0x80, 0x20 },
                    orange },
                { "X 24-bit BGR", { 0xFF, 0xFF00, 0xFF0000, 32, false }, { 0xFF, 0x80, 0x20, 0 }, orange },
                { "X packed 24 bits", { 0xFF0000, 0xFF00, 0xFF, 24, false }, { 0x20, 0x80, 0xFF }, orange },
                { "X 16-bit white", rgb565, { 0xFF, 0xFF }, 0xFFFFFF },
                { "X 16-bit halves", rgb565, { 0x00, 0x84 }, ScreenColor(132, 130, 0) },
                { "X 16-bit, MSB first", msb565, { 0x00, 0x1F }, 0xFF0000 },
                { "X visual without blue", { 0xFF0000, 0xFF00, 0, 32, false }, { 0xFF, 0x80, 0xFF, 0 },
                    0x80FF },
                { "too short for a pixel", {}, { 0x20, 0x80, 0xFF }, -1 },
                { "Wayland ARGB8888", ShmPixelFormat(0), { 0x20, 0x80, 0xFF, 0x00 }, orange },
                { "Wayland XRGB8888", ShmPixelFormat(1), { 0x20, 0x80, 0xFF, 0xFF }, orange },
                { "Wayland ABGR8888", ShmPixelFormat(0x34324241), { 0xFF, 0x80, 0x20, 0x7F }, orange },
                { "Wayland XBGR8888", ShmPixelFormat(0x34324258), { 0xFF, 0x80, 0x20, 0 }, orange },
                { "Wayland XRGB2101010", ShmPixelFormat(0x30335258), { 0x80, 0x00, 0xF8, 0x3F }, deep },
                { "Wayland ARGB2101010", ShmPixelFormat(0x30335241), { 0x80, 0x00, 0xF8, 0xFF }, deep },
                { "Wayland XBGR2101010", ShmPixelFormat(0x30334258), { 0xFF, 0x03, 0x08, 0x08 }, deep },
                { "Wayland ABGR2101010", ShmPixelFormat(0x30334241), { 0xFF, 0x03, 0x08, 0xC8 }, deep },
                { "Wayland RGB565, not taken", ShmPixelFormat(0x36314752), { 0, 0, 0, 0 }, -1 } })
            QTest::newRow(name) << format << bytes << color;
    }
    void pixelFormats()
    {
        QFETCH(Module1::PixelFormat, format);
        QFETCH(Bytes, bytes);
        QFETCH(int, color);
        QCOMPARE(Module1::ToScreenColor(bytes.data(), std::size_t(bytes.size()), format), color);
    }

    // A capture of the one-unit square under the pointer is a pixel at scale 1, four at scale 2; the
    // pointer's fraction picks the one under it, counted from the bottom in a buffer stored upside down.
    void pixelUnder_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("inverted");
        QTest::addColumn<QPoint>("pixel");
        for (const auto &[name, x, y, size, inverted, pixel] :
            std::initializer_list<std::tuple<const char *, double, double, int, bool, QPoint>> {
                { "scale 1", 10.7, 3.2, 1, false, { 0, 0 } },
                { "scale 2, top left", 10.2, 3.4, 2, false, { 0, 0 } },
                { "scale 2, bottom right", 10.5, 3.75, 2, false, { 1, 1 } },
                { "scale 2, y inverted", 10.5, 3.75, 2, true, { 1, 0 } },
                { "scale 3, negative place", -0.2, -0.9, 3, false, { 2, 0 } },
                { "an empty buffer", 10.5, 3.5, 0, true, { 0, 0 } } })
            QTest::newRow(name) << x << y << size << inverted << pixel;
    }
    void pixelUnder()
    {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(int, size);
        QFETCH(bool, inverted);
        QFETCH(QPoint, pixel);
        const Module1::BufferPixel at = Module1::PixelUnder(x, y, size, size, inverted);
        QCOMPARE(QPoint(at.column, at.row), pixel);
    }

    // Three sRGB channels from 0 to 1, each to the nearest of 0..255.
    void unitColor_data()
    {
        QTest::addColumn<double>("unit");
        QTest::addColumn<int>("level");
        for (const auto &[unit, level] : { std::pair { 0.0, 0 }, { 1.0, 255 }, { 0.5, 128 }, { 0.25, 64 },
                 { 0.2509, 64 }, { 1.5, 255 }, { -0.1, 0 }, { std::numeric_limits<double>::quiet_NaN(), 0 } })
            QTest::addRow("%g", unit) << unit << level;
    }
    void unitColor()
    {
        QFETCH(double, unit);
        QFETCH(int, level);
        QCOMPARE(Module1::ScreenColorFromUnit(unit, 0.5, 0), ScreenColor(level, 128, 0));
        QCOMPARE(Module1::ScreenColorFromUnit(0, unit, 1), ScreenColor(0, level, 255));
        QCOMPARE(Module1::ScreenColorFromUnit(1, 0, unit), ScreenColor(255, 0, level));
    }

    // Fifteen twips a pixel, the nearest pixel, halves away from zero on both sides of the origin.
    void twipsToPixels_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("pixels");
        for (const auto &[twips, pixels] :
            { std::pair { 7, 0 }, { 8, 1 }, { 22, 1 }, { 23, 2 }, { -7, 0 }, { -8, -1 }, { 8520, 568 } })
            QTest::addRow("%d", twips) << twips << pixels;
    }
    void twipsToPixels()
    {
        QFETCH(int, twips);
        QFETCH(int, pixels);
        QCOMPARE(Forms::Pixels(twips), pixels);
    }

    // Halves go to even whatever rounding mode the caller left, and the caller's mode is kept; a centre
    // beyond 16 bits is clamped.
    void aboutBoxCentring_data()
    {
        QTest::addColumn<float>("mainExtent");
        QTest::addColumn<float>("mainOrigin");
        QTest::addColumn<float>("boxExtent");
        QTest::addColumn<int>("position");
        for (const auto &[name, mainExtent, mainOrigin, boxExtent, position] :
            std::initializer_list<std::tuple<const char *, float, float, float, int>> {
                { "2672.5 to even", 5745, 1000, 2400, 2672 }, { "2673.5 to even", 5745, 1001, 2400, 2674 },
                { "a box wider than the window", 2000, 100, 6000, -1900 },
                { "beyond 16 bits", 8640, 32000, 1000, 32767 },
                { "below 16 bits", 8640, -40000, 1000, -32768 },
                { "not a number", std::numeric_limits<float>::quiet_NaN(), 0, 0, 0 } })
            QTest::newRow(name) << mainExtent << mainOrigin << boxExtent << position;
    }
    void aboutBoxCentring()
    {
        QFETCH(float, mainExtent);
        QFETCH(float, mainOrigin);
        QFETCH(float, boxExtent);
        QFETCH(int, position);
        std::fesetround(FE_UPWARD);
        const int centred = FrmInfoPlacement::Centre(mainExtent, mainOrigin, boxExtent);
        const int mode = std::fegetround();
        std::fesetround(FE_TONEAREST);
        QCOMPARE(centred, position);
        QCOMPARE(mode, FE_UPWARD);
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
