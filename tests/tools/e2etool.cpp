// SPDX-License-Identifier: MIT
// What the end-to-end driver needs that xdotool, swaymsg and grim cannot do:
//   e2etool points                  the layouts' click points in pixels at scale 1, as shell assignments
//   e2etool close WINDOW-ID         asks an X window to close as a window manager's close button does
//   e2etool window WxH+X+Y RRGGBB   another application's window of one colour at that place: an X window,
//                                   or in a Wayland session a native surface; it says "ready" once shown
//                                   and "press BUTTON" and "release BUTTON" for each that reaches it
//   e2etool grid WxH+X+Y BB SCALE   a native window drawn at that scale, each physical pixel in a colour of
//                                   its own (see gridWindow); it says "ready" once shown
//   e2etool grab SECONDS            holds the X pointer that long; status 1 when another client holds it
//   e2etool cursor                  the X pointer's picture: "HOTX,HOTY", then its rows, "." where it is
//                                   clear, "#" black, "o" white and "?" any other colour
//   e2etool manager                 an X clipboard manager that takes nothing over: it only answers
//   e2etool pointer                 gives a headless Wayland seat a pointer (it has none), then stays
//   e2etool compositor              a Wayland compositor that names all wlroots offers for picking (the
//                                   layer shell, shared memory, the outputs' places) but screencopy, as
//                                   KWin does, so that no screen can be read through it; it says
//                                   "ready SOCKET" in XDG_RUNTIME_DIR
//   e2etool desktop FOLDER          the compositor's own input and screen on GNOME or KWin: what reaches the
//                                   compositor itself (its colour picker) and what it shows. It says
//                                   "ready", then reads lines "move X Y", "click BUTTON" (1 to 3),
//                                   "key CODE" (evdev), "pixel X Y" and "differ X Y W H RRGGBB" (how many
//                                   pixels of the area are not that colour), and answers each with a line:
//                                   "ok", RRGGBB, the number, or "error WHY". The compositor writes its
//                                   pictures into FOLDER
#include "frminfolayout.h"
#include "frmmainlayout.h"
#include "wayland/shmbuffer.h"
#include "wayland/wlowners.h"
#include "wlbound.h"
#include "x11/atom.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QEventLoop>
#include <QImage>
#include <QTimer>

#include <wayland-client.h>
#include <wayland-server.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

#include "fake-input-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"
#define namespace layer_namespace // the generated C names an argument so
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

using namespace Qt::Literals::StringLiterals;

