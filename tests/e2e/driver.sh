#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# driver.sh ENVIRONMENT: the real program, driven as a user would drive it, in one environment of the
# table below. Each scenario is written once, and asks the table's columns what the environment can do;
# small adapters say how an environment starts its display, launches Zumeko, makes another application's
# window, moves and clicks the pointer and reads the screen.
# The programs come from E2E_ZUMEKO, E2E_TOOL (tests/tools/e2etool) and, under Wine, E2E_PROBE.
# Every scenario runs, each with a Zumeko of its own; a failure names the scenario, the environment and
# what was seen, and the status is 1 when any failed.
set -euo pipefail
ENVIRONMENT="$1"
# shellcheck source-path=SCRIPTDIR source=lib.sh
. "$(dirname "$0")/lib.sh"

# The environments, one a row, and what each can do: the scenarios ask these columns, never the name.
#   server    what shows the windows: x11 (Xvfb), sway, gnome (GNOME Shell) or kde (KWin), all headless
#   start     how Zumeko starts: build (the program built), wine (zumeko.exe under Wine) or menu (the
#             installed Debian package, as its menu entry starts it)
#   scale     QT_SCALE_FACTOR, by which every size and place of Zumeko's is multiplied
#   depth     the depth of the X server, where that is Xvfb (- for its default)
#   wait      the seconds every wait is given (- for lib.sh's)
#   wm        the window manager on the X server: it frames a new window late, behind the test's back, and
#             leaves it where the user moves it
#   output2   sway has a second output, at scale 2 on the first's right, which holds the other window
#   platform  ZUMEKO_PLATFORM, the way Zumeko is told to read the screen (- to choose its own); portal is
#             answered by the fake portal, on a session bus of its own
#   cursor    the pointer's shape in screen mode is checked (sway draws it into what is read, at scale 1)
#   accounts  Zumeko can be started by another account on this display (an X server open to all; an
#             XWayland is open to root alone)
#   data      the compositor lets native Wayland programs such as wl-paste read the clipboard
#   paste     wayland_clipboard_is reads the clipboard as a native Wayland program pastes it
#   respell   the lock is the X display's: a second copy is refused also with DISPLAY spelled another way
#             and no XDG_RUNTIME_DIR (Windows has a lock of its own)
#   folder    Zumeko can be started in a folder of the driver's choosing (the menu entry names its own)
#   scenarios what runs, in this order
ENVIRONMENTS='
# name       server start scale depth wait wm      output2 platform cursor accounts data paste respell folder scenarios
x11          x11    build 1     -     -    -       -       -        1      1        -    -     1       1      start copy second-copy pick grab loupe help about unreadable clipboard-kept display-lost
x11-depth16  x11    build 1     16    -    -       -       -        -      1        -    -     1       1      pick loupe
x11-scale2   x11    build 2     -     -    -       -       -        -      1        -    -     1       1      pick loupe about
openbox      x11    build 1     -     -    openbox -       -        -      1        -    -     1       1      start copy pick grab about
# No window manager frames its windows here.
wine         x11    wine  1     -     30   -       -       -        -      -        -    -     -       1      copy second-copy pick loupe help about
sway         sway   build 1     -     -    -       -       -        1      -        1    -     1       1      start copy pick grab help about clipboard-kept
# The second output, at scale 2 and then turned and scaled every way, holds the other window.
sway-outputs sway   build 1     -     -    -       1       -        -      -        1    -     1       1      pick loupe pixels
portal       sway   build 1     -     -    -       -       portal   -      -        1    -     1       1      portal-pick portal-refused
gnome        gnome  build 1     -     -    -       -       -        -      -        -    1     1       1      start copy second-copy portal-pick help about clipboard-kept
kde          kde    build 1     -     -    -       -       -        -      -        1    1     1       1      start copy second-copy portal-pick help about clipboard-kept
installed    x11    menu  1     -     -    -       -       -        -      1        -    -     1       -      start copy help clipboard-kept
'
TABLE_COLUMNS=(SERVER STARTED_BY SCALE DEPTH WAIT WINDOW_MANAGER SECOND_OUTPUT PLATFORM POINTER_SHAPE OTHER_ACCOUNTS
    DATA_CONTROL NATIVE_PASTE RESPELT_DISPLAY ANY_FOLDER SCENARIOS)
read -r "${TABLE_COLUMNS[@]}" < <(awk -v name="$ENVIRONMENT" '$1 == name { $1 = ""; print }' <<<"$ENVIRONMENTS") || true
[ -n "${SCENARIOS:-}" ] || { echo "driver: no environment '$ENVIRONMENT'" >&2; exit 2; }
for column in "${TABLE_COLUMNS[@]}"; do [ "${!column}" != - ] || printf -v "$column" ''; done
E2E_NAME="$ENVIRONMENT" MENU_MIN=15 MENU_MAX=40
[ -z "$WAIT" ] || E2E_TIMEOUT=$WAIT
[ -z "$DEPTH" ] || E2E_XVFB_DEPTH=$DEPTH
LOUPE_SCALE=$SCALE # the scale of the screen the loupe is on
# Colours with every channel different, so that a swap shows; both are exact on 16-bit screens too.
ROOT=8441FF GREENISH=FF8242 ROOT_POINT=(20 20) OTHER_PLACE=(40 900) OTHER_POINT=(140 950)

# --- adapters ------------------------------------------------------------------------------------------

