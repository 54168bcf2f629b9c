// SPDX-License-Identifier: MIT
#pragma once

#include "pointergrab.h"

#include <memory>
#include <optional>
#include <vector>

#include <xcb/xcb.h>

class QSocketNotifier;

namespace Module1 {

// Through a grab of the X server's pointer on the root window, on a connection of the grab's own: every
// press anywhere comes here and to no window underneath, Zumeko's own included, and the server's answer
// tells whether the pointer is really ours. The root never becomes unviewable, so unmapping Zumeko's
// window (minimising it, another workspace) costs no grab; another client's grab can, until it ends.
class X11PointerGrab final : public PointerGrab {
public:
    explicit X11PointerGrab(GrabClient &client);
    ~X11PointerGrab() override;

    void take() override;
    void release() override;
    bool holdKeys(bool hold) override;
    void movePointer(int dx, int dy) override;

private:
    void connect();
    void dispatch();
    void ungrab();
    std::optional<LoupeKey> loupeKey(xcb_keycode_t code, bool &enter);

    GrabClient &m_client;
    struct Disconnect {
        void operator()(xcb_connection_t *c) const { xcb_disconnect(c); }
    };
    // Made when the pointer is first wanted (most starts never pick), and closed with the grab.
    std::unique_ptr<xcb_connection_t, Disconnect> m_c;
    xcb_window_t m_root = 0;
    xcb_cursor_t m_cursor = 0;
    std::unique_ptr<QSocketNotifier> m_events;
    bool m_held = false;
    bool m_pressed = false; // a press was taken; its release goes the same way before the grab ends
    bool m_keys = false; // the keyboard is held too
    // The server's keyboard map, read once: the first symbol of each code from m_firstCode.
    std::vector<xcb_keysym_t> m_symbols;
    int m_perCode = 0;
    xcb_keycode_t m_firstCode = 0;
};

} // namespace Module1
