// SPDX-License-Identifier: MIT
// zumeko-clipboard: keeps a text on the X clipboard after Zumeko has ended. On X11 a copied text lives only
// as long as the program that copied it, unless a clipboard manager takes it over; where none runs, Zumeko
// hands its text to this helper on standard input. The helper takes the clipboard, answers every request
// for the text (UTF8_STRING, STRING, TEXT, and the list of them, TARGETS), and ends as soon as another
// program copies something or the X server goes away. It waits for the server's events, so it costs no
// CPU while it waits, and it holds nothing of Zumeko's: a new Zumeko starts at once.
// Exit status 0 once the clipboard is the helper's (it goes on in the background), 1 otherwise.
#include "atom_x11.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include <fcntl.h>
#include <unistd.h>

int main()
{
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(STDIN_FILENO, buffer, sizeof buffer)) > 0;)
        text.append(buffer, std::size_t(n));
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (text.empty() || xcb_connection_has_error(c) != 0)
        return 1;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t clipboard = InternAtom(c, "CLIPBOARD"), targets = InternAtom(c, "TARGETS"),
                     utf8 = InternAtom(c, "UTF8_STRING"), textAtom = InternAtom(c, "TEXT");
    xcb_set_selection_owner(c, window, clipboard, XCB_CURRENT_TIME);
    const XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard), nullptr));
    if (owner == nullptr || owner->owner != window)
        return 1;

    // Zumeko waits for this process, not for the one that goes on serving.
    const pid_t server = fork();
    if (server < 0)
        return 1;
    if (server > 0)
        _exit(0);
    setsid();
    const int null = open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3; ++fd)
        dup2(null, fd);

    while (xcb_generic_event_t *event = xcb_wait_for_event(c)) {
        const int type = event->response_type & 0x7f;
        if (type == XCB_SELECTION_CLEAR) {
            std::free(event);
            break;
        }
        if (type == XCB_SELECTION_REQUEST) {
            const auto *request = reinterpret_cast<xcb_selection_request_event_t *>(event);
            // An old client may ask with no property; the answer then goes into the target's name.
            const xcb_atom_t property = request->property != XCB_NONE ? request->property : request->target;
            xcb_selection_notify_event_t notify {};
            notify.response_type = XCB_SELECTION_NOTIFY;
            notify.time = request->time;
            notify.requestor = request->requestor;
            notify.selection = request->selection;
            notify.target = request->target;
            notify.property = property;
            if (request->target == targets) {
                const xcb_atom_t offered[] = { targets, utf8, XCB_ATOM_STRING, textAtom };
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, property, XCB_ATOM_ATOM, 32,
                    std::size(offered), offered);
            } else if (request->target == utf8 || request->target == XCB_ATOM_STRING
                || request->target == textAtom) {
                // The code texts are ASCII, the same bytes in each of these.
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, property,
                    request->target == textAtom ? xcb_atom_t(XCB_ATOM_STRING) : request->target, 8,
                    std::uint32_t(text.size()), text.data());
            } else {
                notify.property = XCB_NONE;
            }
            xcb_send_event(
                c, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&notify));
            xcb_flush(c);
        }
        std::free(event);
    }
    xcb_disconnect(c);
    return 0;
}
