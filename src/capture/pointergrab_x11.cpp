// SPDX-License-Identifier: MIT
// Through a grab of the X server's pointer on the root window, on a connection of the capture's own: every
// press anywhere comes here and to no window underneath, Zumeko's own included, and the server's answer
// tells whether the pointer is really ours. The root never becomes unviewable, so unmapping Zumeko's
// window (minimising it, another workspace) costs no grab; another client's grab can, until it ends.
#include "pointergrab.h"

#include "capturecontrol.h"

#include <QSocketNotifier>

#include <cstdlib>

#include <xcb/xcb.h>

namespace {

constexpr std::uint16_t CrossHair = 34; // in the X cursor font
constexpr std::uint16_t Events
    = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION;

} // namespace

struct PointerGrab::Platform {
    xcb_connection_t *c = nullptr; // made when the pointer is first wanted: most starts never pick
    xcb_window_t root = 0;
    xcb_cursor_t cursor = 0;
    std::unique_ptr<QSocketNotifier> events;
    bool pressed = false; // a press was taken; its release goes the same way before the grab ends

    ~Platform()
    {
        if (c != nullptr)
            xcb_disconnect(c);
    }
};

PointerGrab::PointerGrab(CaptureControl &control)
    : m_control(control)
    , m_platform(std::make_unique<Platform>())
{
}

PointerGrab::~PointerGrab() = default;

bool PointerGrab::take()
{
    Platform &p = *m_platform;
    if (p.c == nullptr) {
        p.c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(p.c) != 0)
            return m_held = false;
        p.root = xcb_setup_roots_iterator(xcb_get_setup(p.c)).data->root;
        const xcb_font_t font = xcb_generate_id(p.c);
        xcb_open_font(p.c, font, 6, "cursor");
        p.cursor = xcb_generate_id(p.c);
        xcb_create_glyph_cursor(
            p.c, p.cursor, font, font, CrossHair, CrossHair + 1, 0, 0, 0, 0xFFFF, 0xFFFF, 0xFFFF);
        xcb_close_font(p.c, font);
        p.events = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(p.c), QSocketNotifier::Read);
        QObject::connect(p.events.get(), &QSocketNotifier::activated, &m_control, [this] { dispatch(); });
    }
    if (xcb_connection_has_error(p.c) != 0)
        return m_held = false;
    // Asked again while held, the server only confirms it.
    auto *reply = xcb_grab_pointer_reply(p.c,
        xcb_grab_pointer(p.c, 0, p.root, Events, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, p.cursor,
            XCB_CURRENT_TIME),
        nullptr);
    m_held = reply != nullptr && reply->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(reply);
    dispatch(); // events read along with the reply wait in xcb's queue, not in the socket
    return m_held;
}

void PointerGrab::release()
{
    Platform &p = *m_platform;
    if (m_held && !p.pressed && p.c != nullptr) {
        xcb_ungrab_pointer(p.c, XCB_CURRENT_TIME);
        xcb_flush(p.c);
    }
    m_held = false;
}

void PointerGrab::dispatch()
{
    Platform &p = *m_platform;
    bool moved = false;
    while (xcb_generic_event_t *event = xcb_poll_for_event(p.c)) {
        const int type = event->response_type & 0x7f;
        std::free(event);
        if (type == XCB_MOTION_NOTIFY) {
            moved = true;
        } else if (type == XCB_BUTTON_PRESS && !p.pressed) {
            p.pressed = true;
            m_control.pointerPressed();
        } else if (type == XCB_BUTTON_RELEASE && p.pressed) {
            p.pressed = false;
            if (!m_held) { // the capture ended with the press: now the grab goes too
                xcb_ungrab_pointer(p.c, XCB_CURRENT_TIME);
                xcb_flush(p.c);
            }
        }
    }
    if (xcb_connection_has_error(p.c) != 0)
        p.events->setEnabled(false); // the server is gone; nothing more will come
    // A burst of moves is one report: the window under the pointer is asked for once.
    if (moved)
        m_control.pointerMoved();
}
