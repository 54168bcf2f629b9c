// SPDX-License-Identifier: MIT
#include "x11/session.h"

#include "version.h"
#include "x11/atom.h"
#include "x11/source.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <cstdlib>
#include <cstring>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

namespace Module1 {

namespace {

    // ShellExecute's own failure codes, so callers see the same numbers on every platform.
    constexpr std::intptr_t SE_ERR_OOM = 8;
    constexpr std::intptr_t SE_ERR_FNF = 2;
    constexpr std::intptr_t SE_ERR_NOASSOC = 31;
    constexpr std::intptr_t ShellOk = 42;

    // A folder owned by this user alone, and no link: one that another user made cannot hold our lock.
    bool isPrivateFolder(const std::string &path)
    {
        struct stat info { };
        return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid()
            && (info.st_mode & 077) == 0;
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
            if (type == "xcb_generic_event_t" && (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
                const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
                if (notify->window == m_window && notify->atom == m_atom) {
                    seen = true;
                    m_loop.quit();
                }
            }
            return false; // every event, the watched one too, goes on to Qt
        }
        bool seen = false;

    private:
        xcb_window_t m_window;
        xcb_atom_t m_atom;
        QEventLoop &m_loop;
    };

} // namespace

X11Session::X11Session(Desktop desktop, const ScreenMaker &screen)
    : m_desktop(desktop)
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
    if (!xcb_connection_has_error(m_connection)) {
        auto roots = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; i < screenNumber && roots.rem > 0; ++i)
            xcb_screen_next(&roots);
        if (roots.rem > 0) {
            m_root = roots.data->root;
            m_usable = true;
        }
    }
    m_screen = screen ? screen(*this) : std::make_unique<X11Source>(*this);
}

X11Session::~X11Session()
{
    m_screen.reset(); // it may read through the connection to its end
    xcb_disconnect(m_connection);
}

std::string X11Session::unavailableReason()
{
    if (std::string why = m_screen->unavailableReason(); !why.empty())
        return why;
    if (m_usable)
        return {};
    const char *display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        return "no X display: DISPLAY is not set (Zumeko needs an X11 session or XWayland)";
    return std::string("cannot open the X display \"") + display + "\"";
}

// In a Wayland session Qt would pick its Wayland plugin; the window stays on the X server (XWayland there),
// where it can be placed and the About box centred on it.
const char *X11Session::guiPlatform() const
{
    return "xcb";
}

// On X11 a copied text lives only as long as the program that copied it. Where no clipboard manager takes
// it over, a helper of ours keeps it until another program copies something.
void X11Session::keepClipboard(const std::string &text)
{
    if (!healthy())
        return;
    const XcbReply<xcb_get_selection_owner_reply_t> manager(xcb_get_selection_owner_reply(m_connection,
        xcb_get_selection_owner(m_connection, InternAtom(m_connection, "CLIPBOARD_MANAGER")), nullptr));
    QStringList arguments;
    if (manager != nullptr && manager->owner != XCB_NONE) {
        // wlroots' X bridge answers as the X clipboard manager, yet keeps nothing once the X owner is gone:
        // in a Wayland session the helper still keeps the Wayland selection where data control allows.
        if (m_desktop != Desktop::Wayland)
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
bool X11Session::putOnClipboard(const std::function<bool()> &write)
{
    const bool written = write();
    xcb_connection_t *qt = qtConnection();
    if (!healthy() || qt == nullptr || clipboardOwnedBy(qt))
        return written;
    return freshTimeFor(qt) && write() && clipboardOwnedBy(qt);
}

// Whether the clipboard's owner is a window of Qt's connection: its ids all lie in that connection's range.
bool X11Session::clipboardOwnedBy(xcb_connection_t *qt)
{
    const XcbReply<xcb_get_selection_owner_reply_t> reply(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, InternAtom(m_connection, "CLIPBOARD")), nullptr));
    const xcb_setup_t *setup = xcb_get_setup(qt);
    return reply != nullptr && reply->owner != XCB_NONE
        && (reply->owner & ~setup->resource_id_mask) == setup->resource_id_base;
}

