// SPDX-License-Identifier: MIT
#include "capturecontrol.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

CaptureControl::CaptureControl(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void CaptureControl::StartCapture()
{
    if (m_armed)
        return;
    // A pointer grab: every press on the screen comes here and to no window underneath, and moves are
    // reported even with no button down.
    m_armed = true;
    setMouseTracking(true);
    grabMouse(Qt::CrossCursor);
}

void CaptureControl::CancelCapture()
{
    if (!m_armed)
        return;
    m_armed = false;
    releaseMouse();
    setMouseTracking(false);
}

void CaptureControl::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_armed) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    Q_EMIT Point(Module1::CurrentServices().pointedWindow());
}

void CaptureControl::mousePressEvent(QMouseEvent *event)
{
    if (!m_armed) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    const Module1::Handle captured = Module1::CurrentServices().pointedWindow();
    CancelCapture();
    Q_EMIT Capture(captured);
}

void CaptureControl::paintEvent(QPaintEvent *)
{
    // A cross-hair in a ring: the control's face, drawn to its size so it stays crisp at any scale.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF square = QRectF(rect()).adjusted(4.5, 4.5, -4.5, -4.5);
    const QPointF centre = square.center();
    const qreal radius = square.width() / 2;
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1.5));
    painter.drawEllipse(centre, radius * 0.62, radius * 0.62);
    QPainterPath cross;
    cross.moveTo(centre.x() - radius, centre.y());
    cross.lineTo(centre.x() - radius * 0.3, centre.y());
    cross.moveTo(centre.x() + radius * 0.3, centre.y());
    cross.lineTo(centre.x() + radius, centre.y());
    cross.moveTo(centre.x(), centre.y() - radius);
    cross.lineTo(centre.x(), centre.y() - radius * 0.3);
    cross.moveTo(centre.x(), centre.y() + radius * 0.3);
    cross.lineTo(centre.x(), centre.y() + radius);
    painter.drawPath(cross);
    painter.setBrush(QColor(Qt::red));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(centre, 1.5, 1.5);
}
