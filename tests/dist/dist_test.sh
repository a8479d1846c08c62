#!/usr/bin/env bash
# The two downloads as people get them: each zip unpacked into an empty folder outside the build
# tree and used from there. The Wine environment and the display come from the caller.
#   dist_test.sh kartello Kartello-VERSION-win64.zip
#       the files are there; kartello.exe needs no DLL but Windows' own and shows its card
#   dist_test.sh sdk ZAVOK-SDK-VERSION-win64.zip
#       the files are there; the starter project built with its README's commands (CMake, a
#       C-only project found through CMAKE_PREFIX_PATH), the examples and the starter built with
#       the SDK README's commands (CMake; the C compiler and pkg-config) need no DLL but
#       Windows' own and draw, each replayed through a click; the HTML pages show in Chromium
#       every picture and their text (sdk_pages_test.py)
# OBJDUMP names the cross objdump.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
scenario=$1
zip=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/zavok-dist.XXXXXX")
trap 'rm -rf "$work"' EXIT

failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
check() {
    local description=$1
    shift
    if "$@"; then echo "ok: $description"; else fail "$description"; return 1; fi
}

# Unpacks the zip into an empty folder; it must hold one folder named as the zip.
unpack() {
    mkdir "$work/unpacked"
    unzip -q "$zip" -d "$work/unpacked" || { echo "cannot unpack $zip"; exit 2; }
    folder=$work/unpacked/$(basename "$zip" .zip)
    local top
    top=$(ls -A "$work/unpacked")
    [ "$top" = "$(basename "$folder")" ] || { echo "the zip holds '$top', not one folder $(basename "$folder")"; exit 2; }
}

has_files() {
    local file missing=0
    for file in "$@"; do
        [ -s "$folder/$file" ] || { echo "    missing: $file"; missing=1; }
    done
    return $missing
}

# The DLLs a program imports, apart from those every Windows has.
foreign_dlls() {
    "$OBJDUMP" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | grep -viE '^(kernel32|user32|gdi32|msvcrt)\.dll$'
}
self_contained() {
    local program foreign status=0
    for program in "$@"; do
        [ -f "$program" ] || { echo "    no $program"; status=1; continue; }
        foreign=$(foreign_dlls "$program")
        [ -z "$foreign" ] || { echo "    $program imports: $foreign"; status=1; }
    done
    return $status
}

# The commands of the first sh block after the line starting with HEADING in a README (CR LF or
# LF line ends) but for its wine line: the test starts the program itself, through a replay.
readme_commands() {
    tr -d '\r' <"$1" | awk -v heading="$2" 'index($0, heading) == 1 { found = 1; next }
        found && /^```sh$/ { inside = 1; next }
        inside && /^```$/ { exit }
        inside && !/^wine / { print }'
}

# Runs those commands in FOLDER as a person types them, stopping at the first that fails.
runs_commands() {
    local folder=$1 readme=$2 heading=$3 commands
    commands=$(readme_commands "$readme" "$heading")
    [ -n "$commands" ] || { echo "    no commands under '$heading' in $readme"; return 1; }
    (cd "$folder" && bash -e -c "$commands") >"$work/commands.log" 2>&1 || { sed 's/^/    /' "$work/commands.log"; return 1; }
}

