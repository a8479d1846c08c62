#!/usr/bin/env bash
# Kartello as a person uses it: the real program under Wine on a virtual display of its own,
# driven only by X clicks and keys, checked only by screenshots and the files it writes.
# Usage: kartello_e2e.sh KARTELLO.exe SCENARIO   (the Wine environment comes from the caller:
# tools/isolated gives it its own display and prefix copy, with Wine's virtual desktop)
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tools/xdrive.sh"

program=$1
scenario=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/kartello-e2e.XXXXXX")
trap 'xd_stop; rm -rf "$work"' EXIT
cd "$work" || exit 1

YELLOW=255,255,0
MAGENTA=255,0,255
BLACK=0,0,0
RED=255,0,0
GREEN=0,255,0
WHITE=255,255,255

# Panel buttons, by the centre of each one's band, and the status line's box.
BUTTON_X=-250
button_y() { echo $((233 - 35 * $1)); }
BACKGROUND=0 NEXT=1 OBJECT_COLOR=2 ADD_SHAPE=3 ADD_TEXT=4 SELECT=5

failures=0
shot="$work/shot.png"

fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# Retakes the screenshot until the check holds or a few seconds have passed: the program
# redraws on its own time, and the machine may be busy.
eventually() {
    local description=$1 _
    shift
    for _ in $(seq 1 25); do
        xd_shot "$shot" && "$@" && { echo "ok: $description"; return 0; }
        sleep 0.2
    done
    fail "$description"
    return 1
}

pixel_is() { [ "$(xd_pixel "$shot" "$1" "$2")" = "$3" ]; }
pixel_is_not() { [ "$(xd_pixel "$shot" "$1" "$2")" != "$3" ]; }
some_of() { [ "$(xd_count_colour "$shot" "$1" "$2" "$3" "$4" "$5")" -gt "${6:-0}" ]; }
none_of() { [ "$(xd_count_colour "$shot" "$1" "$2" "$3" "$4" "$5")" -eq 0 ]; }

label_is_red() { some_of $RED -294 $(($(button_y "$1") + 16)) -197 $(($(button_y "$1") - 2)); }
no_label_is_red() { none_of $RED -294 249 -197 40; }
status_in() { some_of "$1" -135 -170 219 -195 5; }
status_not_in() { none_of "$1" -135 -170 219 -195; }

press() { xd_click $BUTTON_X "$(button_y "$1")"; sleep 0.3; }
click() { xd_click "$1" "$2"; sleep 0.3; }

start() {
    [ -n "${DISPLAY:-}" ] || xd_start_display || exit 2
    xd_start_program "$program" || exit 2
    wait_for_first_frame
}

wait_for_first_frame() {
    local _
    for _ in $(seq 1 50); do
        xd_shot "$shot" && pixel_is 0 0 $YELLOW && return 0
        sleep 0.2
    done
    echo "Kartello drew no card"
    exit 2
}

text_window_visible() { [ -n "$(xdotool search --onlyvisible --name '^ZAVOK Text$' 2>/dev/null)" ]; }

# Dark pixels in the check-mark column of the open Run menu (a root-window screenshot).
run_menu_check_marks() {
    local WINDOW X Y WIDTH HEIGHT SCREEN
    eval "$(xdotool getwindowgeometry --shell "$XD_WINDOW")"
    xd_open_run_menu
    sleep 0.8
    import -window root "$work/menu.png" 2>/dev/null
    xdotool key Escape; sleep 0.2; xdotool key Escape  # the popup, then the menu bar
    sleep 0.3
    convert "$work/menu.png" -crop "14x240+$((X + XD_CLIENT_LEFT + 3))+$((Y + XD_CLIENT_TOP + 2))" +repage -alpha off \
        -fx "r<0.3 && g<0.3 && b<0.3 ? 1 : 0" -colorspace Gray -format "%[fx:int(mean*w*h+0.5)]\n" info:
}

scenario_start() {
    start
    eventually "the card is yellow" pixel_is 0 0 $YELLOW
    eventually "the card's border is black" pixel_is -138 0 $BLACK
    eventually "the status line is green" status_in $GREEN
    eventually "no button label is red" no_label_is_red
    text_window_visible && fail "the text window is hidden at start" || echo "ok: the text window is hidden at start"
}

