// SPDX-License-Identifier: MIT
// What one sampling tick costs on a real X server, next to the two round trips it cannot avoid; how
// many ticks a second the 10 ms timer really delivers; what screen mode costs in CPU with the pointer
// still and with the colour changing every tick; and whether contexts or memory creep over a soak.
// Prints figures; never fails on a number.
#include "capturecontrol.h"
#include "fake/services.h"
#include "frmmain.h"
#include "label.h"
#include "loupe.h"
#include "module1.h"
#include "screenmode.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTimer>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

namespace {

double residentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

struct Cost {
    double wallUs, cpuUs;
};

template <typename F> Cost measure(int rounds, F &&step)
{
    for (int i = 0; i < rounds / 10; ++i) // warm up caches and the server
        step();
    const double wall = wallSeconds(), cpu = cpuSeconds();
    for (int i = 0; i < rounds; ++i)
        step();
    return { (wallSeconds() - wall) * 1e6 / rounds, (cpuSeconds() - cpu) * 1e6 / rounds };
}

// The floor: one pointer query and one 1x1 image of the root, each a round trip, on a fresh connection.
Cost rawFloor(int rounds)
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const Cost cost = measure(rounds, [&] {
        auto *pointer = xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr);
        auto *image = xcb_get_image_reply(c,
            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, pointer->root_x, pointer->root_y, 1, 1, ~0u),
            nullptr);
        std::free(image);
        std::free(pointer);
    });
    xcb_disconnect(c);
    return cost;
}

