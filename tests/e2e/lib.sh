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
# Exactly TEXT, byte for byte: the x keeps a trailing newline. An empty clipboard makes xclip fail.
clipboard_is()
{
    CLIPBOARD_SEEN="$(timeout 5 xclip -selection clipboard -o 2>/dev/null || true; printf x)"
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
