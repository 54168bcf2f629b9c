# SPDX-License-Identifier: MIT
# shellcheck shell=bash
#
# Helpers for end-to-end tests that drive the real Zumeko binary on a private X server.
#
# Source this file from a script that runs under `set -euo pipefail`, then call `start_xvfb`.
# Everything started through these helpers (the X server, programs started with `spawn`) is ended and
# every temporary folder removed when the script exits, however it exits.
#
# Settings, each overridable from the environment:
#   E2E_TIMEOUT      seconds `wait_for` and friends wait before giving up (default 10)
#   E2E_XVFB_DEPTH   colour depth of the private screen (default 24)

shopt -s inherit_errexit

E2E_TIMEOUT="${E2E_TIMEOUT:-10}"
E2E_XVFB_DEPTH="${E2E_XVFB_DEPTH:-24}"
E2E_XVFB_SIZE="1280x1024"
E2E_POLL_INTERVAL="0.02"

E2E_NAME="$(basename "$0" .sh)"
E2E_TMP=""
E2E_XVFB_PID=""
# Processes started with `spawn` that have not been reaped yet: pid -> label.
declare -gA E2E_CHILDREN=()
# Set by `spawn` and `reap`.
SPAWNED_PID=""
REAPED_STATUS=""

# --- reporting ---------------------------------------------------------------------------------------

pass()
{
    printf '%s: PASS: %s\n' "$E2E_NAME" "$*"
}

fail()
{
    printf '%s: FAIL: %s\n' "$E2E_NAME" "$*" >&2
    show_logs >&2
    exit 1
}