namespace {

template <typename... Args> void say(const char *format, Args... args)
{
    std::printf(format, args...);
    std::fflush(stdout); // the driver reads the output while this runs
}
using Wl::ignore;

// The middle of a control, or a point `offset` pixels in from its left edge for a box or a round mark.
void point(const char *name, Twips::Place place, Twips::Place parent = {}, int offset = -1)
{
    const QRect r
        = Forms::ToPixels({ parent.left + place.left, parent.top + place.top, place.width, place.height });
    say("%s=(%d %d)\n", name, offset < 0 ? r.center().x() : r.left() + offset, r.center().y());
}

int close(xcb_connection_t *c, xcb_window_t window)
{
    xcb_client_message_event_t message {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = InternAtom(c, "WM_PROTOCOLS");
    message.data.data32[0] = InternAtom(c, "WM_DELETE_WINDOW");
    xcb_generic_error_t *error = xcb_request_check(c,
        xcb_send_event_checked(
            c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&message)));
    std::free(error);
    return error != nullptr ? 1 : 0;
}

int xWindow(xcb_connection_t *c, int width, int height, int x, int y, unsigned rgb)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    // At depth 16 the RGB value is not the pixel: the server picks it. Eight bits widen to sixteen by 257.
    const auto wide = [rgb](unsigned shift) { return std::uint16_t((rgb >> shift & 0xFF) * 257); };
    auto *colour = xcb_alloc_color_reply(
        c, xcb_alloc_color(c, screen->default_colormap, wide(16), wide(8), wide(0)), nullptr);
    if (colour == nullptr)
        return 1;
    // Override-redirect: exactly where asked, and no window manager moves or frames it.
    const std::uint32_t values[] = { colour->pixel, 1,
        XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE };
    std::free(colour);
    const xcb_window_t id = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, id, screen->root, std::int16_t(x), std::int16_t(y),
        std::uint16_t(width), std::uint16_t(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
        XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    xcb_map_window(c, id);
    xcb_flush(c);
    bool ready = false;
    while (xcb_generic_event_t *event = xcb_wait_for_event(c)) {
        const int type = event->response_type & 0x7f;
        // Only a mapped window is exposed, and its background is painted by the time the server says so.
        if (type == XCB_EXPOSE && !ready && (ready = true))
            say("ready\n");
        if (type == XCB_BUTTON_PRESS || type == XCB_BUTTON_RELEASE)
            say(type == XCB_BUTTON_PRESS ? "press %u\n" : "release %u\n",
                unsigned { reinterpret_cast<xcb_button_press_event_t *>(event)->detail });
        std::free(event);
    }
    return 1;
}

int grab(xcb_connection_t *c, double seconds)
{
    // Holding (seconds > 0), it waits a little for a grab that another client ends; probing, it asks once.
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    bool held = false;
    for (int attempt = 0; !held && attempt < (seconds > 0 ? 100 : 1); ++attempt) {
        auto *reply = xcb_grab_pointer_reply(c,
            xcb_grab_pointer(c, 0, root, 0, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE,
                XCB_CURRENT_TIME),
            nullptr);
        held = reply != nullptr && reply->status == XCB_GRAB_STATUS_SUCCESS;
        std::free(reply);
        if (!held && seconds > 0)
            usleep(20000);
    }
    xcb_flush(c);
    usleep(useconds_t(seconds * 1e6));
    return held ? 0 : 1;
}

// The X server leaves its pointer out of every picture of the screen; only its cursor extension shows it.
int cursor(xcb_connection_t *c)
{
    std::free(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 4, 0), nullptr));
    auto *image = xcb_xfixes_get_cursor_image_reply(c, xcb_xfixes_get_cursor_image(c), nullptr);
    if (image == nullptr)
        return 1;
    const std::uint32_t *argb = xcb_xfixes_get_cursor_image_cursor_image(image);
    say("%d,%d", image->xhot, image->yhot);
    for (int i = 0; i < image->width * image->height; ++i) {
        const std::uint32_t rgb = argb[i] & 0xFFFFFF;
        const char shade = argb[i] >> 24 == 0 ? '.' : rgb == 0 ? '#' : rgb == 0xFFFFFF ? 'o' : '?';
        say(i % image->width == 0 ? " %c" : "%c", shade);
    }
    std::free(image);
    say("\n");
    return 0;
}

// A program that quits hands its clipboard to the manager and waits for the answer; this one answers at once.
int manager(xcb_connection_t *c)
{
    const xcb_window_t window = xcb_generate_id(c);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_create_window(c, 0, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, 0, 0, nullptr);
    xcb_set_selection_owner(c, window, InternAtom(c, "CLIPBOARD_MANAGER"), XCB_CURRENT_TIME);
    xcb_flush(c);
    say("ready\n");
    while (xcb_generic_event_t *event = xcb_wait_for_event(c)) {
        if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
            const auto *request = reinterpret_cast<xcb_selection_request_event_t *>(event);
            xcb_selection_notify_event_t notify {};
            notify.response_type = XCB_SELECTION_NOTIFY;
            notify.requestor = request->requestor;
            notify.selection = request->selection;
            notify.target = request->target;
            xcb_send_event(c, 0, request->requestor, 0, reinterpret_cast<const char *>(&notify));
            xcb_flush(c);
        }
        std::free(event);
    }
    return 1;
}

// The globals this tool uses, bound as the compositor announces them. The connection is never closed: what
// is made on it stays reachable, as the leak checker sees, until the program ends.
Wl::Bound &wayland()
{
    // The compositor from version 3 on, for buffers of a scale of their own; KWin's fake input from 4 on,
    // for keys.
    static auto *const globals = new Wl::Bound({ { &wl_compositor_interface, 3 }, { &wl_shm_interface },
        { &wl_seat_interface }, { &zwlr_layer_shell_v1_interface },
        { &zwlr_virtual_pointer_manager_v1_interface }, { &xdg_wm_base_interface },
        { &org_kde_kwin_fake_input_interface, 4 }, { &wp_viewporter_interface } });
    return *globals;
}

int serve(const Wl::Bound &w)
{
    while (wl_display_dispatch(w.display()) >= 0) { }
    return 1;
}

