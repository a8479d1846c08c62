/* triangle: ZAVOK_triangle, filled (width 0) and outlined. */
#include <zavok.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_clear();

    /* reference: begin */
    ZAVOK_triangle(COLOR_GREEN, -220, -80, -60, -80, -140, 100, 0); /* width 0: filled */
    ZAVOK_triangle(COLOR_BLUE, 60, -80, 220, -80, 140, 100, 4);     /* width 4: outline */
    /* reference: end */

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
    }
    ZAVOK_close();
    return 0;
}
