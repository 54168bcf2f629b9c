// SPDX-License-Identifier: MIT
// How many ticks a second screen mode's 10 ms timer really delivers, on the platform it runs on (built for
// Windows, run under Wine by bench/run).
// Prints one line; never fails on a number.
#include "frmmain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Module1::Platform platform(Module1::LoadPlatform());
    FrmMain window(platform);
    if (!window.Form_Load())
        return 1;
    window.show();
    window.Option2_Click();
    // Counted once the window is up and sampling, over five seconds.
    int ticks = 0;
    QElapsedTimer clock;
    QTimer::singleShot(1000, &app, [&] {
        QObject::connect(
            window.findChild<QTimer *>(QStringLiteral("Timer1")), &QTimer::timeout, [&ticks] { ++ticks; });
        clock.start();
        QTimer::singleShot(5000, &app, &QCoreApplication::quit);
    });
    app.exec();
    std::printf("%.1f ticks/s at the 10 ms interval\n", ticks * 1000.0 / double(clock.elapsed()));
    return 0;
}