# X servers: Xvfb bare, at depth 16, scaled, or under a real window manager; and Wine on Xvfb.
x11_up()
{
    start_xvfb
    xsetroot -solid "#$ROOT"
    if [ -n "$WINDOW_MANAGER" ]; then
        spawn wm "$WINDOW_MANAGER"
        # Started before the manager has taken the screen, a window is framed late, behind the test's back.
        wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
        poll_until wm_ready || fail "$WINDOW_MANAGER did not take the screen"
    fi
}
point() { xdotool mousemove "$1" "$2"; }
press() { xdotool click "${1:-1}"; }
pixel_at() { import -silent -window root -crop "1x1+$1+$2" -depth 8 -format '%[hex:p{0,0}]' info:; }
# reference COLOUR X Y: COLOUR as the swatch will show it, read back as the swatch is: on a 16-bit screen
# the nearest 5-6-5 colour.
reference() { pixel_at "$2" "$3"; }
# other_window COLOUR: another application's window, shown; OTHER_OUTPUT, where the compositor puts it.
# The loupe's adapters: a grid whose every pixel's colour tells its place, each place's colour as the screen
# shows it (on a 16-bit screen, the nearest 5-6-5 colour) in tile.txt; the pointer onto a pixel of the grid;
# the loupe read back into loupe.txt, once it is where it should be for the grid's pixel x, y (else why, in
# wrong); whether it is closed; keys. Here the grid is the X root's tiles, from its top-left, and the loupe
# Zumeko's window of that name.
GRID_POINT=(767 5)
grid_up()
{
    convert -size 256x256 xc: -channel R -fx 'i/255' -channel G -fx 'j/255' -channel B -fx 245/255 +channel \
        -depth 8 "$E2E_TMP/grid.ppm"
    display -window root "$E2E_TMP/grid.ppm"
    import -silent -window root -crop 256x256+0+0 -depth 8 "$E2E_TMP/tile.txt"
}
point_grid() { point "$1" "$2"; }
loupe_shot()
{
    window_geometry "$(windows_of "$PID" '^zumeko-loupe$')"
    wrong="${WIN_WIDTH}x$WIN_HEIGHT+$WIN_X+$WIN_Y is not $side square below and right of $x,$y, $gap away"
    ((WIN_X - x >= gap && WIN_X - x < gap + SCALE && WIN_Y - y >= gap && WIN_Y - y < gap + SCALE && WIN_WIDTH == side)) || return 1
    import -silent -window root -crop "${side}x$side+$WIN_X+$WIN_Y" -depth 8 "$E2E_TMP/loupe.txt"
}
loupe_closed() { no_others; }
keys() { xdotool key "$@"; }
# Closed, the loupe holds no key: Alt+I opens the About box, Enter closes it, and screen mode goes on.
keys_given_back()
{
    keys alt+i
    poll_until others || fail "with the loupe closed, Alt+I did not reach Zumeko's window"
    keys Return
    poll_until no_others || fail "Enter did not close the About box"
}
other_window()
{
    [ -z "${OTHER_OUTPUT:-}" ] || swaymsg -q focus output "$OTHER_OUTPUT"
    spawn other "$E2E_TOOL" window "200x100+${OTHER_PLACE[0]}+${OTHER_PLACE[1]}" "$1"
    poll_until other_said '^ready' || fail "the other application's window did not show"
    [ -z "${OTHER_OUTPUT:-}" ] || swaymsg -q focus output HEADLESS-1
}
launch_command() { LAUNCH=(env -C "$1" QT_SCALE_FACTOR="$SCALE" "$E2E_ZUMEKO"); }
holding() { ! "$E2E_TOOL" grab 0; } # another client cannot have the pointer
# pointer_shape X Y COLOUR: X's cross-hair, black arms edged in white crossing at its hot spot, in its middle.
pointer_shape() { [ -z "$POINTER_SHAPE" ] || [ "$("$E2E_TOOL" cursor | cut -d' ' -f1,9,10)" = "7,7 #######o######## ooooooo#oooooooo" ] \
    || fail "the pointer in screen mode is $("$E2E_TOOL" cursor)"; }
# another_copies TEXT: another program of the desktop's own kind copies TEXT.
another_copies() { echo -n "$1" | xclip -selection clipboard -i; }
steal_pointer()
{
    if [ -n "$WINDOW_MANAGER" ]; then
        xdotool windowminimize --sync "$WIN" windowactivate --sync "$WIN"
    else
        xdotool windowunmap --sync "$WIN" windowmap --sync "$WIN"
    fi
    poll_until holding || fail "screen mode did not take the pointer back after the window was unmapped"
    # Screen mode chosen again by the keyboard while another client holds the pointer.
    focus_window "$WIN"
    xdotool key Up
    spawn other-grab "$E2E_TOOL" grab 1
    poll_until holding || fail "the other client did not take the pointer"
    xdotool key Down
    wait "$SPAWNED_PID" || fail "the other client's grab failed"
    poll_until holding || fail "screen mode did not take the pointer back once the other client let it go"
}

# The desktop's picker: the fake portal, whose answers are set as it starts, or a real desktop's own.
# picker_answer N X Y|cancel: the Nth pick is answered, by a pick at X, Y (which the fake portal knows
# already) or a cancel; PICKED is the colour a pick gives, PICKED_AS how.
# fake_portal ANSWER...: the fake portal (portal.py, beside the driver) on the session bus, whose PickColor
# gives these answers call by call. Debian's own Python runs it, where its python3-dbusmock is.
fake_portal()
{
    local answers
    answers="$(printf '"%s", ' "$@")"
    spawn other /usr/bin/python3 -m dbusmock --template "$(dirname "$0")/portal.py" -p "{\"answers\": [${answers%, }]}"
    poll_until other_said ready || fail "the fake portal did not start"
}
picker_start() { fake_portal +1,0,0 1,0.5,0.25 cancel ~0,0,1; }
picker_answer()
{
    poll_until other_said "^answered $1" || fail "the fake portal did not answer pick $1"
    case $1 in
    2) PICKED=FF8040 PICKED_AS="the desktop's picker answered 1, 0.5, 0.25" ;;
    4) PICKED=0000FF PICKED_AS="a portal that names its request its own way" ;;
    esac
}

