// SPDX-License-Identifier: MIT
#include "x11/services.h"

#include "version.h"
#include "x11/atom.h"
#include "x11/grab.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QTimer>
#include <QWindow>

#include <cstdlib>
#include <cstring>
#include <limits>

namespace Module1 {

namespace {

    bool fitsInt16(std::int32_t v)
    {
        return v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max();
    }

    // Qt's own connection to the X server, which holds the window and the clipboard; none under another of
    // Qt's platforms (offscreen, in tests).
    xcb_connection_t *qtConnection()
    {
        if (qGuiApp == nullptr || QGuiApplication::platformName() != QLatin1String("xcb"))
            return nullptr;
        const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        return x11 != nullptr ? x11->connection() : nullptr;
    }

    // Ends a loop once Qt has been handed the PropertyNotify of one property of one window. It hands the
    // event on, so that Qt reads its time as it reads every PropertyNotify's.
    class PropertyWatch final : public QAbstractNativeEventFilter {
    public:
        PropertyWatch(xcb_window_t window, xcb_atom_t atom, QEventLoop &loop)
            : m_window(window)
            , m_atom(atom)
            , m_loop(loop)
        {
        }
        bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
        {
            const auto *event = static_cast<const xcb_generic_event_t *>(message);
            if (type != "xcb_generic_event_t" || (event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
                return false;
            const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
            if (notify->window == m_window && notify->atom == m_atom) {
                seen = true;
                m_loop.quit();
            }
            return false;
        }
        bool seen = false;

    private:
        xcb_window_t m_window;
        xcb_atom_t m_atom;
        QEventLoop &m_loop;
    };

} // namespace

X11Services::X11Services()
{
    int screenNumber = 0;
    // The same display however DISPLAY spells it (":0", ":0.1", "unix:0"): host and number.
    char *host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, nullptr) != 0) {
        m_display = std::string(std::strcmp(host, "unix") == 0 ? "" : host) + ':' + std::to_string(display);
        std::free(host);
    }
    m_connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(m_connection))
        return;
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    auto roots = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && roots.rem > 0; ++i)
        xcb_screen_next(&roots);
    if (roots.rem == 0)
        return;
    const xcb_screen_t *screen = roots.data;
    m_root = screen->root;
    m_format.mostSignificantByteFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    readFormat(setup, screen);
    m_usable = true;
}

X11Services::~X11Services()
{
    xcb_disconnect(m_connection);
}

std::string X11Services::unavailableReason()
{
    if (m_usable)
        return {};
    const char *display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        return "no X display: DISPLAY is not set (Zumeko needs an X11 session or XWayland)";
    return std::string("cannot open the X display \"") + display + "\"";
}

// In a Wayland session Qt would pick its Wayland plugin; the window stays on the X server (XWayland there),
// where it can be placed and the About box centred on it.
const char *X11Services::guiPlatform() const
{
    return "xcb";
}

// On X11 a copied text lives only as long as the program that copied it. Where no clipboard manager takes
// it over, a helper of ours keeps it until another program copies something.
void X11Services::keepClipboard(const std::string &text)
{
    if (!healthy())
        return;
    const XcbReply<xcb_get_selection_owner_reply_t> manager(xcb_get_selection_owner_reply(m_connection,
        xcb_get_selection_owner(m_connection, InternAtom(m_connection, "CLIPBOARD_MANAGER")), nullptr));
    QStringList arguments;
    if (manager != nullptr && manager->owner != XCB_NONE) {
        // wlroots' X bridge answers as the X clipboard manager, yet keeps nothing once the X owner is gone:
        // in a Wayland session the helper still keeps the Wayland selection where data control allows.
        if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            return;
        arguments << QStringLiteral("--wayland-only");
    }
    QProcess helper;
    helper.start(
        QCoreApplication::applicationDirPath() + QStringLiteral("/" ZUMEKO_HELPER_DIR "/zumeko-clipboard"),
        arguments);
    helper.write(text.data(), qint64(text.size()));
    helper.closeWriteChannel();
    helper.waitForFinished(); // until the helper has the clipboard, which takes a moment
}

// Qt takes the clipboard with the time of the last event it has read, and the X server refuses an owner
// whose time is older than the current owner's: so a click read before the news that another program (a
// compositor's X bridge, say) took the clipboard leaves that program's text there. Qt only warns, and its
// own read-back cannot be trusted, so the server is asked who holds the clipboard.
bool X11Services::putOnClipboard(const std::function<bool()> &write)
{
    const bool written = write();
    xcb_connection_t *qt = qtConnection();
    if (!healthy() || qt == nullptr || clipboardOwnedBy(qt))
        return written;
    return freshTimeFor(qt) && write() && clipboardOwnedBy(qt);
}

