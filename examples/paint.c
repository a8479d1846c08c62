/* paint: a paint program: clicks joined by lines, keys for the colour and the width.
 *
 * Keys choose the colour (`r` red, `g` green, `b` blue, `k` black) and the width (`1` to `9`);
 * `n` starts a new line, `c` clears the picture and `u` takes back the last click. ZAVOK keeps
 * no record of what it drew, so the program keeps its points and draws them again; `ZAVOK_undo`
 * only prints that it is not supported. Close the window to end.
 *
 * Picture: two black strokes, a thick red one, and a thin blue line.
 */
#include <zavok.h>

#define MAX_POINTS 500

typedef struct {
    int x, y, color, width;
    int joined; /* 1: a line from the point before leads here */
} Point;

static Point points[MAX_POINTS];
static int point_count = 0;

/* ZAVOK keeps no record of what it has drawn (ZAVOK_undo only says so), so the program keeps
 * its own: the points, from which it draws the whole picture again. */
static void draw_picture(int color, int width) {
    int i;
    ZAVOK_clear();
    for (i = 0; i < point_count; i++) {
        if (points[i].joined)
            ZAVOK_line(points[i].color, points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, points[i].width);
        ZAVOK_circle(points[i].color, points[i].x, points[i].y, points[i].width / 2 + 1);
    }
    ZAVOK_rectangle(color, -290, 240, -270, 220, 0);
    ZAVOK_printf_at(COLOR_BLACK, -262, 222, 14, "width %d   r g b k  1-9  n  c  u", width);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int color = COLOR_BLACK, width = 3, joined = 0;
    int event = 0, x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_show_text(1); /* ZAVOK_undo's notice appears there */

    while (event != ZAVOK_QUIT) {
        draw_picture(color, width);
        event = ZAVOK_await_event(&x, &y, &key);
        if (event == ZAVOK_MOUSE && point_count < MAX_POINTS) {
            Point point = {x, y, color, width, joined};
            points[point_count++] = point;
            joined = 1;
        } else if (event == ZAVOK_KBD) {
            if (key == 'r') color = COLOR_RED;
            if (key == 'g') color = COLOR_FOREST_GREEN;
            if (key == 'b') color = COLOR_BLUE;
            if (key == 'k') color = COLOR_BLACK;
            if (key >= '1' && key <= '9') width = key - '0';
            if (key == 'n') joined = 0;
            if (key == 'c') {
                point_count = 0;
                joined = 0;
            }
            if (key == 'u' && point_count > 0) {
                ZAVOK_undo(); /* prints its notice and changes nothing */
                point_count--;
                joined = point_count > 0;
            }
        }
    }
    ZAVOK_close();
    return 0;
}
