// SPDX-License-Identifier: MIT
#pragma once

#include "contexttable.h"
#include "module1.h"
#include "screensource.h"

#include <functional>
#include <memory>
#include <string>

#include <xcb/xcb.h>

namespace Module1 {

// The services of Zumeko's window on Linux, which is always an X window (on XWayland in a Wayland
// session): the X server holds its clipboard, the desktop opens its files and addresses, and this user's
// copies meet in a folder of the user's own. How the screen is read is the session's screen source's.
class X11Session final : public Services {
public:
    // What the session is part of: an X11 desktop, or a Wayland one, whose X bridge keeps nothing of the
    // clipboard for native Wayland programs.
    enum class Desktop { X11, Wayland };
    // Makes the screen source, which may read through the session's own connection.
    using ScreenMaker = std::function<std::unique_ptr<ScreenSource>(X11Session &)>;

    // Without a maker, the screen is read from the X server itself (X11Source).
    explicit X11Session(Desktop desktop = Desktop::X11, const ScreenMaker &screen = {});
    ~X11Session() override;
    X11Session(const X11Session &) = delete;
    X11Session &operator=(const X11Session &) = delete;

    std::string unavailableReason() override;
    const char *guiPlatform() const override;
    std::string displayName() override { return m_display; }
    std::string instanceFolder() override;
    void keepClipboard(const std::string &text) override;
    bool putOnClipboard(const std::function<bool()> &write) override;
    bool displayLost() override;
    std::intptr_t shellExecute(Handle owner, const char *operation, const char *file, const char *parameters,
        const char *directory, int showCommand) override;

    bool cursorPos(CursorPoint &point) override;
    bool showsPointerPosition() const override { return m_screen->showsPointerPosition(); }
    Handle desktopWindow() override;
    Handle windowDC(Handle window) override;
    std::int32_t pixel(Handle dc, std::int32_t x, std::int32_t y) override;
    int releaseDC(Handle window, Handle dc) override;
    std::size_t liveContexts() const override { return m_contexts.size(); }
    std::vector<std::int32_t> pixels(std::int32_t x, std::int32_t y, int width, int height) override;
    std::unique_ptr<PointerGrab> createPointerGrab(GrabClient &client) override;

    // The session's own connection, for its screen source; nullptr once it is broken or was never made.
    xcb_connection_t *connection() const;

private:
    bool healthy() const;
    bool clipboardOwnedBy(xcb_connection_t *qt);
    bool freshTimeFor(xcb_connection_t *qt);

    Desktop m_desktop;
    xcb_connection_t *m_connection = nullptr;
    std::string m_display;
    xcb_window_t m_root = 0;
    bool m_usable = false;
    ContextTable m_contexts;
    std::unique_ptr<ScreenSource> m_screen;
};

} // namespace Module1
