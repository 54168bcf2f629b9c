// SPDX-License-Identifier: MIT
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

// The atom of a name, XCB_NONE when the server gives none. Header-only: the clipboard helper and the
// test tools link nothing else of ours.
inline xcb_atom_t InternAtom(xcb_connection_t *c, const char *name)
{
    auto *reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t(XCB_NONE);
    std::free(reply);
    return atom;
}
