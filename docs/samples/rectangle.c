/* rectangle: ZAVOK_rectangle, filled (width 0) and outlined; the corners may come in any order. */
#include <zavok.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_clear();

    /* reference: begin */
    ZAVOK_rectangle(COLOR_ORANGE, -220, 80, -40, -80, 0);    /* filled */
    ZAVOK_rectangle(COLOR_NAVY_BLUE, 220, -80, 40, 80, 3);   /* outline; any two opposite corners */
    /* reference: end */

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
    }
    ZAVOK_close();
    return 0;
}
