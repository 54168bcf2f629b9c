// SPDX-License-Identifier: MIT
#include "fontpreload.h"
#include "frmmain.h"
#include "module1.h"
#include "typeface.h"

#include <QApplication>
#include <QClipboard>
#include <QFont>

#include <cstdio>
#include <cstdlib>

namespace {

// How the process ends, for scripts that start Zumeko.
enum ExitCode : int {
    Ended = 0, // the user quit (Quit button or the window's close command)
    CannotStart = 1, // no display to show the window on or read the screen from
    AlreadyRunning = 2, // another copy runs for this user on this display; it was left as it was
    DisplayLost = 3, // the display went away while Zumeko ran (the X server ended)
};

// While the window runs, the platform it shows on, to tell a display that went away.
Module1::Services *running = nullptr;

// Qt ends the process itself, with the status that means "could not start", when its X connection breaks.
void reportLostDisplay()
{
    if (running != nullptr && running->displayLost()) {
        std::fprintf(stderr, "zumeko: the X display went away\n");
        std::_Exit(DisplayLost);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    // The fonts' configuration is read meanwhile the display is opened and Qt connects to it.
    Forms::FontPreload fonts;
    // Checked before Qt starts, so that a missing display is one clear line rather than a plugin abort.
    Module1::Platform platform(Module1::LoadPlatform());
    Module1::Services &services = platform.services();
    if (const std::string why = services.unavailableReason(); !why.empty()) {
        std::fprintf(stderr, "zumeko: %s\n", why.c_str());
        return CannotStart;
    }
    if (const char *gui = services.guiPlatform(); gui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", gui);

    QApplication app(argc, argv);
    fonts.Wait();
    // Ties the window to its desktop entry, for task bars and portals.
    QGuiApplication::setDesktopFileName(QStringLiteral("zumeko"));
    // The menu bar and the message boxes in the Japanese face the controls use: one face to load, not two.
    QFont font = QApplication::font();
    if (const QString family = Forms::Typeface(font.pointSizeF()).family(); !family.isEmpty()) {
        font.setFamily(family);
        QApplication::setFont(font);
    }
    FrmMain window(platform);
    if (!window.Form_Load())
        return AlreadyRunning;
    window.show();
    std::atexit(reportLostDisplay);
    running = &services;
    const int status = app.exec();
    running = nullptr;
    if (const QClipboard *clipboard = QGuiApplication::clipboard(); clipboard->ownsClipboard())
        services.keepClipboard(clipboard->text().toStdString());
    return status == 0 ? Ended : CannotStart;
}
