# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Helpers for tests on a private display. Source under `set -euo pipefail` and call start_xvfb (or make
# E2E_TMP and a display of your own, with E2E_STOP to end it); on exit, however it comes, Wine, every
# background program and the server are ended and E2E_TMP is removed. E2E_TIMEOUT (seconds, default 10)
# bounds every wait; E2E_XVFB_DEPTH (default 24).
shopt -s inherit_errexit
E2E_TIMEOUT="${E2E_TIMEOUT:-10}" E2E_XVFB_DEPTH="${E2E_XVFB_DEPTH:-24}"
E2E_NAME="$(basename "$0" .sh)" E2E_TMP="" E2E_XVFB_PID="" WINESERVER=""

pass() { echo "$E2E_NAME: PASS: $*"; }
# What the programs under test said is often the reason.
fail()
{
    echo "$E2E_NAME: FAIL: ${E2E_SCENARIO:+$E2E_SCENARIO: }$*" >&2
    [ -z "$E2E_TMP" ] || find "$E2E_TMP" -maxdepth 1 -name '*.log' -size +0 -exec tail -v -n 20 {} + >&2
    exit 1
}
# Wine's server outlives the program it ran, and goes first; SIGTERM lets Xvfb remove its lock.
e2e_cleanup()
{
    local status=$?
    set +e
    end_scenario
    eval "${E2E_STOP:-}"
    [ -z "$WINESERVER" ] || { "$WINESERVER" -k; "$WINESERVER" -w; } 2>/dev/null
    jobs -p | grep -vx "$E2E_XVFB_PID" | xargs -r kill -KILL 2>/dev/null
    kill -TERM "$E2E_XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    [ -z "$E2E_TMP" ] || rm -rf -- "$E2E_TMP"
    exit "$status"
}
trap e2e_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# A display and a runtime folder of its own, shared with no other test and not with the user, whose
# settings would change what the program shows and where.
start_xvfb()
{
    E2E_TMP="$(mktemp -d "${TMPDIR:-/tmp}/zumeko-e2e.XXXXXXXX")"
    mkdir -m 0700 "$E2E_TMP/runtime"
    mkfifo "$E2E_TMP/displayfd"
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "1280x1024x$E2E_XVFB_DEPTH" 3>"$E2E_TMP/displayfd" \
        >"$E2E_TMP/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    local display=""
    read -r -t "$E2E_TIMEOUT" display <"$E2E_TMP/displayfd" || true
    [[ "$display" =~ ^[0-9]+$ ]] || fail "Xvfb reported no display number within $E2E_TIMEOUT s"
    export DISPLAY=":$display" XDG_RUNTIME_DIR="$E2E_TMP/runtime"
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE QT_SCALE_FACTOR \
        QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI
}

