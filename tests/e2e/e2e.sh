#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# e2e.sh ZUMEKO XTOOL: the real program with the real keyboard, mouse, clipboard and screen, on bare Xvfb
# or under a window manager (E2E_WM). E2E_PARTS chooses among start (display, place, copy, one copy a
# user, the clipboard after quitting, the display lost), screen (screen mode read back from the screen)
# and help (help and About); QT_SCALE_FACTOR (whole) scales the program alone.
set -euo pipefail
ZUMEKO="$1" XTOOL="$2" SCALE="${QT_SCALE_FACTOR:-1}" PARTS="${E2E_PARTS:-start screen help}"
# shellcheck source-path=SCRIPTDIR source=lib.sh
. "$(dirname "$0")/lib.sh"
start_xvfb
[ -z "${E2E_WM:-}" ] || spawn wm "$E2E_WM"
eval "$("$XTOOL" points)"
MENU_MIN=15 MENU_MAX=40
# Colours with every channel different, so that a swap shows; 16-bit screens hold GREENISH exactly.
ROOT=8441FF GREENISH=FF8242

click_client() { click "$WIN" $(($1 * SCALE)) $((MENU_HEIGHT + $2 * SCALE)) "${3:-1}"; }
is_dialog() { [[ "$(xprop -id "$1" _NET_WM_WINDOW_TYPE)" == *_NET_WM_WINDOW_TYPE_DIALOG* ]]; }
close() { "$XTOOL" close "$1" || fail "cannot send the close command to window $1"; }
others() { OTHER="$(windows_of "$PID" | grep -vx "$WIN" || true)"; [ -n "$OTHER" ]; }
no_others() { ! others; }
# Zumeko holds the pointer when another client cannot have it.
grabbed() { ! "$XTOOL" grab 0; }
# The helpers of ours that keep a clipboard on this display.
helpers() { for pid in $(pgrep -x zumeko-clipboar || true); do grep -qz "^DISPLAY=$DISPLAY$" "/proc/$pid/environ" && echo "$pid"; done; }
no_helpers() { [ -z "$(helpers)" ]; }
a_helper() { ! no_helpers; }
# start_zumeko [FOLDER]: PID, WIN and MENU_HEIGHT of a new Zumeko whose window has its size.
start_zumeko()
{
    local label="zumeko-$RANDOM"
    spawn "$label" env -C "${1:-.}" QT_SCALE_FACTOR="$SCALE" "$ZUMEKO"
    PID=$SPAWNED_PID LOG="$E2E_TMP/$label.log"
    find_window "$PID"
    WIN=$FOUND_WINDOW
    poll_until size_is_fixed || fail "window ${WIN_WIDTH}x${WIN_HEIGHT}, expected ${CLIENT[0]}x(${CLIENT[1]}+menu) at scale $SCALE"
    MENU_HEIGHT=$((WIN_HEIGHT - CLIENT[1] * SCALE))
    focus_window "$WIN"
}
size_is_fixed()
{
    window_geometry "$WIN"
    [ "$WIN_WIDTH" -eq $((CLIENT[0] * SCALE)) ] && [ "$WIN_HEIGHT" -ge $(((CLIENT[1] + MENU_MIN) * SCALE)) ] \
        && [ "$WIN_HEIGHT" -le $(((CLIENT[1] + MENU_MAX) * SCALE)) ]
}
# The window as the user sees it, frame included, centred on the screen (there are no panels here).
framed_and_centred()
{
    window_geometry "$WIN"
    local extents left=0 right=0 top=0 bottom=0
    extents="$(xprop -id "$WIN" _NET_FRAME_EXTENTS | sed -n 's/.* = //p' | tr -d ,)"
    [ -z "$extents" ] || read -r left right top bottom <<<"$extents"
    [ -n "${E2E_WM:-}" ] && [ "$top" = 0 ] && return 1 # not framed yet
    read -r sw sh < <(xdotool getdisplaygeometry)
    local dx=$((2 * (WIN_X - left) + WIN_WIDTH + left + right - sw)) dy=$((2 * (WIN_Y - top) + WIN_HEIGHT + top + bottom - sh))
    ((dx * dx <= 4 && dy * dy <= 4))
}

