# Shared by the project's commands: installs what is missing, builds, and sets up Wine.
# Source it; it defines ROOT, BUILD and the functions below.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${ZAVOK_BUILD_DIR:-$ROOT/build}
# The compiler of BUILD, cmake/TOOLCHAIN.cmake: MinGW-w64 GCC, or clang-mingw-w64-x86_64 for
# Debian's clang. The test command also builds everything with clang in CLANG_BUILD.
TOOLCHAIN=${ZAVOK_TOOLCHAIN:-mingw-w64-x86_64}
CLANG_TOOLCHAIN=clang-mingw-w64-x86_64
CLANG_BUILD=${ZAVOK_CLANG_BUILD_DIR:-$BUILD-clang}
[ "$TOOLCHAIN" = "$CLANG_TOOLCHAIN" ] && CLANG_BUILD=$BUILD

# Debian packages the build, the program and the tests need.
PACKAGES=(cmake make g++-mingw-w64-x86-64-posix googletest wine wine64 xvfb xauth libxtst6
          imagemagick faketime clang libclang-rt-14-dev fonts-wine fonts-liberation
          unzip pkgconf python3 python3-markdown libx11-6 libxdamage1 chromium lld llvm clang-tidy cppcheck
          libwine-dev)

# The faces the program's look relies on, each from a named package: Wine's own faces
# (fonts-wine: Tahoma for captions, menus and dialogs, Marlett for the caption buttons, the
# bitmap System and Courier faces) and Liberation Sans (fonts-liberation, Arial's metrics),
# which the drawing face "ZAVOK-font" is pinned to in tools/fonts.reg.
# Patterns, expanded only when the prefix is pinned: the packages may be installed after this
# file is read.
FONT_FILE_PATTERNS='/usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon
                    /usr/share/fonts/truetype/liberation/LiberationSans-*.ttf'
# What each pinned name must give in a prefix: name, family, and the file it is loaded from.
FONT_PINS="ZAVOK-font	Liberation Sans	/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf
ANSI_FIXED_FONT	Courier	/usr/share/wine/fonts/coure.fon
SYSTEM_FONT	System	/usr/share/wine/fonts/vgasys.fon
DEFAULT_GUI_FONT	Tahoma	/usr/share/wine/fonts/tahoma.ttf
caption	Tahoma	/usr/share/wine/fonts/tahomabd.ttf
menu	Tahoma	/usr/share/wine/fonts/tahoma.ttf
message	Tahoma	/usr/share/wine/fonts/tahoma.ttf
Marlett	Marlett	/usr/share/wine/fonts/marlett.ttf"

say() { printf '%s\n' "$*" >&2; }

