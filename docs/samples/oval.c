/* oval: ZAVOK_oval, the oval inscribed in a box, filled (width 0) and outlined. */
#include <zavok.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_clear();

    /* reference: begin */
    ZAVOK_oval(COLOR_PURPLE, -240, 60, -40, -60, 0);     /* filled */
    ZAVOK_oval(COLOR_SEA_GREEN, 40, 100, 200, -100, 5);  /* outline 5 pixels wide */
    /* reference: end */

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
    }
    ZAVOK_close();
    return 0;
}
