// SPDX-License-Identifier: MIT
#include "colorcode.h"

#include <QTest>

#include <array>

using namespace colorcode;
using namespace Qt::Literals::StringLiterals;

namespace {
QString q(const std::u16string &s)
{
    return QString::fromStdU16String(s);
}
const QString Sep = u"\u3000\uFF1A\u3000"_s;
} // namespace

class TestColorcode : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void channelTexts_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("decimal");
        QTest::addColumn<QString>("hex");
        QTest::newRow("zero") << 0 << u"0"_s << u"00"_s;
        QTest::newRow("one digit") << 9 << u"9"_s << u"09"_s;
        QTest::newRow("first letter gets a zero") << 10 << u"10"_s << u"0A"_s;
        QTest::newRow("last single digit") << 15 << u"15"_s << u"0F"_s;
        QTest::newRow("first two digits") << 16 << u"16"_s << u"10"_s;
        QTest::newRow("middle") << 128 << u"128"_s << u"80"_s;
        QTest::newRow("upper case") << 171 << u"171"_s << u"AB"_s;
        QTest::newRow("full") << 255 << u"255"_s << u"FF"_s;
        // Out of range: clamped, so a label never shows a value the bar cannot hold.
        QTest::newRow("below range") << -1 << u"0"_s << u"00"_s;
        QTest::newRow("above range") << 256 << u"255"_s << u"FF"_s;
        QTest::newRow("far above range") << 0x7FFFFFFF << u"255"_s << u"FF"_s;
    }
    void channelTexts()
    {
        QFETCH(int, value);
        QFETCH(QString, decimal);
        QFETCH(QString, hex);
        QCOMPARE(q(ChannelDecimalText(value)), decimal + Sep);
        QCOMPARE(q(ChannelHexText(value)), hex);
    }

    void separatorIsIdeographic()
    {
        const std::u16string text = ChannelDecimalText(255);
        QCOMPARE(text.size(), 6u);
        QCOMPARE(text[3], u'\u3000');
        QCOMPARE(text[4], u'\uFF1A');
        QCOMPARE(text[5], u'\u3000');
        QCOMPARE(ChannelDecimalText(128).size(), 6u);
    }

    void screenColor_data()
    {
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("g");
        QTest::addColumn<int>("b");
        QTest::addColumn<QString>("code");
        QTest::newRow("black: one digit") << 0 << 0 << 0 << u"#000000"_s;
        QTest::newRow("red: two digits") << 255 << 0 << 0 << u"#FF0000"_s;
        QTest::newRow("green AB: four digits") << 0 << 171 << 0 << u"#00AB00"_s;
        QTest::newRow("green FF") << 0 << 255 << 0 << u"#00FF00"_s;
        QTest::newRow("orange") << 255 << 128 << 0 << u"#FF8000"_s;
        QTest::newRow("five digits get one zero") << 10 << 11 << 1 << u"#0A0B01"_s;
        QTest::newRow("pure blue needs no zeros") << 0 << 0 << 255 << u"#0000FF"_s;
        QTest::newRow("six digits reversed") << 239 << 205 << 171 << u"#EFCDAB"_s;
        QTest::newRow("white") << 255 << 255 << 255 << u"#FFFFFF"_s;
        QTest::newRow("three digits") << 0x23 << 0x1 << 0 << u"#230100"_s;
    }
    void screenColor()
    {
        QFETCH(int, r);
        QFETCH(int, g);
        QFETCH(int, b);
        QFETCH(QString, code);
        QCOMPARE(q(ColorcodeFromScreenColor(static_cast<std::uint32_t>(r | g << 8 | b << 16))), code);
    }

    // Bits 24..31 carry no colour and are ignored; never undefined, never a longer text.
    void screenColorTopByteIgnored_data()
    {
        QTest::addColumn<quint32>("color");
        QTest::addColumn<QString>("code");
        QTest::newRow("flag byte") << quint32(0x020080FF) << u"#FF8000"_s;
        QTest::newRow("all bits: the failure value as unsigned") << quint32(0xFFFFFFFF) << u"#FFFFFF"_s;
        QTest::newRow("only the top bit") << quint32(0x80000000) << u"#000000"_s;
        QTest::newRow("just past 24 bits") << quint32(0x01000000) << u"#000000"_s;
    }
    void screenColorTopByteIgnored()
    {
        QFETCH(quint32, color);
        QFETCH(QString, code);
        QCOMPARE(q(ColorcodeFromScreenColor(color)), code);
    }

    void channelsAreJoinedVerbatim()
    {
        QCOMPARE(q(ColorcodeFromChannels(u"FF", u"80", u"00")), u"#FF8000"_s);
        // The labels are the model: whatever they hold goes into the code as it stands.
        QCOMPARE(q(ColorcodeFromChannels(u"ab", u"", u"1")), u"#ab1"_s);
    }

    void copyText_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("tag");
        QTest::addColumn<QString>("copied");
        QTest::newRow("bare") << u"#000000"_s << false << u"#000000"_s;
        QTest::newRow("tag") << u"#000000"_s << true << u"<font color=\"#000000\">"_s;
        QTest::newRow("tag orange") << u"#FF8000"_s << true << u"<font color=\"#FF8000\">"_s;
    }
    void copyText()
    {
        QFETCH(QString, code);
        QFETCH(bool, tag);
        QFETCH(QString, copied);
        const QString text = q(CopyText(code.toStdU16String(), tag));
        QCOMPARE(text, copied);
        QCOMPARE(text.size(), code.size() + (tag ? 15 : 0));
        QVERIFY(!text.contains(u'\n') && !text.contains(u'\r'));
    }

    void positionText_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QString>("text");
        QTest::newRow("example") << 120 << 45 << u"X\uFF1A120\u3000\u3000Y\uFF1A45"_s;
        QTest::newRow("origin") << 0 << 0 << u"X\uFF1A0\u3000\u3000Y\uFF1A0"_s;
        QTest::newRow("left of and above the screen")
            << -5 << -1200 << u"X\uFF1A-5\u3000\u3000Y\uFF1A-1200"_s;
        QTest::newRow("extremes") << int(INT32_MIN) << int(INT32_MAX)
                                  << u"X\uFF1A-2147483648\u3000\u3000Y\uFF1A2147483647"_s;
    }
    void positionText()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QString, text);
        QCOMPARE(q(CursorPositionText(x, y)), text);
    }

    // The slider path and the screen path agree on every one of the 2^24 colours.
    void bothPathsAgreeOnEveryColour()
    {
        std::array<std::u16string, 256> hex;
        for (int v = 0; v < 256; ++v)
            hex[static_cast<std::size_t>(v)] = ChannelHexText(v);
        for (std::uint32_t color = 0; color < (1u << 24); ++color) {
            const auto &r = hex[color & 0xFF], &g = hex[(color >> 8) & 0xFF], &b = hex[color >> 16];
            if (ColorcodeFromChannels(r, g, b) != ColorcodeFromScreenColor(color))
                QFAIL(qPrintable(u"paths differ for 0x%1"_s.arg(color, 6, 16, QChar(u'0'))));
        }
    }
};

QTEST_GUILESS_MAIN(TestColorcode)
#include "tst_colorcode.moc"
