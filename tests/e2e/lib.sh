# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Helpers for end-to-end tests on a private X server. Source under `set -euo pipefail` and call
# start_xvfb; on exit, however it comes, the server and every background program are ended and E2E_TMP
# is removed. E2E_TIMEOUT (seconds, default 10) bounds every wait; E2E_XVFB_DEPTH (default 24).

shopt -s inherit_errexit
E2E_TIMEOUT="${E2E_TIMEOUT:-10}" E2E_XVFB_DEPTH="${E2E_XVFB_DEPTH:-24}"
E2E_NAME="$(basename "$0" .sh)" E2E_TMP="" E2E_XVFB_PID=""

pass() { echo "$E2E_NAME: PASS: $*"; }

fail()
{
    echo "$E2E_NAME: FAIL: $*" >&2
    # What the programs under test said is often the reason.
    [ -z "$E2E_TMP" ] || find "$E2E_TMP" -maxdepth 1 -name '*.log' -size +0 -exec tail -v -n 20 {} + >&2
    exit 1
}

e2e_cleanup()
{
    local status=$?
    set +e
    jobs -p | grep -vx "$E2E_XVFB_PID" | xargs -r kill -KILL 2>/dev/null
    # SIGTERM lets the server remove its socket and lock file; a killed one would leave both behind.
    kill -TERM "$E2E_XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    [ -z "$E2E_TMP" ] || rm -rf -- "$E2E_TMP"
    exit "$status"
}
trap e2e_cleanup EXIT
# Without these a signal would end the shell without running the clean-up.
trap 'exit 130' INT; trap 'exit 143' TERM

# A display number and a runtime folder of its own, so that nothing is shared with another test running
# at the same time or with the user's session.
start_xvfb()
{
    E2E_TMP="$(mktemp -d "${TMPDIR:-/tmp}/zumeko-e2e.XXXXXXXX")"
    mkdir -m 0700 "$E2E_TMP/runtime"
    mkfifo "$E2E_TMP/displayfd"
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "1280x1024x$E2E_XVFB_DEPTH" \
        3>"$E2E_TMP/displayfd" >"$E2E_TMP/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    # The number comes once the server accepts connections; a server that dies closes the pipe at once.
    local display=""
    read -r -t "$E2E_TIMEOUT" display <"$E2E_TMP/displayfd" || true
    [[ "$display" =~ ^[0-9]+$ ]] || fail "Xvfb reported no display number within $E2E_TIMEOUT s"
    export DISPLAY=":$display" XDG_RUNTIME_DIR="$E2E_TMP/runtime"
    # The user's settings would change what the program shows and where.
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE QT_SCALE_FACTOR \
        QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI \
        QT_SCALE_FACTOR_ROUNDING_POLICY
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
# shellcheck disable=SC2034 # for the caller
spawn() { local log="$E2E_TMP/$1.log"; shift; "$@" >"$log" 2>&1 & SPAWNED_PID=$!; }

# Gone, or a zombie waiting to be reaped: the state follows the command name in parentheses.
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

window_shown()
{
    ! exited "$1" || fail "process $1 ended before showing its window"
    FOUND_WINDOW="$(windows_of "$@")"
    [ -n "$FOUND_WINDOW" ]
}

# find_window PID [NAME]: waits for the one visible window of PID named NAME (an extended regular
# expression; default exactly Zumeko) and leaves its id in FOUND_WINDOW.
find_window()
{
    poll_until window_shown "$@" || fail "process $1 showed no window named '${2:-Zumeko}' within $E2E_TIMEOUT s"
    [ "$(wc -l <<<"$FOUND_WINDOW")" = 1 ] || fail "process $1 shows several windows: ${FOUND_WINDOW//$'\n'/ }"
}

# Sets WIN_X, WIN_Y, WIN_WIDTH and WIN_HEIGHT: the window's place on the screen and its size.
window_geometry()
{
    local vars
    vars="$(xdotool getwindowgeometry --shell "$1" | sed 's/^/WIN_/')" || fail "cannot read where window $1 is"
    eval "$vars"
}

# There is no window manager to give a window the keyboard focus.
focus_window() { timeout "$E2E_TIMEOUT" xdotool windowfocus --sync "$1" || fail "window $1 took no focus"; }

# click WIN X Y: a real left click at (X, Y) from the window's top-left corner.
click() { xdotool mousemove --window "$1" "$2" "$3" click 1 || fail "cannot click at ($2, $3) in window $1"; }

# Exactly TEXT, byte for byte: the x keeps a trailing newline. An empty clipboard makes xclip fail.
clipboard_is()
{
    CLIPBOARD_SEEN="$(timeout 5 xclip -selection clipboard -o 2>/dev/null || true; printf x)"
    CLIPBOARD_SEEN="${CLIPBOARD_SEEN%x}"
    [ "$CLIPBOARD_SEEN" = "$1" ]
}

# expect_clipboard TEXT WHAT
expect_clipboard()
{
    poll_until clipboard_is "$1" || fail "$2: the clipboard holds ${CLIPBOARD_SEEN@Q}, expected ${1@Q}"
}
