#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# e2e.sh ZUMEKO XTOOL: the real program with the real keyboard, mouse, clipboard and screen. E2E_PARTS
# chooses among start (display, size, copy, one copy per user, quitting), screen (screen mode read back
# from the screen) and help (help and About); QT_SCALE_FACTOR (whole) scales the program alone: the
# pointer and the pixels stay physical.
set -euo pipefail
ZUMEKO="$1" XTOOL="$2" SCALE="${QT_SCALE_FACTOR:-1}" PARTS="${E2E_PARTS:-start screen help}"
# shellcheck source-path=SCRIPTDIR source=lib.sh
. "$(dirname "$0")/lib.sh"
start_xvfb
eval "$("$XTOOL" points)"
MENU_MIN=15 MENU_MAX=40
# Colours with every channel different, so that a swap shows; 16-bit screens hold GREENISH exactly.
ROOT=8441FF GREENISH=FF8242

click_client() { click "$1" $(($2 * SCALE)) $((MENU_HEIGHT + $3 * SCALE)) "${4:-1}"; }
is_dialog() { [[ "$(xprop -id "$1" _NET_WM_WINDOW_TYPE)" == *_NET_WM_WINDOW_TYPE_DIALOG* ]]; }
close() { "$XTOOL" close "$1" || fail "cannot send the close command to window $1"; }
# start_zumeko [FOLDER]: PID, WIN and MENU_HEIGHT of a new Zumeko whose window has its size.
start_zumeko()
{
    spawn "zumeko-$RANDOM" env -C "${1:-.}" QT_SCALE_FACTOR="$SCALE" "$ZUMEKO"
    PID=$SPAWNED_PID
    find_window "$PID"
    WIN=$FOUND_WINDOW
    poll_until size_is_fixed || fail "window ${WIN_WIDTH}x${WIN_HEIGHT}, expected ${CLIENT[0]}x(${CLIENT[1]}+menu) at scale $SCALE"
    MENU_HEIGHT=$((WIN_HEIGHT - CLIENT[1] * SCALE))
}
size_is_fixed()
{
    window_geometry "$WIN"
    [ "$WIN_WIDTH" -eq $((CLIENT[0] * SCALE)) ] && [ "$WIN_HEIGHT" -ge $(((CLIENT[1] + MENU_MIN) * SCALE)) ] \
        && [ "$WIN_HEIGHT" -le $(((CLIENT[1] + MENU_MAX) * SCALE)) ]
}

if [[ " $PARTS " == *" start "* ]]; then
    err="$(env -u DISPLAY timeout "$E2E_TIMEOUT" "$ZUMEKO" 2>&1 >/dev/null && echo "status 0" || echo "status $?")"
    one_line=$'^zumeko:[^\n]*\nstatus 1$'
    [[ "$err" =~ $one_line ]] || fail "without DISPLAY: expected one line 'zumeko: ...' and status 1, got ${err@Q}"
    pass "without DISPLAY it says why in one line and exits with status 1"

    start_zumeko
    read -r sw sh < <(xdotool getdisplaygeometry)
    [ "$WIN_X" -eq $(((sw - WIN_WIDTH) / 2)) ] && [ "$WIN_Y" -eq $(((sh - WIN_HEIGHT) / 2)) ] \
        || fail "window at +$WIN_X+$WIN_Y, not centred on the ${sw}x$sh screen"
    pass "window 'Zumeko' is ${WIN_WIDTH}x$WIN_HEIGHT (menu bar $MENU_HEIGHT px), centred"
    first_pid=$PID first_win=$WIN
    clipboard_is "" || fail "the clipboard of a fresh X server holds ${CLIPBOARD_SEEN@Q}"
    focus_window "$WIN"
    xdotool key End
    click_client "$WIN" "${COPY[@]}"
    expect_clipboard "#FF0000" "End on the focused red bar, then Copy"
    click_client "$WIN" "${FONT_TAG[@]}"
    click_client "$WIN" "${COPY[@]}"
    expect_clipboard '<font color="#FF0000">' "font tag ticked, then Copy"
    pass "End on the red bar and Copy put exactly #FF0000 on the clipboard, then its font tag"

    spawn second-copy "$ZUMEKO"
    find_window "$SPAWNED_PID"
    is_dialog "$FOUND_WINDOW" || fail "the second copy shows a window that is not a message box"
    focus_window "$FOUND_WINDOW"
    xdotool key Return
    expect_exit "$SPAWNED_PID" 2 "second copy after its message box was closed"
    ! exited "$first_pid" || fail "the first copy ended when the second copy was refused"
    click_client "$first_win" "${QUIT[@]}"
    expect_exit "$first_pid" 0 "first copy after a click on Quit"

    start_zumeko
    close "$WIN"
    expect_exit "$PID" 0 "Zumeko after the window's close command"
    pass "a second copy shows a message and exits with 2, leaving the first; Quit and the close command end with 0"
fi

