# Shared by the project's commands: installs what is missing, builds, and sets up Wine.
# Source it; it defines ROOT, BUILD and the functions below.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${ZAVOK_BUILD_DIR:-$ROOT/build}

# Debian packages the build, the program and the tests need.
PACKAGES=(cmake make g++-mingw-w64-x86-64-posix googletest wine wine64 xvfb xauth xdotool
          imagemagick fonts-dejavu-core faketime clang libclang-rt-14-dev python3 libx11-6
          libxdamage1)

say() { printf '%s\n' "$*" >&2; }

ensure_packages() {
    local missing=()
    local package
    for package in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
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
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DZAVOK_WERROR="$([ "${CI:-}" = true ] && echo ON || echo OFF)" \
        >/dev/null || return 1
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    cmake --build "$BUILD" -j "$(nproc)" "${targets[@]}" || return 1
}

# A private Wine prefix inside the build folder, quiet, never asking for Mono or Gecko.
setup_wine() {
    export WINEPREFIX="$BUILD/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        say "Creating the Wine prefix in $WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
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
