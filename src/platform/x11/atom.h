// SPDX-License-Identifier: MIT
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

// What xcb hands over to be freed (replies, errors, events), freed when it goes out of scope.
struct XcbFree {
    void operator()(void *p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, XcbFree>;

// The atom of a name, XCB_NONE when the server gives none. Header-only: the clipboard helper and the
// test tools link nothing else of ours.
inline xcb_atom_t InternAtom(xcb_connection_t *c, const char *name)
{
    const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return reply != nullptr ? reply->atom : xcb_atom_t(XCB_NONE);
}
