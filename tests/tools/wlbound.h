// SPDX-License-Identifier: MIT
#pragma once

#include "wayland/wlglobals.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>

namespace Wl {

// The connection with the globals a tool uses bound: each the latest announced, at a version no higher than
// the tool speaks.
class Bound : public Globals {
public:
    struct Wanted {
        const wl_interface *type;
        std::uint32_t version = 1;
    };

    explicit Bound(std::initializer_list<Wanted> wanted)
    {
        for (const Wanted &w : wanted) {
            if (const Announced *global = find(w.type->name))
                m_bound[w.type->name]
                    = bind<void>(registry(), global->name, *w.type, std::min(global->version, w.version));
        }
    }

    // Null when the compositor does not offer it.
    template <typename T> T *get(const wl_interface &type) const
    {
        const auto bound = m_bound.find(type.name);
        return bound != m_bound.end() ? static_cast<T *>(bound->second.get()) : nullptr;
    }

private:
    std::map<std::string, Global<void>, std::less<>> m_bound; // gone before the connection they are on
};

} // namespace Wl