// On the top layer, below Zumeko's overlays, at an exact place of the output the compositor gives it.
void placeOnLayer(
    Wl::Bound &w, zwlr_layer_shell_v1 *layers, wl_surface *surface, int width, int height, int x, int y)
{
    zwlr_layer_surface_v1 *layer = zwlr_layer_shell_v1_get_layer_surface(
        layers, surface, nullptr, ZWLR_LAYER_SHELL_V1_LAYER_TOP, "e2etool");
    zwlr_layer_surface_v1_set_anchor(
        layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
    zwlr_layer_surface_v1_set_margin(layer, y, 0, 0, x);
    zwlr_layer_surface_v1_set_size(layer, std::uint32_t(width), std::uint32_t(height));
    static const zwlr_layer_surface_v1_listener configured = {
        [](void *, zwlr_layer_surface_v1 *l, std::uint32_t serial, std::uint32_t, std::uint32_t) {
            zwlr_layer_surface_v1_ack_configure(l, serial);
        },
        ignore,
    };
    zwlr_layer_surface_v1_add_listener(layer, &configured, nullptr);
    wl_surface_commit(surface);
    wl_display_roundtrip(w.display());
}

// A maximized window of xdg-shell, for a compositor without the layer shell (GNOME), which places it itself;
// once configured it has the size the compositor gave it, or the one asked for.
struct Toplevel {
    wl_surface *surface = nullptr;
    int width = 0, height = 0;
    bool configured = false;
};
bool showToplevel(Wl::Bound &w, Toplevel &t)
{
    auto *shell = w.get<xdg_wm_base>(xdg_wm_base_interface);
    if (shell == nullptr)
        return false;
    static const xdg_wm_base_listener alive
        = { [](void *, xdg_wm_base *b, std::uint32_t serial) { xdg_wm_base_pong(b, serial); } };
    xdg_wm_base_add_listener(shell, &alive, nullptr);
    t.surface = wl_compositor_create_surface(w.get<wl_compositor>(wl_compositor_interface));
    xdg_surface *surface = xdg_wm_base_get_xdg_surface(shell, t.surface);
    xdg_toplevel *toplevel = xdg_surface_get_toplevel(surface);
    static const xdg_surface_listener configured = {
        [](void *data, xdg_surface *s, std::uint32_t serial) {
            xdg_surface_ack_configure(s, serial);
            static_cast<Toplevel *>(data)->configured = true;
        },
    };
    static const xdg_toplevel_listener sized
        = { [](void *data, xdg_toplevel *, std::int32_t width, std::int32_t height, wl_array *) {
               if (width > 0 && height > 0) {
                   static_cast<Toplevel *>(data)->width = width;
                   static_cast<Toplevel *>(data)->height = height;
               }
           },
              ignore, ignore, ignore };
    xdg_surface_add_listener(surface, &configured, &t);
    xdg_toplevel_add_listener(toplevel, &sized, &t);
    xdg_toplevel_set_title(toplevel, "e2etool");
    xdg_toplevel_set_maximized(toplevel);
    wl_surface_commit(t.surface);
    while (!t.configured && wl_display_dispatch(w.display()) >= 0) { }
    return t.configured;
}

// A buffer of one colour; null when it cannot be had.
std::unique_ptr<Wl::ShmBuffer> fill(Wl::Bound &w, int width, int height, unsigned rgb)
{
    auto buffer = std::make_unique<Wl::ShmBuffer>(
        w.get<wl_shm>(wl_shm_interface), width, height, 4 * width, WL_SHM_FORMAT_XRGB8888);
    if (buffer->buffer == nullptr)
        return nullptr;
    std::fill(buffer->words(), buffer->words() + width * height, 0xFF000000 | rgb);
    return buffer;
}

// The buffer shown on the surface; "ready" once the compositor asks for the frame after this one.
void present(wl_surface *surface, wl_buffer *buffer)
{
    wl_surface_attach(surface, buffer, 0, 0);
    wl_surface_damage(surface, 0, 0, INT32_MAX, INT32_MAX);
    static const wl_callback_listener shown
        = { [](void *, wl_callback *, std::uint32_t) { say("ready\n"); } };
    wl_callback_add_listener(wl_surface_frame(surface), &shown, nullptr);
    wl_surface_commit(surface);
}

// A window on the layer shell drawn in the output's physical pixels at any scale (its buffer that many times
// the window's size, shown at the window's size): the physical pixel in column c and row r of it is
// #CCRRBB, c and r counted from its top left and cut to 8 bits, so that a colour tells the pixel.
int gridWindow(Wl::Bound &w, int width, int height, int x, int y, double scale, unsigned blue)
{
    auto *layers = w.get<zwlr_layer_shell_v1>(zwlr_layer_shell_v1_interface);
    auto *viewporter = w.get<wp_viewporter>(wp_viewporter_interface);
    const int columns = int(std::lround(width * scale)), rows = int(std::lround(height * scale));
    if (layers == nullptr || viewporter == nullptr)
        return 1;
    const auto buffer = fill(w, columns, rows, 0);
    if (buffer == nullptr)
        return 1;
    std::uint32_t *pixels = buffer->words();
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column)
            pixels[row * columns + column] = 0xFF000000 | std::uint32_t(column & 0xFF) << 16
                | std::uint32_t(row & 0xFF) << 8 | (blue & 0xFF);
    }
    wl_surface *surface = wl_compositor_create_surface(w.get<wl_compositor>(wl_compositor_interface));
    placeOnLayer(w, layers, surface, width, height, x, y);
    wp_viewport_set_destination(wp_viewporter_get_viewport(viewporter, surface), width, height);
    present(surface, buffer->buffer.get());
    return serve(w);
}

