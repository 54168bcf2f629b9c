// SPDX-License-Identifier: MIT
#include "hscrollbar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

HScrollBar::HScrollBar(QWidget *parent)
    : QScrollBar(Qt::Horizontal, parent)
{
    // QScrollBar takes no focus and inverts its keys by default; a native scroll bar does neither.
    setFocusPolicy(Qt::StrongFocus);
    setInvertedControls(false);
    // Qt's own context menu speaks English in an otherwise Japanese window.
    setContextMenuPolicy(Qt::PreventContextMenu);
    connect(this, &QAbstractSlider::valueChanged, this,
        [this] { isSliderDown() ? Q_EMIT Scroll() : Q_EMIT Change(); });
    connect(this, &QAbstractSlider::sliderReleased, this, &HScrollBar::Change);
}

void HScrollBar::keyPressEvent(QKeyEvent *event)
{
    SliderAction action = SliderNoAction;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        action = SliderSingleStepSub;
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        action = SliderSingleStepAdd;
        break;
    case Qt::Key_PageUp:
        action = SliderPageStepSub;
        break;
    case Qt::Key_PageDown:
        action = SliderPageStepAdd;
        break;
    case Qt::Key_Home:
        action = SliderToMinimum;
        break;
    case Qt::Key_End:
        action = SliderToMaximum;
        break;
    default:
        QScrollBar::keyPressEvent(event);
        return;
    }
    triggerAction(action);
    event->accept();
}

void HScrollBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        QScrollBar::mousePressEvent(event);
    else
        event->accept();
}

void HScrollBar::paintEvent(QPaintEvent *event)
{
    QScrollBar::paintEvent(event);
    if (!hasFocus())
        return;
    // Most styles draw no focus on a scroll bar; without a mark the keyboard user cannot tell which bar
    // the arrow keys move.
    QStylePainter painter(this);
    QStyleOptionSlider slider;
    initStyleOption(&slider);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = style()
                     ->subControlRect(QStyle::CC_ScrollBar, &slider, QStyle::SC_ScrollBarSlider, this)
                     .adjusted(2, 2, -2, -2);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
}
