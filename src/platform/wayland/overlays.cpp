// SPDX-License-Identifier: MIT
#include "overlays.h"

#include "crosshair.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <xkbcommon/xkbcommon.h>

#include <unistd.h>

#include "layershell.h"

namespace Module1 {

namespace {

    constexpr std::uint32_t Anchored = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM
        | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;

} // namespace

// Ended in the reverse of their order here: the overlay before its surface.
struct Overlays::Overlay {
    Overlays *overlays = nullptr;
    WlrDisplay::Output *output = nullptr;
    Wl::Owned<wl_surface, wl_surface_destroy> surface;
    Wl::Owned<zwlr_layer_surface_v1, zwlr_layer_surface_v1_destroy> overlay;
    std::unique_ptr<Wl::ShmBuffer> transparent;
};

struct Overlays::Keymap {
    Wl::Owned<xkb_context, xkb_context_unref> context { xkb_context_new(XKB_CONTEXT_NO_FLAGS) };
    Wl::Owned<xkb_keymap, xkb_keymap_unref> keymap;
    Wl::Owned<xkb_state, xkb_state_unref> state;
};

struct Overlays::Listen {
    static void capabilities(void *data, wl_seat *seat, std::uint32_t caps)
    {
        auto *o = static_cast<Overlays *>(data);
        if ((caps & WL_SEAT_CAPABILITY_POINTER) != 0 && o->m_pointer == nullptr) {
            o->m_pointer.reset(wl_seat_get_pointer(seat));
            wl_pointer_add_listener(o->m_pointer.get(), &pointerListener, o);
        }
        // A seat's keyboard comes and goes with its devices (a virtual one, on a remote desktop).
        if ((caps & WL_SEAT_CAPABILITY_KEYBOARD) == 0) {
            o->m_keyboard.reset();
        } else if (o->m_keyboard == nullptr) {
            o->m_keyboard.reset(wl_seat_get_keyboard(seat));
            wl_keyboard_add_listener(o->m_keyboard.get(), &keyboardListener, o);
        }
    }

    static void enter(void *data, wl_pointer *pointer, std::uint32_t serial, wl_surface *surface,
        wl_fixed_t x, wl_fixed_t y)
    {
        auto *o = static_cast<Overlays *>(data);
        const auto under = std::find_if(o->m_overlays.begin(), o->m_overlays.end(),
            [&](const std::unique_ptr<Overlay> &overlay) { return overlay->surface.get() == surface; });
        o->m_over = under != o->m_overlays.end() ? (*under)->output : nullptr;
        if (o->m_crossHair == nullptr) {
            o->m_crossHair = std::make_unique<Wl::ShmBuffer>(
                o->m_display.shm(), CrossHairSize, CrossHairSize, 4 * CrossHairSize, WL_SHM_FORMAT_ARGB8888);
            if (o->m_crossHair->pixels.data() != nullptr) {
                static constexpr auto image = CrossHair();
                std::memcpy(o->m_crossHair->pixels.data(), image.data(), sizeof image);
            }
            o->m_crossHairSurface.reset(wl_compositor_create_surface(o->m_display.compositor()));
            wl_surface_attach(o->m_crossHairSurface.get(), o->m_crossHair->buffer.get(), 0, 0);
            wl_surface_damage(o->m_crossHairSurface.get(), 0, 0, CrossHairSize, CrossHairSize);
            wl_surface_commit(o->m_crossHairSurface.get());
        }
        wl_pointer_set_cursor(
            pointer, serial, o->m_crossHairSurface.get(), CrossHairHotSpot, CrossHairHotSpot);
        motion(data, pointer, 0, x, y);
    }

    static void leave(void *data, wl_pointer *, std::uint32_t, wl_surface *)
    {
        static_cast<Overlays *>(data)->m_over = nullptr;
    }

    static void motion(void *data, wl_pointer *, std::uint32_t, wl_fixed_t x, wl_fixed_t y)
    {
        auto *o = static_cast<Overlays *>(data);
        o->m_x = x;
        o->m_y = y;
        if (o->m_events.moved)
            o->m_events.moved();
    }

