# Drives a ZAVOK program from outside, as a person would: a virtual X display, the program
# under Wine, real X input (xdotool) and screenshots (ImageMagick). Source it after common.sh.
#
# The window's outer size is 601 x 540, which leaves a client area of 595 x 496, so the world
# origin lies at client pixel (297, 248). Inside Wine's virtual desktop (tools/isolated) the X
# window of "ZAVOK Graphics" is the whole window as Windows draws it: frame, caption with its
# close box, menu bar, client area. On a display without a window manager and without the
# virtual desktop it holds only the menu bar and the client area. Either way the client area
# lies XD_CLIENT_LEFT, XD_CLIENT_TOP into it, with the 19-pixel menu bar right above it.

XD_CLIENT_WIDTH=595
XD_CLIENT_HEIGHT=496
XD_ORIGIN_X=297
XD_ORIGIN_Y=248

XD_XVFB_PID=""
XD_PID=""
XD_WINDOW=""
XD_WINDOW_WIDTH=0
XD_CLIENT_LEFT=0
XD_CLIENT_TOP=0
XD_MENU_BAR_HEIGHT=19

# Starts Xvfb on a free display and exports DISPLAY. Xvfb picks the number itself, so displays
# started side by side never collide.
xd_start_display() {
    local pipe number=""
    pipe=$(mktemp -u "${TMPDIR:-/tmp}/xdrive-display.XXXXXX")
    mkfifo "$pipe" || return 1
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$pipe" >/dev/null 2>&1 &
    XD_XVFB_PID=$!
    read -r -t 10 number <"$pipe"
    rm -f "$pipe"
    case "$number" in
        ''|*[!0-9]*) kill "$XD_XVFB_PID" 2>/dev/null; XD_XVFB_PID=""
                     echo "could not start a virtual display (Xvfb)" >&2; return 1 ;;
    esac
    export DISPLAY=":$number"
}

# Starts PROGRAM.exe under Wine in the current folder and waits until its graphics window is
# on the screen (input sent to a window not yet mapped would be lost). The wait is long, since a
# busy machine can make Wine's start-up slow, but ends as soon as the window is there. A program
# that ends before any window appears is started once more: Wine itself now and then fails to
# start a process, and a program that really cannot start fails the second time too.
# Further arguments go to the program's environment (NAME=VALUE), e.g. an LD_PRELOAD.
XD_START_SECONDS=120
xd_start_program() {
    local attempt
    for attempt in 1 2; do
        xd_launch "$@" && return 0
        xd_running && break
        [ "$attempt" = 1 ] && echo "note: the program ended before its window appeared; starting it again" >&2
    done
    echo "the program did not open its graphics window" >&2
    return 1
}

xd_launch() {
    local program=$1 previous=none
    xd_running && previous=$XD_WINDOW
    shift
    env "$@" wine "$program" >/dev/null 2>&1 &
    XD_PID=$!
    local _
    for _ in $(seq 1 $((XD_START_SECONDS * 5))); do
        # Not the window of a program started before and still running beside this one.
        XD_WINDOW=$(xdotool search --onlyvisible --name '^ZAVOK Graphics$' 2>/dev/null | grep -vxF -e "$previous" | head -n 1)
        if [ -n "$XD_WINDOW" ]; then
            local WIDTH=$XD_CLIENT_WIDTH HEIGHT=$XD_CLIENT_HEIGHT WINDOW X Y SCREEN
            eval "$(xdotool getwindowgeometry --shell "$XD_WINDOW" 2>/dev/null)"
            # The frame is as wide on the left, the right and the bottom.
            XD_WINDOW_WIDTH=$WIDTH
            XD_CLIENT_LEFT=$(( (WIDTH - XD_CLIENT_WIDTH) / 2 ))
            XD_CLIENT_TOP=$(( HEIGHT - XD_CLIENT_HEIGHT - XD_CLIENT_LEFT ))
            [ "$XD_CLIENT_LEFT" -ge 0 ] && [ "$XD_CLIENT_TOP" -ge 0 ] || { XD_CLIENT_LEFT=0; XD_CLIENT_TOP=0; }
            xdotool windowfocus --sync "$XD_WINDOW" >/dev/null 2>&1 || true
            return 0
        fi
        xd_running || return 1
        sleep 0.2
    done
    return 1
}

# Tells whether the program is still running (an ended child not yet collected counts as ended).
xd_running() {
    kill -0 "$XD_PID" 2>/dev/null || return 1
    [ "$(ps -o stat= -p "$XD_PID" 2>/dev/null | cut -c1)" != Z ]
}

