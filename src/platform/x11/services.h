// SPDX-License-Identifier: MIT
#pragma once

#include "contexttable.h"
#include "linux/services.h"
#include "module1.h"
#include "pixelformat.h"

#include <string>

#include <xcb/xcb.h>

namespace Module1 {

// The X server: the pointer and the pixels read with xcb directly, in physical screen pixels, since Qt's
// logical coordinates cannot reach every physical pixel once the UI is scaled. In a Wayland session the
// window still lives on XWayland, and the Wayland platforms hold one of these for all but the screen.
class X11Services final : public LinuxServices {
public:
    X11Services();
    ~X11Services() override;

    std::string unavailableReason() override;
    const char *guiPlatform() const override;
    std::string displayName() override { return m_display; }
    void keepClipboard(const std::string &text) override;
    bool putOnClipboard(const std::function<bool()> &write) override;
    bool displayLost() override;

    bool cursorPos(CursorPoint &point) override;
    Handle desktopWindow() override;
    Handle windowDC(Handle window) override;
    std::int32_t pixel(Handle dc, std::int32_t x, std::int32_t y) override;
    int releaseDC(Handle window, Handle dc) override;
    std::size_t liveContexts() const override { return m_contexts.size(); }
    std::unique_ptr<PointerGrab> createPointerGrab(GrabClient &client) override;

    // The context's window, or XCB_NONE for a context that was never handed out or was given back.
    xcb_window_t contextWindow(Handle dc) const;

private:
    bool healthy() const;
    void readFormat(const xcb_setup_t *setup, const xcb_screen_t *screen);
    bool clipboardOwnedBy(xcb_connection_t *qt);
    bool freshTimeFor(xcb_connection_t *qt);

    xcb_connection_t *m_connection = nullptr;
    std::string m_display;
    xcb_window_t m_root = 0;
    PixelFormat m_format;
    bool m_usable = false;
    ContextTable m_contexts;
};

} // namespace Module1