# start_sway CONFIG: a headless sway with that output configuration (one HEADLESS-N per output line), as
# an unprivileged account since sway will not run as root, with a runtime folder of its own; XWayland open
# to root, for the X tools and Zumeko's window; and a virtual pointer (E2E_TOOL's), since a headless seat
# has none. Exports WAYLAND_DISPLAY, SWAYSOCK and DISPLAY.
start_sway()
{
    E2E_TMP="$(mktemp -d "${TMPDIR:-/tmp}/zumeko-e2e.XXXXXXXX")"
    chmod 0711 "$E2E_TMP"
    mkdir -m 0700 "$E2E_TMP/runtime" "$E2E_TMP/sway"
    printf '%s\n' "xwayland enable" "$1" >"$E2E_TMP/sway/config"
    chown -R nobody "$E2E_TMP/sway"
    spawn sway env -i PATH="$PATH" XDG_RUNTIME_DIR="$E2E_TMP/sway" WLR_BACKENDS=headless WLR_RENDERER=pixman \
        WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS="$(grep -c '^output' <<<"$1")" \
        setpriv --reuid=nobody --regid=nogroup --clear-groups sway -c "$E2E_TMP/sway/config"
    SWAY_PID=$SPAWNED_PID
    E2E_STOP="kill -TERM $SWAY_PID; poll_until exited $SWAY_PID"
    sway_ready() { SWAYSOCK="$(ls "$E2E_TMP"/sway/sway-ipc.* 2>/dev/null)" && SWAYSOCK="$SWAYSOCK" swaymsg -q -t get_version; }
    poll_until sway_ready || fail "sway did not start"
    export SWAYSOCK WAYLAND_DISPLAY="$(ls "$E2E_TMP"/sway/wayland-? | head -n 1)" XDG_RUNTIME_DIR="$E2E_TMP/runtime"
    swaymsg -q exec "xhost +si:localuser:root && echo \$DISPLAY >$E2E_TMP/sway/display"
    poll_until test -s "$E2E_TMP/sway/display" || fail "XWayland did not start"
    DISPLAY="$(cat "$E2E_TMP/sway/display")"
    export DISPLAY
    spawn pointer "$E2E_TOOL" pointer
    poll_until grep -q ready "$E2E_TMP/pointer.log" || fail "no virtual pointer"
}

# The desktops' own beds (start_gnome, start_kwin): the compositor as an unprivileged account, with a runtime
# folder of its own and a private session bus, on which the desktop portal and its backend start on demand.
# The bus and what it starts are root's, as they are the user's in the user's own session: the portal answers
# only a caller whose process it may look at. Every process of the bed carries E2E_BED in its environment,
# and that is how each is found, by its id, and stopped at the end.
bed_pids() { grep -lsxzF "E2E_BED=$E2E_TMP" /proc/[0-9]*/environ | cut -d/ -f3 || true; }
stop_bed()
{
    [ -z "${DESKTOP_IN:-}" ] || exec {DESKTOP_IN}>&- # the desktop tool ends with its input
    local pids
    pids="$(bed_pids)"
    # shellcheck disable=SC2046,SC2086 # a word for each pid
    [ -z "$pids" ] || kill -TERM $pids 2>/dev/null
    bed_gone() { [ -z "$(bed_pids)" ]; }
    # shellcheck disable=SC2046
    poll_until bed_gone || kill -KILL $(bed_pids) 2>/dev/null
    # Its X server's sockets and locks, which a compositor stopped this way leaves behind. (GNOME Shell, asked
    # alone to end, was still running seconds later.)
    local lock owner
    for lock in /tmp/.X*-lock; do
        [ -f "$lock" ] && read -r owner <"$lock" && [ "$owner" = "${BED_COMPOSITOR_PID:-}" ] || continue
        lock="${lock#/tmp/.X}"
        rm -f "/tmp/.X11-unix/X${lock%-lock}" "/tmp/.X${lock}"
    done
}
# bed_bus NAME [SERVICE...]: a private bus that anyone on the machine may use, which starts on demand only
# the D-Bus services named (the desktop's other services cost time and are not tried here); its address in
# BED_BUS.
bed_bus()
{
    mkdir "$E2E_TMP/$1-services"
    local service
    for service in "${@:2}"; do
        cp "/usr/share/dbus-1/services/$service.service" "$E2E_TMP/$1-services"
    done
    printf '%s\n' "<busconfig><type>$1</type><listen>unix:path=$E2E_TMP/$1-bus</listen><auth>EXTERNAL</auth>" \
        "<servicedir>$E2E_TMP/$1-services</servicedir>" \
        '<policy context="default"><allow user="*"/><allow own="*"/><allow send_type="*"/><allow receive_type="*"/></policy></busconfig>' \
        >"$E2E_TMP/$1-bus.conf"
    BED_BUS="unix:path=$E2E_TMP/$1-bus"
}
# start_desktop FOLDER [AS...]: E2E_TOOL's desktop, the compositor's own input and screen, for `desktop`;
# run by AS (a command that runs another as some account) when given.
start_desktop()
{
    mkfifo "$E2E_TMP/desktop.in" "$E2E_TMP/desktop.out"
    "${@:2}" "$E2E_TOOL" desktop "$1" <"$E2E_TMP/desktop.in" >"$E2E_TMP/desktop.out" 2>"$E2E_TMP/desktop.log" &
    exec {DESKTOP_IN}>"$E2E_TMP/desktop.in" {DESKTOP_OUT}<"$E2E_TMP/desktop.out"
    read -r -t "$E2E_TIMEOUT" DESKTOP_SAID <&"$DESKTOP_OUT" && [ "$DESKTOP_SAID" = ready ] \
        || fail "the compositor's own input and screen are not to be had"
    # The compositor sets its new input devices up in its own time, and drops what comes before: clicked
    # until a window sees a click.
    spawn probe env -u WAYLAND_DISPLAY "$E2E_TOOL" window 16x16+0+1000 000000
    local probe=$SPAWNED_PID
    poll_until grep -qs ready "$E2E_TMP/probe.log" || fail "no window to try the compositor's input on"
    clicked() { desktop move 8 1008 && desktop click 1 && grep -qs '^press' "$E2E_TMP/probe.log"; }
    poll_until clicked || fail "the compositor's own input reaches no window"
    kill "$probe"
}
# desktop COMMAND...: one command of E2E_TOOL's desktop, done when it answers; the answer in DESKTOP_SAID.
desktop()
{
    echo "$*" >&"$DESKTOP_IN"
    read -r -t "$E2E_TIMEOUT" DESKTOP_SAID <&"$DESKTOP_OUT" || fail "the desktop did not answer '$*'"
    [[ "$DESKTOP_SAID" != error* ]] || fail "the desktop, asked '$*': $DESKTOP_SAID"
}

