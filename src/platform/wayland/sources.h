// SPDX-License-Identifier: MIT
#pragma once

#include "screensource.h"
#include "wayland/portal.h"
#include "wayland/wlrscreen.h"

namespace Module1 {

// wlroots compositors: live, through overlays and screencopy (see WlrScreen). The pointer is the
// compositor's once it is over an overlay: the X server sees it only over X windows.
class WlrootsSource final : public ScreenSource {
public:
    std::optional<CursorPoint> pointer() const override { return m_screen.pointer(); }
    std::int32_t pixel(Handle window, std::int32_t x, std::int32_t y) override; // the latest capture
    // The latest capture's square around the pointer, `width` across; from the next capture on, of that size.
    std::vector<std::int32_t> pixels(
        Handle window, std::int32_t x, std::int32_t y, int width, int height) override;
    std::unique_ptr<PointerGrab> createPointerGrab(GrabClient &client, Handle desktop) override;

private:
    WlrScreen m_screen;
};

// Any other Wayland desktop: its own picker, through the desktop portal, one pick at a time.
class PortalSource final : public ScreenSource {
public:
    explicit PortalSource(Handle desktop);
    // The desktop's picker tells the colour, not where it was picked.
    bool showsPointerPosition() const override { return false; }
    std::int32_t pixel(Handle window, std::int32_t x, std::int32_t y) override; // the pick, once answered
    std::unique_ptr<PointerGrab> createPointerGrab(GrabClient &client, Handle desktop) override;

private:
    PortalPick m_pick;
};

} // namespace Module1