# Waits up to SECONDS for the program to end and sets XD_EXIT_STATUS to its exit status, or to
# "timeout". Call it directly, not in $( ): only this shell can collect the program's status.
xd_wait_exit() {
    local seconds=$1 _
    XD_EXIT_STATUS=timeout
    for _ in $(seq 1 $((seconds * 10))); do
        if ! xd_running; then
            wait "$XD_PID"
            XD_EXIT_STATUS=$?
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Clicks the left button at a world point of the graphics window.
xd_click() {
    local x=$((XD_CLIENT_LEFT + XD_ORIGIN_X + $1)) y=$((XD_CLIENT_TOP + XD_ORIGIN_Y - $2))
    xdotool mousemove --window "$XD_WINDOW" "$x" "$y" click 1
}

# Presses keys in the graphics window, e.g. "ctrl+r" or "a".
xd_key() {
    xdotool windowfocus --sync "$XD_WINDOW" >/dev/null 2>&1 || true
    xdotool key --delay 30 "$@"
}

# Clicks the Run menu's title (the menu bar's first item).
xd_open_run_menu() {
    xdotool mousemove --window "$XD_WINDOW" $((XD_CLIENT_LEFT + 15)) $((XD_CLIENT_TOP - XD_MENU_BAR_HEIGHT / 2)) click 1
}

# Clicks the close box at the right end of the caption, as drawn in Wine's virtual desktop: a
# square as high as the caption, one frame width in from the window's corner.
xd_click_close_box() {
    local caption=$((XD_CLIENT_TOP - XD_MENU_BAR_HEIGHT - XD_CLIENT_LEFT))
    [ "$caption" -gt 0 ] || { echo "the window has no caption (no virtual desktop?)" >&2; return 1; }
    xdotool mousemove --window "$XD_WINDOW" $((XD_WINDOW_WIDTH - XD_CLIENT_LEFT - caption / 2 - 2)) \
        $((XD_CLIENT_LEFT + caption / 2)) click 1
}

# Saves the client area of the graphics window as FILE (a PNG): 595 x 496 pixels.
xd_shot() {
    local file=$1 raw
    raw="$file.raw.png"
    import -window "$XD_WINDOW" "$raw" 2>/dev/null || return 1
    convert "$raw" -crop "${XD_CLIENT_WIDTH}x${XD_CLIENT_HEIGHT}+${XD_CLIENT_LEFT}+${XD_CLIENT_TOP}" +repage "$file" || return 1
    rm -f "$raw"
}

# Prints the colour of a world point in a client-area screenshot as "R,G,B".
xd_pixel() {
    local file=$1 x=$((XD_ORIGIN_X + $2)) y=$((XD_ORIGIN_Y - $3))
    convert "$file" -format "%[fx:int(255*p{$x,$y}.r)],%[fx:int(255*p{$x,$y}.g)],%[fx:int(255*p{$x,$y}.b)]\n" info:
}

# Counts the pixels near one colour ("R,G,B", each channel within 20% so smoothed text counts
# too) in the world box from (x1, y1) to (x2, y2), corners in any order, of a client-area screenshot.
xd_count_colour() {
    local file=$1 colour=$2 x1=$3 y1=$4 x2=$5 y2=$6
    [ "$x1" -le "$x2" ] || { local t=$x1; x1=$x2; x2=$t; }
    [ "$y1" -ge "$y2" ] || { local t=$y1; y1=$y2; y2=$t; }
    local left=$((XD_ORIGIN_X + x1)) top=$((XD_ORIGIN_Y - y1))
    local width=$((x2 - x1 + 1)) height=$((y1 - y2 + 1))
    local r g b
    IFS=, read -r r g b <<<"$colour"
    convert "$file" -crop "${width}x${height}+${left}+${top}" +repage -alpha off \
        -fx "abs(r-$r/255)<0.2 && abs(g-$g/255)<0.2 && abs(b-$b/255)<0.2 ? 1 : 0" -colorspace Gray \
        -format "%[fx:int(mean*w*h+0.5)]\n" info:
}

# Ends the program, its Wine processes and the display.
xd_stop() {
    [ -n "$XD_PID" ] && kill "$XD_PID" 2>/dev/null
    wineserver -k >/dev/null 2>&1
    [ -n "$XD_PID" ] && wait "$XD_PID" 2>/dev/null
    XD_PID=""
    if [ -n "$XD_XVFB_PID" ]; then
        kill "$XD_XVFB_PID" 2>/dev/null
        wait "$XD_XVFB_PID" 2>/dev/null
        XD_XVFB_PID=""
    fi
}
