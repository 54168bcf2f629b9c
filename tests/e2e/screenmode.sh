#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# screenmode.sh ZUMEKO_BINARY XWINDOW_BINARY
#
# Drives screen mode of the real program on a private X server with the real mouse: the swatch follows
# the screen pixel under the pointer, a click anywhere fixes the colour and reaches no other window, Copy
# hands over the fixed code, and going back to the scroll bars shows their colour again. The swatch is
# read back from the screen itself. Each check prints a line; the first failure ends the run.
#
# QT_SCALE_FACTOR (a whole number) scales the program's UI; the positions of the controls follow it,
# while the pointer positions on the root and on the test window are physical and stay as they are.

set -euo pipefail

if [ "$#" -ne 2 ]; then
    echo "usage: $0 ZUMEKO_BINARY XWINDOW_BINARY" >&2
    exit 2
fi
ZUMEKO="$1"
XWINDOW="$2"
# Read before lib.sh clears it from the environment, and handed to the program alone.
SCALE="${QT_SCALE_FACTOR:-1}"

# shellcheck source-path=SCRIPTDIR source=lib.sh
. "$(dirname "$0")/lib.sh"

[ -x "$ZUMEKO" ] || fail "not an executable: $ZUMEKO"
[ -x "$XWINDOW" ] || fail "not an executable: $XWINDOW"
[[ "$SCALE" =~ ^[1-9][0-9]?$ ]] || fail "QT_SCALE_FACTOR must be a whole number for these checks, not '$SCALE'"

# The client area as laid out at scale 1, in pixels; the menu bar sits above it, inside the same X window.
readonly CLIENT_WIDTH=568
readonly CLIENT_HEIGHT=335
readonly MENU_MIN=15 MENU_MAX=40
# Client-area rectangles (left, top, width, height) at scale 1.
readonly OPTION1_RECT=(45 177 241 22)
readonly OPTION2_RECT=(45 213 289 22)
readonly SWATCH_RECT=(354 153 202 88)
readonly COPY_RECT=(357 288 83 31)
# Physical screen positions, clear of the program's window (centred, at most 1136x720 at scale 2).
readonly ROOT_POINT=(20 20)
readonly XWIN_GEOMETRY="200x100+40+900"
readonly XWIN_POINT=(140 950)

start_xvfb

MENU_HEIGHT=""
SWATCH_X=""
SWATCH_Y=""

# click_control WIN LEFT TOP WIDTH HEIGHT: clicks the middle of a client-area rectangle.
click_control()
{
    click "$1" $((($2 + $4 / 2) * SCALE)) $((MENU_HEIGHT + ($3 + $5 / 2) * SCALE))
}

# click_option WIN LEFT TOP WIDTH HEIGHT: clicks an option button on its round mark, near its left end.
click_option()
{
    click "$1" $((($2 + 10) * SCALE)) $((MENU_HEIGHT + ($3 + $5 / 2) * SCALE))
}

# move_pointer X Y: moves the real pointer to a physical position on the screen.
move_pointer()
{
    xdotool mousemove "$1" "$2" || fail "cannot move the pointer to ($1, $2)"
}

PIXEL_SEEN=""

