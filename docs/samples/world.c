/* world: the part of the world that the graphics window shows, with its corners and axes. */
#include <zavok.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_clear();

    /* reference: begin */
    ZAVOK_line(COLOR_GRAY_50, -297, 0, 298, 0, 1);  /* the x axis (a thin line leaves out its end) */
    ZAVOK_line(COLOR_GRAY_50, 0, 248, 0, -248, 1);  /* the y axis */
    ZAVOK_text(COLOR_BLACK, 4, 2, 14, "(0, 0)");
    ZAVOK_text(COLOR_BLACK, 284, 2, 14, "x");
    ZAVOK_text(COLOR_BLACK, 5, 230, 14, "y");
    ZAVOK_circle(COLOR_RED, -297, 248, 3);  /* the four corner pixels */
    ZAVOK_circle(COLOR_RED, 297, 248, 3);
    ZAVOK_circle(COLOR_RED, -297, -247, 3);
    ZAVOK_circle(COLOR_RED, 297, -247, 3);
    ZAVOK_text(COLOR_RED, -290, 228, 14, "(-297, 248)");
    ZAVOK_text(COLOR_RED, 222, 228, 14, "(297, 248)");
    ZAVOK_text(COLOR_RED, -290, -243, 14, "(-297, -247)");
    ZAVOK_text(COLOR_RED, 214, -243, 14, "(297, -247)");
    ZAVOK_text(COLOR_BLUE, -285, 170, 12,
               "ZAVOK_clear's black frame shows only here:\n"
               "the left column, x = -297, and the top row, y = 248.\n"
               "Its right column (x = 303) and bottom row (y = -291)\n"
               "lie outside the window.");
    /* reference: end */

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
    }
    ZAVOK_close();
    return 0;
}
