// SPDX-License-Identifier: MIT
#include "wayland/clipboardkeeper.h"

#include "wlglobals.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>

#include <unistd.h>

#include <wayland-client.h>

#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace {

// What Wayland's and X's programs ask for when they paste text; the code texts are ASCII, the same
// bytes in each.
constexpr const char *Offered[]
    = { "text/plain;charset=utf-8", "text/plain", "UTF8_STRING", "TEXT", "STRING" };

} // namespace

struct WaylandClipboardKeeper::Seat {
    const std::string &text;
    Wl::Global<wl_seat> seat;
    Wl::Owned<zwlr_data_control_device_v1, zwlr_data_control_device_v1_destroy> device;
    // Ours while it holds the seat's selection.
    Wl::Owned<zwlr_data_control_source_v1, zwlr_data_control_source_v1_destroy> source;
    // The offer of the selection announced next; kept until then, since an event naming an offer already
    // destroyed here names none.
    Wl::Owned<zwlr_data_control_offer_v1, zwlr_data_control_offer_v1_destroy> offer;
    bool empty = false; // the seat's selection, as last announced, is none

    void drop() { source.reset(); }

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
    static void offered(void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
    {
        static_cast<Seat *>(data)->offer.reset(offer);
    }
    static void selected(void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
    {
        auto *seat = static_cast<Seat *>(data);
        seat->empty = offer == nullptr;
        seat->offer.reset();
    }
    static void finished(void *data, zwlr_data_control_device_v1 *) { static_cast<Seat *>(data)->drop(); }
};

namespace {

const zwlr_data_control_source_v1_listener sourceListener
    = { WaylandClipboardKeeper::Seat::send, WaylandClipboardKeeper::Seat::cancelled };
// Only version 1 is asked for: no primary selection events.
const zwlr_data_control_device_v1_listener deviceListener = { WaylandClipboardKeeper::Seat::offered,
    WaylandClipboardKeeper::Seat::selected, WaylandClipboardKeeper::Seat::finished, Wl::ignore };

} // namespace

WaylandClipboardKeeper::WaylandClipboardKeeper(std::string text)
    : m_text(std::move(text))
{
    // Without WAYLAND_DISPLAY libwayland would try wayland-0 of the runtime folder, which in an X session
    // may be a stale socket or another session's compositor.
    const char *named = std::getenv("WAYLAND_DISPLAY");
    if (named == nullptr || *named == '\0')
        return;
    m_display.reset(wl_display_connect(nullptr));
    if (m_display == nullptr)
        return;
    static const wl_registry_listener registryListener = {
        [](void *data, wl_registry *registry, std::uint32_t name, const char *interface, std::uint32_t) {
            auto *keeper = static_cast<WaylandClipboardKeeper *>(data);
            if (Wl::is(interface, wl_seat_interface)) {
                keeper->m_seats.push_back(std::make_unique<Seat>(Seat { keeper->m_text,
                    Wl::bind<wl_seat>(registry, name, wl_seat_interface), {}, {}, {}, false }));
            } else if (Wl::is(interface, zwlr_data_control_manager_v1_interface)) {
                keeper->m_manager = Wl::bind<zwlr_data_control_manager_v1>(
                    registry, name, zwlr_data_control_manager_v1_interface);
            }
        },
        Wl::ignore,
    };
    m_registry.reset(wl_display_get_registry(m_display.get()));
    wl_registry_add_listener(m_registry.get(), &registryListener, this);
    wl_display_roundtrip(m_display.get());
}

WaylandClipboardKeeper::~WaylandClipboardKeeper() = default;

bool WaylandClipboardKeeper::available() const
{
    return m_manager != nullptr && !m_seats.empty();
}

bool WaylandClipboardKeeper::take()
{
    if (!available())
        return false;
    do {
        for (const auto &seat : m_seats) {
            seat->device.reset(
                zwlr_data_control_manager_v1_get_data_device(m_manager.get(), seat->seat.get()));
            zwlr_data_control_device_v1_add_listener(seat->device.get(), &deviceListener, seat.get());
            seat->source.reset(zwlr_data_control_manager_v1_create_data_source(m_manager.get()));
            zwlr_data_control_source_v1_add_listener(seat->source.get(), &sourceListener, seat.get());
            for (const char *type : Offered)
                zwlr_data_control_source_v1_offer(seat->source.get(), type);
            zwlr_data_control_device_v1_set_selection(seat->device.get(), seat->source.get());
        }
        // The compositor sets a selection as it reads the request: once it has answered what came after,
        // the selection is ours unless another program took it in between, or the X bridge emptied it.
        if (wl_display_roundtrip(m_display.get()) < 0)
            return false;
    } while (!holding() && emptiedSoon());
    return holding();
}

void WaylandClipboardKeeper::serve()
{
    while (wl_display_dispatch(m_display.get()) >= 0) {
        if (!holding() && !(emptiedSoon() && take()))
            return;
    }
}

// The compositor's X bridge empties the Wayland selection when Zumeko's X selection goes, which the helper
// gives up just before its take, and may do so after the take, late under load: the text would be lost. A
// selection emptied so soon is taken again; another program's copy, or an emptying later on, ends the
// keeping.
bool WaylandClipboardKeeper::emptiedSoon()
{
    constexpr auto Soon = std::chrono::seconds(3);
    // What the selection became is announced with our source's end, by the time the compositor answers.
    return std::chrono::steady_clock::now() - m_made <= Soon && wl_display_roundtrip(m_display.get()) >= 0
        && std::all_of(m_seats.begin(), m_seats.end(), [](const auto &seat) { return seat->empty; });
}

bool WaylandClipboardKeeper::holding() const
{
    for (const auto &seat : m_seats) {
        if (seat->source != nullptr)
            return true;
    }
    return false;
}
