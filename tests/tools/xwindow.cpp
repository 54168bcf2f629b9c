// SPDX-License-Identifier: MIT
// xwindow WIDTHxHEIGHT+X+Y RRGGBB: a plain window of one colour for a test to point at, which reports
// what reaches it, one line each: "ready ID" once it is on the screen and painted, "press BUTTON" for a
// button press, and "enter ungrab" when another client's pointer grab over it has ended.

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    std::uint16_t width = 0, height = 0;
    std::int16_t x = 0, y = 0;
    unsigned rgb = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (argc != 3 || std::sscanf(argv[1], "%hux%hu+%hd+%hd", &width, &height, &x, &y) != 4
        || std::sscanf(argv[2], "%6x", &rgb) != 1 || xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "usage: xwindow WIDTHxHEIGHT+X+Y RRGGBB, with DISPLAY set\n");
        return 1;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    // At depth 16 the RGB value is not the pixel, so the server picks the pixel. Eight bits widen to
    // sixteen by 257, so that FF is full intensity.
    const auto wide
        = [rgb](unsigned shift) { return static_cast<std::uint16_t>((rgb >> shift & 0xFF) * 257); };
    xcb_alloc_color_reply_t *colour = xcb_alloc_color_reply(connection,
        xcb_alloc_color(connection, screen->default_colormap, wide(16), wide(8), wide(0)), nullptr);
    if (colour == nullptr) {
        std::fprintf(stderr, "xwindow: cannot allocate the colour %s\n", argv[2]);
        return 1;
    }
    // Override-redirect: exactly where asked, and no window manager would move or frame it.
    const std::uint32_t values[] = { colour->pixel, 1,
        XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_ENTER_WINDOW };
    std::free(colour);
    const xcb_window_t window = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, x, y, width, height, 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
        XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    xcb_map_window(connection, window);
    xcb_flush(connection);

    bool ready = false;
    while (xcb_generic_event_t *event = xcb_wait_for_event(connection)) {
        const int type = event->response_type & 0x7f;
        if (type == 0) {
            std::fprintf(stderr, "xwindow: X error %u\n",
                unsigned { reinterpret_cast<xcb_generic_error_t *>(event)->error_code });
            return 1;
        }
        // Only a mapped window is exposed, and its background is painted by the time the server says so.
        if (type == XCB_EXPOSE && !ready) {
            ready = true;
            std::printf("ready %u\n", window);
        }
        if (type == XCB_BUTTON_PRESS)
            std::printf(
                "press %u\n", unsigned { reinterpret_cast<xcb_button_press_event_t *>(event)->detail });
        if (type == XCB_ENTER_NOTIFY
            && reinterpret_cast<xcb_enter_notify_event_t *>(event)->mode == XCB_NOTIFY_MODE_UNGRAB)
            std::puts("enter ungrab");
        std::free(event);
        // The test reads the output while this runs.
        std::fflush(stdout);
    }
    return 1;
}