    static void button(
        void *data, wl_pointer *, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state)
    {
        auto *o = static_cast<Overlays *>(data);
        const auto &report
            = state == WL_POINTER_BUTTON_STATE_PRESSED ? o->m_events.pressed : o->m_events.released;
        if (report)
            report();
    }

    static void axisDiscrete(void *data, wl_pointer *, std::uint32_t axis, std::int32_t discrete)
    {
        auto *o = static_cast<Overlays *>(data);
        if (axis == WL_POINTER_AXIS_VERTICAL_SCROLL && o->m_events.wheel)
            o->m_events.wheel(-discrete);
    }

    // What a key is, its keymap says: any key may be given any meaning.
    static void keymap(void *data, wl_keyboard *, std::uint32_t format, std::int32_t fd, std::uint32_t size)
    {
        const Wl::Fd owned(fd);
        auto *o = static_cast<Overlays *>(data);
        o->m_keymap.reset();
        o->m_repeat.stop();
        if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1)
            return;
        const Wl::Mapping text(fd, size, PROT_READ, MAP_PRIVATE);
        if (text.data() == nullptr)
            return;
        auto keymap = std::make_unique<Keymap>();
        const auto *chars = static_cast<const char *>(text.data());
        keymap->keymap.reset(xkb_keymap_new_from_buffer(keymap->context.get(), chars, strnlen(chars, size),
            XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS));
        if (keymap->keymap != nullptr)
            keymap->state.reset(xkb_state_new(keymap->keymap.get()));
        if (keymap->state != nullptr)
            o->m_keymap = std::move(keymap);
    }

    static void key(
        void *data, wl_keyboard *, std::uint32_t, std::uint32_t, std::uint32_t code, std::uint32_t state)
    {
        auto *o = static_cast<Overlays *>(data);
        if (state != WL_KEYBOARD_KEY_STATE_PRESSED) {
            if (code == o->m_repeating)
                o->m_repeat.stop();
            return;
        }
        if (!o->m_holdKeys || o->m_keymap == nullptr)
            return;
        o->m_repeating = code;
        o->pressKey();
        // Held, a key comes again as the keyboard's settings say: a Wayland client repeats keys itself.
        if (o->m_repeatRate > 0 && xkb_keymap_key_repeats(o->m_keymap->keymap.get(), code + 8) != 0)
            o->m_repeat.start(o->m_repeatDelay);
        else
            o->m_repeat.stop();
    }

    static void keyboardLeave(void *data, wl_keyboard *, std::uint32_t, wl_surface *)
    {
        static_cast<Overlays *>(data)->m_repeat.stop();
    }

    static void repeatInfo(void *data, wl_keyboard *, std::int32_t rate, std::int32_t delay)
    {
        auto *o = static_cast<Overlays *>(data);
        o->m_repeatRate = rate;
        o->m_repeatDelay = delay;
    }

    static void modifiers(void *data, wl_keyboard *, std::uint32_t, std::uint32_t depressed,
        std::uint32_t latched, std::uint32_t locked, std::uint32_t group)
    {
        auto *o = static_cast<Overlays *>(data);
        if (o->m_keymap != nullptr)
            xkb_state_update_mask(o->m_keymap->state.get(), depressed, latched, locked, 0, 0, group);
    }

    static void configure(void *data, zwlr_layer_surface_v1 *overlay, std::uint32_t serial,
        std::uint32_t width, std::uint32_t height)
    {
        auto *o = static_cast<Overlay *>(data);
        zwlr_layer_surface_v1_ack_configure(overlay, serial);
        const int w = int(width), h = int(height);
        // Every pixel zero, alpha too: even an alpha of 1 in 255 would change what a capture reads. The pages
        // are never written, so they cost no memory here.
        if (o->transparent == nullptr || !o->transparent->fits(w, h, 4 * w, WL_SHM_FORMAT_ARGB8888))
            o->transparent = std::make_unique<Wl::ShmBuffer>(
                o->overlays->m_display.shm(), w, h, 4 * w, WL_SHM_FORMAT_ARGB8888);
        wl_surface_attach(o->surface.get(), o->transparent->buffer.get(), 0, 0);
        wl_surface_damage(o->surface.get(), 0, 0, w, h);
        wl_surface_commit(o->surface.get());
    }