# start_bed NAME DESKTOP BACKEND [VAR=VALUE...]: what both desktops' beds share. E2E_TMP with the runtime
# folder, and NAME and NAME-home for the compositor's account, which BED_AS runs a command as; BED_ENV, the
# bed's environment (the desktop's name and VAR=VALUE); the desktop portal with BACKEND's backend and no
# other desktop's, on a private session bus that bed_session_bus starts. Exports DBUS_SESSION_BUS_ADDRESS,
# WAYLAND_DISPLAY (NAME/wayland-0) and XDG_RUNTIME_DIR.
start_bed()
{
    E2E_TMP="$(mktemp -d "${TMPDIR:-/tmp}/zumeko-e2e.XXXXXXXX")" E2E_STOP=stop_bed
    chmod 0711 "$E2E_TMP"
    mkdir -m 0700 "$E2E_TMP/runtime" "$E2E_TMP/$1" "$E2E_TMP/$1-home" "$E2E_TMP/portals"
    chown nobody "$E2E_TMP/$1" "$E2E_TMP/$1-home"
    cp "/usr/share/xdg-desktop-portal/portals/$3.portal" "$E2E_TMP/portals"
    # Made by the first X server as the system makes it; the compositor, making it, would keep it for its
    # account.
    [ -d /tmp/.X11-unix ] || install -d -m 1777 /tmp/.X11-unix
    BED_AS=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    BED_ENV=(env -i PATH="$PATH" E2E_BED="$E2E_TMP" XDG_CURRENT_DESKTOP="$2" XDG_SESSION_TYPE=wayland "${@:4}")
    bed_bus session org.freedesktop.portal.Desktop org.freedesktop.impl.portal.PermissionStore \
        "org.freedesktop.impl.portal.desktop.$3"
    export DBUS_SESSION_BUS_ADDRESS="$BED_BUS" WAYLAND_DISPLAY="$E2E_TMP/$1/wayland-0" XDG_RUNTIME_DIR="$E2E_TMP/runtime"
}
# bed_session_bus [VAR=VALUE...]: the session bus, in the bed's environment and VAR=VALUE, which from then on
# carries it.
bed_session_bus()
{
    BED_ENV+=(DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS")
    spawn session-bus "${BED_ENV[@]}" HOME="$E2E_TMP/runtime" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" WAYLAND_DISPLAY="$WAYLAND_DISPLAY" \
        XDG_DESKTOP_PORTAL_DIR="$E2E_TMP/portals" "$@" dbus-daemon --nofork --config-file="$E2E_TMP/session-bus.conf"
    poll_until test -S "$E2E_TMP/session-bus" || fail "no private session bus"
}
# bed_started WHAT CMD...: the compositor just spawned has started when CMD succeeds. A whole desktop starts in
# 3-4 s on an idle machine, and several times that on a busy one.
bed_started()
{
    BED_COMPOSITOR_PID=$SPAWNED_PID
    E2E_TIMEOUT=$((E2E_TIMEOUT * 3)) poll_until "${@:2}" || fail "$1 did not start"
}

# start_gnome WxH: a headless GNOME Shell on one virtual monitor, with XWayland, GNOME's portal backend and the
# shell's own, which grants what the Screenshot portal asks; a private system bus with nothing on it, which
# its login-manager code needs; pipewire, which mutter's screen casts need, and its remote desktop input
# rides on one. Its own session mode starts it on the desktop, not the overview, and shows no notifications.
# Exports WAYLAND_DISPLAY, DISPLAY, XAUTHORITY and DBUS_SESSION_BUS_ADDRESS.
start_gnome()
{
    start_bed gnome GNOME gnome GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 GTK_A11Y=none
    cp /usr/share/xdg-desktop-portal/portals/gnome-shell.portal "$E2E_TMP/portals"
    mkdir -p "$E2E_TMP/data/gnome-shell/modes"
    echo '{ "parentMode": "user", "hasOverview": false, "hasNotifications": false }' >"$E2E_TMP/data/gnome-shell/modes/bed.json"
    bed_bus system
    BED_ENV+=(DBUS_SYSTEM_BUS_ADDRESS="$BED_BUS")
    spawn system-bus "${BED_ENV[@]}" dbus-daemon --nofork --config-file="$E2E_TMP/system-bus.conf"
    poll_until test -S "$E2E_TMP/system-bus" || fail "no private system bus"
    bed_session_bus
    spawn pipewire "${BED_ENV[@]}" XDG_RUNTIME_DIR="$E2E_TMP/gnome" "${BED_AS[@]}" pipewire
    spawn gnome-shell "${BED_ENV[@]}" XDG_RUNTIME_DIR="$E2E_TMP/gnome" HOME="$E2E_TMP/gnome-home" \
        XDG_DATA_DIRS="$E2E_TMP/data:/usr/share" "${BED_AS[@]}" gnome-shell --headless --wayland --virtual-monitor "$1" --mode=bed
    bed_started "GNOME Shell" grep -q 'GNOME Shell started' "$E2E_TMP/gnome-shell.log"
    DISPLAY="$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$E2E_TMP/gnome-shell.log")"
    XAUTHORITY="$(echo "$E2E_TMP"/gnome/.mutter-Xwaylandauth.*)"
    export DISPLAY XAUTHORITY
    start_desktop "$E2E_TMP/gnome"
}