# A headless sway (lib.sh's start_sway), with one output or with a second at scale 2 on its right.
sway_up()
{
    local config="output HEADLESS-1 resolution 1280x1024 position 0 0 bg #$ROOT solid_color"
    if [ -n "$SECOND_OUTPUT" ]; then
        OTHER_OUTPUT=HEADLESS-2 OTHER_OUTPUT_X=1280 OTHER_PLACE=(40 300) OTHER_POINT=(1420 350)
        config+=$'\n'"output HEADLESS-2 resolution 1280x1024 position 1280 0 scale 2 bg #$ROOT solid_color"
    fi
    start_sway "$config"
    point() { swaymsg -q seat - cursor set "$1" "$2"; }
    # A wheel's notch is a press of its button alone: sway turns a release of it into another notch.
    press() { swaymsg -q seat - cursor press "button${1:-1}" && { ((${1:-1} >= 4)) || swaymsg -q seat - cursor release "button${1:-1}"; }; }
    pixel_at() { grim -g "$1,$2 1x1" -t ppm - | tail -c 3 | od -An -tx1 | tr -d ' \n' | tr a-f A-F; }
    # Exact at 24 bits; and the cursor, which this compositor draws into the picture, may be there.
    reference() { echo "$1"; }
    # pointer_shape X Y COLOUR: a cross-hair with white arms edged in black from the third pixel out, and a
    # hole around its hot spot, where the colour underneath shows and is what a capture reads.
    pointer_shape()
    {
        [ -n "$POINTER_SHAPE" ] || return 0
        local seen
        seen="$(for at in "0 0" "1 1" "3 0" "0 -5" "5 1" "-1 5" "1 5" "5 5"; do
            read -r dx dy <<<"$at"
            echo -n "$(pixel_at $(($1 + dx)) $(($2 + dy))) "
        done)"
        [ "$seen" = "$3 $3 FFFFFF FFFFFF 000000 000000 000000 $3 " ] || fail "the pointer in screen mode shows $seen"
    }
    # The grid, a native window drawn in the physical pixels of the second output (at scale 2), and the loupe
    # read there, where it must be: a gap of 16 logical pixels right of and below the hot spot, rounded up to
    # a whole logical pixel. It is closed where the middle block's frame, black or white, is gone.
    # The pointer, which this compositor draws into what is read, lies on the middle row and column (its hole
    # on the middle pixel): the blocks up to CURSOR_ARMS from them are not compared.
    GRID_PLACE=(40 50) GRID_POINT=(150 120) LOUPE_SCALE=2 CURSOR_ARMS=3
    grid_up()
    {
        swaymsg -q focus output "$OTHER_OUTPUT"
        spawn grid "$E2E_TOOL" grid "200x150+${GRID_PLACE[0]}+${GRID_PLACE[1]}" 42 2
        poll_until grep -q ready "$E2E_TMP/grid.log" || fail "the grid did not show"
        swaymsg -q focus output HEADLESS-1
        grim -g "$((OTHER_OUTPUT_X + GRID_PLACE[0])),${GRID_PLACE[1]} 128x128" -t ppm - | convert ppm:- -depth 8 "$E2E_TMP/tile.txt"
    }
    point_grid() { point "$(awk -v x="$1" -v left=$((OTHER_OUTPUT_X + GRID_PLACE[0])) 'BEGIN { print left + (x + 0.5) / 2 }')" "$(awk -v y="$2" -v top="${GRID_PLACE[1]}" 'BEGIN { print top + (y + 0.5) / 2 }')"; }
    loupe_shot()
    {
        LOUPE_X=$(((GRID_PLACE[0] * 2 + x + gap + 1) / 2)) LOUPE_Y=$(((GRID_PLACE[1] * 2 + y + gap + 1) / 2))
        # Drawn into the buffers the compositor hands back: a new one only while none lies free; and no region
        # that set where it takes no input is left behind.
        wrong="$(awk '/"zumeko-loupe"\)$/ { match($0, /wl_surface@[0-9]+/); surface = substr($0, RSTART, RLENGTH); split("", mine); split("", free) }
            match($0, /wl_buffer@[0-9]+\.release\(/) { b = substr($0, RSTART, RLENGTH - 9); if (b in mine) free[b] }
            surface != "" && index($0, "-> " surface ".attach(") { match($0, /wl_buffer@[0-9]+/); b = substr($0, RSTART, RLENGTH)
                if (!(b in mine)) for (f in free) { print "drawn into a new buffer, " f " lying free"; exit } mine[b]; delete free[b] }
            /-> wl_(compositor@[0-9]+\.create_region|region@[0-9]+\.destroy)\(/ { match($0, /wl_region@[0-9]+/); r = substr($0, RSTART, RLENGTH); if (/destroy/) delete kept[r]; else kept[r] }
            END { for (r in kept) { print r " left behind"; exit } }' "$E2E_TMP/$LOG.log")"
        [ -z "$wrong" ] || return 1
        grim -g "$((OTHER_OUTPUT_X + LOUPE_X)),$LOUPE_Y $((side / 2))x$((side / 2))" -t ppm - | convert ppm:- -depth 8 "$E2E_TMP/loupe.txt"
    }
    # Closed once the loupe's surface, the last one Zumeko asked for by that name, is taken down.
    loupe_closed()
    {
        awk '/"zumeko-loupe"\)$/ { match($0, /zwlr_layer_surface_v1@[0-9]+/); id = substr($0, RSTART, RLENGTH); open = 1 }
            open && index($0, "-> " id ".destroy()") { open = 0 } END { exit open }' "$E2E_TMP/$LOG.log"
    }
    # The compositor took the keyboard from Zumeko's overlay (wtype's keys do not reach XWayland's windows).
    keyboard_left() { grep -E 'wl_keyboard@[0-9]+\.(enter|leave)\(' "$E2E_TMP/$LOG.log" | tail -n 1 | grep -q leave; }
    keys_given_back() { poll_until keyboard_left || fail "the loupe closed, Zumeko's overlay kept the keyboard"; }
    # A keyboard all along, as a user's seat has: a headless one has none, and each wtype's comes and goes.
    spawn keyboard wtype -s 3600000
    keys() { local key args=(); for key; do [[ $key != shift+* ]] && args+=(-k "$key") || args+=(-M shift -k "${key#shift+}" -m shift); done; wtype "${args[@]}"; }
    # The overlay is up when the swatch follows the pointer, which the scenarios see for themselves.
    holding() { true; }
    another_copies() { spawn other-copy wl-copy --foreground -- "$1"; }
    steal_pointer() { true; }
    if [ "$PLATFORM" = portal ]; then
        export ZUMEKO_PLATFORM=portal
        spawn bus dbus-daemon --session --nofork --print-address=1
        poll_until grep -q unix: "$E2E_TMP/bus.log" || fail "no session bus"
        DBUS_SESSION_BUS_ADDRESS="$(head -n 1 "$E2E_TMP/bus.log")"
        export DBUS_SESSION_BUS_ADDRESS
    fi
}

# A desktop's own compositor and picker: input that the compositor itself must see (its picker's click,
# Escape) through its own input path, and the screen through its own screenshots; xdotool's keys still reach
# Zumeko's X window through XWayland. picker_open N: the desktop's picker has been opened N times and is
# open.
desktop_up()
{
    # Over Zumeko's window the pointer is moved until its X server has it there too: a click that came
    # before the X server knew now and then went nowhere (seen on GNOME).
    point()
    {
        desktop move "$1" "$2"
        [ -n "${WIN:-}" ] || return 0
        window_geometry "$WIN"
        ((WIN_X <= $1 && $1 < WIN_X + WIN_WIDTH && WIN_Y <= $2 && $2 < WIN_Y + WIN_HEIGHT)) || return 0
        # A move the compositor dropped under load is sent again: it goes to the same place.
        x_pointer_at()
        {
            [ "$(xdotool getmouselocation | cut -d' ' -f1-2)" = "x:$1 y:$2" ] || { desktop move "$1" "$2" && false; }
        }
        poll_until x_pointer_at "$1" "$2" || fail "the X server did not see the pointer at $1, $2"
    }
    press() { desktop click "${1:-1}"; }
    pixel_at() { desktop pixel "$1" "$2" && echo "$DESKTOP_SAID"; }
    reference() { echo "$1"; }
    # A window mapped while another has the focus may open below it: raised as the user would raise it.
    focus_window() { timeout "$E2E_TIMEOUT" xdotool windowactivate --sync "$1" || fail "window $1 was not raised"; }
    picker_start() { other_window "$GREENISH"; }
    # picker_point X Y COLOUR: the pointer where the click will pick COLOUR, which the picker has, not X.
    picker_point() { desktop move "$1" "$2"; }
    picker_answer()
    {
        # The compositor now and then drops a click (seen on GNOME, one run in several: screen mode chosen again
        # took no focus and asked for no pick); a user clicks again. Never for the first pick, given up by then.
        local patience=4
        [ "$1" != 1 ] || patience=$E2E_TIMEOUT
        if ! E2E_TIMEOUT=$patience poll_until picker_open "$1"; then
            [ "$1" != 1 ] && click_client "${OPTION2[@]}" && poll_until picker_open "$1" \
                || fail "pick $1: the desktop's picker did not open"
        fi
        if [ "$2" = cancel ]; then
            desktop key 1 # Escape
        else
            PICKED="$(pixel_at "$2" "$3")" PICKED_AS="a pick at $2, $3"
            picker_point "$2" "$3" "$PICKED"
            press
        fi
    }
}
gnome_up()
{
    start_gnome 1280x1024
    desktop_up
    # The other window is maximized: it is under every point outside Zumeko's windows and the top bar.
    # GNOME's picker shows the colour under the pointer in a round swatch beside it, on every move.
    picker_open()
    {
        point "${OTHER_POINT[0]}" $((OTHER_POINT[1] + RANDOM % 2))
        desktop differ "${OTHER_POINT[@]}" 24 24 "$GREENISH"
        ((DESKTOP_SAID > 0))
    }
    # It reads the colour after a move, one read at a time (a move during a read is lost), and a click
    # answers the last colour read (seen: a click right after a move picked the place before it). So the
    # pointer moves, by a pixel to and fro, until the round swatch drawn from its place is there, its ring
    # at 2, 11 and its middle at 12, 11, and shows COLOUR.
    picker_point()
    {
        picker_follows()
        {
            local x=$(($1 + RANDOM % 2))
            desktop move "$x" "$2"
            desktop pixel $((x + 2)) $(($2 + 11))
            [ "$DESKTOP_SAID" != "$3" ] || return 1
            desktop pixel $((x + 12)) $(($2 + 11))
            [ "$DESKTOP_SAID" = "$3" ]
        }
        poll_until picker_follows "$@" || fail "the desktop's picker did not follow the pointer to $1, $2 ($3)"
    }
}
# KWin offers the layer shell, for the other window, and data control, for wl-paste and the clipboard's
# keeper. Its picker shows nothing of its own: it is open once the portal's backend has asked KWin for it.
kde_up()
{
    start_kwin 1280x1024
    desktop_up
    another_copies() { spawn other-copy wl-copy --foreground -- "$1"; }
    spawn picks dbus-monitor --session "type='method_call',interface='org.kde.kwin.ColorPicker',member='pick'"
    poll_until grep -qs NameLost "$E2E_TMP/picks.log" || fail "dbus-monitor did not start"
    picker_open() { (($(grep -c 'member=pick$' "$E2E_TMP/picks.log") >= $1)); }
}

# The row's server; then, where Zumeko is not the program as built, how it and the other application start.
case "$SERVER" in
x11) x11_up ;;
sway) sway_up ;;
gnome) gnome_up ;;
kde) kde_up ;;
esac
case "$STARTED_BY" in
wine) # zumeko.exe, and the other application a Windows program too, under Wine on the X server
    start_wine
    launch_command() { LAUNCH=(env -C "$1" "$WINE" "$E2E_ZUMEKO"); }
    other_window()
    {
        spawn other "$WINE" "$E2E_PROBE" window "${OTHER_POINT[@]}" "$1"
        poll_until other_said '^ready' || fail "the other application's window did not show"
    }
    ;;
