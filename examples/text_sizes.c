/* text_sizes: where text stands, in six sizes, and lines broken at `\n`.
 *
 * The point (x, y) of `ZAVOK_text` is the bottom-left corner of the text's box, marked here by
 * a red cross; the size is the height in pixels. A click writes "Hello" there; close the window
 * to end.
 *
 * Picture: "Zavok jumps" in six sizes, three lines from one call, and "Hello" at two clicks,
 * each on a red cross.
 */
#include <zavok.h>

/* A small red cross on the point (x, y). */
static void mark(int x, int y) {
    ZAVOK_line(COLOR_RED, x - 5, y, x + 6, y, 1);
    ZAVOK_line(COLOR_RED, x, y - 5, x, y + 6, 1);
}

static void write_at(int x, int y, int size, const char *text) {
    ZAVOK_text(COLOR_NAVY_BLUE, x, y, size, text);
    mark(x, y);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    static const int sizes[] = {10, 14, 20, 28, 40, 56};
    int i, x, y, event;
    int top = 220; /* the top of the next line's box */
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_show_text(0);
    ZAVOK_clear();

    /* One line for each size, each standing on its red cross. */
    for (i = 0; i < 6; i++) {
        y = top - sizes[i];
        ZAVOK_printf_at(COLOR_GRAY_50, -280, y, 12, "%d", sizes[i]);
        write_at(-240, y, sizes[i], "Zavok jumps");
        top = y - 8;
    }

    /* Several lines in one call: each '\n' starts a new line below the one before. */
    write_at(60, 160, 18, "Three lines\nin one call\nof ZAVOK_text");

    while ((event = ZAVOK_await_event(&x, &y, &key)) != ZAVOK_QUIT) {
        if (event == ZAVOK_MOUSE) write_at(x, y, 24, "Hello");
    }
    ZAVOK_close();
    return 0;
}
