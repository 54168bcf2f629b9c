// SPDX-License-Identifier: MIT
#include "capturecontrol.h"
#include "loupeview.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace {

// The monitor that holds a point, in screen pixels: Qt keeps each screen's top-left where the system has
// it and divides the rest by the screen's ratio. A ratio of 0: no screen holds it.
struct Monitor {
    QRect pixels;
    qreal ratio = 0;
};
Monitor screenAt(Module1::CursorPoint at)
{
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        const QRect pixels(g.topLeft(), QSizeF(g.size() * screen->devicePixelRatio()).toSize());
        if (pixels.contains(at.x, at.y))
            return { pixels, screen->devicePixelRatio() };
    }
    return {};
}

// Often enough that a click soon after the window comes back, or after another program's grab has ended,
// is caught; rarely enough to cost nothing.
constexpr int RecheckInterval = 100; // milliseconds
} // namespace

CaptureControl::CaptureControl(Module1::Platform &platform, QWidget *parent)
    : QWidget(parent)
    , m_grab(platform.services().createPointerGrab(*this))
    , m_platform(platform)
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
    // Read from the next tick on, around the pointer, at the scale of the screen it is on now.
    m_platform.LoupeAcross = Loupe::Across(m_zoom, scaleUnder());
}

// The scale of the screen under the pointer: the grab's, where it shows the loupe itself, else Qt's; 0 where
// no screen holds the pointer.
double CaptureControl::scaleUnder() const
{
    const double grab = m_grab->loupeScale();
    return grab > 0 ? grab : screenAt(m_platform.MousePos).ratio;
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
    if (m_zoom != Loupe::Closed) {
        m_grab->holdKeys(false);
        m_grab->hideLoupe();
    }
    m_zoom = Loupe::Closed;
    m_platform.LoupeAcross = 0;
    m_platform.LoupePixels.clear();
    m_loupe.reset();
}

void CaptureControl::ShowLoupe()
{
    if (m_zoom == Loupe::Closed)
        return;
    const Module1::CursorPoint at = m_platform.MousePos;
    const double scale = scaleUnder();
    if (scale == 0) { // its screen went away
        closeLoupe();
        return;
    }
    const int across = Loupe::Across(m_zoom, scale);
    if (m_platform.LoupeAcross != across || m_platform.LoupePixels.size() != std::size_t(across * across)) {
        m_platform.LoupeAcross = across; // a screen of another scale, or a new step: read from the next tick
        return;
    }
    const int block = Loupe::BlockSizes[m_zoom];
    if (m_grab->loupeScale() > 0) {
        if (m_drawnColours != m_platform.LoupePixels || m_drawn.width() != across * block) {
            m_drawnColours = m_platform.LoupePixels;
            m_drawn = LoupeView::draw(m_drawnColours, across, block);
        }
        if (!m_grab->showLoupe(reinterpret_cast<const std::uint32_t *>(m_drawn.constBits()), m_drawn.width()))
            closeLoupe(); // the output under it went away
        return;
    }
    const Monitor monitor = screenAt(at);
    const QRect &on = monitor.pixels;
    const Loupe::Rect place = Loupe::Placement(
        at.x, at.y, across * block, { on.x(), on.y(), on.width(), on.height() }, monitor.ratio);
    if (m_loupe == nullptr)
        m_loupe = std::make_unique<LoupeView>();
    m_loupe->showPixels(m_platform.LoupePixels, across, block, place, on.topLeft(), monitor.ratio);
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
