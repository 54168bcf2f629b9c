// SPDX-License-Identifier: MIT
// What the end-to-end driver needs that xdotool, swaymsg and grim cannot do:
//   e2etool points                  the layouts' click points in pixels at scale 1, as shell assignments
//   e2etool close WINDOW-ID         asks an X window to close as a window manager's close button does
//   e2etool window WxH+X+Y RRGGBB [SCALE]
//                                   another application's window of one colour at that place: an X window,
//                                   or in a Wayland session a native surface (of a scale of its own, see
//                                   nativeWindow); it says "ready" once shown
//                                   and "press BUTTON" and "release BUTTON" for each that reaches it
//   e2etool grab SECONDS            holds the X pointer that long; status 1 when another client holds it
//   e2etool manager                 an X clipboard manager that takes nothing over: it only answers
//   e2etool pointer                 gives a headless Wayland seat a pointer (it has none), then stays
//   e2etool compositor              a Wayland compositor that offers nothing (as GNOME offers none of
//                                   wlroots' protocols); it says "ready SOCKET" in XDG_RUNTIME_DIR
//   e2etool portal ANSWER...        a desktop portal on the session bus whose PickColor gives, call by
//                                   call: "R,G,B" (sRGB, 0 to 1) picked ("~R,G,B" as an older portal that
//                                   names its request object its own way, "+R,G,B" a second later),
//                                   "cancel", "refuse" (response 2) or "error" (an error reply); it says
//                                   "ready", then "pick N" for each call and "answered N" for each answer
#include "atom_x11.h"
#include "frminfolayout.h"
#include "frmmainlayout.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QTimer>

#include <wayland-client.h>
#include <wayland-server.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string_view>

#include <sys/mman.h>
#include <unistd.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
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
template <typename... Args> void ignore(void *, Args...) { }

// The middle of a control, or a point `offset` pixels in from its left edge for a box or a round mark.
void point(const char *name, Forms::Place place, Forms::Place parent = {}, int offset = -1)
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

// The globals this tool uses, bound as the compositor announces them.
struct Wayland {
    wl_display *display = wl_display_connect(nullptr);
    std::map<std::string_view, void *> globals;

    Wayland()
    {
        static const wl_registry_listener listener = {
            [](void *data, wl_registry *registry, std::uint32_t name, const char *interface,
                std::uint32_t version) {
                for (const wl_interface *type :
                    { &wl_compositor_interface, &wl_shm_interface, &wl_seat_interface,
                        &zwlr_layer_shell_v1_interface, &zwlr_virtual_pointer_manager_v1_interface }) {
                    // The compositor from version 3 on, for buffers of a scale of their own.
                    if (std::string_view(interface) == type->name)
                        static_cast<Wayland *>(data)->globals[type->name] = wl_registry_bind(registry, name,
                            type, type == &wl_compositor_interface ? std::min(version, 3u) : 1);
                }
            },
            ignore,
        };
        if (display != nullptr) {
            wl_registry_add_listener(wl_display_get_registry(display), &listener, this);
            wl_display_roundtrip(display);
        }
    }
    template <typename T> T *get(const wl_interface &type) { return static_cast<T *>(globals[type.name]); }
    int serve()
    {
        while (wl_display_dispatch(display) >= 0) { }
        return 1;
    }
};

// On the top layer, below Zumeko's overlays, at an exact place of the output the compositor gives it. At a
// scale of 2 each of its pixels is four, each quarter in a colour of its own: RRGGBB at the top left, its
// red, green or blue inverted at the top right, bottom left and bottom right.
int nativeWindow(Wayland &w, int width, int height, int x, int y, unsigned rgb, int scale)
{
    const int stride = 4 * width * scale, size = stride * height * scale;
    const int fd = memfd_create("e2etool", MFD_CLOEXEC);
    auto *layers = w.get<zwlr_layer_shell_v1>(zwlr_layer_shell_v1_interface);
    auto *seat = w.get<wl_seat>(wl_seat_interface);
    if (layers == nullptr || seat == nullptr || fd < 0 || ftruncate(fd, size) != 0)
        return 1;
    auto *pixels
        = static_cast<std::uint32_t *>(mmap(nullptr, std::size_t(size), PROT_WRITE, MAP_SHARED, fd, 0));
    for (int i = 0; i < size / 4; ++i) {
        const int quarter = scale == 1 ? 0 : (i / (width * scale)) % 2 * 2 + i % 2;
        pixels[i] = 0xFF000000 | (rgb ^ (quarter == 0 ? 0 : 0xFF000000u >> (8 * quarter)));
    }
    wl_shm_pool *pool = wl_shm_create_pool(w.get<wl_shm>(wl_shm_interface), fd, size);
    wl_buffer *buffer
        = wl_shm_pool_create_buffer(pool, 0, width * scale, height * scale, stride, WL_SHM_FORMAT_XRGB8888);
    wl_surface *surface = wl_compositor_create_surface(w.get<wl_compositor>(wl_compositor_interface));
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
    wl_display_roundtrip(w.display);
    wl_surface_attach(surface, buffer, 0, 0);
    wl_surface_set_buffer_scale(surface, scale);
    wl_surface_damage(surface, 0, 0, width, height);
    // Shown once the compositor asks for the frame after this one.
    static const wl_callback_listener shown
        = { [](void *, wl_callback *, std::uint32_t) { say("ready\n"); } };
    wl_callback_add_listener(wl_surface_frame(surface), &shown, nullptr);
    wl_surface_commit(surface);
    static const wl_pointer_listener presses = { ignore, ignore, ignore,
        [](void *, wl_pointer *, std::uint32_t, std::uint32_t, std::uint32_t button, std::uint32_t state) {
            say(state == WL_POINTER_BUTTON_STATE_PRESSED ? "press %u\n" : "release %u\n", button);
        },
        ignore, ignore, ignore, ignore, ignore, ignore };
    wl_pointer_add_listener(wl_seat_get_pointer(seat), &presses, nullptr);
    return w.serve();
}

