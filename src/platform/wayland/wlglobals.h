// SPDX-License-Identifier: MIT
#pragma once

#include "wlowners.h"

#include <wayland-client.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Wl {

// A global the compositor has announced, bound at VERSION (no higher than the compositor's own).
template <typename T>
Global<T> bind(
    wl_registry *registry, std::uint32_t name, const wl_interface &interface, std::uint32_t version = 1)
{
    return Global<T>(static_cast<T *>(wl_registry_bind(registry, name, &interface, version)));
}

// Whether a global the registry announces is of that interface.
inline bool is(const char *interface, const wl_interface &type)
{
    return std::string_view(interface) == type.name;
}

// A connection to the compositor WAYLAND_DISPLAY names, with the globals it announces at once.
class Globals {
public:
    struct Announced {
        std::string interface;
        std::uint32_t name = 0, version = 0;
    };

    Globals()
        : m_display(wl_display_connect(nullptr))
    {
        static const wl_registry_listener listener = {
            [](void *data, wl_registry *, std::uint32_t name, const char *interface, std::uint32_t version) {
                static_cast<Globals *>(data)->m_announced.push_back({ interface, name, version });
            },
            ignore,
        };
        if (m_display == nullptr)
            return;
        m_registry.reset(wl_display_get_registry(m_display.get()));
        wl_registry_add_listener(m_registry.get(), &listener, this);
        m_answered = wl_display_roundtrip(m_display.get()) >= 0;
    }
    Globals(const Globals &) = delete;
    Globals &operator=(const Globals &) = delete;

    // Null when no compositor is there.
    wl_display *display() const { return m_display.get(); }
    wl_registry *registry() const { return m_registry.get(); }
    // Whether the compositor answered, its globals announced.
    bool answered() const { return m_answered; }
    // The latest announced global of that interface; null when there is none.
    const Announced *find(std::string_view interface) const
    {
        const auto found = std::find_if(m_announced.rbegin(), m_announced.rend(),
            [interface](const Announced &global) { return global.interface == interface; });
        return found != m_announced.rend() ? &*found : nullptr;
    }
    bool offers(std::string_view interface) const { return find(interface) != nullptr; }

private:
    // Declared first, it goes last: the registry is a proxy on it.
    Owned<wl_display, wl_display_disconnect> m_display;
    Global<wl_registry> m_registry;
    std::vector<Announced> m_announced;
    bool m_answered = false;
};

} // namespace Wl