menu)
    # As the menu starts it: the entry's command, in the entry's folder, where its help lies.
    launch_command()
    {
        HELP_FOLDER="$(sed -n 's/^Path=//p' /usr/share/applications/zumeko.desktop)"
        read -ra LAUNCH < <(sed -n 's/^Exec=//p' /usr/share/applications/zumeko.desktop)
        LAUNCH=(env -C "$HELP_FOLDER" "${LAUNCH[@]}")
    }
    ;;
esac
eval "$("$E2E_TOOL" points)"

# --- steps the scenarios share ---------------------------------------------------------------------------

# Where a check is that something does not happen, there is no condition to wait on: this waits long enough
# for it to happen if it would (a press to reach the window underneath, a colour or a size to change).
nothing_happens() { sleep 0.3; }

# launch [FOLDER]: a new Zumeko started in FOLDER (the installed one in its own); PID, WIN, MENU_HEIGHT
# and HELP_FOLDER, once its window has the size it keeps.
launch()
{
    HELP_FOLDER="${1:-$E2E_TMP}"
    launch_command "$HELP_FOLDER"
    LOG="zumeko-$RANDOM"
    spawn "$LOG" "${LAUNCH[@]}"
    PID=$SPAWNED_PID
    find_window "$PID"
    WIN=$FOUND_WINDOW
    poll_until size_is_fixed || fail "window ${WIN_WIDTH}x$WIN_HEIGHT, expected $((CLIENT[0] * SCALE)) wide and $((CLIENT[1] * SCALE)) high below a menu bar"
    MENU_HEIGHT=$((WIN_HEIGHT - CLIENT[1] * SCALE))
    # A window manager frames a new window when it gets to it, and Zumeko centres it again then.
    [ -z "$WINDOW_MANAGER" ] || poll_until centred || fail "the window was not framed and centred"
    focus_window "$WIN"
}
size_is_fixed()
{
    window_geometry "$WIN"
    ((WIN_WIDTH == CLIENT[0] * SCALE && WIN_HEIGHT >= (CLIENT[1] + MENU_MIN) * SCALE && WIN_HEIGHT <= (CLIENT[1] + MENU_MAX) * SCALE))
}
client_point() { window_geometry "$WIN"; CLIENT_X=$((WIN_X + $1 * SCALE)) CLIENT_Y=$((WIN_Y + MENU_HEIGHT + $2 * SCALE)); }
click_client() { client_point "$1" "$2"; point "$CLIENT_X" "$CLIENT_Y"; press; }
# click_in WINDOW X Y: a click at a point of a box of Zumeko's, which has no menu bar.
click_in() { window_geometry "$1"; point $((WIN_X + $2 * SCALE)) $((WIN_Y + $3 * SCALE)); press; }
quit() { "$E2E_TOOL" close "$WIN" || fail "cannot close window $WIN"; expect_exit "$PID" 0 "Zumeko closed"; }
others() { OTHER="$(windows_of "$PID" . | grep -vx "$WIN" || true)"; [ -n "$OTHER" ]; }
no_others() { ! others; }
swatch_shows() { client_point "${SWATCH[@]}"; SWATCH_SEEN="$(pixel_at "$CLIENT_X" "$CLIENT_Y")"; [ "$SWATCH_SEEN" = "$1" ]; }
expect_swatch() { poll_until swatch_shows "$1" || fail "$2: the swatch shows #$SWATCH_SEEN, not #$1"; }
other_said() { grep -Eq -- "$1" "$E2E_TMP/other.log"; }
# The window as the user sees it, frame included, centred on the screen (there are no panels here).
centred()
{
    window_geometry "$WIN"
    local extents left=0 right=0 top=0 bottom=0 sx=0 sy=0 sw sh
    extents="$(xprop -id "$WIN" _NET_FRAME_EXTENTS | sed -n 's/.* = //p' | tr -d ,)"
    [ -z "$extents" ] || read -r left right top bottom <<<"$extents"
    [ -n "$WINDOW_MANAGER" ] && [ "$top" = 0 ] && return 1 # not framed yet
    # In the work area, which a desktop's bars leave.
    read -r sw sh < <(xdotool getdisplaygeometry)
    read -r sx sy sw sh < <(xprop -root _NET_WORKAREA | awk -F '[=,]' 'NF >= 5 { print $2, $3, $4, $5; exit } END { if (NR == 0 || NF < 5) print "'"$sx $sy $sw $sh"'" }')
    local dx=$((2 * (WIN_X - left - sx) + WIN_WIDTH + left + right - sw)) dy=$((2 * (WIN_Y - top - sy) + WIN_HEIGHT + top + bottom - sh))
    ((dx * dx <= 16 && dy * dy <= 16))
}
# The clipboard as a native Wayland program pastes it. Where the compositor offers no data control (GNOME),
# wl-paste shows a window of its own, which the clipboard is offered to with the keyboard focus.
wayland_clipboard_is() { clipboard_is "$1" wl-paste -n; }
opened_is() { OPENED_SEEN="$(cat "$E2E_TMP/opened" 2>/dev/null || true)"; [[ "$OPENED_SEEN" == $1 ]]; }
# An answer of the desktop's picker, through the fake portal: the message it gives, closed with Enter.
close_message() { poll_until others || fail "$1: no message"; focus_window "$OTHER"; xdotool key Return; poll_until no_others || fail "$1: the message did not close"; }