# Replays one click at (0, 0) through PROGRAM, keeping the frame after it as $work/NAME/0001.png,
# which must show each colour R,G,B at its world point X Y.
draws() {
    local program=$1 name=$2 actual
    shift 2
    printf 'ZAVOK_MOUSE(0, 0);\n' >"$work/click.scr"
    "$root/tools/zavok-replay" "$program" "$work/click.scr" "$work/$name" --final-only >"$work/replay.log" 2>&1 ||
        { sed 's/^/    /' "$work/replay.log"; return 1; }
    while [ $# -ge 3 ]; do
        actual=$(. "$root/tools/xdrive.sh" && xd_pixel "$work/$name/0001.png" "$1" "$2")
        [ "$actual" = "$3" ] || { echo "    ($1, $2) is $actual, not $3"; return 1; }
        shift 3
    done
}

# The starter's scene (sky, sun, grass) with the red dot of the click, as draws takes it.
STARTER_SCENE=(0 0 255,0,0 200 160 204,153,51 0 -150 0,102,51)
draws_as_starter() {
    draws "$1" other-starter "${STARTER_SCENE[@]}" && cmp -s "$work/other-starter/0001.png" "$work/starter/0001.png"
}

# The starter's commands in the SDK's README, and in the project's after making and unpacking
# the zip, are those of its own README.
starter_commands_alike() {
    local commands
    commands=$(readme_commands "$1/template/README.md" "## On Linux")
    [ "$(readme_commands "$1/README.md" "## A first program")" = "$commands" ] &&
        [ "$(readme_commands "$root/README.md" "## Writing your first program" | tail -n +3)" = "$commands" ]
}

pages_show() { (cd "$work" && /usr/bin/python3 "$root/tests/dist/sdk_pages_test.py" "$1" "$root/docs"); }

scenario_kartello() {
    unpack
    check "the zip holds kartello.exe, README.txt, LICENSE.txt and THIRD-PARTY-NOTICES.txt" \
        has_files kartello.exe README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt
    check "kartello.exe needs no DLL beside it" self_contained "$folder/kartello.exe"
    check "kartello.exe from the unpacked folder shows its card" \
        "$root/tests/e2e/kartello_e2e.py" "$folder/kartello.exe" start
}

scenario_sdk() {
    unpack
    local sdk=$folder program name pages=()
    check "the zip holds the header, the library, the CMake and pkg-config files, the starter and the examples" \
        has_files include/zavok.h lib/libzavok.a lib/cmake/zavok/zavokConfig.cmake \
        lib/cmake/zavok/zavokConfigVersion.cmake lib/cmake/zavok/zavokTargets.cmake \
        lib/pkgconfig/zavok.pc template/main.c template/CMakeLists.txt template/README.md \
        examples/CMakeLists.txt examples/click_dots.c cmake/mingw-w64-x86_64.cmake README.md LICENSE.txt

    program=$work/unpacked/my-program/build/my_program.exe
    if check "the starter, copied beside the SDK, builds with its README's commands" \
        runs_commands "$sdk" "$sdk/template/README.md" "## On Linux"; then
        check "and needs no DLL beside it" self_contained "$program"
        check "and draws its scene and a dot where it is clicked" draws "$program" starter "${STARTER_SCENE[@]}"
    fi
    check "the SDK's README and the project's give the starter's commands alike" starter_commands_alike "$sdk"

    if check "the examples build with the SDK README's commands, as a C-only CMake project" \
        runs_commands "$sdk" "$sdk/README.md" "## The examples"; then
        check "and need no DLL beside them" self_contained "$sdk"/examples/build/*.exe
        check "click_dots draws a dot where it is clicked" draws "$sdk/examples/build/click_dots.exe" click_dots \
            0 0 255,0,0 0 20 255,255,255
    fi

    program=$sdk/my_program.exe
    if check "the starter builds with the SDK README's compiler command and pkg-config" \
        runs_commands "$sdk" "$sdk/README.md" "## Without CMake"; then
        check "and needs no DLL beside it" self_contained "$program"
        check "and draws as the CMake build does, pixel for pixel" draws_as_starter "$program"
    fi

    for name in reference examples; do
        [ -f "$root/docs/$name.md" ] && pages+=("docs/$name.html")
    done
    if [ ${#pages[@]} -gt 0 ]; then
        check "the SDK holds the reference and the gallery as pages: ${pages[*]}" has_files "${pages[@]}"
        check "in Chromium, the pages show every picture and their text, and their links lead somewhere" \
            pages_show "$sdk/docs"
    fi
}

case "$scenario" in
    kartello) scenario_kartello ;;
    sdk) scenario_sdk ;;
    *) echo "unknown scenario: $scenario"; exit 2 ;;
esac
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
