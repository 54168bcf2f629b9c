// SPDX-License-Identifier: MIT
#include "label.h"

#include <QPaintEvent>
#include <QPainter>

namespace {

QColor fromBgr(std::int32_t color)
{
    const auto c = static_cast<std::uint32_t>(color);
    return QColor(
        static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

std::int32_t toBgr(const QColor &c)
{
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

} // namespace

std::int32_t Label::BackColor() const
{
    return toBgr(m_backColor.isValid() ? m_backColor : palette().color(QPalette::Window));
}

void Label::setBackColor(std::int32_t color)
{
    const QColor wanted = fromBgr(color);
    if (wanted == m_backColor)
        return; // an unchanged colour need not repaint
    m_backColor = wanted;
    // Every pixel is ours now (the frame draws over the fill), so Qt need not paint what lies beneath.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The frame stays as it is; only what it encloses changes colour.
    update(contentsRect());
}

void Label::paintEvent(QPaintEvent *event)
{
    if (m_backColor.isValid()) {
        QPainter painter(this);
        painter.fillRect(event->rect(), m_backColor);
    }
    // A swatch repainted inside its frame has nothing else to draw: drawing the frame anyway, clipped
    // away, was most of what a new colour cost.
    if (text().isEmpty() && contentsRect().contains(event->rect()))
        return;
    QLabel::paintEvent(event);
}
