// SPDX-License-Identifier: MIT
#include "x11/grab.h"

#include "x11/atom.h"

#include <QSocketNotifier>

#include <cstdlib>

namespace Module1 {

namespace {

    constexpr std::uint16_t CrossHair = 34; // in the X cursor font
    constexpr std::uint16_t Events
        = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION;

} // namespace

X11PointerGrab::X11PointerGrab(GrabClient &client)
    : m_client(client)
{
}

X11PointerGrab::~X11PointerGrab() = default;

// A connection that failed stays, in its error state: the pointer is not asked for again on it.
void X11PointerGrab::connect()
{
    m_c.reset(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(m_c.get()) != 0)
        return;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c.get())).data->root;
    const xcb_font_t font = xcb_generate_id(m_c.get());
    xcb_open_font(m_c.get(), font, 6, "cursor");
    m_cursor = xcb_generate_id(m_c.get());
    xcb_create_glyph_cursor(
        m_c.get(), m_cursor, font, font, CrossHair, CrossHair + 1, 0, 0, 0, 0xFFFF, 0xFFFF, 0xFFFF);
    xcb_close_font(m_c.get(), font);
    m_events = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_c.get()), QSocketNotifier::Read);
    QObject::connect(m_events.get(), &QSocketNotifier::activated, m_events.get(), [this] { dispatch(); });
}

void X11PointerGrab::take()
{
    if (m_c == nullptr)
        connect();
    if (xcb_connection_has_error(m_c.get()) != 0)
        return;
    // Asked again while held, the server only confirms it.
    const XcbReply<xcb_grab_pointer_reply_t> reply(xcb_grab_pointer_reply(m_c.get(),
        xcb_grab_pointer(m_c.get(), 0, m_root, Events, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE,
            m_cursor, XCB_CURRENT_TIME),
        nullptr));
    m_held = reply != nullptr && reply->status == XCB_GRAB_STATUS_SUCCESS;
    dispatch(); // events read along with the reply wait in xcb's queue, not in the socket
}

void X11PointerGrab::release()
{
    if (m_held && !m_pressed)
        ungrab();
    m_held = false;
}

void X11PointerGrab::ungrab()
{
    xcb_ungrab_pointer(m_c.get(), XCB_CURRENT_TIME);
    xcb_flush(m_c.get());
}

bool X11PointerGrab::holdKeys(bool hold)
{
    if (m_c == nullptr || xcb_connection_has_error(m_c.get()) != 0)
        return false;
    xcb_connection_t *c = m_c.get();
    if (!hold) {
        if (m_keys)
            xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
        xcb_flush(c);
        m_keys = false;
        return true;
    }
    if (m_symbols.empty()) {
        const xcb_setup_t *setup = xcb_get_setup(c);
        m_firstCode = setup->min_keycode;
        const XcbReply<xcb_get_keyboard_mapping_reply_t> map(xcb_get_keyboard_mapping_reply(c,
            xcb_get_keyboard_mapping(c, m_firstCode, std::uint8_t(setup->max_keycode - m_firstCode + 1)),
            nullptr));
        if (map != nullptr) {
            const xcb_keysym_t *symbols = xcb_get_keyboard_mapping_keysyms(map.get());
            m_symbols.assign(symbols, symbols + xcb_get_keyboard_mapping_keysyms_length(map.get()));
            m_perCode = map->keysyms_per_keycode;
        }
    }
    const XcbReply<xcb_grab_keyboard_reply_t> reply(xcb_grab_keyboard_reply(c,
        xcb_grab_keyboard(c, 0, m_root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
        nullptr));
    m_keys = reply != nullptr && reply->status == XCB_GRAB_STATUS_SUCCESS;
    return m_keys;
}

void X11PointerGrab::movePointer(int dx, int dy)
{
    if (m_c == nullptr || xcb_connection_has_error(m_c.get()) != 0)
        return;
    // Relative to where it is, in the server's own pixels.
    xcb_warp_pointer(m_c.get(), XCB_NONE, XCB_NONE, 0, 0, 0, 0, std::int16_t(dx), std::int16_t(dy));
    xcb_flush(m_c.get());
}

std::optional<LoupeKey> X11PointerGrab::loupeKey(xcb_keycode_t code, bool &enter)
{
    const std::size_t at = std::size_t(code - m_firstCode) * std::size_t(m_perCode);
    const xcb_keysym_t symbol = code >= m_firstCode && at < m_symbols.size() ? m_symbols[at] : 0;
    enter = symbol == 0xFF0D || symbol == 0xFF8D; // Return, and Enter on the keypad
    switch (symbol) {
    case 0xFF51:
        return LoupeKey::Left;
    case 0xFF52:
        return LoupeKey::Up;
    case 0xFF53:
        return LoupeKey::Right;
    case 0xFF54:
        return LoupeKey::Down;
    case 0xFF1B:
        return LoupeKey::Escape;
    default:
        return std::nullopt;
    }
}

void X11PointerGrab::dispatch()
{
    xcb_window_t moved = XCB_NONE;
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_c.get())) {
        const int type = event->response_type & 0x7f;
        // The root's child under the pointer comes with each event: the window a user sees there.
        const auto *pointer = reinterpret_cast<const xcb_motion_notify_event_t *>(event);
        const xcb_window_t under = pointer->child != XCB_NONE ? pointer->child : m_root;
        // Buttons 4 to 7 are the wheel's turns and tilts, each a press and a release: no click.
        const bool wheel = pointer->detail >= 4 && pointer->detail <= 7;
        if (type == XCB_MOTION_NOTIFY) {
            moved = under;
        } else if (type == XCB_BUTTON_PRESS && (pointer->detail == 4 || pointer->detail == 5)) {
            m_client.pointerWheel(pointer->detail == 4 ? 1 : -1);
        } else if (type == XCB_KEY_PRESS && m_keys) {
            bool enter = false;
            if (const std::optional<LoupeKey> key = loupeKey(pointer->detail, enter))
                m_client.keyPressed(*key, (pointer->state & XCB_MOD_MASK_SHIFT) != 0);
            else if (enter && !m_pressed)
                m_client.pointerPressed(Handle(under)); // a click, with no release to wait for
        } else if (type == XCB_BUTTON_PRESS && !m_pressed && !wheel) {
            m_pressed = true;
            m_client.pointerPressed(Handle(under));
        } else if (type == XCB_BUTTON_RELEASE && m_pressed && !wheel) {
            m_pressed = false;
            if (!m_held) // the capture ended with the press: now the grab goes too
                ungrab();
        }
        std::free(event);
    }
    if (xcb_connection_has_error(m_c.get()) != 0)
        m_events->setEnabled(false); // the server is gone; nothing more will come
    // A burst of moves is one report.
    if (moved != XCB_NONE)
        m_client.pointerMoved(Handle(moved));
}

} // namespace Module1
