# Drives a ZAVOK program from outside, as a person would: a virtual X display, the program
# under Wine, real X input (xdotool) and screenshots (ImageMagick). Source it after common.sh.
#
# Under Wine with no window manager the X window of "ZAVOK Graphics" holds the menu bar and
# the client area below it. The window's outer size is 601 x 540, which leaves a client area
# of 595 x 496, so the world origin lies at client pixel (297, 248).

XD_CLIENT_WIDTH=595
XD_CLIENT_HEIGHT=496
XD_ORIGIN_X=297
XD_ORIGIN_Y=248

XD_XVFB_PID=""
XD_PID=""
XD_WINDOW=""
XD_MENU_HEIGHT=0

# Starts Xvfb on a free display and exports DISPLAY.
xd_start_display() {
    local number
    for number in $(seq 90 250); do
        [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] && continue
        Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        XD_XVFB_PID=$!
        local _
        for _ in $(seq 1 50); do
            [ -e "/tmp/.X11-unix/X$number" ] && { export DISPLAY=":$number"; return 0; }
            kill -0 "$XD_XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$XD_XVFB_PID" 2>/dev/null
        XD_XVFB_PID=""
    done
    echo "could not start a virtual display (Xvfb)" >&2
    return 1
}

# Starts PROGRAM.exe under Wine in the current folder and waits until its graphics window is
# on the screen (input sent to a window not yet mapped would be lost).
# Further arguments go to the program's environment (NAME=VALUE), e.g. an LD_PRELOAD.
xd_start_program() {
    local program=$1
    shift
    env "$@" wine "$program" >/dev/null 2>&1 &
    XD_PID=$!
    local _
    for _ in $(seq 1 150); do
        XD_WINDOW=$(xdotool search --onlyvisible --name '^ZAVOK Graphics$' 2>/dev/null | head -n 1)
        if [ -n "$XD_WINDOW" ]; then
            local height
            height=$(xdotool getwindowgeometry "$XD_WINDOW" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
            XD_MENU_HEIGHT=$(( ${height:-$XD_CLIENT_HEIGHT} - XD_CLIENT_HEIGHT ))
            [ "$XD_MENU_HEIGHT" -ge 0 ] || XD_MENU_HEIGHT=0
            xdotool windowfocus --sync "$XD_WINDOW" >/dev/null 2>&1 || true
            return 0
        fi
        kill -0 "$XD_PID" 2>/dev/null || break
        sleep 0.2
    done
    echo "the program did not open its graphics window" >&2
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
    local x=$((XD_ORIGIN_X + $1)) y=$((XD_ORIGIN_Y - $2 + XD_MENU_HEIGHT))
    xdotool mousemove --window "$XD_WINDOW" "$x" "$y" click 1
}

# Presses keys in the graphics window, e.g. "ctrl+r" or "a".
xd_key() {
    xdotool windowfocus --sync "$XD_WINDOW" >/dev/null 2>&1 || true
    xdotool key --delay 30 "$@"
}

# Clicks the Run menu's title (the menu bar's first item).
xd_open_run_menu() { xdotool mousemove --window "$XD_WINDOW" 15 $((XD_MENU_HEIGHT / 2)) click 1; }

# Saves the client area of the graphics window as FILE (a PNG): 595 x 496 pixels.
xd_shot() {
    local file=$1 raw
    raw="$file.raw.png"
    import -window "$XD_WINDOW" "$raw" 2>/dev/null || return 1
    convert "$raw" -crop "${XD_CLIENT_WIDTH}x${XD_CLIENT_HEIGHT}+0+${XD_MENU_HEIGHT}" +repage "$file" || return 1
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
