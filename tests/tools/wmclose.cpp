// SPDX-License-Identifier: MIT
//
// wmclose WINDOW-ID
//
// Asks a top-level window to close the way a window manager's close button does: a WM_PROTOCOLS client
// message carrying WM_DELETE_WINDOW. Bare Xvfb runs no window manager, so the tests need their own.
// The id may be decimal or 0x-prefixed hexadecimal, as xdotool and xwininfo print it.

#include <xcb/xcb.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>

namespace {

std::optional<xcb_window_t> parseWindowId(const char *text)
{
    // strtoull alone would skip blanks and take a sign, and so turn "-1" into a valid-looking id.
    if (text == nullptr || *text < '0' || *text > '9')
        return std::nullopt;
    errno = 0;
    char *end = nullptr;
    // Not base 0: that would read a leading 0 as octal, which no X tool means.
    const std::string_view view(text);
    const int base = (view.size() > 1 && view[0] == '0' && (view[1] == 'x' || view[1] == 'X')) ? 16 : 10;
    const unsigned long long value = std::strtoull(text, &end, base);
    if (errno != 0 || end == text || *end != '\0' || value == 0
        || value > std::numeric_limits<xcb_window_t>::max())
        return std::nullopt;
    return static_cast<xcb_window_t>(value);
}

std::optional<xcb_atom_t> internAtom(xcb_connection_t *connection, std::string_view name)
{
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data());
    xcb_generic_error_t *error = nullptr;
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, &error);
    std::optional<xcb_atom_t> atom;
    if (reply != nullptr && reply->atom != XCB_ATOM_NONE)
        atom = reply->atom;
    std::free(reply);
    std::free(error);
    return atom;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: wmclose WINDOW-ID\n");
        return 1;
    }
    const std::optional<xcb_window_t> window = parseWindowId(argv[1]);
    if (!window) {
        std::fprintf(stderr, "wmclose: not a window id: \"%s\"\n", argv[1]);
        return 1;
    }

    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (connection == nullptr || xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "wmclose: cannot open the X display\n");
        xcb_disconnect(connection);
        return 1;
    }

    int status = 1;
    const std::optional<xcb_atom_t> protocols = internAtom(connection, "WM_PROTOCOLS");
    const std::optional<xcb_atom_t> deleteWindow = internAtom(connection, "WM_DELETE_WINDOW");
    if (!protocols || !deleteWindow) {
        std::fprintf(stderr, "wmclose: cannot look up WM_PROTOCOLS / WM_DELETE_WINDOW\n");
    } else {
        xcb_client_message_event_t message;
        std::memset(&message, 0, sizeof message);
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = *window;
        message.type = *protocols;
        message.data.data32[0] = *deleteWindow;
        message.data.data32[1] = XCB_CURRENT_TIME;

        // A checked request, so that a window id that does not exist is reported rather than lost.
        const xcb_void_cookie_t cookie = xcb_send_event_checked(
            connection, 0, *window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&message));
        if (xcb_generic_error_t *error = xcb_request_check(connection, cookie)) {
            std::fprintf(stderr, "wmclose: cannot send to window 0x%x (X error %u)\n",
                static_cast<unsigned>(*window), static_cast<unsigned>(error->error_code));
            std::free(error);
        } else if (xcb_flush(connection) <= 0) {
            std::fprintf(stderr, "wmclose: connection to the X display failed\n");
        } else {
            status = 0;
        }
    }
    xcb_disconnect(connection);
    return status;
}
