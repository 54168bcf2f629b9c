// SPDX-License-Identifier: MIT
#include "linkcursor.h"

#include <QImage>

#include <array>

namespace {

// K black, W white, G grey, N dark blue; anything else is transparent (0).
QRgb cursorColor(char key)
{
    switch (key) {
    case 'K':
        return 0xFF000000;
    case 'W':
        return 0xFFFFFFFF;
    case 'G':
        return 0xFF808080;
    case 'N':
        return 0xFF000080;
    default:
        return 0;
    }
}

} // namespace

QImage LinkCursorImage()
{
    // K black, W white, G grey, N dark blue; the hot spot (12, 1) is the top of the fingertip.
    static constexpr std::array<const char *, 23> Rows = {
        "",
        "            KK",
        "           KWWK",
        "           KWWK",
        "           KWWK",
        "           KWWK",
        "           KWWKKK",
        "           KWWKWWKKK",
        "           KWWKWWKWWKK",
        "        KK KWWKWWKWWKWK",
        "        KWKKWWWWWWWWKWWK",
        "        KWWKWWWWWWWWWWWK",
        "         KWWWWWWWWWWWWWK",
        "         KWWWWWWWWWWWWWK",
        "          KWWWWWWWWWWWWK",
        "          KWWWWWWWWWWWGK",
        "           KWWWWWWWWWGK",
        "           KWWWWWWWWWGK",
        "            KWWWWWWWGGK",
        "            KKKKKKKKKKK",
        "            KNNNNNNNNNK",
        "            KNNNNNNNNNK",
        "            KKKKKKKKKKK",
    };
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < int(Rows.size()); ++y) {
        for (int x = 0; Rows[std::size_t(y)][x] != '\0'; ++x) {
            if (const QRgb pixel = cursorColor(Rows[std::size_t(y)][x]); pixel != 0)
                image.setPixel(x, y, pixel);
        }
    }
    return image;
}
