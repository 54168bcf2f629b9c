#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# foundation.sh ZUMEKO_BINARY WMCLOSE_BINARY
#
# Drives the real program on a private X server, with the real keyboard, mouse and clipboard: refusal to
# start without a display, window size and placement, copying a code, the single-instance rule, quitting,
# and recovery after a copy was killed. Each check prints a line; the first failure ends the run.

set -euo pipefail

if [ "$#" -ne 2 ]; then
    echo "usage: $0 ZUMEKO_BINARY WMCLOSE_BINARY" >&2
    exit 2
fi
ZUMEKO="$1"
WMCLOSE="$2"

# shellcheck source-path=SCRIPTDIR source=lib.sh
. "$(dirname "$0")/lib.sh"

[ -x "$ZUMEKO" ] || fail "not an executable: $ZUMEKO"
[ -x "$WMCLOSE" ] || fail "not an executable: $WMCLOSE"

# The client area as laid out, in pixels; the menu bar sits above it, inside the same X window.
readonly CLIENT_WIDTH=568
readonly CLIENT_HEIGHT=335
readonly MENU_MIN=15 MENU_MAX=40
# Client-area rectangles (left, top, width, height) of the controls the checks use.
readonly COPY_RECT=(357 288 83 31)
readonly QUIT_RECT=(474 288 83 31)
readonly FONTTAG_RECT=(45 291 271 31)

start_xvfb

MENU_HEIGHT=""

# is_dialog WIN: true when the window says it is a dialog (a message box), not a main window.
is_dialog()
{
    local type
    type="$(xprop -id "$1" _NET_WM_WINDOW_TYPE)" || fail "cannot read the type of window $1"
    [[ "$type" == *_NET_WM_WINDOW_TYPE_DIALOG* ]]
}

# click_control WIN LEFT TOP WIDTH HEIGHT: clicks the middle of a client-area rectangle.
click_control()
{
    click "$1" $(($2 + $4 / 2)) $((MENU_HEIGHT + $3 + $5 / 2))
}

# --- a: no display -----------------------------------------------------------------------------------

stderr_file="$E2E_TMP/no-display.err"
status=0
env -u DISPLAY timeout "$E2E_TIMEOUT" "$ZUMEKO" >/dev/null 2>"$stderr_file" || status="$?"
[ "$status" -eq 1 ] || fail "without DISPLAY: exit status $status, expected 1; stderr: $(cat "$stderr_file")"
lines="$(wc -l <"$stderr_file")"
# wc counts newlines; a last line without one would go uncounted, and would not be a whole line either.
if [ "$lines" -ne 1 ] || [ -n "$(tail -c 1 "$stderr_file")" ]; then
    fail "without DISPLAY: expected exactly one line on stderr, got: $(cat "$stderr_file")"
fi
[[ "$(cat "$stderr_file")" == zumeko:* ]] \
    || fail "without DISPLAY: the line does not start with 'zumeko:': $(cat "$stderr_file")"
pass "without DISPLAY it says why in one line and exits with status 1"

# --- b: the window -----------------------------------------------------------------------------------

spawn first-copy "$ZUMEKO"
first_pid="$SPAWNED_PID"
find_window "$first_pid"
first_win="$FOUND_WINDOW"

read -r screen_width screen_height < <(xdotool getdisplaygeometry)
geometry_ok()
{
    window_geometry "$first_win"
    local want_x=$(((screen_width - WIN_WIDTH) / 2)) want_y=$(((screen_height - WIN_HEIGHT) / 2))
    [ "$WIN_WIDTH" -eq "$CLIENT_WIDTH" ] \
        && [ "$WIN_HEIGHT" -ge $((CLIENT_HEIGHT + MENU_MIN)) ] \
        && [ "$WIN_HEIGHT" -le $((CLIENT_HEIGHT + MENU_MAX)) ] \
        && [ "$WIN_X" -eq "$want_x" ] && [ "$WIN_Y" -eq "$want_y" ]
}
# Polled, because the program may still be settling its size when the window first becomes visible.
poll_until -t 2 geometry_ok || fail "window geometry ${WIN_WIDTH}x${WIN_HEIGHT}+${WIN_X}+${WIN_Y} on a" \
    "${screen_width}x${screen_height} screen; expected width $CLIENT_WIDTH, height" \
    "$((CLIENT_HEIGHT + MENU_MIN))..$((CLIENT_HEIGHT + MENU_MAX)), centred"
