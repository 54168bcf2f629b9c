#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# e2e.sh ZUMEKO.EXE PROBE.EXE XTOOL: the Windows program under Wine, as a user would try it.
set -euo pipefail
ZUMEKO="$1" PROBE="$2" XTOOL="$3"
# shellcheck source-path=SCRIPTDIR source=../e2e/lib.sh
. "$(dirname "$0")/../e2e/lib.sh"
E2E_TIMEOUT=30
start_xvfb
start_wine
eval "$("$XTOOL" points)"
record_opener
mkdir "$E2E_TMP/help" "$E2E_TMP/empty"
touch "$E2E_TMP/help/help.html"

click_client() { click "$WIN" "$1" $((MENU_HEIGHT + $2)) "${3:-1}"; }
others() { OTHER="$(windows_of "$PID" "." | grep -vx "$WIN" || true)"; [ -n "$OTHER" ]; }
no_others() { ! others; }
swatch_shows() { SEEN="$(pixel_at $((WIN_X + SWATCH[0])) $((WIN_Y + MENU_HEIGHT + SWATCH[1])))"; [ "$SEEN" = "$1" ]; }
expect_swatch() { poll_until swatch_shows "$1" || fail "$2: the swatch shows #$SEEN, not #$1"; }
start_zumeko()
{
    spawn "zumeko-$RANDOM" env -C "$1" "$WINE" "$ZUMEKO"
    PID=$SPAWNED_PID
    find_window "$PID"
    WIN=$FOUND_WINDOW
    window_geometry "$WIN"
    MENU_HEIGHT=$((WIN_HEIGHT - CLIENT[1]))
    [ "$WIN_WIDTH" = "${CLIENT[0]}" ] && ((MENU_HEIGHT > 10 && MENU_HEIGHT < 40)) \
        || fail "the window is ${WIN_WIDTH}x$WIN_HEIGHT, not ${CLIENT[0]} wide and ${CLIENT[1]} high below a menu bar"
    focus_window "$WIN"
}

start_zumeko "$E2E_TMP/help"
xdotool key End
click_client "${COPY[@]}"
expect_clipboard "#FF0000" "End on the focused red bar, then Copy"
click_client "${FONT_TAG[@]}"
click_client "${COPY[@]}"
expect_clipboard '<font color="#FF0000">' "the font tag ticked, then Copy"
pass "the window titled Zumeko has its size; the bars by keyboard and Copy give #FF0000, bare and tagged"

spawn second "$WINE" "$ZUMEKO"
find_window "$SPAWNED_PID"
focus_window "$FOUND_WINDOW"
xdotool key Return
expect_exit "$SPAWNED_PID" 2 "a second copy after its message"
pass "a second copy shows its message and ends with status 2"

spawn clickwindow "$WINE" "$PROBE" window 140 950 FF8242
poll_until grep -q '^ready' "$E2E_TMP/clickwindow.log" || fail "the other application's window did not show"
click_client "${OPTION2[@]}"
xdotool mousemove 140 950
expect_swatch FF8242 "screen mode, the pointer over another application's window"
xdotool click 1
click_client "${COPY[@]}"
expect_clipboard '<font color="#FF8242">' "Copy after a click fixed the colour"
! grep -q '^press' "$E2E_TMP/clickwindow.log" || fail "the click that fixed the colour reached the window underneath"
xdotool mousemove 140 950 click 1
poll_until grep -q '^press' "$E2E_TMP/clickwindow.log" || fail "no longer armed, a click did not reach the other window"
click_client "${OPTION1[@]}"
expect_swatch FF0000 "the scroll bars chosen again"
pass "screen mode picks from another application; its click fixes the colour and reaches no window"

xdotool key alt+h
poll_until grep -q 'help.html' "$E2E_TMP/opened" || fail "Alt+H did not hand help.html to the opener"
xdotool key alt+i
poll_until others || fail "Alt+I showed no About box"
window_geometry "$OTHER"
[ "$WIN_WIDTH $WIN_HEIGHT" = "${ABOUT[*]}" ] || fail "the About box is ${WIN_WIDTH}x$WIN_HEIGHT, not ${ABOUT[*]}"
expect_centred "$OTHER" "$WIN" "the About box"
click "$OTHER" "${ABOUT_OK[@]}"
poll_until no_others || fail "OK did not close the About box"
"$XTOOL" close "$WIN"
expect_exit "$PID" 0 "Zumeko after the close command"
pass "Alt+H opens help.html with the desktop's opener; the About box opens centred and OK closes it; closing ends with 0"

start_zumeko "$E2E_TMP/empty"
xdotool key alt+h
poll_until others || fail "Alt+H without help.html showed no message"
focus_window "$OTHER"
xdotool key Return
poll_until no_others || fail "the message did not close"
"$XTOOL" close "$WIN"
expect_exit "$PID" 0 "Zumeko after the close command"
pass "without help.html, Alt+H shows its message"
