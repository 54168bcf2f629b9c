// SPDX-License-Identifier: MIT
#pragma once

#include "wlowners.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

struct zwlr_data_control_manager_v1;

// Keeps a text as the Wayland selection of every seat, through wlroots' data control (sway, KWin,
// Hyprland, river, labwc), for the clipboard helper: native Wayland programs paste it from here, and X
// programs through the compositor's own X bridge.
class WaylandClipboardKeeper {
public:
    // Connects to the compositor WAYLAND_DISPLAY names, if it names one.
    explicit WaylandClipboardKeeper(std::string text);
    ~WaylandClipboardKeeper();
    WaylandClipboardKeeper(const WaylandClipboardKeeper &) = delete;
    WaylandClipboardKeeper &operator=(const WaylandClipboardKeeper &) = delete;

    // True when the compositor answers and offers data control on at least one seat.
    bool available() const;
    // Makes the text the selection of every seat; true once the compositor has taken it for one at least.
    // Emptied within moments of the keeper's start, it is taken again.
    bool take();
    // Hands the text to every program that pastes it, until another program has taken the selection of
    // every seat, or the compositor goes away; emptied within moments of the keeper's start, as take().
    void serve();

    struct Seat;

private:
    bool holding() const;
    bool emptiedSoon();

    // Ended in the reverse of this order: the seats first, the connection last.
    std::string m_text;
    Wl::Owned<wl_display, wl_display_disconnect> m_display;
    Wl::Global<wl_registry> m_registry;
    Wl::Global<zwlr_data_control_manager_v1> m_manager;
    std::vector<std::unique_ptr<Seat>> m_seats;
    const std::chrono::steady_clock::time_point m_made = std::chrono::steady_clock::now();
};
