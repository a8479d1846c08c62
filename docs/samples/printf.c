/* printf: lines printed in the text window. */
#include <zavok.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_clear();

    /* reference: begin */
    ZAVOK_printf("Hello from ZAVOK_printf\n");
    ZAVOK_printf("%d + %d = %d\n", 2, 2, 2 + 2);
    ZAVOK_printf("one\ntwo\n");  /* ONE line: the inner newline is drawn as a sign */
    ZAVOK_text(COLOR_BLACK, -100, 0, 20, "one\ntwo");  /* two lines in the graphics window */
    /* reference: end */

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
    }
    ZAVOK_close();
    return 0;
}
