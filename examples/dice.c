/* dice: two dice rolled at every key or click, and a bar chart of the totals.
 *
 * Each roll is also printed in the text window, which `t` shows or hides. Close the window to
 * end.
 *
 * Picture: two dice showing 4 and 4, "15 rolls" and a bar chart of the totals.
 */
#include <zavok.h>

#include <stdlib.h>
#include <time.h>

#define SIZE 80

/* The pips of a die showing `value`, on a square whose top-left corner is (left, top). */
static void die(int left, int top, int value) {
    int middle_x = left + SIZE / 2, middle_y = top - SIZE / 2, d = SIZE / 4;
    ZAVOK_rectangle(COLOR_WHITE, left, top, left + SIZE, top - SIZE, 0);
    ZAVOK_rectangle(COLOR_BLACK, left, top, left + SIZE, top - SIZE, 3);
    if (value % 2 == 1) ZAVOK_circle(COLOR_BLACK, middle_x, middle_y, 7);
    if (value >= 2) {
        ZAVOK_circle(COLOR_BLACK, middle_x - d, middle_y + d, 7);
        ZAVOK_circle(COLOR_BLACK, middle_x + d, middle_y - d, 7);
    }
    if (value >= 4) {
        ZAVOK_circle(COLOR_BLACK, middle_x + d, middle_y + d, 7);
        ZAVOK_circle(COLOR_BLACK, middle_x - d, middle_y - d, 7);
    }
    if (value == 6) {
        ZAVOK_circle(COLOR_BLACK, middle_x - d, middle_y, 7);
        ZAVOK_circle(COLOR_BLACK, middle_x + d, middle_y, 7);
    }
}

static void chart(const int counts[13]) {
    int total;
    for (total = 2; total <= 12; total++) {
        int left = -250 + (total - 2) * 46;
        ZAVOK_rectangle(COLOR_SEA_GREEN, left, -200 + 12 * counts[total], left + 36, -200, 0);
        ZAVOK_printf_at(COLOR_BLACK, left + 8, -225, 16, "%d", total);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int counts[13] = {0};
    int first = 1, second = 1, rolls = 0, text_shown = 1;
    int event = 0, x, y;
    char key;

    srand((unsigned)time(NULL)); /* another sequence of rolls on every run */
    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);

    while (event != ZAVOK_QUIT) {
        ZAVOK_clear();
        die(-100, 200, first);
        die(20, 200, second);
        ZAVOK_printf_at(COLOR_BLACK, -100, 80, 18, "%d rolls; type a key or click", rolls);
        chart(counts);
        event = ZAVOK_await_event(&x, &y, &key);
        if (event == ZAVOK_KBD && key == 't') {
            text_shown = !text_shown;
            ZAVOK_show_text(text_shown);
        } else if (event == ZAVOK_KBD || event == ZAVOK_MOUSE) {
            first = rand() % 6 + 1;
            second = rand() % 6 + 1;
            counts[first + second]++;
            rolls++;
            ZAVOK_printf("roll %d: %d + %d = %d", rolls, first, second, first + second);
        }
    }
    ZAVOK_close();
    return 0;
}