class Portal final : public QDBusVirtualObject {
public:
    explicit Portal(QStringList answers)
        : m_answers(std::move(answers))
    {
    }
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &call, const QDBusConnection &bus) override
    {
        if (call.member() != u"PickColor"_s)
            return false;
        say("pick %d\n", ++m_calls);
        const QString answer = m_answers.isEmpty() ? u"error"_s : m_answers.takeFirst();
        if (answer == u"error"_s)
            return bus.send(
                call.createErrorReply(u"org.freedesktop.portal.Error.Failed"_s, u"no picker here"_s));
        const bool older = answer.startsWith(u'~'), slow = answer.startsWith(u'+');
        const QString path = u"/org/freedesktop/portal/desktop/request/%1/%2"_s.arg(
            older ? u"older"_s : call.service().mid(1).replace(u'.', u'_'),
            qdbus_cast<QVariantMap>(call.arguments().value(1)).value(u"handle_token"_s).toString());

        bus.send(call.createReply(QVariant::fromValue(QDBusObjectPath(path))));
        // The answer comes later, from the request object, as a real portal's does when the user has picked.
        QTimer::singleShot(slow ? 1000 : 50, [answer, path, n = m_calls] {
            QDBusMessage response
                = QDBusMessage::createSignal(path, u"org.freedesktop.portal.Request"_s, u"Response"_s);
            const QStringList rgb
                = answer.mid(answer.startsWith(u'~') || answer.startsWith(u'+') ? 1 : 0).split(u',');
            QVariantMap results;
            if (rgb.size() == 3) {
                QDBusArgument color;
                color.beginStructure();
                color << rgb[0].toDouble() << rgb[1].toDouble() << rgb[2].toDouble();
                color.endStructure();
                results[u"color"_s] = QVariant::fromValue(color);
            }
            response << uint(rgb.size() == 3 ? 0 : answer == u"cancel"_s ? 1 : 2) << results;
            QDBusConnection::sessionBus().send(response);
            say("answered %d\n", n);
        });
        return true;
    }

private:
    QStringList m_answers;
    int m_calls = 0;
};

int portal(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Portal portal(app.arguments().mid(2));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(u"/org/freedesktop/portal/desktop"_s, &portal)
        || !bus.registerService(u"org.freedesktop.portal.Desktop"_s))
        return 1;
    say("ready\n");
    return app.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "points") {
        namespace M = FrmMainLayout;
        namespace I = FrmInfoLayout;
        say("CLIENT=(%d %d)\nABOUT=(%d %d)\n", Forms::Pixels(M::ClientWidth), Forms::Pixels(M::ClientHeight),
            Forms::Pixels(I::ClientWidth), Forms::Pixels(I::ClientHeight));
        point("COPY", M::CmdCopy);
        point("RED_LEFT", M::HScroll[0], {}, 8);
        point("SWATCH", M::LblGetcolor);
        point("OPTION2", M::Option2, M::Frame1, 8);
        point("FONT_TAG", M::ChkFonttag, M::Frame2, 8);
        point("ABOUT_OK", I::CmdOK);
        point("ABOUT_URL", I::LblUrl, {}, 10);
        return 0;
    }
    if (command == "portal")
        return portal(argc, argv);
    if (command == "compositor") {
        wl_display *display = wl_display_create();
        const char *socket = wl_display_add_socket_auto(display);
        if (socket == nullptr)
            return 1;
        say("ready %s\n", socket);
        wl_display_run(display);
        return 1;
    }
    int width = 0, height = 0, x = 0, y = 0;
    unsigned rgb = 0;
    if (command == "pointer" || (command == "window" && std::getenv("WAYLAND_DISPLAY") != nullptr)) {
        Wayland w;
        auto *pointers = w.get<zwlr_virtual_pointer_manager_v1>(zwlr_virtual_pointer_manager_v1_interface);
        if (command == "pointer" && pointers != nullptr) {
            zwlr_virtual_pointer_manager_v1_create_virtual_pointer(
                pointers, w.get<wl_seat>(wl_seat_interface));
            wl_display_roundtrip(w.display);
            say("ready\n");
            return w.serve();
        }
        if (argc >= 4 && std::sscanf(argv[2], "%dx%d+%d+%d", &width, &height, &x, &y) == 4
            && std::sscanf(argv[3], "%6x", &rgb) == 1)
            return nativeWindow(w, width, height, x, y, rgb, argc > 4 ? std::atoi(argv[4]) : 1);
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
    else if (command == "manager")
        status = manager(c);
    if (status == 2)
        std::fprintf(stderr,
            "usage: e2etool points | close ID | window WxH+X+Y RRGGBB | grab SECONDS | manager | pointer | "
            "compositor | portal ANSWER...\n");
    xcb_disconnect(c);
    return status;
}
