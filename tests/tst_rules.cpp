// SPDX-License-Identifier: MIT
// Layer 1: the pure rules, with no window and no screen: colour texts, pixel formats, twips, the About
// box's centring. Each table's rows are told apart by their values in a failure message.
#include "colorcode.h"
#include "pixelformat.h"
#include "placement.h"
#include "twips.h"

#include <QTest>

#include <cfenv>
#include <limits>
#include <vector>

using namespace colorcode;
using namespace Qt::Literals::StringLiterals;

static QString q(const std::u16string &s)
{
    return QString::fromStdU16String(s);
}

class TestRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void channelTexts()
    {
        // Out of range clamps; one digit gets a zero in front; letters are upper case.
        for (const auto &[value, decimal, hex] : std::initializer_list<std::tuple<int, QString, QString>> {
                 { 0, u"0"_s, u"00"_s }, { 9, u"9"_s, u"09"_s }, { 10, u"10"_s, u"0A"_s },
                 { 15, u"15"_s, u"0F"_s }, { 16, u"16"_s, u"10"_s }, { 171, u"171"_s, u"AB"_s },
                 { 255, u"255"_s, u"FF"_s }, { -1, u"0"_s, u"00"_s }, { 256, u"255"_s, u"FF"_s } }) {
            QCOMPARE(q(ChannelDecimalText(value)), decimal + u"\u3000\uFF1A\u3000"_s);
            QCOMPARE(q(ChannelHexText(value)), hex);
        }
    }

    void screenColor()
    {
        // Every length of hexadecimal digits; the top byte carries no colour (a COLORREF may use it as a
        // flag), so it never makes a longer text.
        for (const auto &[color, code] : std::initializer_list<std::pair<std::uint32_t, QString>> {
                 { 0, u"#000000"_s }, { 0xFF, u"#FF0000"_s }, { 0x123, u"#230100"_s },
                 { 0xAB00, u"#00AB00"_s }, { 0x10B0A, u"#0A0B01"_s }, { 0xFF0000, u"#0000FF"_s },
                 { 0xABCDEF, u"#EFCDAB"_s }, { 0x020080FF, u"#FF8000"_s }, { 0xFFFFFFFF, u"#FFFFFF"_s } })
            QCOMPARE(q(ColorcodeFromScreenColor(color)), code);
        QCOMPARE(ScreenColor(0xEF, 0xCD, 0xAB), 0xABCDEF);
        QCOMPARE(ScreenColor(0x1FF, 0, 0), 0xFF); // a channel never spills into the next
        const Channels c = ChannelsOf(std::int32_t(0xFFABCDEF));
        QCOMPARE(QList<int>({ c.red, c.green, c.blue }), QList<int>({ 0xEF, 0xCD, 0xAB }));
    }

    void otherTexts()
    {
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

    void pixelFormats()
    {
        using Bytes = std::vector<std::uint8_t>;
        const Module1::PixelFormat rgb24 {}, msb24 { 0xFF0000, 0xFF00, 0xFF, 32, true },
            bgr24 { 0xFF, 0xFF00, 0xFF0000, 32, false }, packed { 0xFF0000, 0xFF00, 0xFF, 24, false },
            rgb565 { 0xF800, 0x07E0, 0x001F, 16, false }, msb565 { 0xF800, 0x07E0, 0x001F, 16, true },
            rgb30 { 0x3FF00000, 0xFFC00, 0x3FF, 32, false }, noBlue { 0xFF0000, 0xFF00, 0, 32, false };
        const int orange = ScreenColor(0xFF, 0x80, 0x20); // as each screen stores it, in the first rows
        // 16-bit: 6-bit green 32 is 129.5 of 255, rounded to 130; 5-bit red 16 is 131.6, rounded to 132.
        for (const auto &[format, bytes, color] :
            std::initializer_list<std::tuple<Module1::PixelFormat, Bytes, int>> {
                { rgb24, { 0x20, 0x80, 0xFF, 0xAB }, orange }, { msb24, { 0x00, 0xFF, 0x80, 0x20 }, orange },
                { bgr24, { 0xFF, 0x80, 0x20, 0x00 }, orange }, { packed, { 0x20, 0x80, 0xFF }, orange },
                { rgb565, { 0xFF, 0xFF }, 0xFFFFFF }, { rgb565, { 0x00, 0x84 }, ScreenColor(132, 130, 0) },
                { msb565, { 0x00, 0x1F }, ScreenColor(0, 0, 255) },
                { rgb30, { 0x00, 0x00, 0xF0, 0x3F }, ScreenColor(255, 0, 0) },
                { noBlue, { 0xFF, 0x80, 0xFF, 0x00 },
                    ScreenColor(0xFF, 0x80, 0) }, // a channel the visual lacks
                { rgb24, { 0x20, 0x80, 0xFF }, -1 } }) // too short for a pixel
            QCOMPARE(Module1::ToScreenColor(bytes.data(), bytes.size(), format), color);
    }

    // Fifteen twips a pixel, the nearest pixel, halves away from zero on both sides of the origin.
    void twipsToPixels()
    {
        for (const auto &[twips, pixels] :
            { std::pair { 7, 0 }, { 8, 1 }, { 22, 1 }, { 23, 2 }, { -7, 0 }, { -8, -1 }, { 8520, 568 } })
            QCOMPARE(Forms::Pixels(twips), pixels);
    }

    void aboutBoxCentring()
    {
        // Halves go to even whatever rounding mode the caller left, and the caller's mode is kept; a
        // centre beyond 16 bits is clamped.
        for (const auto &[mainExtent, mainOrigin, boxExtent, position] :
            std::initializer_list<std::tuple<float, float, float, int>> { { 5745, 1000, 2400, 2672 },
                { 5745, 1001, 2400, 2674 }, { 2000, 100, 6000, -1900 }, { 8640, 32000, 1000, 32767 },
                { 8640, -40000, 1000, -32768 }, { std::numeric_limits<float>::quiet_NaN(), 0, 0, 0 } }) {
            std::fesetround(FE_UPWARD);
            const int centred = FrmInfoPlacement::Centre(mainExtent, mainOrigin, boxExtent);
            const int mode = std::fegetround();
            std::fesetround(FE_TONEAREST);
            QCOMPARE(centred, position);
            QCOMPARE(mode, FE_UPWARD);
        }
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
