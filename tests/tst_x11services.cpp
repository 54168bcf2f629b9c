// SPDX-License-Identifier: MIT
// The X11 platform's contract against a real X server, where the program's own use cannot show it: points
// off the screen, contexts handed out and given back, a clipboard the server will not give Qt, and the
// folder where a user's copies meet; and wlroots' screen where its compositor cannot be reached.
#include "wayland/wlrscreen.h"
#include "x11/atom.h"
#include "x11/session.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <QWindow>

#include <climits>
#include <tuple>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using Module1::Handle;
using namespace Qt::Literals::StringLiterals;

namespace {

// Another X client, which reads the server's time and takes the clipboard.
class OtherClient {
public:
    OtherClient()
    {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data;
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_c, 0, m_window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, 0,
            XCB_CW_EVENT_MASK, &mask);
    }
    ~OtherClient() { xcb_disconnect(m_c); }
    OtherClient(const OtherClient &) = delete;
    OtherClient &operator=(const OtherClient &) = delete;

    // The server's time of now, as a property change on our window tells it.
    xcb_timestamp_t now()
    {
        xcb_change_property(
            m_c, XCB_PROP_MODE_APPEND, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
        xcb_flush(m_c);
        while (const XcbReply<xcb_generic_event_t> event { xcb_wait_for_event(m_c) }) {
            if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY)
                return reinterpret_cast<const xcb_property_notify_event_t *>(event.get())->time;
        }
        return XCB_CURRENT_TIME;
    }
    // Takes the clipboard at a time later than `time`.
    void takeClipboardAfter(xcb_timestamp_t time)
    {
        while (now() == time) { }
        xcb_set_selection_owner(m_c, m_window, m_clipboard, XCB_CURRENT_TIME);
        QVERIFY(ownsClipboard());
    }
    bool ownsClipboard()
    {
        const XcbReply<xcb_get_selection_owner_reply_t> reply(
            xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, m_clipboard), nullptr));
        return reply != nullptr && reply->owner == m_window;
    }

private:
    xcb_connection_t *m_c = xcb_connect(nullptr, nullptr);
    xcb_window_t m_window = xcb_generate_id(m_c);
    xcb_atom_t m_clipboard = InternAtom(m_c, "CLIPBOARD");
};

} // namespace

