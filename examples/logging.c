/* logging: logging switched on from code: every drawing call prints a line about itself.
 *
 * Logging is on when a program starts. The other examples switch it off at once
 * (`ZAVOK_logging(0)`), because a program that redraws often would fill the text window with
 * lines; this one switches it on, which also shows the text window, to see what a drawing does.
 * Bad arguments are corrected, never refused, and each correction prints a notice: a colour
 * that does not exist and a negative radius here (the disc is drawn red with radius 40). A
 * click draws a star and logs its calls; close the window to end.
 *
 * Picture: a house, a red disc and three gold stars.
 */
#include <zavok.h>

static void house(void) {
    ZAVOK_rectangle(COLOR_BROWN, -120, 20, 120, -160, 0);
    ZAVOK_triangle(COLOR_RED, -140, 20, 140, 20, 0, 130, 0);
    ZAVOK_rectangle(COLOR_NAVY_BLUE, -30, -80, 30, -160, 0);
    ZAVOK_oval(COLOR_ICE_BLUE, -100, -10, -50, -60, 0);
}

static void star(int x, int y) {
    ZAVOK_line(COLOR_GOLD, x - 12, y, x + 12, y, 2);
    ZAVOK_line(COLOR_GOLD, x, y - 12, x, y + 12, 2);
    ZAVOK_pixel(COLOR_BLACK, x, y);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int event, x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(1);
    ZAVOK_clear();
    house();

    /* Two mistakes, corrected with a notice each: colour 30 does not exist (red is used), and
     * a radius cannot be negative (40 is used). */
    ZAVOK_circle(30, 200, 160, -40);

    ZAVOK_logging(0);
    ZAVOK_text(COLOR_BLACK, -280, 220, 16, "Logged in the text window: every call that drew this.");
    ZAVOK_logging(1);

    while ((event = ZAVOK_await_event(&x, &y, &key)) != ZAVOK_QUIT) {
        if (event == ZAVOK_MOUSE) star(x, y);
    }
    ZAVOK_close();
    return 0;
}
