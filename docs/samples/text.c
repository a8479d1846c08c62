/* text: ZAVOK_text: each newline starts a new line under the first. */
#include <zavok.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_clear();

    /* reference: begin */
    ZAVOK_text(COLOR_BLACK, -200, 60, 24, "First line\nsecond line\nthird line");
    ZAVOK_circle(COLOR_RED, -200, 60, 2);  /* marks the point (-200, 60) */
    /* reference: end */

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
    }
    ZAVOK_close();
    return 0;
}
