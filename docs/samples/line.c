/* line: ZAVOK_line in a few widths. */
#include <zavok.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_clear();

    /* reference: begin */
    ZAVOK_line(COLOR_BLACK, -200, 100, 200, 100, 0);  /* 0: the thinnest line, as 1 */
    ZAVOK_line(COLOR_BLACK, -200, 50, 200, 50, 3);
    ZAVOK_line(COLOR_RED, -200, -10, 200, -10, 12);   /* wide lines have round ends */
    ZAVOK_line(COLOR_BLUE, -200, -100, 200, -40, 1);
    /* reference: end */

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
    }
    ZAVOK_close();
    return 0;
}