# --- scenarios ---------------------------------------------------------------------------------------------

scenario_start()
{
    launch
    # A desktop that is its own window manager places the window when it gets to it, as a started one does.
    poll_until centred || fail "the window at +$WIN_X+$WIN_Y is not centred with its frame"
    xdotool windowsize "$WIN" 300 200 # as a program may, past the window manager
    nothing_happens
    poll_until size_is_fixed || fail "the window was resized to ${WIN_WIDTH}x$WIN_HEIGHT and kept that size"
    if [ -n "$WINDOW_MANAGER" ]; then # placed once: the user's move stays
        xdotool windowmove --sync "$WIN" 10 40
        nothing_happens
        window_geometry "$WIN"
        [ "$WIN_Y" -lt 300 ] || fail "the window went back to the centre after the user moved it"
    fi
    quit
    pass "start: the window ${WIN_WIDTH}x$WIN_HEIGHT keeps its size and opens centred with its frame"
}

scenario_copy()
{
    launch
    xdotool key End
    # Only the left button moves a bar, and no button opens a menu of Qt's on it.
    for button in 2 3 1; do
        client_point "${RED_LEFT[@]}"
        point "$CLIENT_X" "$CLIENT_Y"
        press $button
    done
    no_others || fail "a click on a scroll bar opened a window"
    click_client "${COPY[@]}"
    expect_clipboard "#FE0000" "End on the focused red bar, the other buttons on its arrow, a left click there, then Copy"
    [ -z "$NATIVE_PASTE" ] || poll_until wayland_clipboard_is "#FE0000" || fail "after Copy, a native Wayland program pastes ${CLIPBOARD_SEEN@Q}"
    click_client "${FONT_TAG[@]}"
    click_client "${COPY[@]}"
    expect_clipboard '<font color="#FE0000">' "the font tag ticked, then Copy"
    xdotool key Tab Tab Return # from Copy, which the click gave the focus, past the tag box to Quit
    expect_exit "$PID" 0 "Zumeko after Enter on the focused Quit button"
    pass "copy: End, a left click on the arrow and Copy give #FE0000, bare and in the font tag; Enter on Quit ends with 0"
}

scenario_second-copy()
{
    launch
    # One copy for each user and display, whatever XDG_RUNTIME_DIR says (a shell may have none) and however
    # DISPLAY spells it.
    local second=("${LAUNCH[@]}")
    [ -z "$RESPELT_DISPLAY" ] || second=(env -u XDG_RUNTIME_DIR DISPLAY="unix$DISPLAY.0" "${LAUNCH[@]}")
    spawn second "${second[@]}"
    find_window "$SPAWNED_PID"
    focus_window "$FOUND_WINDOW"
    xdotool key Return
    expect_exit "$SPAWNED_PID" 2 "a second copy after its message was closed"
    quit
    # And for an account with no runtime folder and a home that does not exist, as a service account or a
    # session without logind has: the lock finds a folder of that account's alone all the same.
    if [ -n "$OTHER_ACCOUNTS" ]; then
        # A copy of the program where that account can reach it, wherever the build is.
        chmod 0711 "$E2E_TMP"
        mkdir -p -m 0755 "$E2E_TMP/nobody"
        cp "$E2E_ZUMEKO" "$E2E_TMP/nobody/zumeko"
        local as=(setpriv --reuid=nobody --regid=nogroup --clear-groups env -u XDG_RUNTIME_DIR -C / "$E2E_TMP/nobody/zumeko")
        local folder="/tmp/zumeko-$(id -u nobody)" made=""
        [ -e "$folder" ] || made=1
        spawn first-nobody "${as[@]}"
        PID=$SPAWNED_PID
        find_window "$PID"
        WIN=$FOUND_WINDOW
        spawn second-nobody "${as[@]}"
        find_window "$SPAWNED_PID"
        focus_window "$FOUND_WINDOW"
        xdotool key Return
        expect_exit "$SPAWNED_PID" 2 "a second copy of an account with no runtime folder or home"
        quit
        [ -z "$made" ] || rm -rf "$folder" # as the machine was
    fi
    pass "second-copy: refused with its message and status 2"
}

scenario_pick()
{
    other_window "$GREENISH"
    local root other
    root="$(reference "$ROOT" "${ROOT_POINT[@]}")" other="$(reference "$GREENISH" "${OTHER_POINT[@]}")"
    launch
    expect_swatch 000000 "at start, with the scroll bars"
    click_client "${OPTION2[@]}"
    point "${OTHER_POINT[@]}"
    press 4 # a turn of the wheel: no click, and no window gets it
    point "${ROOT_POINT[@]}"
    expect_swatch "$root" "screen mode, the pointer over the desktop after a turn of the wheel"
    point "${OTHER_POINT[@]}"
    expect_swatch "$other" "screen mode, the pointer over another application's window"
    pointer_shape "${OTHER_POINT[@]}" "$other"
    press
    point "${ROOT_POINT[@]}"
    nothing_happens
    swatch_shows "$other" || fail "a click fixed the colour, then the pointer moved on: the swatch changed to #$SWATCH_SEEN"
    ! other_said '^(press|release)' || fail "the wheel or the click that fixed the colour reached the window underneath"
    click_client "${COPY[@]}"
    expect_clipboard "#$GREENISH" "Copy after the colour was fixed"
    # Chosen again, then left by the keyboard: the pointer goes back to the windows.
    click_client "${OPTION2[@]}"
    xdotool key Up
    expect_swatch 000000 "after the scroll bars were chosen again"
    point "${OTHER_POINT[@]}"
    press
    poll_until other_said '^press' || fail "out of screen mode, a click on the other window did not reach it"
    quit
    pass "pick: the swatch follows the pointer and a click fixes #$GREENISH, reaching no window; out of screen mode clicks reach windows again"
}

