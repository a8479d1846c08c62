# Pixel reads from a client-area screenshot (a PNG of 595 x 496) by world point, for the shell
# tests not yet on the Python driving layer (tools/replay/zavokreplay/desktop.py), which does
# this and all other driving in process. Source it after common.sh.
XD_ORIGIN_X=297
XD_ORIGIN_Y=248

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