// Another application's window: on the layer shell where there is one, else a maximized toplevel, which is
// under every point outside the other windows and the compositor's own bars.
int nativeWindow(Wl::Bound &w, int width, int height, int x, int y, unsigned rgb)
{
    auto *layers = w.get<zwlr_layer_shell_v1>(zwlr_layer_shell_v1_interface);
    auto *seat = w.get<wl_seat>(wl_seat_interface);
    Toplevel t { nullptr, width, height, false };
    if (seat == nullptr || (layers == nullptr && !showToplevel(w, t)))
        return 1;
    const auto buffer = fill(w, t.width, t.height, rgb); // the size asked for, or the one the compositor gave
    if (buffer == nullptr)
        return 1;
    wl_surface *surface = t.surface;
    if (layers != nullptr) {
        surface = wl_compositor_create_surface(w.get<wl_compositor>(wl_compositor_interface));
        placeOnLayer(w, layers, surface, width, height, x, y);
    }
    present(surface, buffer->buffer.get());
    static const wl_pointer_listener presses = { ignore, ignore, ignore,
        [](void *, wl_pointer *, std::uint32_t, std::uint32_t, std::uint32_t button, std::uint32_t state) {
            say(state == WL_POINTER_BUTTON_STATE_PRESSED ? "press %u\n" : "release %u\n", button);
        },
        ignore, ignore, ignore, ignore, ignore, ignore };
    wl_pointer_add_listener(wl_seat_get_pointer(seat), &presses, nullptr);
    return serve(w);
}

// The compositor's own input and screen, for what must reach the compositor itself (its colour picker) and
// what it shows; buttons and keys are evdev codes.
class Desktop {
public:
    virtual ~Desktop() = default;
    virtual QString start() = 0;
    // Each answers an error, or nothing.
    virtual QString move(int x, int y) = 0;
    virtual QString button(int code, bool pressed) = 0;
    virtual QString key(int code, bool pressed) = 0;
    // The area as the compositor shows it, without the cursor; null when it cannot be had.
    virtual QImage capture(int x, int y, int width, int height) = 0;

