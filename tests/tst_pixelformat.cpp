// SPDX-License-Identifier: MIT
#include "pixelformat.h"

#include <QTest>

#include <vector>

using Module1::PixelFormat;
using Module1::ToScreenColor;

Q_DECLARE_METATYPE(PixelFormat)
Q_DECLARE_METATYPE(std::vector<std::uint8_t>)

class TestPixelFormat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void convert_data()
    {
        QTest::addColumn<PixelFormat>("format");
        QTest::addColumn<std::vector<std::uint8_t>>("bytes");
        QTest::addColumn<qint32>("color");

        const PixelFormat rgb24 {};
        PixelFormat rgb24msb = rgb24;
        rgb24msb.mostSignificantByteFirst = true;
        const PixelFormat bgr24 { 0x0000FF, 0x00FF00, 0xFF0000, 32, false };
        const PixelFormat rgb565 { 0xF800, 0x07E0, 0x001F, 16, false };
        PixelFormat rgb565msb = rgb565;
        rgb565msb.mostSignificantByteFirst = true;
        const PixelFormat rgb30 { 0x3FF00000, 0x000FFC00, 0x000003FF, 32, false };
        const PixelFormat packed24 { 0xFF0000, 0x00FF00, 0x0000FF, 24, false };

        // Red 255, green 128, blue 0 comes back as 0x000080FF on every screen.
        QTest::newRow("24-bit, LSB first")
            << rgb24 << std::vector<std::uint8_t> { 0x00, 0x80, 0xFF, 0x00 } << 0x0080FF;
        QTest::newRow("24-bit, MSB first")
            << rgb24msb << std::vector<std::uint8_t> { 0x00, 0xFF, 0x80, 0x00 } << 0x0080FF;
        QTest::newRow("24-bit, unused byte ignored")
            << rgb24 << std::vector<std::uint8_t> { 0x00, 0x80, 0xFF, 0xAB } << 0x0080FF;
        QTest::newRow("BGR visual") << bgr24 << std::vector<std::uint8_t> { 0xFF, 0x80, 0x00, 0x00 }
                                    << 0x0080FF;
        QTest::newRow("packed 24 bits")
            << packed24 << std::vector<std::uint8_t> { 0x00, 0x80, 0xFF } << 0x0080FF;
        QTest::newRow("16-bit white is full white")
            << rgb565 << std::vector<std::uint8_t> { 0xFF, 0xFF } << 0xFFFFFF;
        QTest::newRow("16-bit red, LSB first")
            << rgb565 << std::vector<std::uint8_t> { 0x00, 0xF8 } << 0x0000FF;
        QTest::newRow("16-bit red, MSB first")
            << rgb565msb << std::vector<std::uint8_t> { 0xF8, 0x00 } << 0x0000FF;
        // 6-bit green 32 is 129.5 of 255: rounds to 130; 5-bit blue 16 is 131.6: rounds to 132.
        QTest::newRow("16-bit halves")
            << rgb565 << std::vector<std::uint8_t> { 0x10, 0x04 } << (132 << 16 | 130 << 8);
        QTest::newRow("30-bit full scale")
            << rgb30 << std::vector<std::uint8_t> { 0xFF, 0xFF, 0xFF, 0x3F } << 0xFFFFFF;
        QTest::newRow("30-bit red only")
            << rgb30 << std::vector<std::uint8_t> { 0x00, 0x00, 0xF0, 0x3F } << 0x0000FF;
        QTest::newRow("too short for a pixel") << rgb24 << std::vector<std::uint8_t> { 0x00, 0x80 } << -1;
        QTest::newRow("no data") << rgb565 << std::vector<std::uint8_t> {} << -1;
    }
    void convert()
    {
        QFETCH(PixelFormat, format);
        QFETCH(std::vector<std::uint8_t>, bytes);
        QFETCH(qint32, color);
        QCOMPARE(ToScreenColor(bytes.data(), bytes.size(), format), color);
    }

    // Every 5- and 6-bit level maps to distinct 8-bit values spanning 0..255 in order.
    void sixteenBitLevelsAreMonotonic()
    {
        const PixelFormat rgb565 { 0xF800, 0x07E0, 0x001F, 16, false };
        int previous = -1;
        for (std::uint32_t level = 0; level < 64; ++level) {
            const std::uint32_t pixel = level << 5;
            const std::uint8_t bytes[]
                = { static_cast<std::uint8_t>(pixel & 0xFF), static_cast<std::uint8_t>(pixel >> 8) };
            const int green = (ToScreenColor(bytes, 2, rgb565) >> 8) & 0xFF;
            QVERIFY2(green > previous, qPrintable(QString::number(level)));
            previous = green;
        }
        QCOMPARE(previous, 255);
    }
};

QTEST_GUILESS_MAIN(TestPixelFormat)
#include "tst_pixelformat.moc"