scenario_buttons_and_hearts() {
    start
    press $BACKGROUND
    eventually "Background color turns the card magenta" pixel_is 0 0 $MAGENTA
    eventually "and its label red" label_is_red $BACKGROUND
    click 50 60
    eventually "a card click adds a black heart at the click" pixel_is 50 60 $BLACK
    eventually "the heart reaches below its anchor" pixel_is 50 40 $BLACK
    eventually "the card around the heart keeps its colour" pixel_is 50 110 $MAGENTA
    eventually "the status line turns red" status_in $RED
    eventually "and is no longer green" status_not_in $GREEN
}

scenario_greetings_and_moving() {
    start
    press $ADD_TEXT
    click -100 -100
    eventually "a card click in text mode writes a black greeting" some_of $BLACK -100 -80 100 -101 20
    local before after
    before=$(xd_count_colour "$shot" $BLACK -100 -80 100 -101)
    press $NEXT
    eventually "Next, please changes the greeting's text" \
        bash -c "[ \"\$(. '$root/tools/xdrive.sh'; xd_count_colour '$shot' $BLACK -100 -80 100 -101)\" != '$before' ]"
    press $OBJECT_COLOR
    eventually "Object color turns the greeting white" some_of $WHITE -100 -80 100 -101 20
    eventually "and leaves no black text" none_of $BLACK -100 -80 100 -101

    press $ADD_SHAPE
    click 100 100
    eventually "a heart is added" pixel_is 100 100 $BLACK
    press $SELECT
    click 105 95
    click 0 0
    eventually "Select object and two clicks move the heart to the second click" pixel_is 0 0 $BLACK
    eventually "and away from where it was" pixel_is 100 100 $YELLOW
    after=$(xd_count_colour "$shot" $WHITE -100 -80 100 -101)
    [ "$after" -gt 20 ] && echo "ok: the greeting stays" || fail "the greeting stays"
}

# The clicks and keys of a recorded session and the script lines they must give.
record_session() {
    press $BACKGROUND
    xd_key x
    sleep 0.3
    click 0 0
    press $NEXT
    press $NEXT
    press $NEXT
    press $NEXT
    press $ADD_SHAPE
    click -80 120
}
EXPECTED_SCRIPT="ZAVOK_MOUSE(-250, 233);
ZAVOK_KBD(120);
ZAVOK_MOUSE(0, 0);
ZAVOK_MOUSE(-250, 198);
ZAVOK_MOUSE(-250, 198);
ZAVOK_MOUSE(-250, 198);
ZAVOK_MOUSE(-250, 198);
ZAVOK_MOUSE(-250, 128);
ZAVOK_MOUSE(-80, 120);"

replayed_card_is_right() {
    eventually "the played card is magenta" pixel_is -120 -140 $MAGENTA
    eventually "the cake's body stands at its anchor" pixel_is 25 15 $BLACK
    eventually "the heart stands at its anchor" pixel_is -80 120 $BLACK
}

# Halts animation, so that no periodic events come between the keys and clicks, and starts
# recording.
record_halted() {
    xd_key ctrl+h
    sleep 0.5  # a periodic event armed before the halt is still delivered at the next tick
    xd_key ctrl+r
}

scenario_record_and_playback() {
    start
    record_halted
    record_session
    xd_key ctrl+r
    sleep 0.5
    local script
    script=$(tr -d '\r' <ZAVOK.SCR 2>/dev/null)
    if [ "$script" = "$EXPECTED_SCRIPT" ]; then
        echo "ok: the recording holds exactly the session's clicks and keys"
    else
        fail "the recording holds exactly the session's clicks and keys; it holds:"
        printf '%s\n' "$script" | sed 's/^/    /'
    fi
    replayed_card_is_right
    xd_key ctrl+q
    xd_wait_exit 20
    [ "$XD_EXIT_STATUS" = 0 ] || fail "Ctrl+Q ends the first run (got $XD_EXIT_STATUS)"

    xd_start_program "$program" || exit 2
    wait_for_first_frame
    xd_key ctrl+p
    replayed_card_is_right
    xd_key ctrl+q
    xd_wait_exit 20
    [ "$XD_EXIT_STATUS" = 0 ] || fail "Ctrl+Q ends the second run (got $XD_EXIT_STATUS)"

    xd_start_program "$program" || exit 2
    wait_for_first_frame
    xd_key ctrl+o
    eventually "Ctrl+O plays the first click only: the card turns magenta" pixel_is -120 -140 $MAGENTA
    xd_key ctrl+o  # the key
    sleep 0.5
    xd_shot "$shot"
    pixel_is 0 0 $MAGENTA && echo "ok: the click after the key is not played yet" ||
        fail "the click after the key is not played yet"
    xd_key ctrl+o
    eventually "the next Ctrl+O plays that click: a heart" pixel_is 0 0 $BLACK
}

