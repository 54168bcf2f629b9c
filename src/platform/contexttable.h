// SPDX-License-Identifier: MIT
#pragma once

#include "module1.h"

#include <cstddef>
#include <unordered_map>

namespace Module1 {

// The device contexts of a platform that has none of its own: a context is a number that names the window
// it was asked for, until it is given back for that same window.
class ContextTable {
public:
    // Numbers start after `last`, so that a platform's contexts can be told from its windows' handles.
    explicit ContextTable(Handle last = 0)
        : m_last(last)
    {
    }

    Handle open(Handle window); // a new context on the window, never one handed out before
    Handle window(Handle dc) const; // the context's window; 0 for one never handed out or given back
    int close(Handle window, Handle dc); // 1 when released, 0 for no context of ours on that window
    std::size_t size() const { return m_contexts.size(); } // handed out and not yet given back

private:
    Handle m_last;
    std::unordered_map<Handle, Handle> m_contexts;
};

} // namespace Module1