# read_pixel X Y: the colour of the screen at (X, Y), as RRGGBB in capitals, in PIXEL_SEEN.
read_pixel()
{
    local report
    report="$(import -silent -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>&1)" \
        || fail "cannot read the screen at ($1, $2): $report"
    [[ "$report" =~ [[:space:]]\#([[:xdigit:]]{6})([[:space:]]|$) ]] \
        || fail "cannot find the colour of ($1, $2) in: $report"
    PIXEL_SEEN="${BASH_REMATCH[1]^^}"
}

pixel_is()
{
    read_pixel "$1" "$2"
    [ "$PIXEL_SEEN" = "$3" ]
}

swatch_is()
{
    pixel_is "$SWATCH_X" "$SWATCH_Y" "$1"
}

# expect_swatch RRGGBB WHAT: waits for the swatch to show exactly that colour.
expect_swatch()
{
    poll_until swatch_is "$1" || fail "$2: the swatch shows #$PIXEL_SEEN, expected #$1"
}

# swatch_stays RRGGBB MILLISECONDS WHAT: the swatch shows that colour at every look for that long.
swatch_stays()
{
    local deadline=$(($(e2e_now_us) + $2 * 1000))
    while :; do
        swatch_is "$1" || fail "$3: the swatch changed to #$PIXEL_SEEN, expected it to stay #$1"
        [ "$(e2e_now_us)" -lt "$deadline" ] || return 0
        sleep "$E2E_POLL_INTERVAL"
    done
}

# set_root RRGGBB: paints the bare root in that colour and waits until the screen shows it.
set_root()
{
    xsetroot -solid "#$1" || fail "xsetroot cannot paint the root #$1"
    poll_until pixel_is "${ROOT_POINT[@]}" "$1" \
        || fail "the root at (${ROOT_POINT[*]}) shows #$PIXEL_SEEN after xsetroot painted it #$1"
}

XWINDOW_LOG=""

# xwindow_said REGEX: true when a line the test window printed matches the extended regular expression.
xwindow_said()
{
    grep -Eq -- "$1" "$XWINDOW_LOG"
}

# --- the program -------------------------------------------------------------------------------------

set_root FF0000
move_pointer "${ROOT_POINT[@]}"

# QT_SCALE_FACTOR=1 is what Qt assumes without it, so it is always given.
spawn zumeko env QT_SCALE_FACTOR="$SCALE" "$ZUMEKO"
zumeko_pid="$SPAWNED_PID"
find_window "$zumeko_pid"
win="$FOUND_WINDOW"
# Polled, because the program may still be settling its size when the window first becomes visible.
size_ok()
{
    window_geometry "$win"
    [ "$WIN_WIDTH" -eq $((CLIENT_WIDTH * SCALE)) ] \
        && [ "$WIN_HEIGHT" -ge $(((CLIENT_HEIGHT + MENU_MIN) * SCALE)) ] \
        && [ "$WIN_HEIGHT" -le $(((CLIENT_HEIGHT + MENU_MAX) * SCALE)) ]
}
poll_until -t 2 size_ok || fail "window size ${WIN_WIDTH}x${WIN_HEIGHT}, expected width $((CLIENT_WIDTH * SCALE))" \
    "and height $(((CLIENT_HEIGHT + MENU_MIN) * SCALE))..$(((CLIENT_HEIGHT + MENU_MAX) * SCALE)) at scale $SCALE"
MENU_HEIGHT=$((WIN_HEIGHT - CLIENT_HEIGHT * SCALE))
# The middle of the swatch, well inside its sunken border.
SWATCH_X=$((WIN_X + (SWATCH_RECT[0] + SWATCH_RECT[2] / 2) * SCALE))
SWATCH_Y=$((WIN_Y + MENU_HEIGHT + (SWATCH_RECT[1] + SWATCH_RECT[3] / 2) * SCALE))

# The bars start at 0, 0, 0; anything else here would make the later colours prove less.
expect_swatch 000000 "at start, with the scroll bars"

# --- a: the swatch follows the screen ----------------------------------------------------------------

click_option "$win" "${OPTION2_RECT[@]}"
move_pointer "${ROOT_POINT[@]}"
expect_swatch FF0000 "screen mode, pointer on the red root"
pass "in screen mode the swatch shows the red root under the pointer (scale $SCALE, depth $E2E_XVFB_DEPTH)"

set_root 0000FF
expect_swatch 0000FF "screen mode, root repainted blue under the resting pointer"
pass "the swatch follows the root to blue while the pointer rests"

# --- b: a click fixes the colour and reaches no window -----------------------------------------------

spawn xwindow "$XWINDOW" "$XWIN_GEOMETRY" 00FF00
xwindow_pid="$SPAWNED_PID"
XWINDOW_LOG="$E2E_TMP/logs/xwindow.log"
xwindow_ready()
{
    is_running "$xwindow_pid" || fail "the test window ended before it was shown"
    xwindow_said '^ready '
}
wait_for xwindow_ready
move_pointer "${XWIN_POINT[@]}"
expect_swatch 00FF00 "screen mode, pointer on the green window"

xdotool click 1 || fail "cannot click on the green window"
# Releasing the grab over the green window makes the server tell it the pointer entered again: the sign
# that the press was taken and the sampling stopped, before the pointer moves on.
poll_until xwindow_said '^(press|enter ungrab)' \
    || fail "after a click on the green window the program still holds the pointer"
if xwindow_said '^press'; then
    fail "the click that fixed the colour also reached the green window underneath"
fi

move_pointer "${ROOT_POINT[@]}"
set_root FFFFFF
swatch_stays 00FF00 300 "colour fixed on green, pointer back on the root, root repainted white"
# By now the press has had thirty ticks' time to arrive, had it been passed on.
if xwindow_said '^press'; then
    fail "the click that fixed the colour also reached the green window underneath"
fi
pass "a click fixed green: it reached no window, and the swatch ignores the white root afterwards"

# --- c: Copy hands over the fixed code ---------------------------------------------------------------

clipboard_is "" || fail "the clipboard of a fresh X server is not empty: $(shown "$CLIPBOARD_SEEN")"
click_control "$win" "${COPY_RECT[@]}"
expect_clipboard "#00FF00" "Copy after the colour was fixed"
pass "Copy put exactly #00FF00 on the clipboard"

move_pointer "${XWIN_POINT[@]}"
xdotool click 1 || fail "cannot click on the green window"
poll_until xwindow_said '^press 1$' \
    || fail "no longer armed, a click on the green window did not reach it"
pass "no longer armed, a click on the green window reaches it"

# --- d: back to the scroll bars ----------------------------------------------------------------------

click_option "$win" "${OPTION1_RECT[@]}"
expect_swatch 000000 "after choosing the scroll bars again"
click_control "$win" "${COPY_RECT[@]}"
expect_clipboard "#000000" "Copy after choosing the scroll bars again"
pass "choosing the scroll bars again shows their black, and Copy puts exactly #000000 on the clipboard"
