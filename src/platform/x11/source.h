// SPDX-License-Identifier: MIT
#pragma once

#include "pixelformat.h"
#include "screensource.h"

#include <xcb/xcb.h>

namespace Module1 {

class X11Session;

// The X server's own screen: the pixels read with xcb directly, in physical screen pixels, since Qt's
// logical coordinates cannot reach every physical pixel once the UI is scaled; the pointer is the
// session's, and a grab of the X pointer takes the click.
class X11Source final : public ScreenSource {
public:
    explicit X11Source(X11Session &session);

    std::int32_t pixel(Handle window, std::int32_t x, std::int32_t y) override;
    std::vector<std::int32_t> pixels(
        Handle window, std::int32_t x, std::int32_t y, int width, int height) override;
    std::unique_ptr<PointerGrab> createPointerGrab(GrabClient &client, Handle desktop) override;

private:
    X11Session &m_session;
    Screen::PixelFormat m_format;
    struct {
        xcb_window_t window = XCB_NONE;
        std::uint16_t width = 0, height = 0;
    } m_size; // of the window pixels() last read from
};

} // namespace Module1
