// SPDX-License-Identifier: MIT
#pragma once

#include "linux/services.h"
#include "wayland/portal.h"
#include "wayland/wlrscreen.h"
#include "x11/services.h"

namespace Module1 {

// A Wayland session, where Zumeko's window lives on XWayland: X windows only are seen there, so the
// screen is read the Wayland way, and the X server serves for the rest (the window, the contexts, the
// clipboard), through X11 services of the session's own. Until the screen has told where the pointer is,
// the X server's word stands: it is right over Zumeko's own window, where screen mode is chosen.
class XWaylandServices : public LinuxServices {
public:
    std::string unavailableReason() override { return m_x11.unavailableReason(); }
    const char *guiPlatform() const override { return m_x11.guiPlatform(); }
    std::string displayName() override { return m_x11.displayName(); }
    void keepClipboard(const std::string &text) override { m_x11.keepClipboard(text); }
    bool putOnClipboard(const std::function<bool()> &write) override { return m_x11.putOnClipboard(write); }
    bool displayLost() override { return m_x11.displayLost(); }

    bool cursorPos(CursorPoint &point) override { return m_x11.cursorPos(point); }
    Handle desktopWindow() override { return m_x11.desktopWindow(); }
    Handle windowDC(Handle window) override { return m_x11.windowDC(window); }
    int releaseDC(Handle window, Handle dc) override { return m_x11.releaseDC(window, dc); }
    std::size_t liveContexts() const override { return m_x11.liveContexts(); }

protected:
    // Whether the context was handed out on the X server's desktop and not yet given back.
    bool holds(Handle dc) const { return m_x11.contextWindow(dc) != XCB_NONE; }

    X11Services m_x11;
};

// wlroots compositors: live, through overlays and screencopy (see WlrScreen).
class WlrootsServices final : public XWaylandServices {
public:
    bool cursorPos(CursorPoint &point) override;
    std::int32_t pixel(Handle dc, std::int32_t x, std::int32_t y) override; // the latest capture
    std::unique_ptr<PointerGrab> createPointerGrab(GrabClient &client) override;

private:
    WlrScreen m_screen;
};

// Any other desktop: its own picker, through the desktop portal, one pick at a time.
class PortalServices final : public XWaylandServices {
public:
    PortalServices();
    // The desktop's picker tells the colour, not where it was picked.
    bool showsPointerPosition() const override { return false; }
    std::int32_t pixel(Handle dc, std::int32_t x, std::int32_t y) override; // the pick, once answered
    std::unique_ptr<PointerGrab> createPointerGrab(GrabClient &client) override;

private:
    PortalPick m_pick;
};

// A session with no means to read the screen: never a colour, and screen mode says so.
class UnreadableServices final : public XWaylandServices {
public:
    std::int32_t pixel(Handle, std::int32_t, std::int32_t) override { return NoColor; }
    std::unique_ptr<PointerGrab> createPointerGrab(GrabClient &client) override;
};

} // namespace Module1
