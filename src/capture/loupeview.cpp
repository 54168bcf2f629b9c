// SPDX-License-Identifier: MIT
#include "loupeview.h"

#include "module1.h"

#include <QPainter>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

QRgb toRgb(std::int32_t colour)
{
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

} // namespace

LoupeView::LoupeView()
    : QWidget(nullptr,
        Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("zumeko-loupe")); // shown nowhere; it names the window to tools
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LoupeView::showPixels(std::vector<std::int32_t> colours, int across, int block, const Loupe::Rect &place,
    QPoint origin, qreal ratio)
{
    // Qt keeps a screen's top-left where the system has it, and divides the rest by the ratio.
    const QPointF from(place.x - origin.x(), place.y - origin.y());
    const QRect geometry(
        (from / ratio).toPoint() + origin, QSizeF(place.width / ratio, place.height / ratio).toSize());
    const bool same = colours == m_colours && block == m_block && geometry == this->geometry();
    if (!same) {
        m_colours = std::move(colours);
        m_block = block;
        m_image = draw(m_colours, across, block);
        m_image.setDevicePixelRatio(ratio);
        setGeometry(geometry);
        update();
    }
    if (!isVisible()) {
        show();
#ifdef Q_OS_WIN
        // Kept out of screenshots and screen recordings where the system can (WDA_EXCLUDEFROMCAPTURE).
        SetWindowDisplayAffinity(reinterpret_cast<HWND>(winId()), 0x00000011);
#endif
    }
}

QImage LoupeView::draw(const std::vector<std::int32_t> &colours, int across, int block)
{
    const int side = across * block;
    QImage image(side, side, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int row = 0; row < across; ++row) {
        for (int column = 0; column < across; ++column) {
            const std::int32_t colour = colours[std::size_t(row * across + column)];
            const QRect square(column * block, row * block, block, block);
            if (colour != Module1::NoColor) {
                painter.fillRect(square, QColor(toRgb(colour)));
            } else { // beyond the screen: a plain grey check, never a colour read elsewhere
                painter.fillRect(square, QColor(0x80, 0x80, 0x80));
                painter.fillRect(square.adjusted(0, 0, -block / 2, -block / 2), QColor(0xA0, 0xA0, 0xA0));
                painter.fillRect(square.adjusted(block / 2, block / 2, 0, 0), QColor(0xA0, 0xA0, 0xA0));
            }
        }
    }
    // The pixel read, the middle of the odd square, framed inside its block so that its colour still shows
    // within.
    const std::int32_t centre = colours.at(colours.size() / 2);
    const bool light = centre != Module1::NoColor && qGray(toRgb(centre)) >= 128;
    painter.setPen(QPen(light ? Qt::black : Qt::white, 1));
    painter.setBrush(Qt::NoBrush);
    const int middle = (across / 2) * block;
    painter.drawRect(QRect(middle, middle, block - 1, block - 1));
    return image;
}

void LoupeView::paintEvent(QPaintEvent *)
{
    QPainter(this).drawImage(0, 0, m_image);
}
