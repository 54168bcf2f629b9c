#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# helpabout.sh ZUMEKO WMCLOSE: Help and About with the real keyboard and mouse. The opener is a recording
# xdg-open first on PATH, which is what Qt runs to open a file or an address on X11.
set -euo pipefail
ZUMEKO="$1" WMCLOSE="$2"
# shellcheck source-path=SCRIPTDIR source=lib.sh
. "$(dirname "$0")/lib.sh"
start_xvfb

opened="$E2E_TMP/opened"
mkdir "$E2E_TMP/bin" "$E2E_TMP/empty" "$E2E_TMP/withhelp"
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\n' "$opened" >"$E2E_TMP/bin/xdg-open"
chmod +x "$E2E_TMP/bin/xdg-open"
: >"$opened"
export PATH="$E2E_TMP/bin:$PATH"
opened_is() { OPENED_SEEN="$(cat "$opened")"; [ "$OPENED_SEEN" = "$1" ]; }
close() { "$WMCLOSE" "$1" || fail "cannot send the close command to window $1"; }

# start_in FOLDER: Zumeko with FOLDER as its working folder; sets PID and WIN.
start_in()
{
    spawn "zumeko-${1##*/}" env -C "$1" "$ZUMEKO"
    find_window "$SPAWNED_PID"
    PID=$SPAWNED_PID WIN=$FOUND_WINDOW
    focus_window "$WIN"
}
# The one visible window of PID besides its main window, in OTHER.
others() { windows_of "$PID" | grep -vx "$WIN" || true; }
other_window_shown() { OTHER="$(others)"; [ -n "$OTHER" ] && [ "$(wc -l <<<"$OTHER")" = 1 ]; }
no_other_window() { [ -z "$(others)" ]; }

start_in "$E2E_TMP/empty"
xdotool key alt+h
poll_until other_window_shown || fail "Alt+H without help.html showed no message"
focus_window "$OTHER"
xdotool key Return
poll_until no_other_window || fail "the help-missing message did not close on Return"
opened_is "" || fail "Alt+H without help.html still ran the opener: ${OPENED_SEEN@Q}"
pass "Alt+H without help.html shows a message and opens nothing"
close "$WIN"
expect_exit "$PID" 0 "Zumeko closed after the help check"

echo '<!doctype html><title>help</title>' >"$E2E_TMP/withhelp/help.html"
start_in "$E2E_TMP/withhelp"
xdotool key alt+h
poll_until opened_is "file://$E2E_TMP/withhelp/help.html" \
    || fail "Alt+H with help.html opened ${OPENED_SEEN@Q}, expected file://$E2E_TMP/withhelp/help.html"
no_other_window || fail "Alt+H with help.html also showed a message"
pass "Alt+H hands help.html from the working folder to the opener"
: >"$opened"

for round in first second; do
    # With no window manager, nobody hands the focus back to the main window when the box closes.
    focus_window "$WIN"
    xdotool key alt+i
    poll_until other_window_shown || fail "Alt+I showed no About box ($round opening)"
    window_geometry "$WIN"
    main_x=$((WIN_X + WIN_WIDTH / 2)) main_y=$((WIN_Y + WIN_HEIGHT / 2))
    window_geometry "$OTHER"
    [ "$WIN_WIDTH" = 333 ] && [ "$WIN_HEIGHT" = 132 ] || fail "About box is ${WIN_WIDTH}x${WIN_HEIGHT}, not 333x132"
    dx=$((WIN_X + WIN_WIDTH / 2 - main_x)) dy=$((WIN_Y + WIN_HEIGHT / 2 - main_y))
    ((dx * dx <= 1 && dy * dy <= 1)) || fail "About box centred ($dx, $dy) px off the main window's centre"
    pass "Alt+I shows the 333x132 About box centred over the main window ($round opening)"

    # A right press on the link first: it must open nothing, or the record would hold two lines.
    xdotool mousemove --window "$OTHER" 98 69 click 3 click 1
    poll_until opened_is "https://zumeko.example/" \
        || fail "a left press on the link opened ${OPENED_SEEN@Q}, expected only the address, once"
    xwininfo -id "$OTHER" >/dev/null 2>&1 || fail "the About box closed when the link was pressed"
    pass "a left press on the link opens the address (a right press does not), and the box stays"
    : >"$opened"

    # The box's own OK button the first time, the close command the second.
    if [ "$round" = first ]; then what=OK; click "$OTHER" 164 116; else what="the close command"; close "$OTHER"; fi
    poll_until no_other_window || fail "$what did not close the About box"
    pass "$what closes the About box"
done
! exited "$PID" || fail "Zumeko ended with the About box"
close "$WIN"
expect_exit "$PID" 0 "Zumeko closed after the About checks"
