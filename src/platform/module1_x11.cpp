// SPDX-License-Identifier: MIT
// The X11 backend. The pointer and the pixel are read with xcb directly, in physical screen pixels:
// Qt's logical coordinates cannot reach every physical pixel once the UI is scaled.
#include "module1.h"
#include "pixelformat.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <span>
#include <unordered_map>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace Module1 {

namespace {

    // ShellExecute's own failure codes, so callers see the same numbers on every platform.
    constexpr std::intptr_t SE_ERR_OOM = 8;
    constexpr std::intptr_t SE_ERR_FNF = 2;
    constexpr std::intptr_t SE_ERR_NOASSOC = 31;
    constexpr std::intptr_t ShellOk = 42;

    bool fitsInt16(std::int32_t v)
    {
        return v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max();
    }

    // A folder owned by this user alone, and no link: one that another user made cannot hold our lock.
    bool isPrivateFolder(const std::string &path)
    {
        struct stat info { };
        return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid()
            && (info.st_mode & 077) == 0;
    }

    class X11Services final : public Services {
    public:
        X11Services()
        {
            int screenNumber = 0;
            // The same display however DISPLAY spells it (":0", ":0.1", "unix:0"): host and number.
            char *host = nullptr;
            int display = 0;
            if (xcb_parse_display(nullptr, &host, &display, nullptr) != 0) {
                m_display
                    = std::string(std::strcmp(host, "unix") == 0 ? "" : host) + ':' + std::to_string(display);
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

        ~X11Services() override { xcb_disconnect(m_connection); }

        std::string unavailableReason() override
        {
            if (m_usable)
                return {};
            const char *display = std::getenv("DISPLAY");
            if (display == nullptr || *display == '\0')
                return "no X display: DISPLAY is not set (Zumeko needs an X11 session or XWayland)";
            return std::string("cannot open the X display \"") + display + "\"";
        }

        // The session's runtime folder, whatever XDG_RUNTIME_DIR says (it is unset in some shells), and the
        // home folder's cache where there is none.
        std::string instanceFolder() override
        {
            const std::string runtime = "/run/user/" + std::to_string(getuid());
            if (isPrivateFolder(runtime))
                return runtime;
            const passwd *user = getpwuid(getuid());
            return user != nullptr ? std::string(user->pw_dir) + "/.cache" : std::string();
        }
        std::string displayName() override { return m_display; }

        bool clipboardOutlivesProgram() override
        {
            if (!healthy())
                return false;
            const xcb_atom_t manager = intern("CLIPBOARD_MANAGER");
            auto *owner = xcb_get_selection_owner_reply(
                m_connection, xcb_get_selection_owner(m_connection, manager), nullptr);
            const bool runs = owner != nullptr && owner->owner != XCB_NONE;
            std::free(owner);
            return runs;
        }

        bool displayLost() override
        {
            // A broken connection shows only when it is used.
            if (healthy())
                std::free(
                    xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
            return m_usable && !healthy();
        }

        // In a Wayland session Qt would pick its Wayland plugin, whose windows an X11 reader cannot see.
        const char *guiPlatform() const override { return "xcb"; }

        bool cursorPos(CursorPoint &point) override
        {
            if (!healthy())
                return false;
            auto *reply
                = xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr);
            if (reply == nullptr)
                return false;
            point = { reply->root_x, reply->root_y };
            std::free(reply);
            return true;
        }

        Handle desktopWindow() override { return healthy() ? static_cast<Handle>(m_root) : 0; }

        Handle windowDC(Handle window) override
        {
            if (!healthy() || window <= 0
                || static_cast<std::uint64_t>(window) > std::numeric_limits<xcb_window_t>::max())
                return 0;
            // Numbered afresh each time; a 64-bit count does not come round.
            m_contexts.emplace(++m_lastContext, static_cast<xcb_window_t>(window));
            return m_lastContext;
        }

        std::int32_t pixel(Handle dc, std::int32_t x, std::int32_t y) override
        {
            const auto context = m_contexts.find(dc);
            if (context == m_contexts.end() || !healthy() || !fitsInt16(x) || !fitsInt16(y))
                return NoColor;
            // Off the screen the server answers with a BadMatch error; the connection stays usable.
            xcb_generic_error_t *error = nullptr;
            auto *reply = xcb_get_image_reply(m_connection,
                xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, context->second,
                    static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 1, 1, ~0u),
                &error);
            std::free(error);
            if (reply == nullptr)
                return NoColor;
            const auto color = ToScreenColor(xcb_get_image_data(reply),
                static_cast<std::size_t>(xcb_get_image_data_length(reply)), m_format);
            std::free(reply);
            return color;
        }

        int releaseDC(Handle window, Handle dc) override
        {
            const auto context = m_contexts.find(dc);
            if (context == m_contexts.end() || static_cast<Handle>(context->second) != window)
                return 0;
            m_contexts.erase(context);
            return 1;
        }

        // Zumeko always passes an empty working directory: a file is looked for in the current one.
        std::intptr_t shellExecute(
            Handle, const char *operation, const char *file, const char *, const char *, int) override
        {
            if (qGuiApp == nullptr)
                return SE_ERR_OOM;
            if (file == nullptr || *file == '\0'
                || (operation != nullptr && std::strcmp(operation, "open") != 0))
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

        std::size_t liveContexts() const override { return m_contexts.size(); }

        Handle pointedWindow() override
        {
            if (!healthy())
                return 0;
            auto *reply
                = xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr);
            if (reply == nullptr)
                return 0;
            const xcb_window_t child = reply->child;
            std::free(reply);
            if (child == XCB_NONE)
                return static_cast<Handle>(m_root);
            // Under a window manager the root's child is the frame; the application's own window is the
            // one that carries WM_STATE. Without a manager nothing carries it, and the child is the window.
            const xcb_window_t client = clientWindow(child, MaxFrameDepth);
            return static_cast<Handle>(client != XCB_NONE ? client : child);
        }

    private:
        static constexpr int MaxFrameDepth = 6; // frames nest a few levels at most; never walk a whole tree

        xcb_atom_t intern(const char *name)
        {
            auto *atom = xcb_intern_atom_reply(m_connection,
                xcb_intern_atom(m_connection, 0, std::uint16_t(std::strlen(name)), name), nullptr);
            const xcb_atom_t result = atom != nullptr ? atom->atom : xcb_atom_t(XCB_NONE);
            std::free(atom);
            return result;
        }

        bool hasWmState(xcb_window_t window)
        {
            if (m_wmState == XCB_NONE)
                m_wmState = intern("WM_STATE");
            auto *property = xcb_get_property_reply(m_connection,
                xcb_get_property(m_connection, 0, window, m_wmState, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                nullptr);
            const bool has = property != nullptr && property->type != XCB_NONE;
            std::free(property);
            return has;
        }

        xcb_window_t clientWindow(xcb_window_t window, int depth)
        {
            if (hasWmState(window))
                return window;
            if (depth == 0)
                return XCB_NONE;
            auto *tree = xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr);
            if (tree == nullptr)
                return XCB_NONE;
            const std::span children(xcb_query_tree_children(tree),
                static_cast<std::size_t>(xcb_query_tree_children_length(tree)));
            xcb_window_t found = XCB_NONE;
            // Topmost first: the last child is the one on top.
            for (auto child = children.rbegin(); child != children.rend() && found == XCB_NONE; ++child)
                found = clientWindow(*child, depth - 1);
            std::free(tree);
            return found;
        }

        xcb_atom_t m_wmState = XCB_NONE;
        bool healthy() const { return m_usable && !xcb_connection_has_error(m_connection); }

        void readFormat(const xcb_setup_t *setup, const xcb_screen_t *screen)
        {
            for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem > 0;
                 xcb_depth_next(&depths)) {
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

        xcb_connection_t *m_connection = nullptr;
        std::string m_display;
        xcb_window_t m_root = 0;
        PixelFormat m_format;
        bool m_usable = false;
        Handle m_lastContext = 0;
        std::unordered_map<Handle, xcb_window_t> m_contexts;
    };

} // namespace

std::unique_ptr<Services> CreatePlatformServices()
{
    return std::make_unique<X11Services>();
}

} // namespace Module1
