# The golden replays of Kartello. Each case NAME is the event script scripts/NAME.scr and the
# frames of its replay kept as references in golden/NAME/ (by number; "final" keeps only the
# last frame, and the replay then saves only that one). The last frame is always kept, so a
# replay that plays more or fewer events than its references shows up as a difference.
# Sourced by replay_test.sh and regenerate.

# The calendar time every golden replay runs at: it seeds the artwork's pseudo-random numbers.
GOLDEN_TIME="2026-01-01 12:00:00"

GOLDEN_CASES=(shapes greetings select_move colours format limit)

golden_frames() {
    case "$1" in
        # The seven shapes as "Next, please" steps through them, the wrap back to the heart,
        # then a key and a run of periodic events that only redraw.
        shapes) echo "0 1 4 8 13 19 26 34 35 39" ;;
        # The six greetings, then the wrap back to the first.
        greetings) echo "2 5 9 14 20 27 28" ;;
        # Moving, selecting the nearest object, changing the selected object in another mode,
        # and clicks outside the panel and the card that change nothing.
        select_move) echo "4 5 6 7 9 10 12 16 17 21" ;;
        # The card's background cycling through black and white, balloons coloured past the
        # palette's end (drawn red), and a fir tree's ornaments.
        colours) echo "3 9 31 39 55 56" ;;
        # Lines as the reader takes them: CR LF, empty lines, the kind by index 6 alone, a
        # PERIODIC line of 0, a line read in two parts, a last line without its newline.
        format) echo "1 4 8" ;;
        # 150 objects, then a further click on the card that adds nothing.
        limit) echo "final" ;;
        *) return 1 ;;
    esac
}