MENU_HEIGHT=$((WIN_HEIGHT - CLIENT_HEIGHT))
pass "window 'Zumeko' is ${WIN_WIDTH}x${WIN_HEIGHT} (menu bar ${MENU_HEIGHT} px)" \
    "at +${WIN_X}+${WIN_Y}, centred"

# --- c: keyboard, then Copy --------------------------------------------------------------------------

# The clipboard must not already hold what the check expects, or a Copy that did nothing would pass.
clipboard_is "" || fail "the clipboard of a fresh X server is not empty: $(shown "$CLIPBOARD_SEEN")"
focus_window "$first_win"
# End on the red bar moves it to 255; on any other control it would give another code or none.
xdotool key End
click_control "$first_win" "${COPY_RECT[@]}"
expect_clipboard "#FF0000" "End on the focused red bar, then Copy"
pass "End on the red bar and a click on Copy put exactly #FF0000 on the clipboard"

# --- d: with the font tag ----------------------------------------------------------------------------

# Near the left end of the check box, on the box itself rather than the end of its caption.
click "$first_win" $((FONTTAG_RECT[0] + 10)) $((MENU_HEIGHT + FONTTAG_RECT[1] + FONTTAG_RECT[3] / 2))
click_control "$first_win" "${COPY_RECT[@]}"
expect_clipboard '<font color="#FF0000">' "font tag ticked, then Copy"
pass "with the font tag ticked, Copy put exactly <font color=\"#FF0000\"> on the clipboard"

# --- e: a second copy --------------------------------------------------------------------------------

spawn second-copy "$ZUMEKO"
second_pid="$SPAWNED_PID"
find_window "$second_pid"
refusal_win="$FOUND_WINDOW"
[ "$refusal_win" != "$first_win" ] || fail "the second copy's window is the first copy's window"
# The refusal is a message box, not a second main window.
is_dialog "$refusal_win" || fail "the second copy shows a window that is not a message box"
focus_window "$refusal_win"
xdotool key Return
expect_exit "$second_pid" 2 "second copy after its message box was closed"
window_exists "$first_win" || fail "the first copy's window is gone after the second copy was refused"
is_running "$first_pid" || fail "the first copy ended when the second copy was refused"
pass "a second copy shows a message box titled 'Zumeko', exits with status 2 and leaves the first alone"

# --- f: Quit -----------------------------------------------------------------------------------------

click_control "$first_win" "${QUIT_RECT[@]}"
expect_exit "$first_pid" 0 "first copy after a click on Quit"
pass "a click on Quit ends the program with status 0"

# --- g: a killed copy does not lock the user out ----------------------------------------------------

spawn killed-copy "$ZUMEKO"
killed_pid="$SPAWNED_PID"
find_window "$killed_pid"
kill_and_reap "$killed_pid"
[ "$REAPED_STATUS" -eq 137 ] \
    || fail "the copy sent SIGKILL ended with status $REAPED_STATUS, not by the signal"

spawn copy-after-kill "$ZUMEKO"
after_pid="$SPAWNED_PID"
find_window "$after_pid"
after_win="$FOUND_WINDOW"
window_geometry "$after_win"
[ "$WIN_WIDTH" -eq "$CLIENT_WIDTH" ] \
    || fail "after a copy was killed, the new copy shows a ${WIN_WIDTH} px wide window, not its main window"
if is_dialog "$after_win"; then
    fail "after a copy was killed, the new copy shows a dialog instead of its main window"
fi
"$WMCLOSE" "$after_win" || fail "$WMCLOSE could not send the close command to window $after_win"
expect_exit "$after_pid" 0 "copy closed through the window's close command"
pass "after a copy was killed a new one starts normally, and the close command ends it with status 0"
