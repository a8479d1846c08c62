/* gets: asks for a name in the line-input dialog, then greets it. */
#include <zavok.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y;
    char key;
    char name[256];

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_clear();

    /* reference: begin */
    ZAVOK_gets("What is your name?", name);  /* waits until the user presses Okay */
    ZAVOK_printf_at(COLOR_BLACK, -150, 0, 24, "Hello, %s!", name);
    /* reference: end */

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
    }
    ZAVOK_close();
    return 0;
}
