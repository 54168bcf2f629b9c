#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# helpabout.sh ZUMEKO_BINARY WMCLOSE_BINARY
#
# Help and About on a private X server with the real keyboard and mouse. The opener is a recording
# xdg-open first on PATH, which is what Qt runs to open a file or an address on X11.

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

# The About box's own rectangles (left, top, width, height), in pixels.
readonly LINK_RECT=(78 63 241 13)
readonly OK_RECT=(129 105 70 22)

start_xvfb

opened="$E2E_TMP/opened"
mkdir "$E2E_TMP/bin"
cat >"$E2E_TMP/bin/xdg-open" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$*" >>"$opened"
SCRIPT
chmod +x "$E2E_TMP/bin/xdg-open"
: >"$opened"
export PATH="$E2E_TMP/bin:$PATH"

opened_is() { [ "$(cat "$opened")" = "$1" ]; }

# start_in FOLDER: starts Zumeko with FOLDER as its working folder; sets PID and WIN.
start_in()
{
    (cd "$1" && exec "$ZUMEKO") >"$E2E_TMP/logs/zumeko-$(basename "$1").log" 2>&1 &
    PID="$!"
    E2E_CHILDREN[$PID]="zumeko"
    find_window "$PID"
    WIN="$FOUND_WINDOW"
    focus_window "$WIN"
}

# The one visible window of PID other than its main window, once it shows.
other_window_shown()
{
    OTHER="$(visible_windows "$PID" '^Zumeko$' | grep -v -x "$WIN" || true)"
    [ -n "$OTHER" ] && [ "$(wc -l <<<"$OTHER")" -eq 1 ]
}
no_other_window() { [ -z "$(visible_windows "$PID" '^Zumeko$' | grep -v -x "$WIN" || true)" ]; }

# --- help missing ------------------------------------------------------------------------------------

empty="$E2E_TMP/empty"
mkdir "$empty"
start_in "$empty"
xdotool key alt+h
poll_until other_window_shown || fail "Alt+H without help.html showed no message"
focus_window "$OTHER"
xdotool key Return
poll_until no_other_window || fail "the help-missing message did not close on Return"
opened_is "" || fail "Alt+H without help.html still ran the opener: $(cat "$opened")"
pass "Alt+H without help.html shows a message and opens nothing"
"$WMCLOSE" "$WIN"
expect_exit "$PID" 0 "Zumeko closed after the help check"

# --- help present ------------------------------------------------------------------------------------

withhelp="$E2E_TMP/withhelp"
mkdir "$withhelp"
echo '<!doctype html><title>help</title>' >"$withhelp/help.html"
start_in "$withhelp"
xdotool key alt+h
poll_until opened_is "file://$withhelp/help.html" \
    || fail "Alt+H with help.html opened $(shown "$(cat "$opened")"), expected file://$withhelp/help.html"
no_other_window || fail "Alt+H with help.html also showed a message"
pass "Alt+H hands help.html from the working folder to the opener"
: >"$opened"

# --- About -------------------------------------------------------------------------------------------

for round in first second; do
    # With no window manager here, nobody hands the focus back to the main window when the box closes.
    focus_window "$WIN"
    xdotool key alt+i
    poll_until other_window_shown || fail "Alt+I showed no About box ($round opening)"
    box="$OTHER"
    window_geometry "$WIN"
    main_cx=$((WIN_X + WIN_WIDTH / 2)) main_cy=$((WIN_Y + WIN_HEIGHT / 2))
    window_geometry "$box"
    [ "$WIN_WIDTH" -eq 333 ] && [ "$WIN_HEIGHT" -eq 132 ] || fail "About box is ${WIN_WIDTH}x${WIN_HEIGHT}, not 333x132"
    box_cx=$((WIN_X + WIN_WIDTH / 2)) box_cy=$((WIN_Y + WIN_HEIGHT / 2))
    [ "${box_cx#-}" -ge 0 ] && [ $((box_cx - main_cx)) -ge -1 ] && [ $((box_cx - main_cx)) -le 1 ] \
        && [ $((box_cy - main_cy)) -ge -1 ] && [ $((box_cy - main_cy)) -le 1 ] \
        || fail "About box centred at ($box_cx, $box_cy), the main window at ($main_cx, $main_cy)"
    pass "Alt+I shows the 333x132 About box centred over the main window ($round opening)"

    xdotool mousemove --window "$box" $((LINK_RECT[0] + 20)) $((LINK_RECT[1] + 6)) click 3
    xdotool mousemove --window "$box" $((LINK_RECT[0] + 20)) $((LINK_RECT[1] + 6)) click 1
    poll_until opened_is "https://zumeko.example/" \
        || fail "a left press on the link opened $(shown "$(cat "$opened")"), expected only the address once"
    window_exists "$box" || fail "the About box closed when the link was pressed"
    pass "a left press on the link opens the address (a right press does not), and the box stays"
    : >"$opened"

    if [ "$round" = first ]; then
        click "$box" $((OK_RECT[0] + OK_RECT[2] / 2)) $((OK_RECT[1] + OK_RECT[3] / 2))
        what="OK"
    else
        "$WMCLOSE" "$box"
        what="the close command"
    fi
    poll_until no_other_window || fail "$what did not close the About box"
    pass "$what closes the About box"
done

is_running "$PID" || fail "Zumeko ended with the About box"
"$WMCLOSE" "$WIN"
expect_exit "$PID" 0 "Zumeko closed after the About checks"
