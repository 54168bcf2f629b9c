// SPDX-License-Identifier: MIT
#pragma once

#include "portal.h"
#include "wlrscreen.h"
#include "x11/services_x11.h"

namespace Module1 {

// A Wayland session, where Zumeko's window lives on XWayland: X windows only are seen there, so the
// screen is read the Wayland way, and the X server serves for the rest (the window, the contexts, the
// clipboard). Until the screen has told where the pointer is, the X server's word stands: it is right over
// Zumeko's own window, where screen mode is chosen.

// wlroots compositors: live, through overlays and screencopy (see WlrScreen).
class WlrootsServices final : public X11Services {
public:
    bool cursorPos(CursorPoint &point) override;
    std::int32_t pixel(Handle dc, std::int32_t x, std::int32_t y) override; // the latest capture
    std::unique_ptr<PointerGrab> createPointerGrab(GrabClient &client) override;

private:
    WlrScreen m_screen;
};

// Any other desktop: its own picker, through the desktop portal, one pick at a time.
class PortalServices final : public X11Services {
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
class UnreadableServices final : public X11Services {
public:
    std::int32_t pixel(Handle, std::int32_t, std::int32_t) override { return NoColor; }
    std::unique_ptr<PointerGrab> createPointerGrab(GrabClient &client) override;
};

} // namespace Module1
