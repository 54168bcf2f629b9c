// SPDX-License-Identifier: MIT
// Repaints the root window in a new colour about every 10 ms until killed, so that every sampling tick
// sees a colour it has not seen before.
#include <xcb/xcb.h>

#include <cstdint>
#include <ctime>

int main()
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 1;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const timespec interval { 0, 10'000'000 };
    for (std::uint32_t step = 1;; ++step) {
        // Any pixel value is a colour on a true-colour root; odd steps keep it from repeating soon.
        const std::uint32_t pixel = (step * 0x0103'05u) & 0xFFFFFFu;
        xcb_change_window_attributes(c, screen->root, XCB_CW_BACK_PIXEL, &pixel);
        xcb_clear_area(c, 0, screen->root, 0, 0, 0, 0);
        xcb_flush(c);
        nanosleep(&interval, nullptr);
    }
}
