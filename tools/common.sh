# Shared by the project's commands: installs what is missing, builds, and sets up Wine.
# Source it; it defines ROOT, BUILD and the functions below.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${ZAVOK_BUILD_DIR:-$ROOT/build}

# Debian packages the build, the program and the tests need.
PACKAGES=(cmake make g++-mingw-w64-x86-64-posix googletest wine wine64 xvfb xauth xdotool
          imagemagick fonts-dejavu-core faketime clang libclang-rt-14-dev python3 chromium)

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