if [[ " $PARTS " == *" screen "* ]]; then
    ROOT_POINT=(20 20) XWIN_GEOMETRY=200x100+40+900 XWIN_POINT=(140 950)
    pixel_at() { import -silent -window root -crop "1x1+$1+$2" -depth 8 -format '%[hex:p{0,0}]' info:; }
    # The swatch shows what the screen shows at (X, Y), read back the same way.
    swatch_shows() { SWATCH_SEEN="$(pixel_at "$SWATCH_X" "$SWATCH_Y")"; [ "$SWATCH_SEEN" = "$1" ]; }
    expect_swatch() { poll_until swatch_shows "$1" || fail "$2: the swatch shows #$SWATCH_SEEN, not #$1"; }
    xwindow_said() { grep -Eq -- "$1" "$E2E_TMP/xwindow.log"; }

    xsetroot -solid "#$ROOT"
    xdotool mousemove "${ROOT_POINT[@]}"
    start_zumeko
    SWATCH_X=$((WIN_X + SWATCH[0] * SCALE)) SWATCH_Y=$((WIN_Y + MENU_HEIGHT + SWATCH[1] * SCALE))
    expect_swatch 000000 "at start, with the scroll bars"
    click_client "$WIN" "${OPTION2[@]}"
    xdotool mousemove "${ROOT_POINT[@]}"
    expect_swatch "$(pixel_at "${ROOT_POINT[@]}")" "screen mode, pointer on the root"
    pass "in screen mode the swatch shows the root under the pointer (scale $SCALE, depth $E2E_XVFB_DEPTH)"

    spawn xwindow "$XTOOL" window "$XWIN_GEOMETRY" "$GREENISH"
    poll_until xwindow_said '^ready ' || fail "the test window was not shown within $E2E_TIMEOUT s"
    xdotool mousemove "${XWIN_POINT[@]}"
    picked="$(pixel_at "${XWIN_POINT[@]}")"
    expect_swatch "$picked" "screen mode, pointer on the test window"
    xdotool click 1
    # The server tells the window the pointer entered again when the grab ends: the press was taken.
    poll_until xwindow_said '^(press|enter ungrab)' || fail "after a click the program still holds the pointer"
    xdotool mousemove "${ROOT_POINT[@]}"
    xsetroot -solid white
    for _ in 1 2 3; do
        swatch_shows "$picked" || fail "fixed, then the root repainted: the swatch changed to #$SWATCH_SEEN"
        sleep 0.1
    done
    ! xwindow_said '^press' || fail "the click that fixed the colour also reached the window underneath"
    click_client "$WIN" "${COPY[@]}"
    expect_clipboard "#$GREENISH" "Copy after the colour was fixed"
    pass "a click fixed the colour without reaching the window underneath, and Copy gives #$GREENISH"

    xdotool mousemove "${XWIN_POINT[@]}" click 1
    poll_until xwindow_said '^press 1$' || fail "no longer armed, a click on the test window did not reach it"
    click_client "$WIN" "${OPTION1[@]}"
    expect_swatch 000000 "after choosing the scroll bars again"
    close "$WIN"
    expect_exit "$PID" 0 "Zumeko closed after screen mode"
    pass "once fixed, clicks reach other windows again, and the scroll bars' black comes back"
fi

if [[ " $PARTS " == *" help "* ]]; then
    # The opener Qt runs on X11, recording what it is given.
    mkdir "$E2E_TMP/bin" "$E2E_TMP/help"
    printf '#!/bin/sh\necho "$*" >>"%s"\n' "$E2E_TMP/opened" >"$E2E_TMP/bin/xdg-open"
    chmod +x "$E2E_TMP/bin/xdg-open"
    export PATH="$E2E_TMP/bin:$PATH"
    opened_is() { OPENED_SEEN="$(cat "$E2E_TMP/opened" 2>/dev/null || true)"; [ "$OPENED_SEEN" = "$1" ]; }
    about_shown() { ABOUT_WIN="$(windows_of "$PID" | grep -vx "$WIN" || true)"; [ -n "$ABOUT_WIN" ]; }
    about_gone() { ! about_shown; }

    touch "$E2E_TMP/help/help.html"
    start_zumeko "$E2E_TMP/help"
    focus_window "$WIN"
    xdotool key alt+h
    poll_until opened_is "file://$E2E_TMP/help/help.html" || fail "Alt+H opened ${OPENED_SEEN@Q}, not help.html"
    xdotool key alt+i
    poll_until about_shown || fail "Alt+I showed no About box"
    window_geometry "$WIN"
    dx=$((WIN_X + WIN_WIDTH / 2)) dy=$((WIN_Y + WIN_HEIGHT / 2))
    window_geometry "$ABOUT_WIN"
    dx=$((WIN_X + WIN_WIDTH / 2 - dx)) dy=$((WIN_Y + WIN_HEIGHT / 2 - dy))
    ((dx * dx <= 1 && dy * dy <= 1)) || fail "the About box is centred ($dx, $dy) px off Zumeko's centre"
    click "$ABOUT_WIN" "${ABOUT_URL[@]}"
    poll_until opened_is "file://$E2E_TMP/help/help.html"$'\n'"https://zumeko.example/" \
        || fail "a press on the link opened ${OPENED_SEEN@Q}"
    close "$ABOUT_WIN"
    poll_until about_gone || fail "the close command did not close the About box"
    close "$WIN"
    expect_exit "$PID" 0 "Zumeko closed after Help and About"
    pass "Alt+H opens help.html from the working folder, and the About box, centred, opens its link"
fi
