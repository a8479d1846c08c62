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

. "$ROOT/replay/wine.sh"

# Debian packages the build and the tests need, and those a replay needs at run time
# (replay/dependencies: the installed tool's Depends).
PACKAGES=(cmake make g++-mingw-w64-x86-64-posix googletest xauth imagemagick clang libclang-rt-14-dev
          unzip pkgconf python3-markdown chromium lld llvm clang-tidy cppcheck libwine-dev)
while read -r package _; do
    case "$package" in ''|'#'*) ;; *) PACKAGES+=("$package") ;; esac
done < "$ROOT/replay/dependencies"

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

# The project's Wine prefix, inside the build folder (replay/wine.sh makes it).
setup_wine() { prepare_wine_prefix "$BUILD/wineprefix"; }

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
