/* text_anchor: where text stands: its box sits on the given point, descenders included, for three sizes. */
#include <zavok.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_clear();

    /* reference: begin */
    ZAVOK_line(COLOR_GRAY_20, -297, 0, 298, 0, 1);  /* the row y = 0 */
    ZAVOK_text(COLOR_BLACK, -280, 0, 16, "Agjy 16");
    ZAVOK_text(COLOR_BLACK, -190, 0, 32, "Agjy 32");
    ZAVOK_text(COLOR_BLACK, -40, 0, 64, "Agjy 64");
    ZAVOK_circle(COLOR_RED, -280, 0, 2);  /* each text's point (x, y) */
    ZAVOK_circle(COLOR_RED, -190, 0, 2);
    ZAVOK_circle(COLOR_RED, -40, 0, 2);
    ZAVOK_text(COLOR_RED, -280, -20, 12, "(-280, 0)");
    /* reference: end */

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
    }
    ZAVOK_close();
    return 0;
}