    QString run(const QStringList &words)
    {
        const auto number = [&words](int i) { return words.value(i).toInt(); };
        const QString command = words.value(0);
        QString error;
        if (command == u"move"_s) {
            error = move(number(1), number(2));
        } else if (command == u"click"_s || command == u"key"_s) {
            // The evdev codes of the left, middle and right buttons.
            const int code = command == u"key"_s
                ? number(1)
                : std::array { 0x110, 0x112, 0x111 }.at(std::size_t(std::clamp(number(1), 1, 3) - 1));
            for (bool pressed : { true, false })
                if (error.isEmpty())
                    error = command == u"key"_s ? key(code, pressed) : button(code, pressed);
        } else if (command == u"pixel"_s || command == u"differ"_s) {
            const bool pixel = command == u"pixel"_s;
            const QImage area = capture(number(1), number(2), pixel ? 1 : number(3), pixel ? 1 : number(4));
            if (area.isNull())
                return u"error the screen cannot be read"_s;
            if (pixel)
                return u"%1"_s.arg(qulonglong(area.pixel(0, 0) & 0xFFFFFF), 6, 16, QChar(u'0')).toUpper();
            int differing = 0;
            for (int y = 0; y < area.height(); ++y)
                for (int x = 0; x < area.width(); ++x)
                    differing += (area.pixel(x, y) & 0xFFFFFF) != words.value(5).toUInt(nullptr, 16);
            return QString::number(differing);
        } else {
            return u"error no such command"_s;
        }
        return error.isEmpty() ? u"ok"_s : u"error "_s + error;
    }

protected:
    static QString failure(const QDBusMessage &reply)
    {
        return reply.type() == QDBusMessage::ErrorMessage ? reply.errorMessage() : QString();
    }
    QDBusConnection m_bus = QDBusConnection::sessionBus();
};

// GNOME: mutter's remote desktop, joined to a recording of the monitor (the pointer moves in the stream's
// coordinates), and gnome-shell's screenshots, which it gives to a few names only and writes to a file.
class GnomeDesktop final : public Desktop {
public:
    explicit GnomeDesktop(QString folder)
        : m_folder(std::move(folder))
    {
    }
    QString start() override
    {
        if (!m_bus.registerService(u"org.gnome.Screenshot"_s))
            return u"cannot own org.gnome.Screenshot"_s;
        QDBusMessage reply
            = call(u"RemoteDesktop"_s, u"/org/gnome/Mutter/RemoteDesktop"_s, u""_s, u"CreateSession"_s);
        m_session = path(reply);
        reply = call(u"RemoteDesktop"_s, m_session, u"org.freedesktop.DBus.Properties"_s, u"Get"_s,
            { u"org.gnome.Mutter.RemoteDesktop.Session"_s, u"SessionId"_s });
        const QString id = reply.arguments().value(0).value<QDBusVariant>().variant().toString();
        reply = call(u"ScreenCast"_s, u"/org/gnome/Mutter/ScreenCast"_s, u""_s, u"CreateSession"_s,
            { QVariantMap { { u"remote-desktop-session-id"_s, id } } });
        reply = call(
            u"ScreenCast"_s, path(reply), u".Session"_s, u"RecordMonitor"_s, { u""_s, QVariantMap {} });
        m_stream = path(reply);
        // Input sent before the stream runs is lost.
        QEventLoop running;
        m_bus.connect(u"org.gnome.Mutter.ScreenCast"_s, m_stream, u"org.gnome.Mutter.ScreenCast.Stream"_s,
            u"PipeWireStreamAdded"_s, &running, SLOT(quit()));
        reply = call(u"RemoteDesktop"_s, m_session, u".Session"_s, u"Start"_s);
        if (reply.type() == QDBusMessage::ErrorMessage)
            return reply.errorMessage();
        QTimer::singleShot(10000, &running, &QEventLoop::quit);
        running.exec();
        // The seat has a keyboard from the first key on; the desktop's picker wants one when it opens.
        QString error = key(42, true);
        return error.isEmpty() ? key(42, false) : error;
    }
    QString move(int x, int y) override
    {
        return failure(call(u"RemoteDesktop"_s, m_session, u".Session"_s, u"NotifyPointerMotionAbsolute"_s,
            { m_stream, double(x), double(y) }));
    }
    QString button(int code, bool pressed) override
    {
        return failure(
            call(u"RemoteDesktop"_s, m_session, u".Session"_s, u"NotifyPointerButton"_s, { code, pressed }));
    }
    QString key(int code, bool pressed) override
    {
        return failure(call(u"RemoteDesktop"_s, m_session, u".Session"_s, u"NotifyKeyboardKeycode"_s,
            { uint(code), pressed }));
    }
    QImage capture(int x, int y, int width, int height) override
    {
        const QString file = m_folder + u"/area.png"_s;
        const QDBusMessage reply = call(u"Screenshot"_s, u"/org/gnome/Shell/Screenshot"_s, u""_s,
            u"ScreenshotArea"_s, { x, y, width, height, false, file });
        return reply.type() == QDBusMessage::ErrorMessage
            ? QImage()
            : QImage(file).convertToFormat(QImage::Format_RGB32);
    }

private:
    // SERVICE is Mutter's RemoteDesktop or ScreenCast, or the Shell's Screenshot; an interface that starts
    // with a dot is one of the service's own.
    QDBusMessage call(const QString &service, const QString &path, QString interface, const QString &method,
        const QVariantList &arguments = {})
    {
        const QString name
            = (service == u"Screenshot"_s ? u"org.gnome.Shell."_s : u"org.gnome.Mutter."_s) + service;
        if (interface.isEmpty() || interface.startsWith(u'.'))
            interface.prepend(name);
        QDBusMessage message = QDBusMessage::createMethodCall(name, path, interface, method);
        message.setArguments(arguments);
        return m_bus.call(message, QDBus::Block, 10000);
    }
    static QString path(const QDBusMessage &reply)
    {
        return reply.arguments().value(0).value<QDBusObjectPath>().path();
    }

