/* pixel: ZAVOK_pixel sets single pixels: a grid of dots and a curve drawn one pixel at a time. */
#include <zavok.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y;
    char key;
    int i, j;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_clear();

    /* reference: begin */
    for (i = -240; i <= 240; i += 20)
        for (j = -200; j <= 200; j += 20)
            ZAVOK_pixel(COLOR_BLACK, i, j);
    for (i = -240; i <= 240; i++)
        ZAVOK_pixel(COLOR_RED, i, i * i / 300 - 100);
    /* reference: end */

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
    }
    ZAVOK_close();
    return 0;
}
