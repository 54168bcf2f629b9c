// SPDX-License-Identifier: MIT
#include "label.h"

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
    update();
}

void Label::paintEvent(QPaintEvent *event)
{
    if (m_backColor.isValid()) {
        QPainter painter(this);
        painter.fillRect(rect(), m_backColor);
    }
    QLabel::paintEvent(event);
}