void warpPointer(int x, int y)
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_warp_pointer(
        c, XCB_NONE, root, 0, 0, 0, 0, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // waits until the warp is done
    xcb_disconnect(c);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool quick = args.contains(QStringLiteral("--quick"));
    const QString rootflip
        = args.size() > 1 && !args.last().startsWith(QLatin1Char('-')) ? args.last() : QString();

    Module1::Platform platform(Module1::LoadPlatform());
    FrmMain window(platform);
    if (!window.Form_Load())
        return 1;
    window.show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    auto *timer = window.findChild<QTimer *>(QStringLiteral("Timer1"));

    // Over the bare root, away from the window, where nothing but the root colour is seen.
    warpPointer(5, 5);

    const int rounds = quick ? 2000 : 20000;
    const Cost floor = rawFloor(rounds);
    window.Option2_Click();
    timer->stop(); // ticks are driven by hand here
    const Cost tick = measure(rounds, [&] { window.Timer1_Timer(); });
    QScreen *screen = QGuiApplication::primaryScreen();
    const Cost qtPath = measure(rounds / 4, [&] {
        const QPoint p = QCursor::pos();
        (void)screen->grabWindow(0, p.x(), p.y(), 1, 1).toImage().pixel(0, 0);
    });
    window.Option1_Click();

    std::printf("one tick, real X server (%d rounds)\n", rounds);
    std::printf(
        "  raw floor: query_pointer + get_image   %7.1f us wall  %6.1f us CPU\n", floor.wallUs, floor.cpuUs);
    std::printf("  Timer1_Timer                           %7.1f us wall  %6.1f us CPU  (%.2fx the floor)\n",
        tick.wallUs, tick.cpuUs, tick.wallUs / floor.wallUs);
    std::printf("  Qt: QCursor::pos + QScreen::grabWindow %7.1f us wall  %6.1f us CPU  (%.2fx the floor)\n",
        qtPath.wallUs, qtPath.cpuUs, qtPath.wallUs / floor.wallUs);

    const double seconds = quick ? 2.0 : 10.0;
    std::printf(
        "screen mode, %.0f s each, beside the floor (the same timer and reads, no window)\n", seconds);
    const Rate floorStill = floorRate(platform, seconds), still = zumekoRate(window, seconds);
    std::printf(
        "  pointer still:    floor %5.2f %% of one core; Zumeko %6.2f ticks/s, %5.2f %% (%.2fx the floor)\n",
        floorStill.cpuPercent, still.ticksPerSecond, still.cpuPercent,
        still.cpuPercent / floorStill.cpuPercent);
    if (!rootflip.isEmpty()) {
        QProcess flipper;
        flipper.start(rootflip, {});
        flipper.waitForStarted();
        const Rate floorChanging = floorRate(platform, seconds), changing = zumekoRate(window, seconds);
        flipper.kill();
        flipper.waitForFinished();
        std::printf("  colour changing:  floor %5.2f %% of one core; Zumeko %6.2f ticks/s, %5.2f %% (%.2fx "
                    "the floor)\n",
            floorChanging.cpuPercent, changing.ticksPerSecond, changing.cpuPercent,
            changing.cpuPercent / floorChanging.cpuPercent);
    }

    // The loupe: what reading its pixels adds to a tick, its CPU with the pointer still beside screen mode
    // without it, and how often it is painted while nothing changes.
    std::printf("loupe, real X server: the tick that reads its view with the swatch's pixel\n");
    window.Option2_Click();
    timer->stop();
    for (int step = 0; step < int(std::size(Loupe::BlockSizes)); ++step) {
        // Each beside a tick without the loupe measured just before, so that both see the same server.
        platform.LoupeAcross = 0;
        const Cost without = measure(rounds, [&] { window.Timer1_Timer(); });
        platform.LoupeAcross = Loupe::Across(step, 1.0);
        const Cost with = measure(rounds, [&] { window.Timer1_Timer(); });
        std::printf(
            "  %2d x %-2d pixels                         %7.1f us wall  %6.1f us CPU  (%+.0f %% of a tick)\n",
            platform.LoupeAcross, platform.LoupeAcross, with.wallUs, with.cpuUs,
            100 * (with.wallUs - without.wallUs) / without.wallUs);
    }
    platform.LoupeAcross = 0;
    window.Option1_Click();
    auto *capture = window.findChild<CaptureControl *>();
    const auto *swatch = window.findChild<Label *>(QStringLiteral("LblGetcolor"));
    struct PaintCounter final : QObject {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    window.Option2_Click();
    capture->pointerWheel(1);
    for (int i = 0; i < 3; ++i) { // read, then shown and painted
        window.Timer1_Timer();
        capture->ShowLoupe();
        QCoreApplication::processEvents();
    }
    int loupes = 0;
    for (QWidget *shown : QApplication::topLevelWidgets()) {
        if (shown->windowTitle() == QStringLiteral("zumeko-loupe") && shown->isVisible()) {
            shown->installEventFilter(&counter);
            ++loupes;
        }
    }
    counter.paints = 0;
    const Rate open = measureLoop(
        seconds, [swatch] { return swatch->BackColor(); }, timer);
    window.Option1_Click();
    std::printf("  pointer still, loupe open: Zumeko %5.2f %% of one core (%.2fx screen mode without it); "
                "%d repaints of %d loupe in %.0f s\n",
        open.cpuPercent, open.cpuPercent / still.cpuPercent, counter.paints, loupes, seconds);
    {
        const int soak = quick ? 10000 : 100000;
        xcb_connection_t *c = xcb_connect(nullptr, nullptr);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        window.Option2_Click();
        timer->stop();
        capture->pointerWheel(1);
        const double start = residentMiB();
        for (int i = 0; i < soak; ++i) {
            xcb_warp_pointer(
                c, XCB_NONE, root, 0, 0, 0, 0, std::int16_t(5 + i % 200), std::int16_t(5 + i % 150));
            xcb_flush(c);
            window.Timer1_Timer();
            capture->ShowLoupe(); // as the tick's timer has it shown
            if (i % 100 == 0)
                QCoreApplication::processEvents();
        }
        std::printf(
            "  soak, moving, loupe open: %d ticks: %zu context(s) held, resident %+.2f MiB (%.1f MiB)\n",
            soak, platform.services().liveContexts(), residentMiB() - start, residentMiB());
        window.Option1_Click();
        xcb_disconnect(c);
    }

    const int realSoak = quick ? 10000 : 100000;
    window.Option2_Click();
    timer->stop();
    double before = residentMiB();
    for (int i = 0; i < realSoak; ++i)
        window.Timer1_Timer();
    std::printf("soak, real X server: %d ticks: %zu context(s) held, resident %+.2f MiB (%.1f MiB)\n",
        realSoak, platform.services().liveContexts(), residentMiB() - before, residentMiB());
    window.Option1_Click();

    auto fakeServices = std::make_unique<Module1::FakeServices>();
    Module1::FakeServices &fake = *fakeServices;
    std::int32_t next = 0;
    fake.screen = [&next](std::int32_t, std::int32_t) { return (next += 0x010305) & 0xFFFFFF; };
    Module1::Platform scripted(std::move(fakeServices));
    FrmMain fakeWindow(scripted); // shown, so that its repaints happen as the real window's do
    fakeWindow.show();
    const int fakeSoak = quick ? 100000 : 1000000;
    fakeWindow.Option2_Click();
    fakeWindow.findChild<QTimer *>(QStringLiteral("Timer1"))->stop();
    before = residentMiB();
    for (int i = 0; i < fakeSoak; ++i) {
        fake.pointer = { i % 1280, i % 1024 };
        fakeWindow.Timer1_Timer();
        if (i % 1000 == 0)
            QCoreApplication::processEvents(); // let repaints happen as they would between ticks
    }
    std::printf("soak, scripted screen: %d ticks, colour and position changing: %zu context(s) held, "
                "resident %+.2f MiB\n",
        fakeSoak, fake.liveContexts(), residentMiB() - before);
    return 0;
}
