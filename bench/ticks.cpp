// SPDX-License-Identifier: MIT
// How many ticks a second screen mode's 10 ms timer really delivers, on the platform it runs on (built for
// Windows, run under Wine by bench/run). Prints one line; never fails on a number.
#include "frmmain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    FrmMain window;
    if (!window.Form_Load())
        return 1;
    window.show();
    auto *timer = window.findChild<QTimer *>(QStringLiteral("Timer1"));
    int ticks = 0;
    QObject::connect(timer, &QTimer::timeout, [&ticks] { ++ticks; });
    window.Option2_Click();
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(5000, &app, &QCoreApplication::quit);
    app.exec();
    std::printf("%.2f ticks/s at the 10 ms interval over %.1f s\n", ticks * 1000.0 / double(clock.elapsed()),
        double(clock.elapsed()) / 1000.0);
    return 0;
}