if [[ " $PARTS " == *" start "* ]]; then
    err="$(env -u DISPLAY timeout "$E2E_TIMEOUT" "$ZUMEKO" 2>&1 >/dev/null && echo "status 0" || echo "status $?")"
    one_line=$'^zumeko:[^\n]*\nstatus 1$'
    [[ "$err" =~ $one_line ]] || fail "without DISPLAY: expected one line 'zumeko: ...' and status 1, got ${err@Q}"
    err="$(DISPLAY=:99999 "$ZUMEKO" 2>&1 >/dev/null && echo "status 0" || echo "status $?")"
    [ "$err" = $'zumeko: cannot open the X display ":99999"\nstatus 1' ] || fail "with no such display: ${err@Q}"
    start_zumeko
    poll_until framed_and_centred || fail "the window at +$WIN_X+$WIN_Y is not centred with its frame"
    if [ -n "${E2E_WM:-}" ]; then # placed once: the user's move stays
        xdotool windowmove --sync "$WIN" 10 40
        sleep 0.3
        window_geometry "$WIN"
        [ "$WIN_Y" -lt 300 ] || fail "the window went back to the centre after the user moved it"
    fi
    pass "without a display Zumeko says so and ends with 1; its window ${WIN_WIDTH}x$WIN_HEIGHT is centred with its frame"

    xdotool key End
    click_client "${COPY[@]}"
    expect_clipboard "#FF0000" "End on the focused red bar, then Copy"
    # One copy for each user and display, whatever XDG_RUNTIME_DIR says (a shell may have none) and however
    # DISPLAY spells it.
    spawn second-copy env -u XDG_RUNTIME_DIR DISPLAY="unix$DISPLAY.0" "$ZUMEKO"
    find_window "$SPAWNED_PID"
    is_dialog "$FOUND_WINDOW" || fail "the second copy shows a window that is not a message box"
    focus_window "$FOUND_WINDOW"
    xdotool key Return
    expect_exit "$SPAWNED_PID" 2 "second copy after its message box was closed"
    focus_window "$WIN"
    xdotool key Tab Tab Return # from Copy, which the click gave the focus, to Quit
    expect_exit "$PID" 0 "Zumeko after Enter on the focused Quit button"
    pass "End and Copy give #FF0000; a second copy, without XDG_RUNTIME_DIR and with DISPLAY spelt otherwise, is refused with 2; Enter on Quit ends with 0"

    # Fixed fault: the copied code was lost when Zumeko ended, with no clipboard manager to keep it.
    expect_clipboard "#FF0000" "after Zumeko ended"
    [ "$(helpers | wc -l)" = 1 ] || fail "not one helper keeps the clipboard: $(helpers)"
    start_zumeko # the helper holds no lock
    close "$WIN"
    expect_exit "$PID" 0 "Zumeko closed while the helper kept the clipboard"
    echo -n other | xclip -selection clipboard -i
    poll_until no_helpers || fail "the helper went on after another program copied"
    spawn manager "$XTOOL" manager
    manager=$SPAWNED_PID
    poll_until grep -q ready "$E2E_TMP/manager.log" || fail "the clipboard manager did not start"
    start_zumeko
    click_client "${COPY[@]}"
    close "$WIN"
    expect_exit "$PID" 0 "Zumeko closed beside a clipboard manager"
    no_helpers || fail "a helper was started although a clipboard manager runs"
    kill "$manager"
    pass "the code stays on the clipboard after Zumeko ends, kept by a helper until another program copies, or by a manager"
fi