scenario_grab()
{
    other_window "$GREENISH"
    launch
    click_client "${OPTION2[@]}"
    poll_until holding || fail "screen mode does not hold the pointer"
    # A box of ours can be used with the mouse in screen mode, and screen mode goes on after it.
    xdotool key alt+i
    poll_until others || fail "Alt+I showed no About box in screen mode"
    click_in "$OTHER" "${ABOUT_OK[@]}"
    poll_until no_others || fail "a click on OK did not close the About box in screen mode"
    poll_until holding || fail "screen mode did not take the pointer back after the About box"
    steal_pointer
    # A hundred reads a second cost little: never a loop that keeps a core busy.
    local before after
    before="$(awk '{ print $14 + $15 }' "/proc/$PID/stat")"
    sleep 1
    after="$(awk '{ print $14 + $15 }' "/proc/$PID/stat")"
    ((after - before < 50)) || fail "in screen mode Zumeko took $((after - before)) % of a core"
    point "${OTHER_POINT[@]}"
    expect_swatch "$(reference "$GREENISH" "${OTHER_POINT[@]}")" "screen mode after the About box"
    press
    point "${ROOT_POINT[@]}"
    nothing_happens
    ! other_said '^(press|release)' || fail "after the About box, a click in screen mode reached the window underneath"
    quit
    pass "grab: the About box is used with the mouse in screen mode, and screen mode has the pointer again after it"
}

# The physical pixel whose area holds the pointer's hot spot, on an output at every scale and turned every
# way: a native window drawn in the output's physical pixels shows in each the pixel's own place within it,
# so the colour under the pointer is known from the pointer's exact place alone.
scenario_pixels()
{
    # Its requests to the compositor in its log: on a turned output too, a pixel is read as a small region.
    WAYLAND_DEBUG=client launch
    local config scale at x y column row grid="" asked turned=0 learning
    for config in "scale 2" "scale 1.5" "scale 1.25 transform 90" "scale 2 transform 90" "scale 1 transform 270" \
        "scale 1.75 transform 180" "scale 2 transform flipped-180" "scale 1.5 transform flipped" \
        "scale 1 transform flipped-90" "scale 1.25 transform flipped-270" "scale 1.75 transform 270"; do
        swaymsg -q output "$OTHER_OUTPUT" "$config"
        scale="$(awk '{ print $2 }' <<<"$config")"
        [ -z "${grid:-}" ] || { kill "$grid"; poll_until exited "$grid"; } # the window of the last turn
        swaymsg -q focus output "$OTHER_OUTPUT"
        spawn other "$E2E_TOOL" grid "200x100+${OTHER_PLACE[0]}+${OTHER_PLACE[1]}" 42 "$scale"
        grid=$SPAWNED_PID
        poll_until other_said '^ready' || fail "the window drawn in physical pixels did not show ($config)"
        # Shown, as a user would see it, in its place on that output.
        grid_shown() { [ "$(pixel_at $((OTHER_OUTPUT_X + 140)) 350)" != "$ROOT" ]; }
        poll_until grid_shown || fail "the window drawn in physical pixels is not on $OTHER_OUTPUT ($config)"
        swaymsg -q focus output HEADLESS-1
        click_client "${OPTION2[@]}"
        for at in "100.3 320.6" "101.6 321.2" "150.9 350.45" "180.5 330.75"; do
            read -r x y <<<"$at"
            read -r column row < <(awk -v x="$x" -v y="$y" -v s="$scale" -v left="${OTHER_PLACE[0]}" -v top="${OTHER_PLACE[1]}" \
                'BEGIN { print int(x * s) - left * s, int(y * s) - top * s }')
            point "$(awk -v x="$x" -v left="$OTHER_OUTPUT_X" 'BEGIN { print left + x }')" "$y"
            expect_swatch "$(printf '%02X%02X42' $((column % 256)) $((row % 256)))" "output $config, the pointer at $x, $y of it (the window's physical pixel $column, $row)"
        done
        # Which way this compositor turns regions is learnt on the first output turned sideways, which is read
        # whole until then; after it, no output is read whole for a pixel. The pointer rests on this output
        # now, so what is read from here on is read from it.
        learning=""
        case "$config" in *" transform 90" | *" transform 270") turned=$((turned + 1)) && ((turned > 1)) || learning=1 ;; esac
        asked="$(wc -l <"$E2E_TMP/$LOG.log")"
        small_region_read() { tail -n +"$((asked + 1))" "$E2E_TMP/$LOG.log" | grep -qE 'capture_output_region\(.*, [0-9], [0-9]\)$'; }
        [ -n "$learning" ] || poll_until small_region_read || fail "output $config: the pixel under the pointer is not read as a small region"
        press
    done
    click_client "${OPTION2[@]}"
    # An output whose mode grows taller (turned, by its width): the overlay still covers all of it.
    swaymsg -q output "$OTHER_OUTPUT" resolution 1024x800 && swaymsg -q output "$OTHER_OUTPUT" resolution 1280x800
    point $((OTHER_OUTPUT_X + 300)) 650
    expect_swatch "$ROOT" "low on an output whose mode grew taller"
    # An output plugged in while screen mode runs is read at once; sway puts it right of the others.
    swaymsg -q create_output
    swaymsg -q output HEADLESS-3 bg "#$GREENISH" solid_color
    point 2000 100
    expect_swatch "$GREENISH" "on an output plugged in while screen mode ran"
    pass "pixels: the pixel under the pointer exactly, at scales 1 to 2 and in the eight turns of an output, on one whose mode grew and on one plugged in"
}