# start_kwin WxH: a headless KWin with XWayland on one virtual output, and the desktop portal with KDE's
# backend (Qt's Wayland plugin, on KWin's socket). KWin's own test switches let its fake input and screenshots
# be used without asking; they are set for KWin alone. Debian's kwin_wayland carries a file capability that a
# container's bounding set may lack, and then cannot start: a copy, which has none, runs as well. KWin lets a
# client have its fake input only if it may look at the client's process: the desktop tool runs as KWin's
# account. Exports WAYLAND_DISPLAY, DISPLAY and DBUS_SESSION_BUS_ADDRESS.
start_kwin()
{
    start_bed kwin KDE kde
    cp /usr/bin/kwin_wayland "$E2E_TMP/kwin_wayland"
    cp "$E2E_TOOL" "$E2E_TMP/e2etool"
    E2E_TOOL="$E2E_TMP/e2etool"
    # Run by KWin once XWayland is up: it lets root's X clients in, and says where they are.
    printf '#!/bin/sh\nxhost +si:localuser:root >/dev/null && echo "$DISPLAY" >%s/kwin/display\n' "$E2E_TMP" >"$E2E_TMP/started"
    chmod 0755 "$E2E_TMP/started"
    unset XAUTHORITY
    bed_session_bus QT_QPA_PLATFORM=wayland
    spawn kwin "${BED_ENV[@]}" XDG_RUNTIME_DIR="$E2E_TMP/kwin" HOME="$E2E_TMP/kwin-home" KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 \
        KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 "${BED_AS[@]}" "$E2E_TMP/kwin_wayland" --virtual --xwayland --width "${1%x*}" \
        --height "${1#*x}" --no-lockscreen --no-global-shortcuts --no-kactivities "$E2E_TMP/started"
    bed_started KWin test -s "$E2E_TMP/kwin/display"
    DISPLAY="$(cat "$E2E_TMP/kwin/display")"
    export DISPLAY
    start_desktop "$E2E_TMP/kwin" "${BED_AS[@]}"
}

