# The Wine every replay runs, set up the same wherever the tool runs from: a private prefix,
# quiet, never asking for Mono or Gecko, with its fonts pinned, and private copies of it. The
# repository's commands have it through tools/common.sh; the installed zavok-replay sources it
# from beside itself. Source it; the functions return non-zero on failure.

WINE_SETUP_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# The faces the program's look relies on, each from a named package: Wine's own faces
# (fonts-wine: Tahoma for captions, menus and dialogs, Marlett for the caption buttons, the
# bitmap System and Courier faces) and Liberation Sans (fonts-liberation, Arial's metrics),
# which the drawing face "ZAVOK-font" is pinned to in fonts.reg.
# Patterns, expanded only when the prefix is pinned: the packages may be installed after this
# file is read.
FONT_FILE_PATTERNS='/usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon
                    /usr/share/fonts/truetype/liberation/LiberationSans-*.ttf'

# prepare_wine_prefix PREFIX: makes the prefix if it is not there and pins its fonts, and points
# Wine at it (WINEPREFIX and the rest, exported).
prepare_wine_prefix() {
    export WINEPREFIX=$1
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
        echo "Creating the Wine prefix in $WINEPREFIX" >&2
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
    ls "${files[@]}" >/dev/null 2>&1 || { echo "The pinned font files are missing: $FONT_FILE_PATTERNS" >&2; return 1; }
    wanted=$(printf '%s\n' "${files[@]}"; cat "$WINE_SETUP_DIR/fonts.reg")
    [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ] && return 0
    mkdir -p "$fonts" || return 1
    find "$fonts" -maxdepth 1 -type l -delete
    ln -s "${files[@]}" "$fonts/" || return 1
    wine regedit /S "$WINE_SETUP_DIR/fonts.reg" >/dev/null 2>&1
    wineserver -w
    printf '%s\n' "$wanted" > "$stamp"
}

# Makes DEST a private copy of the prefix that prepare_wine_prefix prepared, and points
# WINEPREFIX at it: one test's or one replay's own, with a wineserver of its own that it may end
# at will. The files Wine only reads (its DLLs and tables, most of the prefix's size) are hard
# links; the registry and the other small files, which Wine writes, are copied. Every window in
# the copy appears in Wine's own virtual desktop of the given size (1024x768 by default), drawn
# with its frame, caption and close box as on Windows, and hiding a window does not wait for a
# window manager.
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
