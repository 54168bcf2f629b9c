// SPDX-License-Identifier: MIT
#pragma once

#include "outputpixel.h"
#include "wlowners.h"

#include <wayland-client.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;
struct wp_viewporter;
struct zwlr_layer_shell_v1;
struct zwlr_screencopy_manager_v1;
struct zwlr_virtual_pointer_manager_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace Module1 {

// A connection of ours to a wlroots compositor, which Qt's event loop drives: the globals that screen mode
// needs, and the outputs with their places and shapes.
class WlrDisplay {
public:
    // Ends a proxy by the request its protocol gives. The generated enders are static, a copy in every file
    // that includes them, so a type that files share may not name one: these are defined in one file.
    struct End {
        void operator()(wl_callback *callback) const;
        void operator()(wl_output *output) const;
        void operator()(zxdg_output_v1 *output) const;
    };

    struct Output {
        std::uint32_t name = 0; // the registry's
        std::unique_ptr<wl_output, End> output;
        std::unique_ptr<zxdg_output_v1, End> xdgOutput;
        int x = 0, y = 0; // in the compositor's layout
        Screen::OutputShape shape;
        bool regionsFail = false; // its regions come back in sizes we do not expect: read it whole
    };

    struct Events {
        // An output to cover: each, once the compositor's globals are known, and then each plugged in.
        std::function<void(Output &)> added;
        std::function<void(Output &)> removed; // unplugged: it goes when this returns
        std::function<void(wl_seat *)> seat; // the first seat, as soon as it is bound
        std::function<void()> lost; // the connection broke, or the compositor lacks what screen mode needs
    };

    explicit WlrDisplay(Events events);
    ~WlrDisplay();
    WlrDisplay(const WlrDisplay &) = delete;
    WlrDisplay &operator=(const WlrDisplay &) = delete;

    // False when no compositor could be reached.
    bool connected() const { return m_display != nullptr; }
    // Sends what has been asked for; from a timer, nothing else would.
    void flush();

    wl_compositor *compositor() const { return m_compositor.get(); }
    wl_shm *shm() const { return m_shm.get(); }
    zwlr_layer_shell_v1 *layerShell() const { return m_layerShell.get(); }
    zwlr_screencopy_manager_v1 *screencopy() const { return m_screencopy.get(); }
    wl_seat *seat() const { return m_seat.get(); }
    // What the loupe needs and not every compositor offers; null where it does not.
    wp_viewporter *viewporter() const { return m_viewporter.get(); }
    zwlr_virtual_pointer_manager_v1 *virtualPointers() const { return m_virtualPointers.get(); }

private:
    struct Listen;
    void dispatch();
    void add(Output &output);

    Events m_events;
    // Members are ended in the reverse of their order here: the connection after everything on it.
    Wl::Owned<wl_display, wl_display_disconnect> m_display;
    std::unique_ptr<QSocketNotifier> m_notifier;
    Wl::Global<wl_registry> m_registry;
    Wl::Global<wl_compositor> m_compositor;
    Wl::Global<wl_shm> m_shm;
    Wl::Global<wl_seat> m_seat;
    Wl::Global<zwlr_layer_shell_v1> m_layerShell;
    Wl::Global<zwlr_screencopy_manager_v1> m_screencopy;
    Wl::Global<zxdg_output_manager_v1> m_xdgOutputManager;
    Wl::Global<wp_viewporter> m_viewporter;
    Wl::Global<zwlr_virtual_pointer_manager_v1> m_virtualPointers;
    // Taken down before the compositor has answered everything (screen mode left at once), what is still
    // on its way is ours to free too.
    std::unique_ptr<wl_callback, End> m_sync; // until the compositor's globals are known
    bool m_ready = false; // since they are, all of those screen mode needs
    std::vector<std::unique_ptr<Output>> m_outputs;
};

} // namespace Module1
