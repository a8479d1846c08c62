/* click_dots: a dot at every click, in a new colour each time, and every typed key printed in
 * the text window.
 *
 * `c` clears the dots and `q` ends the program (so does closing the window).
 *
 * Picture: three coloured dots.
 */
#include <zavok.h>

#define DOT_RADIUS 6

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int color = COLOR_RED;
    int event = 0;
    int x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_clear();
    ZAVOK_printf("Click to draw dots; type keys; c clears, q quits.\n");

    while (event != ZAVOK_QUIT) {
        /* Nothing is redrawn between events: each dot stays on the surface until a clear. */
        event = ZAVOK_await_event(&x, &y, &key);
        if (event == ZAVOK_MOUSE) {
            ZAVOK_circle(color, x, y, DOT_RADIUS);
            ZAVOK_printf("dot at (%d, %d)\n", x, y);
            color = color == COLOR_GRAY_20 ? COLOR_RED : color + 1; /* every colour but black and white */
        } else if (event == ZAVOK_KBD) {
            ZAVOK_printf("key '%c' (%d)\n", key, (unsigned char)key);
            if (key == 'c') ZAVOK_clear();
            if (key == 'q') break;
        }
    }
    ZAVOK_close();
    return 0;
}
