// SPDX-License-Identifier: MIT
// wmclose WINDOW-ID: asks a window to close as a window manager's close button does, with WM_PROTOCOLS
// carrying WM_DELETE_WINDOW; bare Xvfb runs no window manager. The id may be decimal or 0x-hexadecimal.

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply != nullptr ? reply->atom : xcb_atom_t {};
    std::free(reply);
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (argc != 2 || xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "usage: wmclose WINDOW-ID, with DISPLAY set\n");
        xcb_disconnect(connection);
        return 1;
    }
    xcb_client_message_event_t message {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(std::strtoul(argv[1], nullptr, 0));
    message.type = atom(connection, "WM_PROTOCOLS");
    message.data.data32[0] = atom(connection, "WM_DELETE_WINDOW");
    // Checked, so that a window that does not exist is reported rather than lost.
    xcb_generic_error_t *error = xcb_request_check(connection,
        xcb_send_event_checked(connection, 0, message.window, XCB_EVENT_MASK_NO_EVENT,
            reinterpret_cast<const char *>(&message)));
    const int status = error != nullptr ? 1 : 0;
    if (error != nullptr)
        std::fprintf(stderr, "wmclose: cannot send to window %s (X error %u)\n", argv[1], unsigned { error->error_code });
    std::free(error);
    xcb_disconnect(connection);
    return status;
}
