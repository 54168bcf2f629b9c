// SPDX-License-Identifier: MIT
#pragma once
// What the benchmarks measure of screen mode on any platform, beside its floor: the same 10 ms timer and
// the same screen reads, with the same grab held, in a program that shows and paints nothing. Comparing
// with the floor measured in the same run keeps the figures comparable from one machine to the next.
#include "frmmain.h"
#include "label.h"
#include "module1.h"
#include "pointergrab.h"

#include <QEventLoop>
#include <QTimer>

#include <ctime>
#include <functional>

inline double cpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

inline double wallSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct Rate {
    double ticksPerSecond = 0, freshPerSecond = 0, cpuPercent = 0;
};

// Runs the event loop for `seconds` while `tick` is called at each of a 10 ms timer's timeouts (when it
// is given) and `seen` reports the colour that was last shown; counts ticks and changes of colour.
inline Rate measureLoop(double seconds, const std::function<std::int32_t()> &seen, QTimer *timer)
{
    int ticks = 0, changes = 0;
    std::int32_t last = seen();
    const auto counter = QObject::connect(timer, &QTimer::timeout, [&] {
        ++ticks;
        const std::int32_t now = seen();
        changes += now != last;
        last = now;
    });
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    const double wall = wallSeconds(), cpu = cpuSeconds();
    loop.exec();
    const double elapsedWall = wallSeconds() - wall, elapsedCpu = cpuSeconds() - cpu;
    QObject::disconnect(counter);
    return { ticks / elapsedWall, changes / elapsedWall, 100.0 * elapsedCpu / elapsedWall };
}

// The floor: a timer and the reads of a tick, no window.
inline Rate floorRate(Module1::Platform &platform, double seconds)
{
    struct Client final : Module1::GrabClient {
        void pointerMoved(Module1::Handle) override { }
        void pointerPressed(Module1::Handle) override { }
        void screenUnreadable() override { }
    } client;
    auto grab = platform.services().createPointerGrab(client);
    grab->take();
    std::int32_t color = Module1::NoColor;
    QTimer timer;
    timer.setInterval(10);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&color, &platform] {
        if (platform.ReadMousePos() != 0) {
            if (const std::int32_t read = platform.SampleAtMousePos(); read != Module1::NoColor)
                color = read;
        }
    });
    timer.start();
    const Rate rate = measureLoop(
        seconds, [&color] { return color; }, &timer);
    grab->end();
    platform.ReleaseDesktopDC();
    return rate;
}

// Zumeko itself in screen mode, its own timer ticking; `armed` is done once screen mode is chosen.
inline Rate zumekoRate(FrmMain &window, double seconds, const std::function<void()> &armed = {})
{
    auto *timer = window.findChild<QTimer *>(QStringLiteral("Timer1"));
    const auto *swatch = window.findChild<Label *>(QStringLiteral("LblGetcolor"));
    window.Option2_Click();
    if (armed)
        armed();
    const Rate rate = measureLoop(
        seconds, [swatch] { return swatch->BackColor(); }, timer);
    window.Option1_Click();
    return rate;
}
