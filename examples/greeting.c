/* greeting: a birthday card built from ZAVOK's shapes.
 *
 * A cake with candles, a balloon on a string at every click, and the greeting in large letters.
 * Close the window to end.
 *
 * Picture: "Happy Birthday!", a cake with five candles and five balloons.
 */
#include <zavok.h>

static void balloon(int color, int x, int y) {
    ZAVOK_line(COLOR_GRAY_50, x, y - 34, x + 10, y - 110, 1);               /* the string */
    ZAVOK_triangle(color, x, y - 30, x - 6, y - 38, x + 6, y - 38, 0);      /* the knot */
    ZAVOK_oval(color, x - 24, y + 30, x + 24, y - 32, 0);
    ZAVOK_oval(COLOR_WHITE, x - 14, y + 20, x - 6, y + 6, 0);               /* a shine */
}

static void cake(void) {
    int candle;
    ZAVOK_oval(COLOR_GRAY_20, -150, -170, 150, -220, 0);                    /* the plate */
    ZAVOK_rectangle(COLOR_BROWN, -110, -40, 110, -190, 0);
    ZAVOK_rectangle(COLOR_PINK, -110, -40, 110, -70, 0);                    /* icing */
    for (candle = -80; candle <= 80; candle += 40) {
        ZAVOK_rectangle(COLOR_ICE_BLUE, candle - 5, 10, candle + 5, -40, 0);
        ZAVOK_triangle(COLOR_ORANGE, candle - 6, 14, candle + 6, 14, candle, 36, 0);
        ZAVOK_triangle(COLOR_YELLOW, candle - 3, 14, candle + 3, 14, candle, 26, 0);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    static const int colors[] = {COLOR_RED, COLOR_BLUE, COLOR_GREEN, COLOR_PURPLE, COLOR_GOLD};
    int balloons = 0;
    int event, x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_show_text(0);
    ZAVOK_clear();
    ZAVOK_rectangle(COLOR_GOLD, -290, 240, 290, -240, 6);                   /* the card's border */
    ZAVOK_text(COLOR_DUSTY_PLUM, -200, 130, 48, "Happy Birthday!");
    ZAVOK_text(COLOR_GRAY_50, -200, 100, 16, "Click to add balloons.");
    cake();

    while ((event = ZAVOK_await_event(&x, &y, &key)) != ZAVOK_QUIT) {
        if (event == ZAVOK_MOUSE) {
            balloon(colors[balloons % 5], x, y);
            balloons++;
        }
    }
    ZAVOK_close();
    return 0;
}
