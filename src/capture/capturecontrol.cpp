// SPDX-License-Identifier: MIT
#include "capturecontrol.h"
#include "loupeview.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace {
// Often enough that a click soon after the window comes back, or after another program's grab has ended,
// is caught; rarely enough to cost nothing.
constexpr int RecheckInterval = 100; // milliseconds
constexpr int FollowInterval = 10; // milliseconds: the sampling tick's
} // namespace

CaptureControl::CaptureControl(Module1::Services &services, QWidget *parent)
    : QWidget(parent)
    , m_grab(services.createPointerGrab(*this))
    , m_services(services)
{
    m_follow.setInterval(FollowInterval);
    connect(&m_follow, &QTimer::timeout, this, &CaptureControl::followPointer);
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
    closeLoupe();
    m_grab->end();
}

void CaptureControl::pointerWheel(int notches)
{
    if (!m_armed)
        return;
    if (m_zoom == Loupe::Closed)
        m_grab->holdKeys(true);
    m_zoom = Loupe::Zoom(m_zoom, notches);
    if (m_zoom == Loupe::Closed) {
        closeLoupe();
        return;
    }
    followPointer();
    m_follow.start();
}

// Only while the loupe is open: the arrow keys move the pointer by one screen pixel, by ten with Shift.
void CaptureControl::keyPressed(Module1::LoupeKey key, bool shift)
{
    if (m_zoom == Loupe::Closed)
        return;
    const int by = shift ? 10 : 1;
    switch (key) {
    case Module1::LoupeKey::Left:
        m_grab->movePointer(-by, 0);
        break;
    case Module1::LoupeKey::Right:
        m_grab->movePointer(by, 0);
        break;
    case Module1::LoupeKey::Up:
        m_grab->movePointer(0, -by);
        break;
    case Module1::LoupeKey::Down:
        m_grab->movePointer(0, by);
        break;
    case Module1::LoupeKey::Escape:
        closeLoupe();
        break;
    }
}

void CaptureControl::closeLoupe()
{
    if (m_zoom != Loupe::Closed)
        m_grab->holdKeys(false);
    m_zoom = Loupe::Closed;
    m_follow.stop();
    m_loupe.reset();
}

void CaptureControl::followPointer()
{
    Module1::CursorPoint at;
    if (!m_services.cursorPos(at))
        return;
    // The monitor that holds the pointer, in screen pixels: Qt keeps each screen's top-left where the
    // system has it, and divides the rest by the screen's ratio.
    const QScreen *screen = nullptr;
    QRect monitor;
    for (const QScreen *each : QGuiApplication::screens()) {
        const QRect g = each->geometry();
        const QRect physical(g.topLeft(), QSizeF(g.size() * each->devicePixelRatio()).toSize());
        if (physical.contains(at.x, at.y)) {
            screen = each;
            monitor = physical;
        }
    }
    if (screen == nullptr) { // its screen went away
        closeLoupe();
        return;
    }
    const qreal ratio = screen->devicePixelRatio();
    const int across = Loupe::Across(m_zoom, ratio), block = Loupe::BlockSizes[m_zoom];
    const Loupe::Rect view = Loupe::View(at.x, at.y, across);
    const Loupe::Rect place = Loupe::Placement(
        at.x, at.y, across * block, { monitor.x(), monitor.y(), monitor.width(), monitor.height() }, ratio);
    if (m_loupe == nullptr)
        m_loupe = std::make_unique<LoupeView>();
    m_loupe->showPixels(
        m_services.pixels(view.x, view.y, across, across), across, block, place, monitor.topLeft(), ratio);
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
        closeLoupe(); // a box of ours is the user's business now
        [[fallthrough]];
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