    QString m_folder, m_session, m_stream;
};

// KWin: its fake input protocol, which its own test switch lets any client use (see start_kwin), and its
// screenshots, which it writes to a pipe as the raw lines of a QImage.
class KWinDesktop final : public Desktop {
public:
    explicit KWinDesktop(Wl::Bound &wayland)
        : m_wayland(wayland)
    {
    }
    QString start() override
    {
        if (m_wayland.display() == nullptr)
            return u"no Wayland compositor"_s;
        m_input = m_wayland.get<org_kde_kwin_fake_input>(org_kde_kwin_fake_input_interface);
        if (m_input == nullptr)
            return u"the compositor offers no fake input"_s;
        org_kde_kwin_fake_input_authenticate(m_input, "e2etool", "the end-to-end driver");
        return sync();
    }
    QString move(int x, int y) override
    {
        org_kde_kwin_fake_input_pointer_motion_absolute(m_input, wl_fixed_from_int(x), wl_fixed_from_int(y));
        return sync();
    }
    QString button(int code, bool pressed) override
    {
        org_kde_kwin_fake_input_button(m_input, std::uint32_t(code), pressed ? 1 : 0);
        return sync();
    }
    QString key(int code, bool pressed) override
    {
        org_kde_kwin_fake_input_keyboard_key(m_input, std::uint32_t(code), pressed ? 1 : 0);
        return sync();
    }
    QImage capture(int x, int y, int width, int height) override
    {
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0)
            return {};
        QDBusMessage call = QDBusMessage::createMethodCall(u"org.kde.KWin"_s, u"/org/kde/KWin/ScreenShot2"_s,
            u"org.kde.KWin.ScreenShot2"_s, u"CaptureArea"_s);
        const QVariantMap options { { u"include-cursor"_s, false }, { u"native-resolution"_s, true } };
        {
            // Our copy of the pipe's end is gone before we read, so that KWin's closing it ends the data.
            const QDBusUnixFileDescriptor sink(pipe[1]);
            ::close(pipe[1]);
            call << x << y << uint(width) << uint(height) << options << QVariant::fromValue(sink);
            call = m_bus.call(call, QDBus::Block, 10000);
        }
        QByteArray data;
        char chunk[65536];
        for (ssize_t n; (n = read(pipe[0], chunk, sizeof chunk)) > 0;)
            data.append(chunk, n);
        ::close(pipe[0]);
        const QVariantMap results = qdbus_cast<QVariantMap>(call.arguments().value(0));
        const int w = results.value(u"width"_s).toInt(), h = results.value(u"height"_s).toInt(),
                  stride = results.value(u"stride"_s).toInt();
        if (call.type() == QDBusMessage::ErrorMessage || w <= 0 || h <= 0
            || data.size() < qsizetype(stride) * h)
            return {};
        return QImage(reinterpret_cast<const uchar *>(data.constData()), w, h, stride,
            QImage::Format(results.value(u"format"_s).toInt()))
            .convertToFormat(QImage::Format_RGB32);
    }

private:
    QString sync()
    {
        return wl_display_roundtrip(m_wayland.display()) < 0 ? u"the compositor went away"_s : QString();
    }

    Wl::Bound &m_wayland;
    org_kde_kwin_fake_input *m_input = nullptr;
};

