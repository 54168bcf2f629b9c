// SPDX-License-Identifier: MIT
#include "label.h"

#include "colorcode.h"
#include "placed.h"

#include <QPaintEvent>
#include <QPainter>

namespace {

QColor fromBgr(std::int32_t color)
{
    const colorcode::Channels c = colorcode::ChannelsOf(color);
    return QColor(c.red, c.green, c.blue);
}

std::int32_t toBgr(const QColor &c)
{
    return colorcode::ScreenColor(c.red(), c.green(), c.blue());
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

namespace Forms {

Label *AddLabel(QWidget *parent, const QString &name, const Twips::Place &place, const QFont &font,
    const QString &caption, const QColor &textColor)
{
    auto *label = Placed(new Label(caption, parent), name, place, font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (textColor.isValid()) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, textColor);
        label->setPalette(palette);
    }
    return label;
}

} // namespace Forms
