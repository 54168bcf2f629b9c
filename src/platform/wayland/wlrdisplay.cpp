// SPDX-License-Identifier: MIT
#include "wlrdisplay.h"

#include "wlglobals.h"

#include <QSocketNotifier>

#include <algorithm>

#include "layershell.h"
#include "viewporter-client-protocol.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

namespace Module1 {

void WlrDisplay::End::operator()(wl_callback *callback) const
{
    wl_callback_destroy(callback);
}

void WlrDisplay::End::operator()(wl_output *output) const
{
    wl_output_destroy(output);
}

void WlrDisplay::End::operator()(zxdg_output_v1 *output) const
{
    zxdg_output_v1_destroy(output);
}

struct WlrDisplay::Listen {
    static void global(
        void *data, wl_registry *registry, std::uint32_t name, const char *interface, std::uint32_t version)
    {
        auto *d = static_cast<WlrDisplay *>(data);
        if (Wl::is(interface, wl_compositor_interface)) {
            d->m_compositor = Wl::bind<wl_compositor>(registry, name, wl_compositor_interface);
        } else if (Wl::is(interface, wl_shm_interface)) {
            d->m_shm = Wl::bind<wl_shm>(registry, name, wl_shm_interface);
        } else if (Wl::is(interface, wl_seat_interface) && d->m_seat == nullptr) {
            // At 5 the wheel comes in notches (axis_discrete).
            d->m_seat = Wl::bind<wl_seat>(registry, name, wl_seat_interface, std::min(version, 5U));
            if (d->m_events.seat)
                d->m_events.seat(d->m_seat.get());
        } else if (Wl::is(interface, zwlr_layer_shell_v1_interface)) {
            d->m_layerShell = Wl::bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface);
        } else if (Wl::is(interface, zwlr_screencopy_manager_v1_interface)) {
            d->m_screencopy
                = Wl::bind<zwlr_screencopy_manager_v1>(registry, name, zwlr_screencopy_manager_v1_interface);
        } else if (Wl::is(interface, zxdg_output_manager_v1_interface)) {
            d->m_xdgOutputManager
                = Wl::bind<zxdg_output_manager_v1>(registry, name, zxdg_output_manager_v1_interface, 2);
        } else if (Wl::is(interface, wp_viewporter_interface)) {
            d->m_viewporter = Wl::bind<wp_viewporter>(registry, name, wp_viewporter_interface);
        } else if (Wl::is(interface, zwlr_virtual_pointer_manager_v1_interface)) {
            d->m_virtualPointers = Wl::bind<zwlr_virtual_pointer_manager_v1>(
                registry, name, zwlr_virtual_pointer_manager_v1_interface);
        } else if (Wl::is(interface, wl_output_interface)) {
            auto output = std::make_unique<Output>();
            output->name = name;
            output->output.reset(
                static_cast<wl_output *>(wl_registry_bind(registry, name, &wl_output_interface, 1)));
            wl_output_add_listener(output->output.get(), &Listen::outputListener, output.get());
            d->m_outputs.push_back(std::move(output));
            if (d->m_ready) // an output plugged in while picking is covered at once
                d->add(*d->m_outputs.back());
        }
    }

    static void globalRemove(void *data, wl_registry *, std::uint32_t name)
    {
        auto *d = static_cast<WlrDisplay *>(data);
        for (auto output = d->m_outputs.begin(); output != d->m_outputs.end(); ++output) {
            if ((*output)->name != name)
                continue;
            if (d->m_events.removed)
                d->m_events.removed(**output);
            d->m_outputs.erase(output);
            return;
        }
    }

    static void synced(void *data, wl_callback *, std::uint32_t)
    {
        auto *d = static_cast<WlrDisplay *>(data);
        d->m_sync.reset();
        if (d->m_compositor == nullptr || d->m_shm == nullptr || d->m_layerShell == nullptr
            || d->m_screencopy == nullptr || d->m_xdgOutputManager == nullptr) {
            if (d->m_events.lost)
                d->m_events.lost();
            return;
        }
        d->m_ready = true;
        for (auto &output : d->m_outputs)
            d->add(*output);
    }

    // An output's shape, from which the physical pixel under the pointer is found.
    static void geometry(void *data, wl_output *, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
        std::int32_t, const char *, const char *, std::int32_t transform)
    {
        static_cast<Output *>(data)->shape.transform = transform;
    }

    static void mode(
        void *data, wl_output *, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t)
    {
        if ((flags & WL_OUTPUT_MODE_CURRENT) == 0)
            return;
        auto *output = static_cast<Output *>(data);
        output->shape.width = width;
        output->shape.height = height;
    }

    static void logicalPosition(void *data, zxdg_output_v1 *, std::int32_t x, std::int32_t y)
    {
        auto *output = static_cast<Output *>(data);
        output->x = x;
        output->y = y;
    }

    static void logicalSize(void *data, zxdg_output_v1 *, std::int32_t width, std::int32_t height)
    {
        auto *output = static_cast<Output *>(data);
        output->shape.logicalWidth = width;
        output->shape.logicalHeight = height;
    }

    static constexpr wl_registry_listener registryListener = { global, globalRemove };
    static constexpr wl_callback_listener syncListener = { synced };
    static constexpr wl_output_listener outputListener
        = { geometry, mode, Wl::ignore, Wl::ignore, Wl::ignore, Wl::ignore };
    static constexpr zxdg_output_v1_listener xdgOutputListener
        = { logicalPosition, logicalSize, Wl::ignore, Wl::ignore, Wl::ignore };
};

WlrDisplay::WlrDisplay(Events events)
    : m_events(std::move(events))
{
    m_display.reset(wl_display_connect(nullptr));
    if (m_display == nullptr)
        return;
    m_registry.reset(wl_display_get_registry(m_display.get()));
    wl_registry_add_listener(m_registry.get(), &Listen::registryListener, this);
    m_sync.reset(wl_display_sync(m_display.get()));
    wl_callback_add_listener(m_sync.get(), &Listen::syncListener, this);
    m_notifier = std::make_unique<QSocketNotifier>(wl_display_get_fd(m_display.get()), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { dispatch(); });
    flush();
}

WlrDisplay::~WlrDisplay()
{
    m_notifier.reset();
    // What is ended on our side goes out with one last flush (what was on the outputs, whose owners are
    // gone first, too); the members end the rest, in order.
    m_outputs.clear();
    flush();
}

void WlrDisplay::flush()
{
    if (m_display != nullptr)
        wl_display_flush(m_display.get());
}

// Reads what the notifier says is there, without ever waiting for more.
void WlrDisplay::dispatch()
{
    while (wl_display_prepare_read(m_display.get()) != 0)
        wl_display_dispatch_pending(m_display.get());
    if (wl_display_read_events(m_display.get()) < 0 || wl_display_dispatch_pending(m_display.get()) < 0) {
        m_notifier->setEnabled(false);
        if (m_events.lost)
            m_events.lost();
        return;
    }
    flush();
}

void WlrDisplay::add(Output &output)
{
    output.xdgOutput.reset(
        zxdg_output_manager_v1_get_xdg_output(m_xdgOutputManager.get(), output.output.get()));
    zxdg_output_v1_add_listener(output.xdgOutput.get(), &Listen::xdgOutputListener, &output);
    if (m_events.added)
        m_events.added(output);
}

} // namespace Module1
