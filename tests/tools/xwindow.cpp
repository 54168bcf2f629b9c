// SPDX-License-Identifier: MIT
//
// xwindow WIDTHxHEIGHT+X+Y RRGGBB
//
// Shows a plain window of one colour at a fixed place on the screen and reports what reaches it, so that
// a test can point at a known colour that is not the root and see whether a click got through.
// Output, one line each, flushed at once:
//   ready ID          the window is on the screen and painted (ID in decimal)
//   press BUTTON      a button press reached the window
//   enter MODE        the pointer entered the window; MODE is normal, grab or ungrab. "enter ungrab" is
//                     how the window learns that another client's pointer grab over it has ended.
// It runs until it is killed or the X connection breaks.

#include <xcb/xcb.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <system_error>

namespace {

struct Geometry {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
};

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

// Reads a number of type T from the front of TEXT and drops it from TEXT. No sign, no blanks.
template <typename T> std::optional<T> takeNumber(std::string_view &text)
{
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    T value {};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc())
        return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

bool takeChar(std::string_view &text, char c)
{
    if (text.empty() || text.front() != c)
        return false;
    text.remove_prefix(1);
    return true;
}

std::optional<Geometry> parseGeometry(std::string_view text)
{
    const auto width = takeNumber<std::uint16_t>(text);
    if (!width || !takeChar(text, 'x'))
        return std::nullopt;
    const auto height = takeNumber<std::uint16_t>(text);
    if (!height || !takeChar(text, '+'))
        return std::nullopt;
    const auto x = takeNumber<std::int16_t>(text);
    if (!x || !takeChar(text, '+'))
        return std::nullopt;
    const auto y = takeNumber<std::int16_t>(text);
    // The server refuses a window with no area.
    if (!y || !text.empty() || *width == 0 || *height == 0)
        return std::nullopt;
    return Geometry { *width, *height, *x, *y };
}

std::optional<Rgb> parseColor(std::string_view text)
{
    std::uint32_t value = 0;
    if (text.size() != 6)
        return std::nullopt;
    for (const char c : text) {
        // from_chars would also take a shorter run of digits, so each one is checked here.
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return std::nullopt;
    }
    std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return Rgb { static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value) };
}

const char *crossingMode(std::uint8_t mode)
{
    switch (mode) {
    case XCB_NOTIFY_MODE_GRAB:
        return "grab";
    case XCB_NOTIFY_MODE_UNGRAB:
        return "ungrab";
    default:
        return "normal";
    }
}

// The pixel value for RGB in the screen's default colour map. At 16 bits a 24-bit value used as a pixel
// would be another colour, so the server is asked; it also rounds to the nearest colour the screen has.
std::optional<std::uint32_t> allocPixel(xcb_connection_t *connection, const xcb_screen_t *screen, Rgb rgb)
{
    // Eight bits to sixteen: 0xFF must become 0xFFFF, not 0xFF00, or full intensity would be missed.
    const auto wide = [](std::uint8_t channel) { return static_cast<std::uint16_t>(channel * 257u); };
    xcb_alloc_color_reply_t *reply = xcb_alloc_color_reply(connection,
        xcb_alloc_color(connection, screen->default_colormap, wide(rgb.red), wide(rgb.green), wide(rgb.blue)),
        nullptr);
    if (reply == nullptr)
        return std::nullopt;
    const std::uint32_t pixel = reply->pixel;
    std::free(reply);
    return pixel;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: xwindow WIDTHxHEIGHT+X+Y RRGGBB\n");
        return 1;
    }
    const std::optional<Geometry> geometry = parseGeometry(argv[1]);
    if (!geometry) {
        std::fprintf(stderr, "xwindow: not a geometry WIDTHxHEIGHT+X+Y: \"%s\"\n", argv[1]);
        return 1;
    }
    const std::optional<Rgb> rgb = parseColor(argv[2]);
    if (!rgb) {
        std::fprintf(stderr, "xwindow: not a colour RRGGBB: \"%s\"\n", argv[2]);
        return 1;
    }

    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "xwindow: cannot open the X display\n");
        xcb_disconnect(connection);
        return 1;
    }
    auto roots = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && roots.rem > 0; ++i)
        xcb_screen_next(&roots);
    if (roots.rem == 0) {
        std::fprintf(stderr, "xwindow: the display has no screen %d\n", screenNumber);
        xcb_disconnect(connection);
        return 1;
    }
    const xcb_screen_t *screen = roots.data;

    const std::optional<std::uint32_t> pixel = allocPixel(connection, screen, *rgb);
    if (!pixel) {
        std::fprintf(stderr, "xwindow: cannot allocate the colour %s\n", argv[2]);
        xcb_disconnect(connection);
        return 1;
    }

    const xcb_window_t window = xcb_generate_id(connection);
    // Override-redirect: placed exactly where asked, and no window manager would move or frame it.
    const std::uint32_t values[] = { *pixel, 1,
        XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_BUTTON_PRESS
            | XCB_EVENT_MASK_ENTER_WINDOW };
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, geometry->x, geometry->y,
        geometry->width, geometry->height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
        XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    xcb_map_window(connection, window);
    xcb_flush(connection);

    bool mapped = false;
    bool exposed = false;
    bool ready = false;
    while (xcb_generic_event_t *event = xcb_wait_for_event(connection)) {
        switch (event->response_type & 0x7f) {
        case 0: {
            const auto *error = reinterpret_cast<const xcb_generic_error_t *>(event);
            std::fprintf(stderr, "xwindow: X error %u (request %u)\n", static_cast<unsigned>(error->error_code),
                static_cast<unsigned>(error->major_code));
            std::free(event);
            xcb_disconnect(connection);
            return 1;
        }
        case XCB_MAP_NOTIFY:
            mapped = true;
            break;
        case XCB_EXPOSE:
            // The server has painted the background by the time it asks the client to draw.
            exposed = true;
            break;
        case XCB_BUTTON_PRESS:
            std::printf("press %u\n", static_cast<unsigned>(reinterpret_cast<const xcb_button_press_event_t *>(event)->detail));
            break;
        case XCB_ENTER_NOTIFY:
            std::printf("enter %s\n", crossingMode(reinterpret_cast<const xcb_enter_notify_event_t *>(event)->mode));
            break;
        default:
            break;
        }
        std::free(event);
        if (mapped && exposed && !ready) {
            ready = true;
            std::printf("ready %u\n", static_cast<unsigned>(window));
        }
        // The test reads the output while this runs; a line left in the buffer would never arrive.
        std::fflush(stdout);
    }
    std::fprintf(stderr, "xwindow: the connection to the X display broke\n");
    xcb_disconnect(connection);
    return 1;
}