# What the programs under test said, which is often the reason a check failed.
show_logs()
{
    local log
    [ -n "$E2E_TMP" ] && [ -d "$E2E_TMP/logs" ] || return 0
    for log in "$E2E_TMP"/logs/*.log; do
        [ -s "$log" ] || continue
        printf -- '--- %s (last lines) ---\n' "$(basename "$log")"
        tail -n 20 "$log"
    done
}

# TEXT as it can be read in a message: in single quotes, or escaped when it holds control characters.
shown()
{
    if [[ "$1" == *[[:cntrl:]]* ]]; then
        printf '%q' "$1"
    else
        printf "'%s'" "$1"
    fi
}

# --- waiting -----------------------------------------------------------------------------------------

e2e_now_us()
{
    # EPOCHREALTIME's decimal separator follows the locale; the digits alone are microseconds.
    printf '%s' "${EPOCHREALTIME//[!0-9]/}"
}

# poll_until [-t SECONDS] CMD...
# Runs CMD every 20 ms until it succeeds, for at most SECONDS (whole seconds; default E2E_TIMEOUT).
# Returns 1 when time ran out. CMD runs in this shell, so it may leave what it last saw in a variable.
poll_until()
{
    local timeout="$E2E_TIMEOUT"
    if [ "${1:-}" = "-t" ]; then
        timeout="$2"
        shift 2
    fi
    [[ "$timeout" =~ ^[0-9]+$ ]] || fail "poll_until: the timeout must be whole seconds, not '$timeout'"
    [ "$#" -gt 0 ] || fail "poll_until: no condition given"
    local deadline=$(($(e2e_now_us) + timeout * 1000000))
    until "$@"; do
        [ "$(e2e_now_us)" -lt "$deadline" ] || return 1
        sleep "$E2E_POLL_INTERVAL"
    done
}

# wait_for [-t SECONDS] CMD...
# Like poll_until, but fails the test when time runs out.
wait_for()
{
    local timeout="$E2E_TIMEOUT"
    if [ "${1:-}" = "-t" ]; then
        timeout="$2"
        shift 2
    fi
    poll_until -t "$timeout" "$@" || fail "timed out after ${timeout} s waiting for: $*"
}

# --- processes ---------------------------------------------------------------------------------------

# True when PID is no longer running: gone, or a zombie waiting to be reaped.
has_exited()
{
    local stat
    stat="$(cat "/proc/$1/stat" 2>/dev/null)" || return 0
    # The command name in parentheses may hold blanks; the state is the first field after it.
    stat="${stat##*) }"
    [ "${stat%% *}" = "Z" ]
}

is_running()
{
    ! has_exited "$1"
}

# True when PID is still a child of this shell, so that a number the kernel has since handed to an
# unrelated process is never signalled.
e2e_is_our_child()
{
    local stat ppid
    stat="$(cat "/proc/$1/stat" 2>/dev/null)" || return 1
    stat="${stat##*) }"
    read -r _ ppid _ <<<"$stat"
    [ "$ppid" = "$$" ]
}

# spawn LABEL CMD...
# Starts CMD in the background with its output in a log named after LABEL; its pid is in SPAWNED_PID.
spawn()
{
    local label="$1"
    shift
    "$@" >"$E2E_TMP/logs/$label.log" 2>&1 &
    SPAWNED_PID="$!"
    E2E_CHILDREN["$SPAWNED_PID"]="$label"
}

# reap PID [WHAT]
# Waits for a process started with `spawn` to end and leaves its exit status in REAPED_STATUS.
reap()
{
    local pid="$1"
    local what="${2:-${E2E_CHILDREN[$pid]:-process} (pid $pid)}"
    poll_until has_exited "$pid" || fail "$what: still running after ${E2E_TIMEOUT} s"
    REAPED_STATUS=0
    wait "$pid" || REAPED_STATUS="$?"
    unset 'E2E_CHILDREN[$pid]'
}

# kill_and_reap PID: ends a process started with `spawn` with SIGKILL; its status is in REAPED_STATUS.
kill_and_reap()
{
    local pid="$1"
    kill -KILL "$pid" || fail "cannot send SIGKILL to pid $pid"
    # SIGKILL cannot be caught, so the wait is bounded. Waiting at once, with bash's report of the killed
    # job silenced, keeps a kill made on purpose out of the output.
    REAPED_STATUS=0
    wait "$pid" 2>/dev/null || REAPED_STATUS="$?"
    unset 'E2E_CHILDREN[$pid]'
}

# expect_exit PID STATUS WHAT
# Fails unless the process ends, within the timeout, with exactly STATUS.
expect_exit()
{
    local pid="$1" want="$2" what="$3"
    reap "$pid" "$what"
    [ "$REAPED_STATUS" = "$want" ] || fail "$what: exit status $REAPED_STATUS, expected $want"
}

# --- the X server ------------------------------------------------------------------------------------

e2e_cleanup()
{
    local status="$?" pid
    set +e
    for pid in "${!E2E_CHILDREN[@]}"; do
        e2e_is_our_child "$pid" && kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    if [ -n "$E2E_XVFB_PID" ] && e2e_is_our_child "$E2E_XVFB_PID"; then
        # SIGTERM lets the server remove its socket and lock file; a killed one would leave both behind.
        kill -TERM "$E2E_XVFB_PID" 2>/dev/null
        local deadline=$(($(e2e_now_us) + 5000000))
        while ! has_exited "$E2E_XVFB_PID" && [ "$(e2e_now_us)" -lt "$deadline" ]; do
            sleep "$E2E_POLL_INTERVAL"
        done
        has_exited "$E2E_XVFB_PID" || kill -KILL "$E2E_XVFB_PID" 2>/dev/null
        wait "$E2E_XVFB_PID" 2>/dev/null
    fi
    [ -n "$E2E_TMP" ] && rm -rf -- "$E2E_TMP"
    exit "$status"
}

trap e2e_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Starts a private X server on a display number of its own choosing, and a runtime folder of its own, so
# that neither is shared with another test running at the same time or with the user's own session.
start_xvfb()
{
    E2E_TMP="$(mktemp -d "${TMPDIR:-/tmp}/zumeko-e2e.XXXXXXXX")"
    mkdir -m 0700 "$E2E_TMP/runtime" "$E2E_TMP/logs"

    # The server writes its display number to the pipe once it accepts connections.
    local fifo="$E2E_TMP/displayfd" display=""
    mkfifo -m 0600 "$fifo"
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "${E2E_XVFB_SIZE}x${E2E_XVFB_DEPTH}" \
        3>"$fifo" >"$E2E_TMP/logs/xvfb.log" 2>&1 &
    E2E_XVFB_PID="$!"
    # A server that dies early closes the pipe, which ends the read at once rather than at the timeout.
    read -r -t "$E2E_TIMEOUT" display <"$fifo" || true
    [[ "$display" =~ ^[0-9]+$ ]] || fail "Xvfb did not report a display number within ${E2E_TIMEOUT} s"

    export DISPLAY=":$display"
    export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
    # Settings from the user's session that would change what the program shows or where it shows it.
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE QT_SCALE_FACTOR \
        QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI \
        QT_SCALE_FACTOR_ROUNDING_POLICY
}

# --- windows -----------------------------------------------------------------------------------------

# The visible windows of PID whose name matches the extended regular expression NAME, one id a line.
visible_windows()
{
    xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null || true
}

e2e_window_shown()
{
    is_running "$1" || fail "process $1 ended before showing a window named '$2'"
    FOUND_WINDOW="$(visible_windows "$1" "$2")"
    [ -n "$FOUND_WINDOW" ]
}

# find_window PID [NAME]
# Waits for the one visible window of PID named NAME (an extended regular expression; default: exactly
# "Zumeko") and leaves its id in FOUND_WINDOW. Fails when none appears in time, when the process ends
# first, or when it shows several such windows.
FOUND_WINDOW=""
find_window()
{
    local pid="$1" name="${2:-^Zumeko\$}"
    poll_until e2e_window_shown "$pid" "$name" \
        || fail "process $pid showed no window named '$name' within ${E2E_TIMEOUT} s"
    [ "$(wc -l <<<"$FOUND_WINDOW")" -eq 1 ] \
        || fail "process $pid shows more than one window named '$name': $(tr '\n' ' ' <<<"$FOUND_WINDOW")"
}

window_exists()
{
    xwininfo -id "$1" >/dev/null 2>&1
}

# window_geometry WIN
# Sets WIN_X, WIN_Y, WIN_WIDTH and WIN_HEIGHT: the window's position on the screen and its size.
window_geometry()
{
    local report key value
    report="$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)" \
        || fail "cannot read the geometry of window $1"
    WIN_X="" WIN_Y="" WIN_WIDTH="" WIN_HEIGHT=""
    while IFS='=' read -r key value; do
        case "$key" in
        X) WIN_X="$value" ;;
        Y) WIN_Y="$value" ;;
        WIDTH) WIN_WIDTH="$value" ;;
        HEIGHT) WIN_HEIGHT="$value" ;;
        esac
    done <<<"$report"
    if [ -z "$WIN_X" ] || [ -z "$WIN_Y" ] || [ -z "$WIN_WIDTH" ] || [ -z "$WIN_HEIGHT" ]; then
        fail "cannot read the geometry of window $1 from: $report"
    fi
}

# Gives WIN the keyboard focus. There is no window manager, so nothing else would.
focus_window()
{
    timeout "$E2E_TIMEOUT" xdotool windowfocus --sync "$1" || fail "window $1 did not take the keyboard focus"
}

# click WIN X Y: a real left click at (X, Y) relative to the window's top-left corner.
click()
{
    xdotool mousemove --window "$1" "$2" "$3" click 1 || fail "cannot click at ($2, $3) in window $1"
}

# --- the clipboard -----------------------------------------------------------------------------------

CLIPBOARD_SEEN=""

# True when the clipboard holds exactly TEXT, byte for byte (a trailing newline counts).
clipboard_is()
{
    # The sentinel keeps the command substitution from eating trailing newlines.
    # An empty clipboard makes xclip fail; that reads as no text.
    CLIPBOARD_SEEN="$(timeout 5 xclip -selection clipboard -o 2>/dev/null || true; printf x)"
    CLIPBOARD_SEEN="${CLIPBOARD_SEEN%x}"
    [ "$CLIPBOARD_SEEN" = "$1" ]
}

# expect_clipboard TEXT WHAT: waits for the clipboard to hold exactly TEXT.
expect_clipboard()
{
    poll_until clipboard_is "$1" \
        || fail "$2: the clipboard holds $(shown "$CLIPBOARD_SEEN"), expected $(shown "$1")"
}
