/* events: a dot at every click; the letters a to x choose its colour (a black, b white, c red, ...). */
#include <zavok.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y, event;
    char key;
    int color = COLOR_RED;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_clear();

    /* reference: begin */
    while ((event = ZAVOK_await_event(&x, &y, &key)) != ZAVOK_QUIT) {
        if (event == ZAVOK_MOUSE)
            ZAVOK_circle(color, x, y, 12);  /* (x, y) is the world point clicked */
        else if (event == ZAVOK_KBD && key >= 'a' && key <= 'x')
            color = key - 'a';              /* the colour indices run from 0 to 23 */
    }
    /* reference: end */
    ZAVOK_close();
    return 0;
}
