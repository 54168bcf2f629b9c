// SPDX-License-Identifier: MIT
#include "capturecontrol.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

namespace {
// Often enough that a click soon after the window comes back, or after another program's grab has ended,
// is caught; rarely enough to cost nothing.
constexpr int RecheckInterval = 100; // milliseconds
} // namespace

CaptureControl::CaptureControl(Module1::Services &services, QWidget *parent)
    : QWidget(parent)
    , m_grab(services.createPointerGrab(*this))
{
    m_recheck.setInterval(RecheckInterval);
    connect(&m_recheck, &QTimer::timeout, this, &CaptureControl::holdPointer);
    // The window tells when a modal box blocks it, when it is shown again and when its state changes.
    if (parent != nullptr)
        window()->installEventFilter(this);
}

CaptureControl::~CaptureControl() = default;

void CaptureControl::StartCapture()
{
    if (m_armed)
        return;
    m_armed = true;
    m_recheck.start();
    holdPointer();
}

void CaptureControl::CancelCapture()
{
    if (!m_armed)
        return;
    m_armed = false;
    m_grab->end();
}

void CaptureControl::holdPointer()
{
    if (!m_armed) {
        m_recheck.stop();
        return;
    }
    // Under a modal box of ours the pointer is the box's, or its buttons could not be clicked.
    if (QApplication::activeModalWidget() != nullptr)
        m_grab->release();
    else
        m_grab->take();
}

bool CaptureControl::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowBlocked:
    case QEvent::WindowUnblocked:
    case QEvent::Show:
    case QEvent::WindowStateChange:
        // Queued: the box is not yet the active modal widget when its window blocks ours.
        QMetaObject::invokeMethod(this, &CaptureControl::holdPointer, Qt::QueuedConnection);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void CaptureControl::pointerMoved(Module1::Handle pointed)
{
    if (m_armed)
        Q_EMIT Point(pointed);
}

void CaptureControl::pointerPressed(Module1::Handle pressed)
{
    if (!m_armed)
        return;
    CancelCapture();
    Q_EMIT Capture(pressed);
}

void CaptureControl::screenUnreadable()
{
    if (!m_armed)
        return;
    CancelCapture();
    Q_EMIT Unavailable();
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