# The loupe, read back from the screen, where each pixel's colour tells its place (x and y mod 256), before
# and after the arrow keys move the pointer by a pixel, and by ten with Shift. Escape closes it and screen
# mode goes on; a click fixes the colour, closes it, and reaches no window. x and y are the grid's pixels.
scenario_loupe()
{
    grid_up
    other_window "$GREENISH"
    # Escape on the keymap's last key code, which a keymap may give any key (Wine keeps its own map).
    [ "$SERVER" != x11 ] || [ "$STARTED_BY" = wine ] || xmodmap -e "keycode 9 =" -e "keycode 255 = Escape"
    WAYLAND_DEBUG=client launch # its requests to a compositor in its log, where the loupe is seen closed
    click_client "${OPTION2[@]}"
    local x=${GRID_POINT[0]} y=${GRID_POINT[1]} across=$((19 * LOUPE_SCALE + LOUPE_SCALE - 1)) gap=$((16 * LOUPE_SCALE))
    local wrong side half grey=A0A0A0 colour
    [ "$DEPTH" != 16 ] || grey=A4A1A4 # its 5-6-5 colour, as read back
    side=$((across * 4)) half=$((across / 2))
    # Turned over a window (Wine sees no wheel over the bare X root), then away onto the grid.
    point "${OTHER_POINT[@]}"
    expect_swatch "$(reference "$GREENISH" "${OTHER_POINT[@]}")" "screen mode, before the wheel"
    press 4
    point_grid $x $y
    # Below and to the right of the hot spot, a gap away, where a whole logical pixel begins; each block the
    # pixel it stands for (read one pixel in from its corner, where a frame drawn too large would show), those
    # beyond the screen's edge the grey check, the middle one framed in black where it is light (Qt's grey 128
    # or more), else in white.
    loupe_right()
    {
        loupe_shot || return 1
        colour="$(awk -F'[ ,:#]+' -v at="$((x % 256)),$((y % 256))" '$1 "," $2 == at { print toupper(substr($0, index($0, "#") + 1, 6)) }' "$E2E_TMP/tile.txt")"
        wrong="$(awk -F'[ ,:#]+' \
            -v x=$x -v y=$y -v half=$half -v arms="${CURSOR_ARMS:--1}" -v grey=$grey -v frame=$(((16#${colour:0:2} * 11 + 16#${colour:2:2} * 16 + 16#${colour:4:2} * 5) / 32 >= 128 ? 0 : 16777215)) \
            'FNR > 1 { split($0, part, "#"); seen = toupper(substr(part[2], 1, 6)) }
            FNR == NR { shown[$1 "," $2] = seen; next }
            FNR > 1 && $1 % 4 == 1 && $2 % 4 == 1 && !((int($1 / 4) - half) ^ 2 <= arms ^ 2 || (int($2 / 4) - half) ^ 2 <= arms ^ 2) {
                row = y - half + int($2 / 4)
                want = row < 0 ? grey : shown[(x - half + int($1 / 4)) % 256 "," row % 256]
                if (seen != want) { print "at " $1 "," $2 " #" seen ", not #" want; exit } }
            FNR > 1 && $1 == half * 4 && $2 == half * 4 && seen != sprintf("%06X", frame) { print "the frame is #" seen; exit }' \
            "$E2E_TMP/tile.txt" "$E2E_TMP/loupe.txt")"
        [ -z "$wrong" ]
    }
    poll_until loupe_right || fail "the loupe open: $wrong"
    expect_swatch "$colour" "the loupe open"
    keys Right shift+Down
    x=$((x + 1)) y=$((y + 10))
    poll_until loupe_right || fail "the loupe after Right, then Shift+Down: $wrong"
    expect_swatch "$colour" "Right, then Shift+Down, with the loupe open"
    keys Escape
    poll_until loupe_closed || fail "Escape did not close the loupe"
    keys_given_back
    point "${OTHER_POINT[@]}"
    press 4 # screen mode went on: the wheel opens the loupe again
    point_grid $x $y
    poll_until loupe_right || fail "the loupe did not open again after Escape: $wrong"
    point "${OTHER_POINT[@]}"
    expect_swatch "$(reference "$GREENISH" "${OTHER_POINT[@]}")" "the loupe open, over the other window"
    press
    poll_until loupe_closed || fail "the click that fixed the colour left the loupe open"
    nothing_happens
    expect_swatch "$(reference "$GREENISH" "${OTHER_POINT[@]}")" "the colour the click fixed"
    ! other_said '^(press|release)' || fail "the click with the loupe open reached the window underneath"
    quit
    pass "loupe: its blocks are the pixels beside the pointer, the middle one framed; the arrows move by a pixel; Escape and a click close it, the click reaching no window"
}

# Looked up in the working folder, as a plain file: a folder of that name, or a hidden file, is none.
scenario_help()
{
    record_opener
    mkdir -p "$E2E_TMP/help" "$E2E_TMP/no-help/help.html"
    touch "$E2E_TMP/help/help.html" "$E2E_TMP/no-help/.help.html"
    launch "$E2E_TMP/help"
    xdotool key alt+h
    poll_until opened_is "*$HELP_FOLDER/help.html" || fail "Alt+H opened ${OPENED_SEEN@Q}, not $HELP_FOLDER/help.html"
    quit
    # Looked up as a plain file: a folder of that name, or a hidden file, is none. (The installed Zumeko
    # starts where its help is.)
    if [ -n "$ANY_FOLDER" ]; then
        rm "$E2E_TMP/opened"
        launch "$E2E_TMP/no-help"
        xdotool key alt+h
        close_message "Alt+H without help.html"
        opened_is "" || fail "without help.html, Alt+H still opened ${OPENED_SEEN@Q}"
        quit
    fi
    pass "help: Alt+H hands help.html of the working folder to the desktop's opener, and says so where there is none"
}

scenario_about()
{
    record_opener
    launch
    xdotool key alt+i
    poll_until others || fail "Alt+I showed no About box"
    window_geometry "$OTHER"
    ((WIN_WIDTH == ABOUT[0] * SCALE && WIN_HEIGHT == ABOUT[1] * SCALE)) || fail "the About box is ${WIN_WIDTH}x$WIN_HEIGHT, not $((ABOUT[0] * SCALE))x$((ABOUT[1] * SCALE))"
    expect_centred "$OTHER" "$WIN" "the About box"
    # The gradient: red 20 and blue 10 throughout, green from nearly 0 in the top row to 255 in the bottom.
    # A busy compositor may show the box a frame or two before its picture.
    window_geometry "$OTHER"
    gradient() { ENDS="$(pixel_at $((WIN_X + 2)) "$WIN_Y") $(pixel_at $((WIN_X + 2)) $((WIN_Y + WIN_HEIGHT - 1)))"; [[ "$ENDS" =~ ^140[0-2]0A\ 14FF0A$ ]]; }
    poll_until gradient || fail "the About box's gradient runs from #${ENDS/ / to #}"
    click_in "$OTHER" "${ABOUT_URL[@]}"
    poll_until opened_is "https://zumeko.example/" || fail "a press on the link opened ${OPENED_SEEN@Q}"
    focus_window "$OTHER"
    xdotool key Tab Return
    poll_until no_others || fail "Enter on the About box's OK did not close it"
    quit
    pass "about: the About box opens centred, its link opens the address, and Enter on OK closes it"
}

# Where nothing can read the screen (a compositor with wlroots' layer shell but no screencopy, as KWin, one
# asked for where none answers, or the desktop's picker asked for where no session bus answers), screen
# mode says so and gives the bars back; a platform that is not there is named at the start; and a Qt
# platform the user asks for is kept.
scenario_unreadable()
{
    local err
    err="$(ZUMEKO_PLATFORM=mir "$E2E_ZUMEKO" 2>&1 >/dev/null && echo "status 0" || echo "status $?")"
    [ "$err" = $'zumeko: ZUMEKO_PLATFORM is "mir"; it can be x11, wayland or portal\nstatus 1' ] || fail "an unknown platform: ${err@Q}"
    err="$(QT_QPA_PLATFORM=nowhere timeout 5 "$E2E_ZUMEKO" 2>&1 >/dev/null || true)"
    [[ "$err" == *'"nowhere"'* ]] || fail "the user's QT_QPA_PLATFORM was not kept: ${err@Q}"
    spawn compositor "$E2E_TOOL" compositor
    poll_until grep -q ready "$E2E_TMP/compositor.log" || fail "the bare compositor did not start"
    unset DBUS_SESSION_BUS_ADDRESS
    for session in "WAYLAND_DISPLAY=$(awk '{ print $2 }' "$E2E_TMP/compositor.log")" "ZUMEKO_PLATFORM=wayland WAYLAND_DISPLAY=wayland-nowhere" "ZUMEKO_PLATFORM=portal DBUS_SESSION_BUS_ADDRESS=unix:path=$E2E_TMP/nowhere"; do
        # shellcheck disable=SC2086 # one or two assignments
        export $session
        launch
        xdotool key End
        click_client "${OPTION2[@]}"
        close_message "screen mode where nothing can read the screen ($session)"
        expect_swatch FF0000 "the scroll bars' colour after the message ($session)"
        quit
    done
    pass "unreadable: where nothing can read the screen screen mode says so and the bars come back; an unknown platform is named"
}