scenario_logging_and_quit() {
    start
    # The designer switches logging off at start-up, so Logging starts unchecked.
    local unchecked checked
    unchecked=$(run_menu_check_marks)
    xd_key ctrl+l
    sleep 0.3
    checked=$(run_menu_check_marks)
    if [ "$checked" -gt 10 ] && [ "$unchecked" -lt $((checked / 4)) ]; then
        echo "ok: Ctrl+L checks Logging ($unchecked -> $checked dark pixels in the check-mark column)"
    else
        fail "Ctrl+L checks Logging ($unchecked -> $checked dark pixels in the check-mark column)"
    fi
    xd_key ctrl+l
    sleep 0.3
    unchecked=$(run_menu_check_marks)
    [ "$unchecked" -lt $((checked / 4)) ] && echo "ok: a second Ctrl+L removes the check mark" ||
        fail "a second Ctrl+L removes the check mark ($unchecked dark pixels)"
    text_window_visible && fail "the text window stays hidden" || echo "ok: the text window stays hidden"
    xd_key ctrl+q
    xd_wait_exit 20
    [ "$XD_EXIT_STATUS" = 0 ] && echo "ok: Ctrl+Q ends the program with exit code 0" ||
        fail "Ctrl+Q ends the program with exit code 0 (got $XD_EXIT_STATUS)"
}

scenario_close_window() {
    start
    local caption_y=$(( (XD_CLIENT_TOP - XD_MENU_BAR_HEIGHT) / 2 ))
    xdotool mousemove --window "$XD_WINDOW" 300 "$caption_y" click 1
    sleep 0.5
    xd_running && echo "ok: a click on the caption away from its close box leaves Kartello running" ||
        fail "a click on the caption away from its close box leaves Kartello running"
    xd_click_close_box
    xd_wait_exit 20
    [ "$XD_EXIT_STATUS" = 0 ] && echo "ok: closing the window ends the program with exit code 0" ||
        fail "closing the window ends the program with exit code 0 (got $XD_EXIT_STATUS)"
}

scenario_menu_quit() {
    start
    xd_open_run_menu
    sleep 0.8
    xdotool key q  # the Quit item's mnemonic
    xd_wait_exit 20
    [ "$XD_EXIT_STATUS" = 0 ] && echo "ok: the Run menu's Quit ends the program with exit code 0" ||
        fail "the Run menu's Quit ends the program with exit code 0 (got $XD_EXIT_STATUS)"
}

# ---- Floods and a crash while recording ---------------------------------------------------

