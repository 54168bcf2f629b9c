// SPDX-License-Identifier: MIT
// Through a low-level mouse hook: a pointer grab on Windows stops at the process, the hook does not. The
// GUI thread installs it, so it needs no DLL and runs on this thread's message loop; it reports every
// move, and swallows the next press and its release so that no window underneath sees them.
#include "pointergrab.h"

#include "capturecontrol.h"

#include <QMetaObject>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

HHOOK hook = nullptr;
CaptureControl *owner = nullptr; // the control the hook reports to; one at a time
WPARAM releaseToSwallow = 0; // after a swallowed press, its release goes too

WPARAM releaseOf(WPARAM press)
{
    switch (press) {
    case WM_LBUTTONDOWN:
        return WM_LBUTTONUP;
    case WM_RBUTTONDOWN:
        return WM_RBUTTONUP;
    case WM_MBUTTONDOWN:
        return WM_MBUTTONUP;
    case WM_XBUTTONDOWN:
        return WM_XBUTTONUP;
    default:
        return 0;
    }
}

void unhook()
{
    if (hook != nullptr)
        UnhookWindowsHookEx(hook);
    hook = nullptr;
}

// A hook must answer quickly; the control hears of it once the hook has returned.
LRESULT CALLBACK lowLevelMouse(int code, WPARAM message, LPARAM data)
{
    if (code != HC_ACTION)
        return CallNextHookEx(nullptr, code, message, data);
    if (message == releaseToSwallow) {
        releaseToSwallow = 0;
        if (owner == nullptr)
            unhook();
        return 1;
    }
    if (owner == nullptr)
        return CallNextHookEx(nullptr, code, message, data);
    if (message == WM_MOUSEMOVE) {
        QMetaObject::invokeMethod(owner, &CaptureControl::pointerMoved, Qt::QueuedConnection);
    } else if (const WPARAM release = releaseOf(message); release != 0) {
        releaseToSwallow = release;
        QMetaObject::invokeMethod(owner, &CaptureControl::pointerPressed, Qt::QueuedConnection);
        owner = nullptr;
        return 1;
    }
    return CallNextHookEx(nullptr, code, message, data);
}

} // namespace

struct PointerGrab::Platform { };

PointerGrab::PointerGrab(CaptureControl &control)
    : m_control(control)
{
}

PointerGrab::~PointerGrab()
{
    release();
}

bool PointerGrab::take()
{
    if (hook == nullptr)
        hook = SetWindowsHookExW(WH_MOUSE_LL, lowLevelMouse, GetModuleHandleW(nullptr), 0);
    owner = hook != nullptr ? &m_control : nullptr;
    m_held = owner != nullptr;
    return m_held;
}

void PointerGrab::dispatch() { }

void PointerGrab::release()
{
    if (owner == &m_control)
        owner = nullptr;
    // A press already swallowed keeps the hook until its release has gone the same way.
    if (releaseToSwallow == 0)
        unhook();
    m_held = false;
}
