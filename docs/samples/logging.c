/* logging: logging starts on, so every drawing call prints a line in the text window; bad
 * arguments are corrected, each with a notice, whether logging is on or off. */
#include <zavok.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);

    /* reference: begin */
    ZAVOK_clear();
    ZAVOK_pixel(COLOR_BLACK, 10, 20);
    ZAVOK_circle(30, 0, 0, -5);                     /* colour 30 and radius -5 are corrected */
    ZAVOK_triangle(COLOR_BLUE, 0, 0, 40, 0, 20, 30, 2);
    ZAVOK_rectangle(COLOR_GREEN, 10, -10, -10, 10, 0);
    ZAVOK_rectangle(COLOR_GREEN, -10, 10, 10, -10, -2);
    ZAVOK_oval(COLOR_GRAY_50, -20, 10, 20, -10, 0);
    ZAVOK_oval(COLOR_GRAY_50, -20, 10, 20, -10, 3);
    ZAVOK_line(COLOR_RED, 0, 0, 50, 50, 0);
    ZAVOK_text(COLOR_BLACK, 0, -40, -300, "Hi");   /* two notices: -300 to 300, 300 to 127 */
    ZAVOK_printf_at(COLOR_BLACK, 0, -80, 12, "%d points", 42);
    ZAVOK_logging(0);                              /* from here on only notices */
    ZAVOK_circle(COLOR_RED, 0, 0, 5);
    ZAVOK_line(-1, 0, 0, 10, 10, 1);
    ZAVOK_undo();
    /* reference: end */

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
    }
    ZAVOK_close();
    return 0;
}