if [[ " $PARTS " == *" screen "* ]]; then
    ROOT_POINT=(20 20) XWIN_GEOMETRY=200x100+40+900 XWIN_POINT=(140 950)
    # The swatch shows what the screen shows at (X, Y), read back the same way.
    swatch_shows() { SWATCH_SEEN="$(pixel_at "$SWATCH_X" "$SWATCH_Y")"; [ "$SWATCH_SEEN" = "$1" ]; }
    expect_swatch() { poll_until swatch_shows "$1" || fail "$2: the swatch shows #$SWATCH_SEEN, not #$1"; }
    xwindow_said() { grep -Eq -- "$1" "$E2E_TMP/xwindow.log"; }

    xsetroot -solid "#$ROOT"
    xdotool mousemove "${ROOT_POINT[@]}"
    start_zumeko
    SWATCH_X=$((WIN_X + SWATCH[0] * SCALE)) SWATCH_Y=$((WIN_Y + MENU_HEIGHT + SWATCH[1] * SCALE))
    expect_swatch 000000 "at start, with the scroll bars"
    click_client "${OPTION2[@]}"
    xdotool mousemove "${ROOT_POINT[@]}"
    expect_swatch "$(pixel_at "${ROOT_POINT[@]}")" "screen mode, pointer on the root"
    pass "in screen mode the swatch shows the root under the pointer (scale $SCALE, depth $E2E_XVFB_DEPTH)"

    # Fixed faults: a box of ours could not be clicked while the capture held the pointer, and the capture
    # believed itself armed after an unmap or another client's grab had taken the pointer from it.
    grabbed || fail "screen mode does not hold the pointer"
    xdotool key alt+i
    poll_until others || fail "Alt+I showed no About box in screen mode"
    click "$OTHER" $((ABOUT_OK[0] * SCALE)) $((ABOUT_OK[1] * SCALE))
    poll_until no_others || fail "a click on OK did not close the About box in screen mode"
    poll_until grabbed || fail "screen mode did not take the pointer back after the About box"
    if [ -n "${E2E_WM:-}" ]; then
        xdotool windowminimize --sync "$WIN" windowactivate --sync "$WIN"
    else
        xdotool windowunmap --sync "$WIN" windowmap --sync "$WIN"
    fi
    poll_until grabbed || fail "screen mode did not take the pointer back after the window was unmapped"
    click_client "${OPTION1[@]}" # taken by the capture, which ends
    click_client "${OPTION1[@]}"
    spawn other-grab "$XTOOL" grab 1
    poll_until grabbed || fail "the other client did not take the pointer"
    focus_window "$WIN"
    xdotool key Down # from the slider option to the screen option, while the other client holds the pointer
    wait "$SPAWNED_PID" || fail "the other client's grab failed"
    poll_until grabbed || fail "screen mode did not take the pointer once the other client let it go"
    pass "in screen mode a box of ours can be clicked, and the pointer is taken back after the box, an unmap and another grab"

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
    click_client "${COPY[@]}"
    expect_clipboard "#$GREENISH" "Copy after the colour was fixed"
    pass "a click fixed the colour without reaching the window underneath, and Copy gives #$GREENISH"

    xdotool mousemove "${XWIN_POINT[@]}" click 1
    poll_until xwindow_said '^press 1$' || fail "no longer armed, a click on the test window did not reach it"
    click_client "${OPTION1[@]}"
    expect_swatch 000000 "after choosing the scroll bars again"
    close "$WIN"
    expect_exit "$PID" 0 "Zumeko closed after screen mode"
    pass "once fixed, clicks reach other windows again, and the scroll bars' black comes back"
fi

if [[ " $PARTS " == *" help "* ]]; then
    record_opener
    mkdir "$E2E_TMP/help"
    opened_is() { OPENED_SEEN="$(cat "$E2E_TMP/opened" 2>/dev/null || true)"; [ "$OPENED_SEEN" = "$1" ]; }

    touch "$E2E_TMP/help/help.html"
    start_zumeko "$E2E_TMP/help"
    xdotool key alt+h
    poll_until opened_is "file://$E2E_TMP/help/help.html" || fail "Alt+H opened ${OPENED_SEEN@Q}, not help.html"
    xdotool key alt+i
    poll_until others || fail "Alt+I showed no About box"
    expect_centred "$OTHER" "$WIN" "the About box"
    click "$OTHER" "${ABOUT_URL[@]}"
    poll_until opened_is "file://$E2E_TMP/help/help.html"$'\n'"https://zumeko.example/" \
        || fail "a press on the link opened ${OPENED_SEEN@Q}"
    focus_window "$OTHER"
    xdotool key Tab Return
    poll_until no_others || fail "Enter on the About box's OK did not close it"
    pass "Alt+H opens help.html from the working folder; the About box, centred, opens its link, and Enter on OK closes it"

    click_client "${COPY[@]}"
    close "$WIN"
    expect_exit "$PID" 0 "Zumeko closed after the About checks"
    poll_until a_helper || fail "no helper keeps the clipboard"
    start_zumeko
    # Fixed fault: when the X server went away, Zumeko ended with the status of a start that failed.
    kill -TERM "$E2E_XVFB_PID"
    expect_exit "$PID" 3 "Zumeko when the X server went away"
    grep -qx 'zumeko: the X display went away' "$LOG" || fail "Zumeko did not say that the display went away"
    poll_until no_helpers || fail "the helper keeping the clipboard went on without an X server"
    pass "when the X server goes away Zumeko says so and ends with status 3, and the clipboard helper ends"
fi
