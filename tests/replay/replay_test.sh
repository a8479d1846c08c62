#!/usr/bin/env bash
# Tests of tools/zavok-replay, the deterministic replay of event scripts.
#   replay_test.sh count                    how scripts are counted (no Wine needed)
#   replay_test.sh determinism KARTELLO.exe same time, same frames; another time, other hearts
#   replay_test.sh NAME KARTELLO.exe        a golden case of cases.sh against golden/NAME/
#   replay_test.sh still CLICK_DOTS.exe     a program that draws nothing after some events
# Runs in the current folder, which keeps the frames of a failed run for review.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
replay=$root/tools/zavok-replay
. "$here/cases.sh"

test_name=${1:-}
program=${2:-}
failures=0

fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# ---- Counting events as the package's reader reads them ------------------------------------
counts_as() {
    local expected=$1 description=$2 actual
    actual=$("$replay" --count "$PWD/script.scr" 2>&1)
    if [ "$actual" = "$expected" ]; then pass "$description"; else fail "$description: counted $actual, not $expected"; fi
}

test_count() {
    printf 'ZAVOK_MOUSE(1, 2);\nZAVOK_KBD(97);\nZAVOK_PERIODIC(3);\n' > script.scr
    counts_as 5 "a click, a key and a run of three periodic events"
    printf 'ZAVOK_MOUSE(1, 2);\r\n\r\n\nZAVOK_KBD(97);\r\n' > script.scr
    counts_as 2 "CR LF line ends and empty lines"
    printf 'ZAVOK_PERIODIC(0);\nZAVOK_PERIODIC(-4);\nabcdefK 65\n' > script.scr
    counts_as 6 "a run of 0 counts as one, the count takes digits only, index 6 alone tells the kind"
    printf 'ZAVOK_PERIODIC(99999999999);\n' > script.scr
    counts_as 2147483647 "a run beyond 32 bits is the largest 32-bit count"
    printf 'ZAVOK_MOUSE(1, 2);\n      \nZAVOK_MOUSE(3, 4);\n' > script.scr
    counts_as 1 "a line of spaces ends the playback"
    printf 'ZAVOK_MOUSE(1, 2);\nZAVOK\nZAVOK_MOUSE(3, 4);\n' > script.scr
    counts_as 1 "a line too short to have a kind ends the playback"
    printf 'ZAVOK_MOUSE(1, 2);\n\r\r\nZAVOK_MOUSE(3, 4);\n' > script.scr
    counts_as 1 "a carriage return without its line feed stays in the line"
    printf 'ZAVOK_MOUSE(1, 2);\nZAVOK_MOUSE(3, 4);' > script.scr
    counts_as 1 "a last line without its newline is not played"
    printf 'ZAVOK_MOUSE(1, 2);\n\032ZAVOK_MOUSE(3, 4);\n' > script.scr
    counts_as 1 "a Ctrl-Z byte ends the file"
    printf 'ZAVOK_M\000\nZAVOK\000MOUSE(3, 4);\nZAVOK_KBD(1);\n' > script.scr
    counts_as 1 "a line ends at a NUL byte"
    local line='ZAVOK_MOUSE(1, 2);'
    { printf '%s%*s' "$line" $((600 - ${#line})) ''; printf '\nZAVOK_KBD(1);\n'; } > script.scr
    counts_as 1 "a long line is read in parts, and a part of spaces ends the playback"
    { printf '%s%*s' "$line" $((511 - ${#line})) ''; printf 'ZAVOK_KBD(1);\nZAVOK_KBD(2);\n'; } > script.scr
    counts_as 3 "the second part of a long line is a line of its own"
    { printf '%s%*s\n' "$line" $((511 - ${#line})) ''; printf 'ZAVOK_KBD(1);\n'; } > script.scr
    counts_as 2 "the newline after 511 characters reads as an empty line"
    { printf '%s%*s\n' "$line" $((510 - ${#line})) ''; printf 'ZAVOK_KBD(1);\n'; } > script.scr
    counts_as 2 "510 characters and the newline fit one read"
    { printf '%s%*s' "$line" $((511 - ${#line})) ''; } > script.scr
    counts_as 1 "a last line of exactly 511 characters is read before the end of the file is seen"
    : > script.scr
    counts_as 0 "an empty file"

    local message status
    message=$("$replay" --count "$PWD/missing.scr" 2>&1); status=$?
    if [ "$status" = 2 ] && [ "$(printf '%s\n' "$message" | wc -l)" = 1 ]; then pass "a missing script is an error of one line"
    else fail "a missing script: status $status, message: $message"; fi
}

# ---- Errors are one line and status 2 ------------------------------------------------------
errors_as() {
    local description=$1 message status
    shift
    message=$("$replay" "$@" 2>&1); status=$?
    if [ "$status" = 2 ] && [ "$(printf '%s\n' "$message" | wc -l)" = 1 ]; then pass "$description: $message"
    else fail "$description: status $status, message: $message"; fi
}

test_errors() {
    printf 'ZAVOK_MOUSE(1, 2);\n' > script.scr
    errors_as "a missing program" "$PWD/missing.exe" script.scr out
    errors_as "a missing script" "$program" "$PWD/missing.scr" out
    errors_as "a bad time" "$program" script.scr out --time "the day after tomorrow"
    errors_as "a missing argument" "$program" script.scr
    errors_as "an unknown option" "$program" script.scr out --fast
    errors_as "a reference folder without pictures" "$program" script.scr out --expect "$PWD"
    errors_as "a program that opens no window" "$PWD/script.scr" script.scr out
}

# ---- Determinism and the fixed calendar time -----------------------------------------------
# The heart's radius R follows from the generator's first number after seeding with the time:
# the generator as the card designer defines it, computed here independently.
heart_radius() {
    local seconds state
    seconds=$(date -u -d "$1" +%s)
    state=$(( (seconds * 214013 + 2531011) & 0xFFFFFFFF ))
    echo $((17 + ((state >> 16) & 0x7FFF) % 4))
}

# Black pixels across the heart's anchor row at (0, 20): its two lobes, 4R - 10 wide or so.
heart_width() {
    (. "$root/tools/xdrive.sh" && xd_count_colour "$1" 0,0,0 -100 20 100 20)
}

test_determinism() {
    local first="2026-01-01 12:00:03" second="2026-01-01 12:00:04" r1 r2 message status w1 w2
    r1=$(heart_radius "$first")
    r2=$(heart_radius "$second")
    [ "$r1" != "$r2" ] || { fail "the two times give hearts of one size"; return; }
    # A heart drawn on every frame after the first, periodic and key events that redraw it,
    # a greeting that takes a number of its own on each pass.
    printf '%s\n' 'ZAVOK_MOUSE(0, 20);' 'ZAVOK_PERIODIC(2);' 'ZAVOK_MOUSE(-250, 93);' \
        'ZAVOK_MOUSE(-100, -100);' 'ZAVOK_KBD(97);' > script.scr
    rm -rf first again second

    "$replay" "$program" script.scr first --time "$first" || { fail "the first replay failed"; return; }
    [ "$(ls first | wc -l)" = 7 ] && pass "seven frames for six events" || fail "frames: $(ls first | tr '\n' ' ')"

    message=$("$replay" "$program" script.scr again --time "$first" --expect first 2>&1); status=$?
    if [ "$status" = 0 ] && diff -r first again >/dev/null; then pass "the same time again gives the same frames, byte for byte"
    else fail "the same time again: status $status, $(printf '%s' "$message" | tail -n 1)"; fi

    message=$("$replay" "$program" script.scr second --time "$second" --expect first 2>&1); status=$?
    if [ "$status" = 1 ] && printf '%s' "$message" | grep -q 'frame 0001 differs first' && [ -f second/0001-diff.png ]; then
        pass "another time: $(printf '%s' "$message" | tail -n 1)"
    else
        fail "another time should differ first at frame 0001: status $status, $message"
    fi
    cmp -s first/0000.png second/0000.png && pass "the empty card does not depend on the time" ||
        fail "the first frames differ with the time"

    # References that end before the replay does, or after it.
    rm -rf shorter longer ahead
    mkdir shorter ahead
    cp first/000[0-4].png shorter/
    message=$("$replay" "$program" script.scr longer --time "$first" --expect shorter 2>&1); status=$?
    if [ "$status" = 1 ] && printf '%s' "$message" | grep -q 'frame 0005 differs first'; then pass "a replay longer than its references differs"
    else fail "a replay longer than its references: status $status, $message"; fi
    cp first/0006.png ahead/0007.png
    message=$("$replay" "$program" script.scr longer --final-only --expect ahead 2>&1); status=$?
    if [ "$status" = 1 ] && printf '%s' "$message" | grep -q 'frame 0007 differs first'; then pass "a replay shorter than its references differs"
    else fail "a replay shorter than its references: status $status, $message"; fi

    w1=$(heart_width first/0001.png)
    w2=$(heart_width second/0001.png)
    if [ $((w2 - w1)) = $((4 * (r2 - r1))) ]; then pass "the hearts follow the fixed time: R $r1 and $r2, $w1 and $w2 pixels wide"
    else fail "hearts of R $r1 and $r2 should differ by $((4 * (r2 - r1))) pixels in width, not $w1 and $w2"; fi
}

# ---- A program that draws nothing after some events ---------------------------------------
# click_dots draws a dot per click and nothing for a key other than c, which clears. A frame is
# taken when the program is back in its wait, whether it drew or not, so the replay neither
# stalls nor errs on the keys, and each key's frame is its click's frame, pixel for pixel.
same_pixels() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }

test_still() {
    local dot background
    printf '%s\n' 'ZAVOK_MOUSE(0, 0);' 'ZAVOK_KBD(120);' 'ZAVOK_KBD(121);' 'ZAVOK_MOUSE(40, 0);' 'ZAVOK_KBD(99);' > script.scr
    rm -rf still
    "$replay" "$program" script.scr still || { fail "the replay of click_dots failed"; return; }
    [ "$(ls still | wc -l)" = 6 ] && pass "six frames for five events" || fail "frames: $(ls still | tr '\n' ' ')"
    dot=$(cd still && . "$root/tools/xdrive.sh" && xd_pixel 0001.png 0 0)
    background=$(cd still && . "$root/tools/xdrive.sh" && xd_pixel 0000.png 0 0)
    [ "$dot" != "$background" ] && pass "the click draws a dot ($dot on $background)" || fail "the click drew no dot"
    same_pixels still/0001.png still/0002.png && same_pixels still/0002.png still/0003.png &&
        pass "the keys that draw nothing leave the frame as it was" || fail "a key that draws nothing changed the frame"
    ! same_pixels still/0003.png still/0004.png && [ "$(cd still && . "$root/tools/xdrive.sh" && xd_pixel 0004.png 0 0)" = "$dot" ] &&
        pass "the second click adds a dot and keeps the first" || fail "the second click's frame"
    same_pixels still/0000.png still/0005.png && pass "c clears the surface back to the first frame" ||
        fail "the frame after c is not the cleared surface"
}

# ---- Golden frames -------------------------------------------------------------------------
test_golden() {
    local name=$1 frames options=()
    frames=$(golden_frames "$name") || { fail "no golden case $name"; return; }
    [ "$frames" = final ] && options+=(--final-only)
    rm -rf frames
    if "$replay" "$program" "$here/scripts/$name.scr" frames --time "$GOLDEN_TIME" --expect "$here/golden/$name" \
        "${options[@]}"; then
        pass "$name matches its golden frames"
    else
        fail "$name: see $PWD/frames (regenerate with tests/replay/regenerate only after looking at them)"
    fi
}

case "$test_name" in
    count) test_count ;;
    determinism) test_errors; test_determinism ;;
    still) test_still ;;
    '') echo "usage: $0 count | determinism PROGRAM.exe | still CLICK_DOTS.exe | NAME PROGRAM.exe"; exit 2 ;;
    *) test_golden "$test_name" ;;
esac

[ "$failures" = 0 ] || { echo "$failures failed"; exit 1; }
echo "all passed"
