// SPDX-License-Identifier: MIT
#include "programicon.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <array>

namespace Forms {

QImage ProgramIconImage()
{
    // From the top: red, olive, yellow, green, cyan, blue, magenta, purple, magenta, blue, silver, green,
    // yellow, grey, red, in the standard 16-colour palette.
    static constexpr std::array<QRgb, 15> Stripes = { 0xFF0000, 0x808000, 0xFFFF00, 0x008000, 0x00FFFF,
        0x0000FF, 0xFF00FF, 0x800080, 0xFF00FF, 0x0000FF, 0xC0C0C0, 0x008000, 0xFFFF00, 0x808080, 0xFF0000 };
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(Qt::black);
    for (std::size_t stripe = 0; stripe < Stripes.size(); ++stripe) {
        for (int y = 1 + 2 * int(stripe); y < 3 + 2 * int(stripe); ++y) {
            for (int x = 1; x < 31; ++x)
                image.setPixel(x, y, 0xFF000000 | Stripes[stripe]);
        }
    }
    return image;
}

QIcon ProgramIcon()
{
    static const QIcon icon(QPixmap::fromImage(ProgramIconImage()));
    return icon;
}

} // namespace Forms
