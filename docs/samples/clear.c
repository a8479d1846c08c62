/* clear: ZAVOK_clear paints the whole surface white inside a one-pixel black frame. */
#include <zavok.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);

    /* reference: begin */
    ZAVOK_rectangle(COLOR_CHALK, -400, 300, 400, -300, 0); /* more than the whole window */
    ZAVOK_clear();                                         /* white again, with its frame */
    ZAVOK_text(COLOR_BLACK, -120, 0, 20, "after ZAVOK_clear");
    /* reference: end */

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
    }
    ZAVOK_close();
    return 0;
}
