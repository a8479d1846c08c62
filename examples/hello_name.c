/* hello_name: asks for your name in ZAVOK's line-input dialog and greets you in large letters.
 *
 * The greeting stays until the window is closed. Only the first line of the answer is used:
 * Ctrl+Enter can break the field's text into lines.
 *
 * Picture: "Hello, Ada!" and "Close the window to end."
 */
#include <zavok.h>

#include <string.h>

/* The field accepts Ctrl+Enter line breaks; a greeting reads better without them. */
static void keep_first_line(char *text) {
    text[strcspn(text, "\r\n")] = '\0';
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    char name[256] = "";
    const char *who;
    int x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_show_text(0);
    ZAVOK_clear();

    ZAVOK_gets("What is your name?", name);
    keep_first_line(name);
    who = name[0] != '\0' ? name : "stranger";

    ZAVOK_printf_at(COLOR_NAVY_BLUE, -200, 40, 32, "Hello, %s!", who);
    ZAVOK_text(COLOR_GRAY_50, -200, -20, 16, "Close the window to end.");

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
        /* Nothing to do: the greeting stays until the window is closed. */
    }
    ZAVOK_close();
    return 0;
}
