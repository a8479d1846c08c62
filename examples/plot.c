/* plot: the graph of y = sin(k x), pixel by pixel, over axes with ticks.
 *
 * The digits `1` to `5` choose k; close the window to end.
 *
 * Picture: the curve of y = sin(3 x) drawn in blue dots over gray axes.
 */
#include <zavok.h>

#include <math.h>

#define PI 3.14159265358979
#define SCALE_X 80  /* pixels for one unit of x */
#define SCALE_Y 150 /* pixels for one unit of y */

static void axes(void) {
    int tick;
    ZAVOK_line(COLOR_GRAY_50, -290, 0, 290, 0, 1);
    ZAVOK_line(COLOR_GRAY_50, 0, -200, 0, 200, 1);
    for (tick = -3; tick <= 3; tick++) {
        ZAVOK_line(COLOR_GRAY_50, tick * SCALE_X, -4, tick * SCALE_X, 5, 1);
        if (tick != 0) ZAVOK_printf_at(COLOR_GRAY_50, tick * SCALE_X - 4, -22, 12, "%d", tick);
    }
    ZAVOK_line(COLOR_GRAY_50, -4, SCALE_Y, 5, SCALE_Y, 1);
    ZAVOK_text(COLOR_GRAY_50, 8, SCALE_Y - 6, 12, "1");
    ZAVOK_line(COLOR_GRAY_50, -4, -SCALE_Y, 5, -SCALE_Y, 1);
    ZAVOK_text(COLOR_GRAY_50, 8, -SCALE_Y - 6, 12, "-1");
}

static void plot(int k) {
    int column;
    ZAVOK_clear();
    axes();
    /* One pixel for each column of the window: the curve is made of 581 dots. */
    for (column = -290; column <= 290; column++) {
        double x = (double)column / SCALE_X;
        ZAVOK_pixel(COLOR_BLUE, column, (int)lround(SCALE_Y * sin(k * x)));
    }
    ZAVOK_printf_at(COLOR_BLUE, -280, 210, 20, "y = sin(%d x)    (type 1 to 5)", k);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int event, x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_show_text(0);
    plot(1);

    while ((event = ZAVOK_await_event(&x, &y, &key)) != ZAVOK_QUIT) {
        if (event == ZAVOK_KBD && key >= '1' && key <= '5') plot(key - '0');
    }
    ZAVOK_close();
    return 0;
}