ensure_packages() {
    # One query for all of them: every command and every test world starts here.
    local missing
    mapfile -t missing < <(printf '%s\n' "${PACKAGES[@]}" | sort -u |
        comm -23 - <(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' "${PACKAGES[@]}" 2>/dev/null |
                     awk '$1 == "ii" { print $2 }' | sort -u))
    [ ${#missing[@]} -eq 0 ] && return 0
    say "Installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { say "Need root or sudo to install: ${missing[*]}"; return 1; }
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update -qq || return 1
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || return 1
}

# Configures the build folder and builds the given targets (all when none are given).
build_project() {
    build_in "$BUILD" "$TOOLCHAIN" "$([ "${CI:-}" = true ] && echo ON || echo OFF)" "$@"
}

# Builds everything with clang in CLANG_BUILD, every warning an error.
build_with_clang() { build_in "$CLANG_BUILD" "$CLANG_TOOLCHAIN" ON; }

# build_in FOLDER TOOLCHAIN WERROR [TARGET...]; the compile commands are kept for clang-tidy.
build_in() {
    local folder=$1 toolchain=$2 werror=$3
    shift 3
    cmake -S "$ROOT" -B "$folder" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$toolchain.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DZAVOK_WERROR="$werror" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
        >/dev/null || return 1
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    cmake --build "$folder" -j "$(nproc)" "${targets[@]}" || return 1
}

# A private Wine prefix inside the build folder, quiet, never asking for Mono or Gecko, with
# its fonts pinned.
setup_wine() {
    export WINEPREFIX="$BUILD/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # Wine takes every face it has from the prefix's Fonts folder: fontconfig is given no font
    # folder at all, so no other font on the machine can stand in for a pinned one.
    export FONTCONFIG_FILE="$WINEPREFIX/fontconfig/fonts.conf"
    if [ ! -f "$FONTCONFIG_FILE" ]; then
        mkdir -p "$WINEPREFIX/fontconfig/cache" || return 1
        printf '<?xml version="1.0"?>\n<!DOCTYPE fontconfig SYSTEM "fonts.dtd">\n<fontconfig>\n  <cachedir>%s</cachedir>\n</fontconfig>\n' \
            "$WINEPREFIX/fontconfig/cache" > "$FONTCONFIG_FILE.new" && mv "$FONTCONFIG_FILE.new" "$FONTCONFIG_FILE" || return 1
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        say "Creating the Wine prefix in $WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
    pin_fonts
}

# Links the pinned font files into the prefix and writes the registry's font substitutes;
# done again whenever the set changes.
pin_fonts() {
    local fonts="$WINEPREFIX/drive_c/windows/Fonts" stamp="$WINEPREFIX/fonts-pinned" wanted files
    files=($FONT_FILE_PATTERNS)
    ls "${files[@]}" >/dev/null 2>&1 || { say "The pinned font files are missing: $FONT_FILE_PATTERNS"; return 1; }
    wanted=$(printf '%s\n' "${files[@]}"; cat "$ROOT/tools/fonts.reg")
    [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ] && return 0
    mkdir -p "$fonts" || return 1
    find "$fonts" -maxdepth 1 -type l -delete
    ln -s "${files[@]}" "$fonts/" || return 1
    wine regedit /S "$ROOT/tools/fonts.reg" >/dev/null 2>&1
    wineserver -w
    printf '%s\n' "$wanted" > "$stamp"
}

# Stops with one line unless every pinned name gives its family from its file in this prefix.
check_font_pins() {
    local report name family file expected_family expected_file actual
    report=$(env -u DISPLAY wine "$BUILD/font_check.exe" 2>/dev/null | tr -d '\r')
    # Its Wine session has no display: end it, so that later programs start one that has.
    wineserver -k >/dev/null 2>&1; wineserver -w
    [ -n "$report" ] || { say "Cannot check the fonts: $BUILD/font_check.exe did not run"; return 1; }
    while IFS=$'\t' read -r name expected_family expected_file; do
        IFS=$'\t' read -r _ family file < <(printf '%s\n' "$report" | grep -F "$name	" | head -n 1)
        # The file as the prefix names it (C:\windows\fonts\...) to the file it links to.
        file=${file##*\\}
        actual=$(readlink -f "$WINEPREFIX/drive_c/windows/Fonts/$file" 2>/dev/null)
        if [ "$family" != "$expected_family" ] || [ "$actual" != "$expected_file" ]; then
            say "Font pin broken: $name gives '${family:-nothing}' from '${actual:-no file}', not '$expected_family' from $expected_file"
            return 1
        fi
    done <<< "$FONT_PINS"
}

stop_wine() { wineserver -k >/dev/null 2>&1 || true; }

# Makes DEST a private copy of the prefix that setup_wine prepared, and points WINEPREFIX at it:
# one test's or one replay's own, with a wineserver of its own that it may end at will. The
# files Wine only reads (its DLLs and tables, most of the prefix's size) are hard links; the
# registry and the other small files, which Wine writes, are copied. Every window in the copy
# appears in Wine's own virtual desktop of the given size (1024x768 by default), drawn with its
# frame, caption and close box as on Windows, and hiding a window does not wait for a window
# manager.
clone_wine_prefix() {
    local copy=$1 size=${2:-1024x768} template=$WINEPREFIX
    rm -rf "$copy" && mkdir -p "$(dirname "$copy")" || return 1
    cp -al "$template" "$copy" || return 1
    rm -f "$copy/wineserver"
    (cd "$template" && find . -type f ! -name wineserver ! \( -name '*.dll' -o -name '*.exe' -o -name '*.nls' \
        -o -name '*.sys' -o -name '*.drv' -o -name '*.ocx' -o -name '*.cpl' -o -name '*.acm' -o -name '*.tlb' \
        -o -name '*.ds' -o -name '*.ax' -o -name '*.com' -o -name '*.msstyles' \) -print0 |
        xargs -0 cp -p --parents --remove-destination -t "$copy") || return 1
    printf '\n[Software\\\\Wine\\\\Explorer] 0\n"Desktop"="Default"\n\n[Software\\\\Wine\\\\Explorer\\\\Desktops] 0\n"Default"="%s"\n' \
        "$size" >>"$copy/user.reg" || return 1
    export WINEPREFIX=$copy
}
