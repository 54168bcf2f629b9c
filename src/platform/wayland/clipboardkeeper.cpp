// SPDX-License-Identifier: MIT
#include "wayland/clipboardkeeper.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

#include <wayland-client.h>

#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace {

template <typename... Args> void ignore(void *, Args...) { }

// What Wayland's and X's programs ask for when they paste text; the code texts are ASCII, the same
// bytes in each.
constexpr const char *Offered[]
    = { "text/plain;charset=utf-8", "text/plain", "UTF8_STRING", "TEXT", "STRING" };

} // namespace

struct WaylandClipboardKeeper::Seat {
    const std::string &text;
    wl_seat *seat = nullptr;
    zwlr_data_control_device_v1 *device = nullptr;
    zwlr_data_control_source_v1 *source = nullptr; // ours while it holds the seat's selection

    Seat(const std::string &t, wl_seat *s)
        : text(t)
        , seat(s)
    {
    }
    ~Seat()
    {
        drop();
        if (device != nullptr)
            zwlr_data_control_device_v1_destroy(device);
        wl_proxy_destroy(reinterpret_cast<wl_proxy *>(seat));
    }
    Seat(const Seat &) = delete;
    Seat &operator=(const Seat &) = delete;

    void drop()
    {
        if (source != nullptr)
            zwlr_data_control_source_v1_destroy(source);
        source = nullptr;
    }

    static void send(void *data, zwlr_data_control_source_v1 *, const char *, std::int32_t fd)
    {
        const std::string &text = static_cast<Seat *>(data)->text;
        // A program that stops reading half-way costs it its paste, never the keeper its life: SIGPIPE is
        // ignored (see main).
        for (std::size_t sent = 0; sent < text.size();) {
            const ssize_t n = write(fd, text.data() + sent, text.size() - sent);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            sent += std::size_t(n);
        }
        close(fd);
    }
    static void cancelled(void *data, zwlr_data_control_source_v1 *) { static_cast<Seat *>(data)->drop(); }
    // Every selection is announced with an offer of it, ours included; we never read one.
    static void offered(void *, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
    {
        zwlr_data_control_offer_v1_destroy(offer);
    }
    static void finished(void *data, zwlr_data_control_device_v1 *) { static_cast<Seat *>(data)->drop(); }
};

namespace {

const zwlr_data_control_source_v1_listener sourceListener
    = { WaylandClipboardKeeper::Seat::send, WaylandClipboardKeeper::Seat::cancelled };
// Only version 1 is asked for: no primary selection events.
const zwlr_data_control_device_v1_listener deviceListener
    = { WaylandClipboardKeeper::Seat::offered, ignore, WaylandClipboardKeeper::Seat::finished, ignore };

} // namespace

WaylandClipboardKeeper::WaylandClipboardKeeper(std::string text)
    : m_text(std::move(text))
{
    // Without WAYLAND_DISPLAY libwayland would try wayland-0 of the runtime folder, which in an X session
    // may be a stale socket or another session's compositor.
    const char *named = std::getenv("WAYLAND_DISPLAY");
    if (named == nullptr || *named == '\0' || (m_display = wl_display_connect(nullptr)) == nullptr)
        return;
    static const wl_registry_listener registryListener = {
        [](void *data, wl_registry *registry, std::uint32_t name, const char *interface, std::uint32_t) {
            auto *keeper = static_cast<WaylandClipboardKeeper *>(data);
            if (std::strcmp(interface, wl_seat_interface.name) == 0) {
                keeper->m_seats.push_back(std::make_unique<Seat>(keeper->m_text,
                    static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1))));
            } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0) {
                keeper->m_manager = static_cast<zwlr_data_control_manager_v1 *>(
                    wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, 1));
            }
        },
        ignore,
    };
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &registryListener, this);
    wl_display_roundtrip(m_display);
}

WaylandClipboardKeeper::~WaylandClipboardKeeper()
{
    m_seats.clear();
    if (m_manager != nullptr)
        zwlr_data_control_manager_v1_destroy(m_manager);
    if (m_registry != nullptr)
        wl_registry_destroy(m_registry);
    if (m_display != nullptr)
        wl_display_disconnect(m_display);
}

bool WaylandClipboardKeeper::available() const
{
    return m_manager != nullptr && !m_seats.empty();
}

bool WaylandClipboardKeeper::take()
{
    if (!available())
        return false;
    for (const auto &seat : m_seats) {
        seat->device = zwlr_data_control_manager_v1_get_data_device(m_manager, seat->seat);
        zwlr_data_control_device_v1_add_listener(seat->device, &deviceListener, seat.get());
        seat->source = zwlr_data_control_manager_v1_create_data_source(m_manager);
        zwlr_data_control_source_v1_add_listener(seat->source, &sourceListener, seat.get());
        for (const char *type : Offered)
            zwlr_data_control_source_v1_offer(seat->source, type);
        zwlr_data_control_device_v1_set_selection(seat->device, seat->source);
    }
    // The compositor sets a selection as it reads the request: once it has answered what came after, the
    // selection is ours unless another program took it in between.
    return wl_display_roundtrip(m_display) >= 0 && holding();
}

void WaylandClipboardKeeper::serve()
{
    while (holding() && wl_display_dispatch(m_display) >= 0) { }
}

bool WaylandClipboardKeeper::holding() const
{
    for (const auto &seat : m_seats) {
        if (seat->source != nullptr)
            return true;
    }
    return false;
}