class TestX11Services : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QCOMPARE(QString::fromStdString(m_services.unavailableReason()), QString()); }

    // Off the screen, and beyond what a request's 16 bits hold (where a cut coordinate would be on it).
    void offScreenGivesNoColour_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        for (const auto &[x, y] : { std::pair { -1, 0 }, { 0, -1 }, { 1280, 0 }, { 0, 1024 }, { 65546, 5 },
                 { 5, -65526 }, { INT_MIN, INT_MAX } })
            QTest::addRow("%d, %d", x, y) << x << y;
    }
    void offScreenGivesNoColour()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        const Handle dc = m_services.windowDC(m_services.desktopWindow());
        QCOMPARE(m_services.pixel(dc, x, y), Module1::NoColor);
        QVERIFY(m_services.pixel(dc, 1279, 1023) >= 0); // the connection survived the error
        QCOMPARE(m_services.releaseDC(m_services.desktopWindow(), dc), 1);
    }

    // Opening says why it could not, in ShellExecute's numbers: no association for nothing to open or for
    // another verb, not found for a file that is not there.
    void openSaysWhyNot()
    {
        for (const auto &[verb, file, result] : { std::tuple { "open", "", 31 }, { "print", "help.html", 31 },
                 { "open", "no-such-help.html", 2 } })
            QCOMPARE(m_services.shellExecute(0, verb, file, nullptr, "", 1), std::intptr_t(result));
    }

    void contextsAreCountedAndReleasedOnce()
    {
        const Handle desktop = m_services.desktopWindow();
        const Handle a = m_services.windowDC(desktop), b = m_services.windowDC(desktop);
        QVERIFY(a > 0 && b > 0 && a != b);
        QCOMPARE(m_services.liveContexts(), 2u);
        QCOMPARE(m_services.releaseDC(desktop + 1, a), 0); // not the window it was taken for
        QCOMPARE(m_services.releaseDC(desktop, a), 1);
        QCOMPARE(m_services.releaseDC(desktop, a), 0); // already given back
        QCOMPARE(m_services.pixel(a, 0, 0), Module1::NoColor);
        QCOMPARE(m_services.releaseDC(desktop, b), 1);
        QCOMPARE(m_services.liveContexts(), 0u);
        QCOMPARE(m_services.windowDC(0), Handle(0));
        QCOMPARE(m_services.windowDC(Handle(1) << 40), Handle(0)); // no such window on X
    }

    // Qt takes the clipboard with the time of the last event it read, and the server refuses that time once
    // another client's claim is newer: the text is then written once more at a fresh time, and where it is
    // still another's, the copy says it failed.
    void clipboardRefusedIsTakenAgainOrReported_data()
    {
        QTest::addColumn<bool>("qtWrites");
        QTest::addColumn<bool>("pasteable");
        QTest::newRow("refused, then taken at a fresh time") << true << true;
        QTest::newRow("another keeps it") << false << false;
    }
    void clipboardRefusedIsTakenAgainOrReported()
    {
        QFETCH(bool, qtWrites);
        QFETCH(bool, pasteable);
        QWindow window; // the fresh time comes through a window of ours
        window.create();
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->setText(u"first"_s); // Qt's time stays where it is until Qt reads another event
        OtherClient other;
        other.takeClipboardAfter(other.now());
        int writes = 0;
        const bool put = m_services.putOnClipboard([&] {
            ++writes;
            if (qtWrites)
                clipboard->setText(u"#FE0000"_s);
            return true;
        });
        QCOMPARE(writes, 2); // the first write was refused, or never took it
        QCOMPARE(put, pasteable);
        QCOMPARE(other.ownsClipboard(), !pasteable);
    }

    // A user's copies meet in the session's runtime folder where it is the user's alone, else in a folder
    // of the user's own under /tmp. Tried on a /run/user of its own, in a mount namespace of its own, so
    // that no copy of another test, and no session of this machine, sees it.
    void instanceFolder_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("the session's, private") << 0700 << true;
        QTest::newRow("the session's, open to others") << 0755 << false;
    }
    void instanceFolder()
    {
        QFETCH(int, mode);
        QFETCH(bool, chosen);
        constexpr int NoNamespace = 77;
        const pid_t child = fork();
        if (child == 0) {
            if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
                || mount("tmpfs", "/run/user", "tmpfs", 0, "mode=0755") != 0)
                _exit(NoNamespace);
            const std::string runtime = "/run/user/" + std::to_string(getuid());
            if (mkdir(runtime.c_str(), 0700) != 0 || chmod(runtime.c_str(), mode_t(mode)) != 0)
                _exit(NoNamespace);
            const std::string expected = chosen ? runtime : "/tmp/zumeko-" + std::to_string(getuid());
            _exit(m_services.instanceFolder() == expected ? 0 : 1);
        }
        int status = -1;
        QCOMPARE(waitpid(child, &status, 0), child);
        if (WIFEXITED(status) && WEXITSTATUS(status) == NoNamespace)
            QSKIP("no mount namespace of our own here (it takes root)");
        QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0,
            chosen ? "the private runtime folder was passed over"
                   : "a runtime folder open to others was taken");
    }

    // Before its first overlay, and once its compositor has gone, wlroots' screen reads no colour and a
    // square all beyond the screen, and offers no loupe: the ticks go on until the window hears of it.
    void wlrootsScreenWithoutCompositor()
    {
        const Module1::WlrScreen screen;
        QCOMPARE(screen.scale(), 0.0);
        QCOMPARE(screen.square(5), std::vector<std::int32_t>(25, Module1::NoColor));
        QCOMPARE(screen.sample(), Module1::NoColor);
    }

private:
    Module1::X11Session m_services;
};

QTEST_MAIN(TestX11Services)
#include "tst_x11services.moc"
