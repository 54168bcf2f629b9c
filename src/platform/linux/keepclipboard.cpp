// SPDX-License-Identifier: MIT
// zumeko-clipboard: keeps a text on the clipboard after Zumeko has ended. A copied text lives only as long
// as the program that copied it, unless a clipboard manager takes it over; where none runs, Zumeko hands
// its text to this helper on standard input. The helper takes the clipboard, hands the text to every
// program that pastes it, and ends as soon as another program copies something or the display goes away.
// It waits for the display's events, so it costs no CPU while it waits, and it holds nothing of Zumeko's:
// a new Zumeko starts at once.
// With --wayland-only (an X clipboard manager keeps the X clipboard) it keeps the Wayland selection alone.
// Exit status 0 once the clipboard is the helper's (it goes on in the background), 1 otherwise.
#include "wayland/clipboardkeeper.h"
#include "x11/clipboardkeeper.h"

#include <csignal>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Zumeko waits for this process, not for the one that goes on serving.
bool detach()
{
    const pid_t server = fork();
    if (server < 0)
        return false;
    if (server > 0)
        _exit(0);
    setsid();
    const int null = open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3; ++fd)
        dup2(null, fd);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    const bool waylandOnly = argc > 1 && std::string_view(argv[1]) == "--wayland-only";
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(STDIN_FILENO, buffer, sizeof buffer)) > 0;)
        text.append(buffer, std::size_t(n));
    if (text.empty())
        return 1;
    // A program that closes its end before it has read the text must not end the helper.
    std::signal(SIGPIPE, SIG_IGN);

    // sway's and KWin's X bridges pass an X selection to Wayland programs only while an X window has the
    // focus, and this helper has none: where the compositor offers data control, the Wayland selection is
    // taken here, and the bridge hands it on to X programs. The X selection is left to the bridge, which
    // takes it the moment the Wayland one is set: an X owner of ours beside it would lose it to the bridge
    // at once (and a SelectionClear ends an X keeper), or, taken after, be passed back to Wayland by the
    // bridge and cancel our own source. GNOME offers no data control and keeps the clipboard itself; there,
    // and in X sessions, the X clipboard is kept.
    WaylandClipboardKeeper wayland(text);
    if (wayland.available()) {
        // Zumeko's X selection, still held, may be on its way to Wayland through the bridge: set after ours,
        // it would cancel ours, and leave nothing once Zumeko ends (seen on a busy KWin). Given up first,
        // it is dropped there.
        X11ClipboardKeeper(text).release();
        if (!wayland.take() || !detach())
            return 1;
        wayland.serve();
        return 0;
    }
    if (waylandOnly)
        return 1;
    X11ClipboardKeeper x11(text);
    if (!x11.take() || !detach())
        return 1;
    x11.serve();
    return 0;
}