# Fixed faults: the copied code was lost when Zumeko ended, with no clipboard manager to keep it; and under
# sway, whose X bridge passes an X selection to Wayland only while an X window has the focus, native
# Wayland programs got nothing once Zumeko had ended.
helpers() { for pid in $(pgrep -x zumeko-clipboar || true); do grep -qsz "^DISPLAY=$DISPLAY$" "/proc/$pid/environ" && echo "$pid"; done; }
no_helpers() { [ -z "$(helpers)" ]; }
scenario_clipboard-kept()
{
    launch
    click_client "${COPY[@]}"
    quit
    one_helper() { [ "$(helpers | wc -l)" = 1 ]; }
    poll_until one_helper || fail "not one helper keeps the clipboard: $(helpers)"
    # The compositor's X bridge empties the Wayland clipboard when Zumeko's X selection goes, at times after
    # the helper has taken it: emptied so soon, the code is taken again (wl-copy stands in for the bridge).
    [ -z "$DATA_CONTROL" ] || timeout 5 wl-copy --clear
    [ -z "$NATIVE_PASTE$DATA_CONTROL" ] || poll_until wayland_clipboard_is "#000000" || fail "after Zumeko ended, a native Wayland program pastes ${CLIPBOARD_SEEN@Q}"
    if [ -n "$DATA_CONTROL" ]; then
        local types
        types="$(timeout 5 wl-paste -l | LC_ALL=C sort | paste -sd ' ' || true)"
        [ "$types" = "STRING TEXT UTF8_STRING text/plain text/plain;charset=utf-8" ] || fail "the kept clipboard offers native Wayland programs ${types@Q}"
    fi
    # X programs paste while one of them has the focus (a compositor's X bridge serves no other): here a new
    # Zumeko, which also shows that the helper holds no lock.
    launch
    expect_clipboard "#000000" "after Zumeko ended"
    # What Qt's and GTK's programs ask first, before they paste.
    [[ "$(xclip -selection clipboard -o -t TARGETS)" == *UTF8_STRING* ]] || fail "the helper keeping the clipboard names no UTF8_STRING among its targets"
    quit
    another_copies other
    poll_until no_helpers || fail "the helper went on after another program copied"
    # An X clipboard manager keeps the text for X programs; native Wayland programs still need the helper.
    spawn manager "$E2E_TOOL" manager
    poll_until grep -q ready "$E2E_TMP/manager.log" || fail "the clipboard manager did not start"
    launch
    click_client "${COPY[@]}"
    quit
    if [ -n "$DATA_CONTROL" ]; then
        poll_until wayland_clipboard_is "#000000" || fail "beside an X clipboard manager, a native Wayland program pastes ${CLIPBOARD_SEEN@Q}"
    else
        no_helpers || fail "a helper was started although a clipboard manager runs"
    fi
    pass "clipboard-kept: the code stays on the clipboard after Zumeko ends, kept by a helper until another program copies, or by a manager"
}

# Fixed fault: when the X server went away, Zumeko ended with the status of a start that failed.
scenario_display-lost()
{
    local err one_line=$'^zumeko:[^\n]*\nstatus 1$'
    err="$(env -u DISPLAY -u WAYLAND_DISPLAY timeout "$E2E_TIMEOUT" "$E2E_ZUMEKO" 2>&1 >/dev/null && echo "status 0" || echo "status $?")"
    [[ "$err" =~ $one_line ]] || fail "without DISPLAY: expected one line 'zumeko: ...' and status 1, got ${err@Q}"
    err="$(DISPLAY=:99999 "$E2E_ZUMEKO" 2>&1 >/dev/null && echo "status 0" || echo "status $?")"
    [ "$err" = $'zumeko: cannot open the X display ":99999"\nstatus 1' ] || fail "with no such display: ${err@Q}"
    launch
    click_client "${COPY[@]}"
    quit
    poll_until test -n "$(helpers)" || fail "no helper keeps the clipboard"
    launch
    kill -TERM "$E2E_XVFB_PID"
    expect_exit "$PID" 3 "Zumeko when the X server went away"
    grep -qx 'zumeko: the X display went away' "$E2E_TMP/$LOG.log" || fail "Zumeko did not say that the display went away"
    poll_until no_helpers || fail "the helper keeping the clipboard went on without an X server"
    pass "display-lost: without a display Zumeko says so and ends with 1; when it goes away, with 3, and the helper ends"
}

# The desktop's own picker, through the portal: a pick given up before it answers, a pick, a cancel that
# leaves the colour, a pick again (on a real desktop, of a point of Zumeko's own window).
scenario_portal-pick()
{
    picker_start
    launch
    click_client "${OPTION2[@]}"
    xdotool key Up # the scroll bars again, before the desktop's picker has answered
    picker_answer 1 "${OTHER_POINT[@]}"
    nothing_happens
    swatch_shows 000000 || fail "a pick answered after screen mode was left changed the swatch to #$SWATCH_SEEN"
    click_client "${OPTION2[@]}"
    picker_answer 2 "${OTHER_POINT[@]}"
    expect_swatch "$PICKED" "$PICKED_AS"
    # The desktop's picker tells no place: the position label stays as empty as with the scroll bars.
    [ "$(import -silent -window "$WIN" -crop "150x1+${POSITION[0]}+$((MENU_HEIGHT / SCALE + POSITION[1]))" -format '%k' info:)" = 1 ] \
        || fail "the position label shows a place where the desktop's picker gave none"
    click_client "${COPY[@]}"
    expect_clipboard "#$PICKED" "Copy after the desktop's pick"
    local first="$PICKED"
    click_client "${OPTION2[@]}"
    picker_answer 3 cancel
    nothing_happens
    swatch_shows "$first" || fail "a cancelled pick changed the swatch to #$SWATCH_SEEN"
    client_point 4 4
    local own=("$CLIENT_X" "$CLIENT_Y")
    click_client "${OPTION2[@]}"
    picker_answer 4 "${own[@]}"
    [ "$PICKED" != "$first" ] || fail "the fourth pick gives the colour of the second: #$PICKED"
    expect_swatch "$PICKED" "the fourth pick, $PICKED_AS"
    quit
    pass "portal-pick: the desktop's pick is shown and copied exactly; a cancel leaves the colour, a pick given up counts for nothing; screen mode picks again"
}

# A desktop whose portal cannot pick, by its answer or by an error: said once each time, and the bars back.
scenario_portal-refused()
{
    fake_portal refuse error
    launch
    xdotool key End
    for answer in refused error; do
        click_client "${OPTION2[@]}"
        close_message "the portal $answer"
        expect_swatch FF0000 "after the portal $answer, the scroll bars' colour"
    done
    click_client "${RED_LEFT[@]}"
    click_client "${COPY[@]}"
    expect_clipboard "#FE0000" "a click on the red bar's arrow after the portal failed, then Copy"
    quit
    pass "portal-refused: a desktop that cannot pick is told of, and the scroll bars are usable again"
}

failed=0
for scenario in $SCENARIOS; do
    rm -f "$E2E_TMP/opened"
    (E2E_SCENARIO="$scenario" "scenario_$scenario") || failed=1
    end_scenario
done
exit "$failed"