// Brings Qt's connection the server's time of now: a property changed on one of Qt's windows is told to Qt
// with that time, and Qt's time moves on with every PropertyNotify it reads. False when none came.
bool X11Session::freshTimeFor(xcb_connection_t *qt)
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

bool X11Session::displayLost()
{
    // A broken connection shows only when it is used.
    if (healthy())
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    return m_usable && !healthy();
}

// Until the screen source has seen the pointer, the X server's word stands: it is right over Zumeko's own
// window, where screen mode is chosen.
bool X11Session::cursorPos(CursorPoint &point)
{
    if (const auto seen = m_screen->pointer()) {
        point = *seen;
        return true;
    }
    if (!healthy())
        return false;
    const XcbReply<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr));
    if (reply == nullptr)
        return false;
    point = { reply->root_x, reply->root_y };
    return true;
}

Handle X11Session::desktopWindow()
{
    return healthy() ? static_cast<Handle>(m_root) : 0;
}

Handle X11Session::windowDC(Handle window)
{
    if (!healthy() || window <= 0
        || static_cast<std::uint64_t>(window) > std::numeric_limits<xcb_window_t>::max())
        return 0;
    return m_contexts.open(window);
}

std::int32_t X11Session::pixel(Handle dc, std::int32_t x, std::int32_t y)
{
    const Handle window = m_contexts.window(dc);
    if (window == 0 || !healthy())
        return NoColor;
    return m_screen->pixel(window, x, y);
}

int X11Session::releaseDC(Handle window, Handle dc)
{
    return m_contexts.close(window, dc);
}

std::vector<std::int32_t> X11Session::pixels(std::int32_t x, std::int32_t y, int width, int height)
{
    if (!healthy())
        return std::vector<std::int32_t>(std::size_t(width) * std::size_t(height), NoColor);
    return m_screen->pixels(desktopWindow(), x, y, width, height);
}

std::unique_ptr<PointerGrab> X11Session::createPointerGrab(GrabClient &client)
{
    return m_screen->createPointerGrab(client, desktopWindow());
}

xcb_connection_t *X11Session::connection() const
{
    return healthy() ? m_connection : nullptr;
}

bool X11Session::healthy() const
{
    return m_usable && !xcb_connection_has_error(m_connection);
}

// The session's runtime folder, whatever XDG_RUNTIME_DIR says (it is unset in some shells); where there is
// none (no logind, a service account), a folder of this user's alone in the temporary folder, made if it is
// missing, as tmux makes its own: one that is a link, or that anyone else owns or can enter, is none.
// Every copy finds the same folder however its environment is set. Empty when there is none to be had.
std::string X11Session::instanceFolder()
{
    const std::string runtime = "/run/user/" + std::to_string(getuid());
    if (isPrivateFolder(runtime))
        return runtime;
    const std::string own = "/tmp/zumeko-" + std::to_string(getuid());
    mkdir(own.c_str(), 0700);
    return isPrivateFolder(own) ? own : std::string();
}

// Zumeko always passes an empty working directory: a file is looked for in the current one.
std::intptr_t X11Session::shellExecute(
    Handle, const char *operation, const char *file, const char *, const char *, int)
{
    if (qGuiApp == nullptr)
        return SE_ERR_OOM;
    if (file == nullptr || *file == '\0' || (operation != nullptr && std::strcmp(operation, "open") != 0))
        return SE_ERR_NOASSOC;
    const QString name = QString::fromLocal8Bit(file);
    QUrl url(name, QUrl::StrictMode);
    if (url.scheme().size() < 2) { // not an address: a file, relative to the working folder
        const QFileInfo info(QDir::current(), name);
        if (!info.exists())
            return SE_ERR_FNF;
        url = QUrl::fromLocalFile(info.absoluteFilePath());
    }
    return QDesktopServices::openUrl(url) ? ShellOk : SE_ERR_NOASSOC;
}

} // namespace Module1
