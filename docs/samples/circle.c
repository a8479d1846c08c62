/* circle: ZAVOK_circle always draws a filled disc; an outlined circle is ZAVOK_oval with a width. */
#include <zavok.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_clear();

    /* reference: begin */
    ZAVOK_circle(COLOR_RED, -120, 0, 60);          /* centre (-120, 0), radius 60 */
    ZAVOK_oval(COLOR_BLUE, 60, 60, 180, -60, 4);   /* a ring: the box of a circle, width 4 */
    /* reference: end */

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
    }
    ZAVOK_close();
    return 0;
}
