#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# screenmode.sh ZUMEKO XWINDOW: screen mode with the real mouse, the swatch read back from the screen:
# it follows the pixel under the pointer, a click fixes the colour and reaches no window, Copy hands over
# the fixed code, and the scroll bars' colour comes back. QT_SCALE_FACTOR (whole) scales the program's
# controls; the pointer positions on the root and on the test window are physical and stay.
set -euo pipefail
ZUMEKO="$1" XWINDOW="$2"
# Read before lib.sh clears it, and handed to the program alone.
SCALE="${QT_SCALE_FACTOR:-1}"
# shellcheck source-path=SCRIPTDIR source=lib.sh
. "$(dirname "$0")/lib.sh"
start_xvfb

CLIENT_WIDTH=568 CLIENT_HEIGHT=335 MENU_MIN=15 MENU_MAX=40
# Client-area points at scale 1: the option buttons' round marks, the middles of the swatch and Copy.
OPTION1=(55 188) OPTION2=(55 224) SWATCH=(455 197) COPY=(398 303)
# Physical screen points, clear of the program's window (centred, at most 1136x720 at scale 2).
ROOT_POINT=(20 20) XWIN_GEOMETRY=200x100+40+900 XWIN_POINT=(140 950)

click_client() { click "$1" $(($2 * SCALE)) $((MENU_HEIGHT + $3 * SCALE)); }
move_pointer() { xdotool mousemove "$1" "$2" || fail "cannot move the pointer to ($1, $2)"; }
xwindow_said() { grep -Eq -- "$1" "$E2E_TMP/xwindow.log"; }

# pixel_is X Y RRGGBB, leaving what the screen shows there in PIXEL_SEEN.
pixel_is()
{
    PIXEL_SEEN="$(import -silent -window root -crop "1x1+$1+$2" -depth 8 -format '%[hex:p{0,0}]' info:)" \
        || fail "cannot read the screen at ($1, $2)"
    [ "$PIXEL_SEEN" = "$3" ]
}
swatch_is() { pixel_is "$SWATCH_X" "$SWATCH_Y" "$1"; }
expect_swatch() { poll_until swatch_is "$1" || fail "$2: the swatch shows #$PIXEL_SEEN, expected #$1"; }

set_root()
{
    xsetroot -solid "#$1" || fail "xsetroot cannot paint the root #$1"
    poll_until pixel_is "${ROOT_POINT[@]}" "$1" || fail "the root shows #$PIXEL_SEEN after xsetroot painted it #$1"
}

set_root FF0000
move_pointer "${ROOT_POINT[@]}"
# QT_SCALE_FACTOR=1 is what Qt assumes without it, so it is always given.
spawn zumeko env QT_SCALE_FACTOR="$SCALE" "$ZUMEKO"
find_window "$SPAWNED_PID"
win=$FOUND_WINDOW
size_ok()
{
    window_geometry "$win"
    [ "$WIN_WIDTH" -eq $((CLIENT_WIDTH * SCALE)) ] \
        && [ "$WIN_HEIGHT" -ge $(((CLIENT_HEIGHT + MENU_MIN) * SCALE)) ] \
        && [ "$WIN_HEIGHT" -le $(((CLIENT_HEIGHT + MENU_MAX) * SCALE)) ]
}
# Polled: the program may still be settling its size when the window first shows.
poll_until size_ok || fail "window size ${WIN_WIDTH}x${WIN_HEIGHT}, expected width $((CLIENT_WIDTH * SCALE))" \
    "and height $(((CLIENT_HEIGHT + MENU_MIN) * SCALE))..$(((CLIENT_HEIGHT + MENU_MAX) * SCALE)) at scale $SCALE"
MENU_HEIGHT=$((WIN_HEIGHT - CLIENT_HEIGHT * SCALE))
SWATCH_X=$((WIN_X + SWATCH[0] * SCALE)) SWATCH_Y=$((WIN_Y + MENU_HEIGHT + SWATCH[1] * SCALE))
# The bars start at black; anything else here would make the later colours prove less.
expect_swatch 000000 "at start, with the scroll bars"

click_client "$win" "${OPTION2[@]}"
move_pointer "${ROOT_POINT[@]}"
expect_swatch FF0000 "screen mode, pointer on the red root"
pass "in screen mode the swatch shows the red root under the pointer (scale $SCALE, depth $E2E_XVFB_DEPTH)"
set_root 0000FF
expect_swatch 0000FF "screen mode, root repainted blue under the resting pointer"
pass "the swatch follows the root to blue while the pointer rests"

spawn xwindow "$XWINDOW" "$XWIN_GEOMETRY" 00FF00
xwindow_pid=$SPAWNED_PID
xwindow_ready() { ! exited "$xwindow_pid" || fail "the test window ended unshown"; xwindow_said '^ready '; }
poll_until xwindow_ready || fail "the test window was not shown within $E2E_TIMEOUT s"
move_pointer "${XWIN_POINT[@]}"
expect_swatch 00FF00 "screen mode, pointer on the green window"
xdotool click 1 || fail "cannot click on the green window"
# Ending the grab over the green window makes the server tell it the pointer entered again: the sign that
# the press was taken and the sampling stopped, before the pointer moves on.
poll_until xwindow_said '^(press|enter ungrab)' \
    || fail "after a click on the green window the program still holds the pointer"
! xwindow_said '^press' || fail "the click that fixed the colour also reached the green window underneath"
move_pointer "${ROOT_POINT[@]}"
set_root FFFFFF
# A bounded wait, to show that the swatch does not change: three looks over more than 300 ms.
for _ in 1 2 3; do
    swatch_is 00FF00 || fail "fixed on green, then the root repainted white: the swatch changed to #$PIXEL_SEEN"
    sleep 0.1
done
# By now a press passed on would have had thirty ticks' time to arrive.
! xwindow_said '^press' || fail "the click that fixed the colour also reached the green window underneath"
pass "a click fixed green: it reached no window, and the swatch ignores the white root afterwards"

clipboard_is "" || fail "the clipboard of a fresh X server holds ${CLIPBOARD_SEEN@Q}"
click_client "$win" "${COPY[@]}"
expect_clipboard "#00FF00" "Copy after the colour was fixed"
pass "Copy put exactly #00FF00 on the clipboard"
move_pointer "${XWIN_POINT[@]}"
xdotool click 1 || fail "cannot click on the green window"
poll_until xwindow_said '^press 1$' || fail "no longer armed, a click on the green window did not reach it"
pass "no longer armed, a click on the green window reaches it"

click_client "$win" "${OPTION1[@]}"
expect_swatch 000000 "after choosing the scroll bars again"
click_client "$win" "${COPY[@]}"
expect_clipboard "#000000" "Copy after choosing the scroll bars again"
pass "choosing the scroll bars again shows their black, and Copy puts exactly #000000 on the clipboard"