    static void closed(void *data, zwlr_layer_surface_v1 *)
    {
        // The compositor took the overlay away (its output is going): nothing of it is picked any more.
        auto *o = static_cast<Overlay *>(data);
        if (o->overlays->m_over == o->output)
            o->overlays->m_over = nullptr;
    }

    static constexpr wl_seat_listener seatListener = { capabilities, Wl::ignore };
    static constexpr wl_pointer_listener pointerListener = { enter, leave, motion, button, Wl::ignore,
        Wl::ignore, Wl::ignore, Wl::ignore, axisDiscrete, Wl::ignore };
    static constexpr wl_keyboard_listener keyboardListener
        = { keymap, Wl::ignore, keyboardLeave, key, modifiers, repeatInfo };
    static constexpr zwlr_layer_surface_v1_listener overlayListener = { configure, closed };
};

void Overlays::End::operator()(wl_pointer *pointer) const
{
    wl_pointer_destroy(pointer);
}

void Overlays::End::operator()(wl_keyboard *keyboard) const
{
    wl_keyboard_destroy(keyboard);
}

void Overlays::End::operator()(wl_surface *surface) const
{
    wl_surface_destroy(surface);
}

Overlays::Overlays(WlrDisplay &display, Events events)
    : m_display(display)
    , m_events(std::move(events))
{
    QObject::connect(&m_repeat, &QTimer::timeout, [this] {
        m_repeat.start(1000 / m_repeatRate);
        pressKey();
    });
}

Overlays::~Overlays() = default;

void Overlays::follow(wl_seat *seat)
{
    wl_seat_add_listener(seat, &Listen::seatListener, this);
}

void Overlays::cover(WlrDisplay::Output &output)
{
    auto overlay = std::make_unique<Overlay>();
    overlay->overlays = this;
    overlay->output = &output;
    overlay->surface.reset(wl_compositor_create_surface(m_display.compositor()));
    // Over everything, on all four edges, moving nothing aside and taking no keyboard unless the loupe's
    // keys are held, so that Zumeko's keys (Alt+H, Alt+I, Tab) still reach its window.
    overlay->overlay.reset(zwlr_layer_shell_v1_get_layer_surface(m_display.layerShell(),
        overlay->surface.get(), output.output.get(), ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "zumeko-picker"));
    zwlr_layer_surface_v1_add_listener(overlay->overlay.get(), &Listen::overlayListener, overlay.get());
    zwlr_layer_surface_v1_set_anchor(overlay->overlay.get(), Anchored);
    zwlr_layer_surface_v1_set_exclusive_zone(overlay->overlay.get(), -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(overlay->overlay.get(), m_holdKeys ? 1 : 0);
    wl_surface_commit(overlay->surface.get());
    m_overlays.push_back(std::move(overlay));
}

// The key pressed last, with Shift as it is now; xkb counts key codes from 8, as X does.
void Overlays::pressKey()
{
    xkb_state *keys = m_keymap->state.get();
    if (m_events.key)
        m_events.key(xkb_state_key_get_one_sym(keys, m_repeating + 8),
            xkb_state_mod_name_is_active(keys, XKB_MOD_NAME_SHIFT, XKB_STATE_MODS_EFFECTIVE) > 0);
}

void Overlays::holdKeys(bool hold)
{
    m_holdKeys = hold;
    m_repeat.stop();
    for (const auto &overlay : m_overlays) {
        zwlr_layer_surface_v1_set_keyboard_interactivity(overlay->overlay.get(), hold ? 1 : 0);
        wl_surface_commit(overlay->surface.get());
    }
}

void Overlays::uncover(const WlrDisplay::Output &output)
{
    if (m_over == &output)
        m_over = nullptr;
    std::erase_if(
        m_overlays, [&](const std::unique_ptr<Overlay> &overlay) { return overlay->output == &output; });
}

std::optional<CursorPoint> Overlays::pointer() const
{
    if (m_over == nullptr)
        return std::nullopt;
    return CursorPoint { m_over->x + int(std::floor(wl_fixed_to_double(m_x))),
        m_over->y + int(std::floor(wl_fixed_to_double(m_y))) };
}

} // namespace Module1
