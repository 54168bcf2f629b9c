// SPDX-License-Identifier: MIT
#include "frmmain.h"
#include "module1.h"

#include <QApplication>

#include <cstdio>

namespace {

// How the process ends, for scripts that start Zumeko.
enum ExitCode : int {
    Ended = 0, // the user quit (Quit button or the window's close command)
    CannotStart = 1, // no display to show the window on or read the screen from
    AlreadyRunning = 2, // another copy runs for this user; it was left as it was
};

} // namespace

int main(int argc, char *argv[])
{
    // Checked before Qt starts, so that a missing display is one clear line rather than a plugin abort.
    Module1::Services &services = Module1::CurrentServices();
    if (const std::string why = services.unavailableReason(); !why.empty()) {
        std::fprintf(stderr, "zumeko: %s\n", why.c_str());
        return CannotStart;
    }
    if (const char *platform = services.guiPlatform();
        platform && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", platform);

    QApplication app(argc, argv);
    // Ties the window to its desktop entry, for task bars and portals.
    QGuiApplication::setDesktopFileName(QStringLiteral("zumeko"));
    FrmMain window;
    if (!window.Form_Load())
        return AlreadyRunning;
    window.show();
    return app.exec() == 0 ? Ended : CannotStart;
}
