/* undo: ZAVOK_undo is no longer supported: it prints a notice and removes nothing. */
#include <zavok.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_clear();

    /* reference: begin */
    ZAVOK_circle(COLOR_GREEN, 0, 0, 50);
    ZAVOK_undo();  /* the circle stays; the text window says "ZAVOK_undo is no longer supported." */
    /* reference: end */

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
    }
    ZAVOK_close();
    return 0;
}
