// SPDX-License-Identifier: MIT
// Through Qt's pointer grab, which on X11 is a grab of the server's pointer: presses anywhere come to the
// control and to no window underneath.
#include "pointergrab.h"

#include "capturecontrol.h"

#include <QWindow>

PointerGrab::PointerGrab(CaptureControl &control)
    : m_control(control)
{
}

PointerGrab::~PointerGrab() = default;

bool PointerGrab::take()
{
    // The widget grab routes Qt's own events to the control; the window's answer is the server's, which
    // refuses while the window is unmapped or another client holds the pointer. Grabbing the widget anew
    // would let go of the server's grab first, and every window under the pointer would hear of it.
    if (QWidget::mouseGrabber() != &m_control)
        m_control.grabMouse(Qt::CrossCursor);
    QWindow *window = m_control.window()->windowHandle();
    m_held = window != nullptr && window->setMouseGrabEnabled(true);
    return m_held;
}

void PointerGrab::release()
{
    m_control.releaseMouse();
    m_held = false;
}
