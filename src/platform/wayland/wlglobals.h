// SPDX-License-Identifier: MIT
#pragma once

#include "wlowners.h"

#include <wayland-client.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <map>
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

// A connection to the compositor WAYLAND_DISPLAY names, with the globals it announces at once: the names of
// all, and those wanted bound (the latest announced of each).
class Globals {
public:
    struct Wanted {
        const wl_interface *type;
        std::uint32_t version = 1; // the highest we speak
    };

    explicit Globals(std::initializer_list<Wanted> interfaces = {})
        : m_display(wl_display_connect(nullptr))
        , m_wanted(interfaces)
    {
        static const wl_registry_listener listener = {
            [](void *data, wl_registry *registry, std::uint32_t name, const char *interface,
                std::uint32_t version) {
                auto *globals = static_cast<Globals *>(data);
                globals->m_names.emplace_back(interface);
                for (const Wanted &wanted : globals->m_wanted) {
                    if (is(interface, *wanted.type))
                        globals->m_bound[wanted.type->name]
                            = bind<void>(registry, name, *wanted.type, std::min(version, wanted.version));
                }
            },
            ignore,
        };
        if (m_display == nullptr)
            return;
        m_registry.reset(wl_display_get_registry(m_display.get()));
        wl_registry_add_listener(m_registry.get(), &listener, this);
        m_answered = wl_display_roundtrip(m_display.get()) >= 0;
    }
    ~Globals()
    {
        // The proxies go before the connection they are on.
        m_bound.clear();
        m_registry.reset();
    }
    Globals(const Globals &) = delete;
    Globals &operator=(const Globals &) = delete;

    // Null when no compositor is there.
    wl_display *display() const { return m_display.get(); }
    // Whether the compositor answered, its globals announced.
    bool answered() const { return m_answered; }
    bool offers(std::string_view interface) const
    {
        return std::find(m_names.begin(), m_names.end(), interface) != m_names.end();
    }
    // Null when the compositor does not offer it.
    template <typename T> T *get(const wl_interface &type) const
    {
        const auto bound = m_bound.find(type.name);
        return bound != m_bound.end() ? static_cast<T *>(bound->second.get()) : nullptr;
    }

private:
    Owned<wl_display, wl_display_disconnect> m_display;
    Global<wl_registry> m_registry;
    std::vector<Wanted> m_wanted;
    std::vector<std::string> m_names;
    std::map<std::string, Global<void>, std::less<>> m_bound;
    bool m_answered = false;
};

} // namespace Wl
