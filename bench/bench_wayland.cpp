// SPDX-License-Identifier: MIT
// bench_wayland WLPEER REFRESH [--quick]: screen mode on a wlroots compositor (bench/run starts a headless
// sway at REFRESH Hz, and WLPEER is the other client there): fresh samples a second against the output's
// refresh rate, CPU with the pointer still and moving, each beside the floor and, with the loupe open, beside
// screen mode without it, and the time from a pointer move to the swatch showing the new colour. Prints
// figures; never fails on a number.
#include "capturecontrol.h"
#include "screenmode.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr std::int32_t HalfLeft = 0x302010, HalfRight = 0xE0D0C0; // 0x00BBGGRR of wlpeer's halves
constexpr int LeftX = 200, RightX = 1000, Y = 200; // away from Zumeko's window, which sits in the middle

struct Helper {
    QProcess process;
    Helper(const QString &program, const QString &mode)
    {
        process.start(program, { mode });
        process.waitForReadyRead(10000); // "ready": the surface is shown
    }
    ~Helper()
    {
        process.closeWriteChannel();
        process.waitForFinished(2000);
    }
    void move(int x, int y)
    {
        process.write(QByteArray::number(x) + ' ' + QByteArray::number(y) + '\n');
        process.waitForBytesWritten();
    }
};

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    Module1::Platform platform(Module1::LoadPlatform());
    if (const char *gui = platform.services().guiPlatform())
        qputenv("QT_QPA_PLATFORM", gui);
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    const QString helperProgram = args[1];
    const double refresh = args[2].toDouble();
    const bool quick = args.contains(QStringLiteral("--quick"));
    const double seconds = quick ? 3.0 : 10.0;

    FrmMain window(platform);
    if (!window.Form_Load())
        return 1;
    window.show();
    settle(500);

    std::printf(
        "Wayland, headless sway at %.0f Hz (Qt sees %.0f Hz), %.0f s each, beside the floor (the same timer "
        "and reads, no window)\n",
        refresh, window.screen()->refreshRate(), seconds);
    {
        // A colour that changes at every frame under a still pointer: each fresh capture is a new colour.
        Helper flip(helperProgram, QStringLiteral("flip"));
        flip.move(LeftX, Y);
        settle(300);
        const Rate floor = floorRate(platform, seconds), zumeko = zumekoRate(window, seconds);
        // A tick shows at most one: a hundred a second is all there is to see.
        std::printf("  fresh samples, the colour changing at every frame: floor %.1f a second, Zumeko %.1f "
                    "(%.2fx the refresh rate, up to 100) with %.1f ticks a second\n",
            floor.freshPerSecond, zumeko.freshPerSecond, zumeko.freshPerSecond / std::min(refresh, 100.0),
            zumeko.ticksPerSecond);
        std::printf("  CPU, the colour changing at every frame: floor %5.2f %% of one core, Zumeko %5.2f %% "
                    "(%.2fx)\n",
            floor.cpuPercent, zumeko.cpuPercent, zumeko.cpuPercent / floor.cpuPercent);
    }
    Helper halves(helperProgram, QStringLiteral("halves"));
    halves.move(LeftX, Y);
    settle(300);
    const Rate floorStill = floorRate(platform, seconds), still = zumekoRate(window, seconds);
    std::printf("  CPU, pointer still: floor %5.2f %% of one core, Zumeko %5.2f %% (%.2fx)\n",
        floorStill.cpuPercent, still.cpuPercent, still.cpuPercent / floorStill.cpuPercent);
    // The same with the loupe open at its first step, its square read in the swatch's capture.
    auto *capture = window.findChild<CaptureControl *>();
    const auto openLoupe = [capture] {
        settle(200); // the overlays up, the pointer over one
        capture->pointerWheel(1);
    };
    const Rate loupeStill = zumekoRate(window, seconds, openLoupe);
    std::printf("  CPU, pointer still, the loupe open: Zumeko %5.2f %% (%.2fx screen mode without it)\n",
        loupeStill.cpuPercent, loupeStill.cpuPercent / still.cpuPercent);
    // The pointer moving a pixel every 10 ms, across the two colours.
    QTimer mover;
    int step = 0;
    QObject::connect(
        &mover, &QTimer::timeout, [&] { halves.move(LeftX + (step++ * 7 % (RightX - LeftX)), Y); });
    mover.start(10);
    const Rate floorMoving = floorRate(platform, seconds), moving = zumekoRate(window, seconds);
    const Rate loupeMoving = zumekoRate(window, seconds, openLoupe);
    mover.stop();
    std::printf("  CPU, pointer moving: floor %5.2f %% of one core, Zumeko %5.2f %% (%.2fx); the loupe open "
                "%5.2f %% (%.2fx screen mode without it)\n",
        floorMoving.cpuPercent, moving.cpuPercent, moving.cpuPercent / floorMoving.cpuPercent,
        loupeMoving.cpuPercent, loupeMoving.cpuPercent / moving.cpuPercent);

    // From a move across the boundary of two colours to the swatch's new colour, set and then painted.
    const auto *swatch = window.findChild<Label *>(QStringLiteral("LblGetcolor"));
    // The swatch's first paint in the new colour.
    struct Painted : QObject {
        const Label *swatch = nullptr;
        std::int32_t wanted = 0;
        QElapsedTimer clock;
        double at = -1;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (at < 0 && event->type() == QEvent::Paint && swatch->BackColor() == wanted)
                at = double(clock.nsecsElapsed()) / 1e6;
            return false;
        }
    } painted;
    painted.swatch = swatch;
    const_cast<Label *>(swatch)->installEventFilter(&painted);
    window.Option2_Click();
    std::vector<double> setMs, paintedMs;
    const int rounds = quick ? 10 : 40;
    for (int i = 0; i < 2 * rounds + 2; ++i) {
        const bool right = i % 2 == 1;
        painted.wanted = right ? HalfRight : HalfLeft;
        painted.at = -1;
        halves.move(right ? RightX : LeftX, Y);
        painted.clock.start();
        double set = -1;
        while (painted.clock.elapsed() < 2000 && painted.at < 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            if (set < 0 && swatch->BackColor() == painted.wanted)
                set = double(painted.clock.nsecsElapsed()) / 1e6;
        }
        if (i >= 2 && painted.at >= 0) { // the first two only bring the overlay and the pointer into place
            setMs.push_back(set);
            paintedMs.push_back(painted.at);
        }
        settle(50);
    }
    // The same, as the screen shows it: the other client moves the pointer just after a frame and captures
    // the swatch frame by frame until it shows the new colour.
    std::vector<double> onScreen;
    const QPoint at = swatch->mapToGlobal(swatch->rect().center());
    for (int i = 0; i < (quick ? 5 : 15); ++i) {
        halves.move(LeftX, Y);
        settle(100);
        QProcess count;
        count.start(helperProgram,
            { QStringLiteral("latency"), QString::number(RightX), QString::number(Y), QString::number(at.x()),
                QString::number(at.y()), QStringLiteral("C0D0E0") }); // HalfRight, as RRGGBB
        QEventLoop loop; // the window goes on ticking and capturing meanwhile
        QObject::connect(&count, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        const QByteArray said = count.readAllStandardOutput().trimmed();
        if (said.startsWith("frames ") && count.exitCode() == 0)
            onScreen.push_back(said.mid(7).toDouble());
    }
    window.Option1_Click();
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? -1.0 : v[v.size() / 2];
    };
    const double frame = 1000.0 / refresh;
    std::printf(
        "  pointer move to the swatch, median of %zu: colour set %.1f ms (%.2f frames), painted %.1f ms "
        "(%.2f frames)\n",
        setMs.size(), median(setMs), median(setMs) / frame, median(paintedMs), median(paintedMs) / frame);
    std::printf(
        "  pointer move to the swatch as the screen shows it, median of %zu: %.0f frames at %.0f Hz (the "
        "limit is 2)\n",
        onScreen.size(), median(onScreen), refresh);
    return 0;
}
