// SPDX-License-Identifier: MIT
#include "x11/clipboardkeeper.h"
#include "x11/atom.h"

#include <cstdlib>
#include <iterator>

X11ClipboardKeeper::X11ClipboardKeeper(std::string text)
    : m_text(std::move(text))
    , m_connection(xcb_connect(nullptr, nullptr))
{
}

X11ClipboardKeeper::~X11ClipboardKeeper()
{
    xcb_disconnect(m_connection);
}

bool X11ClipboardKeeper::take()
{
    if (xcb_connection_has_error(m_connection) != 0)
        return false;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    m_window = xcb_generate_id(m_connection);
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    m_clipboard = InternAtom(m_connection, "CLIPBOARD");
    xcb_set_selection_owner(m_connection, m_window, m_clipboard, XCB_CURRENT_TIME);
    const XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, m_clipboard), nullptr));
    return owner != nullptr && owner->owner == m_window;
}

void X11ClipboardKeeper::release()
{
    if (xcb_connection_has_error(m_connection) != 0)
        return;
    xcb_set_selection_owner(m_connection, XCB_NONE, InternAtom(m_connection, "CLIPBOARD"), XCB_CURRENT_TIME);
    // Until the server has done it, and told the bridge.
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

void X11ClipboardKeeper::serve()
{
    xcb_connection_t *c = m_connection;
    const xcb_atom_t targets = InternAtom(c, "TARGETS"), utf8 = InternAtom(c, "UTF8_STRING"),
                     textAtom = InternAtom(c, "TEXT");
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
                    std::uint32_t(m_text.size()), m_text.data());
            } else {
                notify.property = XCB_NONE;
            }
            xcb_send_event(
                c, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&notify));
            xcb_flush(c);
        }
        std::free(event);
    }
}
