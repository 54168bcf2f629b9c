#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# foundation.sh ZUMEKO WMCLOSE: the real program with the real keyboard, mouse and clipboard: refusal
# without a display, window size and place, copying a code, the single instance, quitting, and recovery
# after a copy was killed.
set -euo pipefail
ZUMEKO="$1" WMCLOSE="$2"
# shellcheck source-path=SCRIPTDIR source=lib.sh
. "$(dirname "$0")/lib.sh"
start_xvfb

# The client area as laid out; the menu bar sits above it, inside the same X window.
CLIENT_WIDTH=568 CLIENT_HEIGHT=335 MENU_MIN=15 MENU_MAX=40
# Client-area points: the middles of Copy and Quit, and the font tag's box rather than its caption.
COPY=(398 303) QUIT=(515 303) FONT_TAG=(55 306)
click_client() { click "$1" "$2" $((MENU_HEIGHT + $3)); }
is_dialog() { [[ "$(xprop -id "$1" _NET_WM_WINDOW_TYPE)" == *_NET_WM_WINDOW_TYPE_DIALOG* ]]; }

# The status goes after the output, so that a last line without its newline does not match.
err="$(env -u DISPLAY timeout "$E2E_TIMEOUT" "$ZUMEKO" 2>&1 >/dev/null && echo "status 0" || echo "status $?")"
one_line=$'^zumeko:[^\n]*\nstatus 1$'
[[ "$err" =~ $one_line ]] || fail "without DISPLAY: expected one line 'zumeko: ...' and status 1, got ${err@Q}"
pass "without DISPLAY it says why in one line and exits with status 1"

spawn first-copy "$ZUMEKO"
find_window "$SPAWNED_PID"
first_pid=$SPAWNED_PID first_win=$FOUND_WINDOW
read -r screen_width screen_height < <(xdotool getdisplaygeometry)
geometry_ok()
{
    window_geometry "$first_win"
    [ "$WIN_WIDTH" -eq "$CLIENT_WIDTH" ] && [ "$WIN_HEIGHT" -ge $((CLIENT_HEIGHT + MENU_MIN)) ] \
        && [ "$WIN_HEIGHT" -le $((CLIENT_HEIGHT + MENU_MAX)) ] \
        && [ "$WIN_X" -eq $(((screen_width - WIN_WIDTH) / 2)) ] \
        && [ "$WIN_Y" -eq $(((screen_height - WIN_HEIGHT) / 2)) ]
}
# Polled: the program may still be settling its size when the window first shows.
poll_until geometry_ok || fail "window ${WIN_WIDTH}x${WIN_HEIGHT}+${WIN_X}+${WIN_Y} on a" \
    "${screen_width}x${screen_height} screen; expected width $CLIENT_WIDTH," \
    "height $((CLIENT_HEIGHT + MENU_MIN))..$((CLIENT_HEIGHT + MENU_MAX)), centred"
MENU_HEIGHT=$((WIN_HEIGHT - CLIENT_HEIGHT))
pass "window 'Zumeko' is ${WIN_WIDTH}x${WIN_HEIGHT} (menu bar $MENU_HEIGHT px) at +${WIN_X}+${WIN_Y}, centred"

# A clipboard already holding the code would let a Copy that did nothing pass.
clipboard_is "" || fail "the clipboard of a fresh X server holds ${CLIPBOARD_SEEN@Q}"
focus_window "$first_win"
# End moves the focused red bar to 255; on any other control it would give another code or none.
xdotool key End
click_client "$first_win" "${COPY[@]}"
expect_clipboard "#FF0000" "End on the focused red bar, then Copy"
pass "End on the red bar and a click on Copy put exactly #FF0000 on the clipboard"

click_client "$first_win" "${FONT_TAG[@]}"
click_client "$first_win" "${COPY[@]}"
expect_clipboard '<font color="#FF0000">' "font tag ticked, then Copy"
pass "with the font tag ticked, Copy put exactly <font color=\"#FF0000\"> on the clipboard"

spawn second-copy "$ZUMEKO"
find_window "$SPAWNED_PID"
[ "$FOUND_WINDOW" != "$first_win" ] || fail "the second copy's window is the first copy's window"
is_dialog "$FOUND_WINDOW" || fail "the second copy shows a window that is not a message box"
focus_window "$FOUND_WINDOW"
xdotool key Return
expect_exit "$SPAWNED_PID" 2 "second copy after its message box was closed"
xwininfo -id "$first_win" >/dev/null 2>&1 || fail "the first copy's window is gone after the refusal"
! exited "$first_pid" || fail "the first copy ended when the second copy was refused"
pass "a second copy shows a message box titled 'Zumeko', exits with status 2 and leaves the first alone"

click_client "$first_win" "${QUIT[@]}"
expect_exit "$first_pid" 0 "first copy after a click on Quit"
pass "a click on Quit ends the program with status 0"

spawn killed-copy "$ZUMEKO"
find_window "$SPAWNED_PID"
kill -KILL "$SPAWNED_PID"
# Silenced, so that bash does not report a kill made on purpose.
wait "$SPAWNED_PID" 2>/dev/null && status=0 || status=$?
[ "$status" = 137 ] || fail "the copy sent SIGKILL ended with status $status, not by the signal"
spawn copy-after-kill "$ZUMEKO"
find_window "$SPAWNED_PID"
window_geometry "$FOUND_WINDOW"
[ "$WIN_WIDTH" = "$CLIENT_WIDTH" ] || fail "after a kill, the new copy shows a $WIN_WIDTH px wide window, not its main one"
! is_dialog "$FOUND_WINDOW" || fail "after a kill, the new copy shows a dialog instead of its main window"
"$WMCLOSE" "$FOUND_WINDOW" || fail "cannot send the close command to window $FOUND_WINDOW"
expect_exit "$SPAWNED_PID" 0 "copy closed through the window's close command"
pass "after a copy was killed a new one starts normally, and the close command ends it with status 0"