# A Wine prefix made once and kept outside the clone, beside Qt for Windows, with what a Windows machine
# has and Wine without its own fonts and browser engine lacks: a sans-serif dialog font, and .html files
# opened by the browser (here the desktop's opener). What it holds beyond Wine's own is in its name.
WINE_SETUP='REGEDIT4
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"MS Shell Dlg"="DejaVu Sans"
"Tahoma"="DejaVu Sans"
[HKEY_CLASSES_ROOT\.html]
@="htmlfile"'
start_wine()
{
    WINE="$(dpkg -L wine64 | grep -x '.*/wine/wine64')" WINESERVER="${WINE%/*}/wineserver64"
    local cache="${ZUMEKO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zumeko}"
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        WINEPREFIX="$cache/wine-$(dpkg-query -W -f='${Version}' wine64)-$(sha256sum <<<"$WINE_SETUP" | cut -c1-8)"
    mkdir -p "$cache"
    [ -f "$WINEPREFIX/.zumeko-ready" ] || (
        flock 9
        [ -f "$WINEPREFIX/.zumeko-ready" ] && exit 0
        rm -rf "$WINEPREFIX"
        timeout 300 "$WINE" wineboot -i && printf '%s\n' "$WINE_SETUP" >"$E2E_TMP/setup.reg" \
            && "$WINE" regedit /S "Z:${E2E_TMP//\//\\}\\setup.reg" && "$WINESERVER" -w && touch "$WINEPREFIX/.zumeko-ready"
    ) 9>"$cache/wine.lock" >"$E2E_TMP/wineboot.log" 2>&1 || fail "Wine could not make its prefix"
}

