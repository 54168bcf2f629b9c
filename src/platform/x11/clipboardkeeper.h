// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include <xcb/xcb.h>

// Keeps a text as the X clipboard (CLIPBOARD), for the clipboard helper, on a window of its own.
class X11ClipboardKeeper {
public:
    // Connects to the X server DISPLAY names.
    explicit X11ClipboardKeeper(std::string text);
    ~X11ClipboardKeeper();
    X11ClipboardKeeper(const X11ClipboardKeeper &) = delete;
    X11ClipboardKeeper &operator=(const X11ClipboardKeeper &) = delete;

    // Takes the clipboard; true once the server says it is ours.
    bool take();
    // Leaves the clipboard with no owner, whoever holds it.
    void release();
    // Answers every request for the text (UTF8_STRING, STRING, TEXT, and the list of them, TARGETS) until
    // another program copies something or the X server goes away.
    void serve();

private:
    std::string m_text;
    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_window = XCB_NONE;
    xcb_atom_t m_clipboard = XCB_NONE;
};