int desktop(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::unique_ptr<Desktop> desktop;
    Wl::Bound &connection = wayland();
    if (QDBusConnection::sessionBus().interface()->isServiceRegistered(u"org.kde.KWin"_s))
        desktop = std::make_unique<KWinDesktop>(connection);
    else
        desktop = std::make_unique<GnomeDesktop>(app.arguments().value(2));
    const QString why = desktop->start();
    if (!why.isEmpty()) {
        std::fprintf(stderr, "e2etool desktop: %s\n", qPrintable(why));
        return 1;
    }
    say("ready\n");
    // One command a line, each answered before the next is read, so that the driver knows it was done.
    for (std::string line; std::getline(std::cin, line);)
        say("%s\n", qPrintable(desktop->run(QString::fromStdString(line).split(u' ', Qt::SkipEmptyParts))));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "points") {
        namespace M = FrmMainLayout;
        namespace I = FrmInfoLayout;
        say("CLIENT=(%d %d)\nABOUT=(%d %d)\n", Twips::Pixels(M::ClientWidth), Twips::Pixels(M::ClientHeight),
            Twips::Pixels(I::ClientWidth), Twips::Pixels(I::ClientHeight));
        point("COPY", M::CmdCopy);
        point("RED_LEFT", M::HScroll[0], {}, 8);
        point("SWATCH", M::LblGetcolor);
        point("POSITION", M::LblCurposition, M::Frame1, 2);
        point("OPTION2", M::Option2, M::Frame1, 8);
        point("FONT_TAG", M::ChkFonttag, M::Frame2, 8);
        point("ABOUT_OK", I::CmdOK);
        point("ABOUT_URL", I::LblUrl, {}, 10);
        return 0;
    }
    if (command == "desktop")
        return desktop(argc, argv);
    if (command == "compositor") {
        wl_display *display = wl_display_create();
        for (const wl_interface *global : { &wl_compositor_interface, &wl_shm_interface,
                 &zwlr_layer_shell_v1_interface, &zxdg_output_manager_v1_interface })
            wl_global_create(display, global, global->version, const_cast<wl_interface *>(global),
                [](wl_client *client, void *interface, std::uint32_t version, std::uint32_t id) {
                    wl_resource_create(
                        client, static_cast<const wl_interface *>(interface), int(version), id);
                });
        const char *socket = wl_display_add_socket_auto(display);
        if (socket == nullptr)
            return 1;
        say("ready %s\n", socket);
        wl_display_run(display);
        return 1;
    }
    int width = 0, height = 0, x = 0, y = 0;
    unsigned rgb = 0;
    if (command == "pointer" || command == "grid"
        || (command == "window" && std::getenv("WAYLAND_DISPLAY") != nullptr)) {
        Wl::Bound &w = wayland();
        auto *pointers = w.get<zwlr_virtual_pointer_manager_v1>(zwlr_virtual_pointer_manager_v1_interface);
        if (command == "pointer" && pointers != nullptr) {
            zwlr_virtual_pointer_manager_v1_create_virtual_pointer(
                pointers, w.get<wl_seat>(wl_seat_interface));
            wl_display_roundtrip(w.display());
            say("ready\n");
            return serve(w);
        }
        if (command == "grid" && argc == 5
            && std::sscanf(argv[2], "%dx%d+%d+%d", &width, &height, &x, &y) == 4
            && std::sscanf(argv[3], "%2x", &rgb) == 1)
            return gridWindow(w, width, height, x, y, std::atof(argv[4]), rgb);
        if (argc >= 4 && std::sscanf(argv[2], "%dx%d+%d+%d", &width, &height, &x, &y) == 4
            && std::sscanf(argv[3], "%6x", &rgb) == 1)
            return nativeWindow(w, width, height, x, y, rgb);
    }
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    int status = 2;
    if (xcb_connection_has_error(c) != 0)
        status = 2;
    else if (command == "close" && argc == 3)
        status = close(c, xcb_window_t(std::strtoul(argv[2], nullptr, 0)));
    else if (command == "window" && argc == 4
        && std::sscanf(argv[2], "%dx%d+%d+%d", &width, &height, &x, &y) == 4
        && std::sscanf(argv[3], "%6x", &rgb) == 1)
        status = xWindow(c, width, height, x, y, rgb);
    else if (command == "grab" && argc == 3)
        status = grab(c, std::atof(argv[2]));
    else if (command == "cursor")
        status = cursor(c);
    else if (command == "manager")
        status = manager(c);
    xcb_disconnect(c);
    return status;
}