# poll_until CMD...: runs CMD every 20 ms until it succeeds; false after E2E_TIMEOUT. CMD runs in this
# shell, so it can leave what it last saw in a variable for the failure message.
poll_until()
{
    local end=$((SECONDS + E2E_TIMEOUT))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.02
    done
}
# spawn LABEL CMD...: starts CMD in the background with its output in LABEL.log; its pid in SPAWNED_PID.
# What a scenario (E2E_SCENARIO) starts ends with it, in end_scenario, even when it fails half-way.
spawn()
{
    local log="$E2E_TMP/$1.log"
    shift
    "$@" >"$log" 2>&1 &
    SPAWNED_PID=$!
    [ -z "${E2E_SCENARIO:-}" ] || echo "$SPAWNED_PID" >>"$E2E_TMP/scenario.pids"
}
end_scenario() { [ ! -f "$E2E_TMP/scenario.pids" ] || { xargs -r kill -KILL <"$E2E_TMP/scenario.pids" || true; rm "$E2E_TMP/scenario.pids"; } 2>/dev/null; }
# Gone, or a zombie waiting to be reaped.
exited() { [[ "$(cat "/proc/$1/stat" 2>/dev/null || true)" != *") "[!Z]* ]]; }
# expect_exit PID STATUS WHAT: the process ends within the timeout, with exactly STATUS.
expect_exit()
{
    local status=0
    poll_until exited "$1" || fail "$3: still running after $E2E_TIMEOUT s"
    wait "$1" || status=$?
    [ "$status" = "$2" ] || fail "$3: exit status $status, expected $2"
}
windows_of() { xdotool search --all --onlyvisible --pid "$1" --name "${2:-^Zumeko\$}" 2>/dev/null || true; }
window_shown() { ! exited "$1" || fail "process $1 ended before showing its window"; FOUND_WINDOW="$(windows_of "$@")"; [ "$(wc -w <<<"$FOUND_WINDOW")" = 1 ]; }
# find_window PID [NAME]: waits for the one visible window of PID named NAME (default exactly Zumeko).
find_window() { poll_until window_shown "$@" || fail "process $1 showed not one window named '${2:-Zumeko}': $FOUND_WINDOW"; }
# WIN_X, WIN_Y (on the screen, from the top-left corner of the window's own area), WIN_WIDTH and WIN_HEIGHT;
# xdotool counts a window manager's frame into the place twice.
window_geometry() { eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/ { print "WIN_X=" $NF } /Absolute upper-left Y/ { print "WIN_Y=" $NF } /Width:/ { print "WIN_WIDTH=" $NF } /Height:/ { print "WIN_HEIGHT=" $NF }')"; }
# expect_centred BOX WINDOW WHAT: the centres of the two windows are at most a pixel apart.
expect_centred()
{
    window_geometry "$2"
    local dx=$((WIN_X + WIN_WIDTH / 2)) dy=$((WIN_Y + WIN_HEIGHT / 2))
    window_geometry "$1"
    dx=$((WIN_X + WIN_WIDTH / 2 - dx)) dy=$((WIN_Y + WIN_HEIGHT / 2 - dy))
    ((dx * dx <= 1 && dy * dy <= 1)) || fail "$3 is centred ($dx, $dy) px off its window's centre"
}
focus_window() { timeout "$E2E_TIMEOUT" xdotool windowfocus --sync "$1" || fail "window $1 took no focus"; }
# clipboard_is TEXT [PASTE...]: the clipboard holds exactly TEXT, byte for byte, as PASTE (by default an X
# program, xclip) pastes it: the x keeps a trailing newline. An empty clipboard makes the paste fail.
clipboard_is()
{
    local paste=("${@:2}")
    [ "${#paste[@]}" != 0 ] || paste=(xclip -selection clipboard -o)
    CLIPBOARD_SEEN="$(timeout 5 "${paste[@]}" 2>/dev/null || true; printf x)"
    CLIPBOARD_SEEN="${CLIPBOARD_SEEN%x}"
    [ "$CLIPBOARD_SEEN" = "$1" ]
}
# record_opener: the desktop's opener (xdg-open, which Qt on X11 and Wine both hand files and links to)
# first on PATH, writing a line to $E2E_TMP/opened for each thing it is given.
record_opener()
{
    mkdir -p "$E2E_TMP/bin"
    printf '#!/bin/sh\necho "$*" >>"%s"\n' "$E2E_TMP/opened" >"$E2E_TMP/bin/xdg-open"
    chmod +x "$E2E_TMP/bin/xdg-open"
    export PATH="$E2E_TMP/bin:$PATH"
}
expect_clipboard() { poll_until clipboard_is "$1" || fail "$2: the clipboard holds ${CLIPBOARD_SEEN@Q}, expected ${1@Q}"; }