// Whether the clipboard's owner is a window of Qt's connection: its ids all lie in that connection's range.
bool X11Services::clipboardOwnedBy(xcb_connection_t *qt)
{
    const XcbReply<xcb_get_selection_owner_reply_t> reply(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, InternAtom(m_connection, "CLIPBOARD")), nullptr));
    const xcb_setup_t *setup = xcb_get_setup(qt);
    return reply != nullptr && reply->owner != XCB_NONE
        && (reply->owner & ~setup->resource_id_mask) == setup->resource_id_base;
}

// Brings Qt's connection the server's time of now: a property changed on one of Qt's windows is told to Qt
// with that time, and Qt's time moves on with every PropertyNotify it reads. False when none came.
bool X11Services::freshTimeFor(xcb_connection_t *qt)
{
    xcb_window_t window = XCB_NONE;
    for (const QWindow *shown : QGuiApplication::topLevelWindows()) {
        if (shown->handle() != nullptr) {
            window = xcb_window_t(shown->winId());
            break;
        }
    }
    if (window == XCB_NONE || xcb_connection_has_error(qt) != 0)
        return false;
    const xcb_atom_t atom = InternAtom(m_connection, "_ZUMEKO_TIMESTAMP");
    QEventLoop loop;
    PropertyWatch watch(window, atom, loop);
    QCoreApplication::instance()->installNativeEventFilter(&watch);
    // Appending nothing changes nothing but the property's time.
    xcb_change_property(m_connection, XCB_PROP_MODE_APPEND, window, atom, XCB_ATOM_INTEGER, 32, 0, nullptr);
    xcb_flush(m_connection);
    constexpr int Patience = 2000; // ms; the server answers at once unless it is gone
    QTimer::singleShot(Patience, &loop, &QEventLoop::quit);
    // Only the watched event is waited for; the user's input waits in its turn.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    QCoreApplication::instance()->removeNativeEventFilter(&watch);
    return watch.seen;
}

bool X11Services::displayLost()
{
    // A broken connection shows only when it is used.
    if (healthy())
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    return m_usable && !healthy();
}

bool X11Services::cursorPos(CursorPoint &point)
{
    if (!healthy())
        return false;
    const XcbReply<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr));
    if (reply == nullptr)
        return false;
    point = { reply->root_x, reply->root_y };
    return true;
}

Handle X11Services::desktopWindow()
{
    return healthy() ? static_cast<Handle>(m_root) : 0;
}

Handle X11Services::windowDC(Handle window)
{
    if (!healthy() || window <= 0
        || static_cast<std::uint64_t>(window) > std::numeric_limits<xcb_window_t>::max())
        return 0;
    return m_contexts.open(window);
}

xcb_window_t X11Services::contextWindow(Handle dc) const
{
    // Only windows that fit an xcb_window_t are given contexts.
    return static_cast<xcb_window_t>(m_contexts.window(dc));
}

std::int32_t X11Services::pixel(Handle dc, std::int32_t x, std::int32_t y)
{
    const xcb_window_t window = contextWindow(dc);
    if (window == XCB_NONE || !healthy() || !fitsInt16(x) || !fitsInt16(y))
        return NoColor;
    // Off the screen the server answers with a BadMatch error; the connection stays usable.
    xcb_generic_error_t *error = nullptr;
    const XcbReply<xcb_get_image_reply_t> reply(xcb_get_image_reply(m_connection,
        xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, static_cast<std::int16_t>(x),
            static_cast<std::int16_t>(y), 1, 1, ~0u),
        &error));
    std::free(error);
    if (reply == nullptr)
        return NoColor;
    return ToScreenColor(xcb_get_image_data(reply.get()),
        static_cast<std::size_t>(xcb_get_image_data_length(reply.get())), m_format);
}

int X11Services::releaseDC(Handle window, Handle dc)
{
    return m_contexts.close(window, dc);
}

std::unique_ptr<PointerGrab> X11Services::createPointerGrab(GrabClient &client)
{
    return std::make_unique<X11PointerGrab>(client);
}

bool X11Services::healthy() const
{
    return m_usable && !xcb_connection_has_error(m_connection);
}

void X11Services::readFormat(const xcb_setup_t *setup, const xcb_screen_t *screen)
{
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem > 0; xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
             xcb_visualtype_next(&visuals)) {
            if (visuals.data->visual_id == screen->root_visual) {
                m_format.redMask = visuals.data->red_mask;
                m_format.greenMask = visuals.data->green_mask;
                m_format.blueMask = visuals.data->blue_mask;
            }
        }
    }
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem > 0;
         xcb_format_next(&formats)) {
        if (formats.data->depth == screen->root_depth)
            m_format.bitsPerPixel = formats.data->bits_per_pixel;
    }
}

} // namespace Module1
