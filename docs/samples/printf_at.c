/* printf_at: ZAVOK_printf_at draws formatted text, as printf formats it. */
#include <zavok.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y;
    char key;
    int score = 42;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_clear();

    /* reference: begin */
    ZAVOK_printf_at(COLOR_BLUE, -150, 20, 32, "Score: %d", score);
    ZAVOK_printf_at(COLOR_BLACK, -150, -30, 16, "%s has %d points (%.1f%%)", "Ann", score, 42.0);
    /* reference: end */

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
    }
    ZAVOK_close();
    return 0;
}
