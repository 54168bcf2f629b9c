// SPDX-License-Identifier: MIT
#include "contexttable.h"

namespace Module1 {

Handle ContextTable::open(Handle window)
{
    // Numbered afresh each time; a 64-bit count does not come round.
    m_contexts.emplace(++m_last, window);
    return m_last;
}

Handle ContextTable::window(Handle dc) const
{
    const auto context = m_contexts.find(dc);
    return context != m_contexts.end() ? context->second : 0;
}

int ContextTable::close(Handle window, Handle dc)
{
    const auto context = m_contexts.find(dc);
    if (context == m_contexts.end() || context->second != window)
        return 0;
    m_contexts.erase(context);
    return 1;
}

} // namespace Module1