# Waits up to SECONDS for a command to succeed; a bound, not a pause.
wait_until() {
    local seconds=$1 _
    shift
    for _ in $(seq 1 $((seconds * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# An absence: the check holds on every one of several screenshots over about a second, taken
# once the input that could have changed it has been handled.
stays() {
    local description=$1 _
    shift
    for _ in 1 2 3 4 5; do
        xd_shot "$shot" && "$@" || { fail "$description"; return 1; }
        sleep 0.2
    done
    echo "ok: $description"
}

script_text() { tr -d '\r' 2>/dev/null <ZAVOK.SCR; }
mouse_lines() { script_text | grep -c '^ZAVOK_MOUSE(' ; }
key_lines() { script_text | grep -c '^ZAVOK_KBD(' ; }
at_least() { [ "$("$1")" -ge "$2" ]; }

# Sends the clicks of a file of world points ("x y" a line) in one stream, as fast as the X
# server takes them.
flood_clicks() {
    local args=() x y
    while read -r x y; do
        args+=(mousemove --window "$XD_WINDOW" $((XD_CLIENT_LEFT + XD_ORIGIN_X + x)) $((XD_CLIENT_TOP + XD_ORIGIN_Y - y)) click --delay 0 1)
    done <"$1"
    xdotool "${args[@]}"
}

as_mouse_lines() { awk '{ printf "ZAVOK_MOUSE(%d, %d);\n", $1, $2 }' "$1"; }

# Every line of the recording is whole and of its kind, and every line that is not a click or
# a key is a run of periodic events.
recording_is_well_formed() {
    local bad
    bad=$(script_text | grep -cvE '^ZAVOK_(MOUSE\(-?[0-9]+, -?[0-9]+\)|KBD\(-?[0-9]+\)|PERIODIC\([1-9][0-9]*\));$')
    [ "$bad" -eq 0 ] || { fail "$bad line(s) of the recording are not whole lines"; return 1; }
    # Text mode: every line ends in CR LF, the last one included.
    [ "$(tr -cd '\r' <ZAVOK.SCR | wc -c)" -eq "$(tr -cd '\n' <ZAVOK.SCR | wc -c)" ] &&
        [ "$(tail -c 2 ZAVOK.SCR | od -An -tx1 | tr -d ' ')" = 0d0a ] ||
        { fail "the recording's lines do not all end in CR LF"; return 1; }
}

# 149 hearts in a block on the card's left, a 150th at P, 850 clicks moving it that end at Q:
# 1,000 card clicks, each heart's preceded by a click on Add shape.
HEART_P="160 150" HEART_Q="160 30" HEART_R="160 -90"
flood_points() {
    local i
    for i in $(seq 0 148); do
        echo "$BUTTON_X $(button_y $ADD_SHAPE)"
        echo "$((-90 + i % 10 * 14)) $((-60 + i / 10 * 14))"
    done
    echo "$BUTTON_X $(button_y $ADD_SHAPE)"
    echo "$HEART_P"
    for i in $(seq 1 849); do echo "$((110 + i * 7 % 100)) $((-60 + i * 13 % 160))"; done
    echo "$HEART_Q"
}

scenario_flood_clicks() {
    start
    xd_key ctrl+r
    flood_points >"$work/points"
    local sent
    sent=$(wc -l <"$work/points")
    flood_clicks "$work/points"
    if wait_until 120 at_least mouse_lines "$sent"; then
        echo "ok: all $sent clicks are recorded"
    else
        fail "all $sent clicks are recorded (got $(mouse_lines))"
    fi
    if [ "$(script_text | grep '^ZAVOK_MOUSE(')" = "$(as_mouse_lines "$work/points")" ]; then
        echo "ok: the MOUSE lines are the clicks, in order, at their world points"
    else
        fail "the MOUSE lines are the clicks, in order, at their world points"
    fi
    recording_is_well_formed && echo "ok: every line is whole, the rest are runs of periodic events"
    eventually "the block of 149 hearts is on the card" \
        bash -c "for p in '-90 -60' '-34 8' '36 136' '-62 136' '36 -60'; do [ \"\$(. '$root/tools/xdrive.sh'; xd_pixel '$shot' \$p)\" = $BLACK ] || exit 1; done"
    eventually "the 150th heart was moved from P" pixel_is $HEART_P $YELLOW
    eventually "to Q, the last click" pixel_is $HEART_Q $BLACK
    # A 151st heart is refused: only if all 150 before it were added.
    press $ADD_SHAPE
    click $HEART_R
    wait_until 20 at_least mouse_lines $((sent + 2)) || fail "the click for a 151st heart is recorded"
    stays "the card holds 150 objects: a 151st is refused" pixel_is $HEART_R $YELLOW
    xd_key ctrl+r
    xd_key ctrl+q
    xd_wait_exit 20
    [ "$XD_EXIT_STATUS" = 0 ] || fail "Ctrl+Q ends the program after the flood (got $XD_EXIT_STATUS)"
}

scenario_flood_keys() {
    start
    xd_key ctrl+r
    local letters=abcdefghijklmnopqrstuvwxyz0123456789 keys=() codes=() i c
    for i in $(seq 0 999); do
        c=${letters:$((i * 7 % 36)):1}
        keys+=("$c")
        codes+=("ZAVOK_KBD($(printf '%d' "'$c"));")
    done
    xdotool key --delay 0 "${keys[@]}"
    if wait_until 60 at_least key_lines 1000; then
        echo "ok: all 1000 keys are recorded"
    else
        fail "all 1000 keys are recorded (got $(key_lines))"
    fi
    if [ "$(script_text | grep '^ZAVOK_KBD(')" = "$(printf '%s\n' "${codes[@]}")" ]; then
        echo "ok: the KBD lines are the keys, in order"
    else
        fail "the KBD lines are the keys, in order"
    fi
    recording_is_well_formed && echo "ok: every line is whole, the rest are runs of periodic events"
    click 50 60
    eventually "the program still takes clicks: a heart" pixel_is 50 60 $BLACK
    xd_key ctrl+r
    xd_key ctrl+q
    xd_wait_exit 20
    [ "$XD_EXIT_STATUS" = 0 ] || fail "Ctrl+Q ends the program after the keys (got $XD_EXIT_STATUS)"
}

scenario_crash() {
    start
    xd_key ctrl+r
    local i
    for i in $(seq 1 2000); do echo "$((-130 + i * 7 % 340)) $((-140 + i * 11 % 330))"; done >"$work/points"
    flood_clicks "$work/points" &
    local sender=$!
    wait_until 60 at_least mouse_lines 200 || fail "the recording grows while the clicks come"
    local before
    before=$(script_text)
    kill -KILL "$XD_PID"
    wait "$sender" 2>/dev/null
    xd_wait_exit 20
    local recorded
    recorded=$(mouse_lines)
    echo "killed with $(printf '%s\n' "$before" | grep -c '^ZAVOK_MOUSE(') MOUSE lines seen, $recorded in the file after the kill"
    case "$(script_text)" in
        "$before"*) echo "ok: every line written before the kill is still in the file" ;;
        *) fail "every line written before the kill is still in the file" ;;
    esac
    recording_is_well_formed && echo "ok: every line is whole"
    if [ "$(script_text | grep '^ZAVOK_MOUSE(')" = "$(as_mouse_lines "$work/points" | head -n "$recorded")" ]; then
        echo "ok: the recorded clicks are the first $recorded sent, in order"
    else
        fail "the recorded clicks are the first $recorded sent, in order"
    fi
    [ "$recorded" -lt 2000 ] && echo "ok: the kill came in the middle of the recording" ||
        echo "note: every click was recorded before the kill took effect"
}

# ---- Quitting while a long script plays, and two programs recording in one folder ----------

# A script that plays for minutes: a click on Background color (the card turns magenta as soon
# as playback runs), then 200,000 keys or one run of 100,000 periodic events.
long_script() {
    echo "ZAVOK_MOUSE($BUTTON_X, $(button_y $BACKGROUND));" >ZAVOK.SCR
    if [ "$1" = keys ]; then yes 'ZAVOK_KBD(97);' | head -n 200000; else echo 'ZAVOK_PERIODIC(100000);'; fi >>ZAVOK.SCR
}

# Plays a long script of KIND (keys or ticks), recording too if a third argument is given, and
# asks to quit with ctrl+q or the close box: the program must end, with exit code 0.
quit_while_playing() {
    local kind=$1 quit=$2 description="$2 while $1 play${3:+ and are recorded}" started
    long_script "$kind"
    xd_start_program "$program" || exit 2
    wait_for_first_frame
    xd_key ctrl+p
    [ $# -lt 3 ] || xd_key ctrl+r
    eventually "$description: playback runs" pixel_is 0 0 $MAGENTA
    started=$EPOCHREALTIME
    if [ "$quit" = close_box ]; then xd_click_close_box; else xd_key "$quit"; fi
    xd_wait_exit 20
    [ "$XD_EXIT_STATUS" = 0 ] || { fail "$description ends the program with exit code 0 (got $XD_EXIT_STATUS)"; return 1; }
    echo "ok: $description ends the program with exit code 0 ($(awk "BEGIN { printf \"%.1f\", $EPOCHREALTIME - $started }") s)"
}

# Two programs in turn each (a program left running would stand in the next one's way).
scenario_quit_while_playing() {
    [ -n "${DISPLAY:-}" ] || xd_start_display || exit 2
    quit_while_playing keys ctrl+q && quit_while_playing ticks close_box
}

scenario_quit_while_playing_and_recording() {
    [ -n "${DISPLAY:-}" ] || xd_start_display || exit 2
    quit_while_playing ticks ctrl+q recording && quit_while_playing keys close_box recording
}

repeat() { local _; for _ in $(seq "$2"); do printf '%s\n' "$1"; done; }

# Both programs' windows open at the top left of the screen, the second one over the first.
# Wine's X windows do not follow a window dragged in its virtual desktop, so the windows are
# reached by screen points of their captions.
caption_row() { echo $(( (XD_CLIENT_TOP - XD_MENU_BAR_HEIGHT) / 2 )); }
FIRST_CAPTION_X=150 SECOND_CAPTION_X=800  # the first one, once on top again, covers up to 600

# Drags the window on top by its caption 400 pixels to the right.
drag_aside() {
    xdotool mousemove 300 "$(caption_row)" mousedown 1 sleep 0.3 mousemove_relative --sync 200 0 sleep 0.3 \
        mousemove_relative --sync 200 0 sleep 0.3 mouseup 1
    sleep 0.5
}

# Drives the program of PID and WINDOW from now on, given the keyboard by a click on its
# caption at CAPTION_X.
use_program() {
    XD_PID=$1 XD_WINDOW=$2
    xdotool mousemove "$3" "$(caption_row)" click 1
    sleep 0.5
}

type_keys() { xd_key $(repeat "$1" "$2"); sleep 0.5; }

# Two designers recording in one folder, their keys interleaved: the first one's recording
# holds the file, so all its keys are in it, each line whole, and the second one reports each
# of its keys as not written.
scenario_two_recordings() {
    start
    local first=("$XD_PID" "$XD_WINDOW")
    record_halted
    type_keys a 12
    xd_start_program "$program" || exit 2
    wait_for_first_frame
    local second=("$XD_PID" "$XD_WINDOW")
    record_halted
    type_keys b 8
    drag_aside
    use_program "${first[@]}" $FIRST_CAPTION_X
    type_keys c 12
    use_program "${second[@]}" $SECOND_CAPTION_X
    type_keys d 6

    local expected
    expected=$(repeat 'ZAVOK_KBD(97);' 12; repeat 'ZAVOK_KBD(99);' 12)
    recording_is_well_formed && echo "ok: every line of the file is whole"
    [ "$(script_text)" = "$expected" ] && echo "ok: the file holds the first program's 24 keys, in order, and nothing else" ||
        fail "the file holds the first program's 24 keys, in order, and nothing else; it holds $(script_text | sort | uniq -c)"
    use_program "${first[@]}" $FIRST_CAPTION_X
    xd_key ctrl+q
    xd_wait_exit 20
    [ "$XD_EXIT_STATUS" = 0 ] || fail "Ctrl+Q ends the first program (got $XD_EXIT_STATUS)"
    [ "$(script_text)" = "$expected" ] && echo "ok: its recording is whole once it has ended" ||
        fail "its recording is whole once it has ended"

    XD_PID=${second[0]} XD_WINDOW=${second[1]}
    local text
    text=$(wine "$(dirname "$program")/zavok_text.exe" --show 2>/dev/null | tr -d '\r')
    [ "$text" = "$(repeat 'Cannot open script file ZAVOK.SCR for writing' 14)" ] &&
        echo "ok: the second program reports each of its 14 keys as not written" ||
        fail "the second program reports each of its 14 keys as not written; its text window shows: $text"
}

case "$scenario" in
    start | buttons_and_hearts | greetings_and_moving | record_and_playback | logging_and_quit | close_window | menu_quit | \
        flood_clicks | flood_keys | crash | quit_while_playing | \
        quit_while_playing_and_recording | two_recordings)
        "scenario_$scenario" ;;
    *) echo "unknown scenario: $scenario"; exit 2 ;;
esac
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
