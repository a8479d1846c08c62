#!/usr/bin/env bash
# The two downloads as people get them: each zip unpacked into an empty folder outside the build
# tree and used from there. The Wine environment and the display come from the caller.
#   dist_test.sh kartello Kartello-VERSION-win64.zip
#       the files are there; kartello.exe needs no DLL but Windows' own and shows its card
#   dist_test.sh sdk ZAVOK-SDK-VERSION-win64.zip EXAMPLE_DRIVER.exe
#       the files are there; an example built against the unpacked SDK with CMake (a C-only
#       project, found through CMAKE_PREFIX_PATH) and one built with the C compiler and
#       pkg-config need no DLL but Windows' own, and draw
# CC names the C compiler (CC_FLAGS what it needs besides, such as clang's target), OBJDUMP the
# cross objdump.
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
    if "$@"; then echo "ok: $description"; else fail "$description"; fi
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
    local foreign
    foreign=$(foreign_dlls "$1")
    [ -z "$foreign" ] || { echo "    $1 imports: $foreign"; return 1; }
}

drives_and_draws() { wine "$driver" "$1" click_dots; }

scenario_kartello() {
    unpack
    check "the zip holds kartello.exe, README.txt, LICENSE.txt and THIRD-PARTY-NOTICES.txt" \
        has_files kartello.exe README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt
    check "kartello.exe needs no DLL beside it" self_contained "$folder/kartello.exe"
    check "kartello.exe from the unpacked folder shows its card" \
        bash "$root/tests/e2e/kartello_e2e.sh" "$folder/kartello.exe" start
}

scenario_sdk() {
    unpack
    local sdk=$folder
    check "the zip holds the header, the library, the CMake and pkg-config files and the examples" \
        has_files include/zavok.h lib/libzavok.a lib/cmake/zavok/zavokConfig.cmake \
        lib/cmake/zavok/zavokConfigVersion.cmake lib/cmake/zavok/zavokTargets.cmake \
        lib/pkgconfig/zavok.pc examples/CMakeLists.txt examples/click_dots.c \
        cmake/mingw-w64-x86_64.cmake README.md LICENSE.txt
    check "its README holds the section on writing programs" \
        grep -q '^## Writing your own program on ZAVOK' "$sdk/README.md"

    local build=$work/examples-build
    if cmake -S "$sdk/examples" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$sdk/cmake/mingw-w64-x86_64.cmake" \
            -DCMAKE_PREFIX_PATH="$sdk" -DCMAKE_BUILD_TYPE=Release >"$work/cmake.log" 2>&1 &&
        cmake --build "$build" >>"$work/cmake.log" 2>&1; then
        echo "ok: the examples build against the SDK as a C-only CMake project"
        check "and need no DLL beside them" self_contained "$build/click_dots.exe"
        check "and click_dots draws its dots" drives_and_draws "$build/click_dots.exe"
    else
        fail "the examples build against the SDK as a C-only CMake project:"
        sed 's/^/    /' "$work/cmake.log"
    fi

    local flags program=$work/click_dots-pkg-config.exe
    if flags=$(PKG_CONFIG_PATH="$sdk/lib/pkgconfig" pkg-config --cflags --libs zavok) &&
        "$CC" ${CC_FLAGS:-} "$sdk/examples/click_dots.c" $flags -mwindows -o "$program"; then
        echo "ok: click_dots builds with $(basename "$CC") and pkg-config: $flags"
        check "and needs no DLL beside it" self_contained "$program"
        check "and draws its dots" drives_and_draws "$program"
    else
        fail "click_dots builds with $(basename "$CC") and pkg-config"
    fi
}

case "$scenario" in
    kartello) scenario_kartello ;;
    sdk) driver=$3; scenario_sdk ;;
    *) echo "unknown scenario: $scenario"; exit 2 ;;
esac
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
