/* animation: a clock redrawn on every periodic event from the calendar time; q quits. */
#include <math.h>
#include <time.h>
#include <zavok.h>

/* A hand from the centre: `turn` is the part of a full turn (0 to 1), clockwise from 12. */
static void hand(int color, double turn, int length, int width) {
    const double angle = turn * 2 * 3.14159265358979;
    ZAVOK_line(color, 0, 0, (int)(length * sin(angle)), (int)(length * cos(angle)), width);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y, event;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);

    /* reference: begin */
    ZAVOK_animate(ANIMATE_RUN);  /* from now on a ZAVOK_PERIODIC event every 100 ms */
    do {
        const time_t now = time(NULL);
        const struct tm *t = gmtime(&now);  /* UTC; localtime gives the local time */
        ZAVOK_clear();
        ZAVOK_oval(COLOR_NAVY_BLUE, -150, 150, 150, -150, 6);
        hand(COLOR_BLACK, (t->tm_hour % 12 + t->tm_min / 60.0) / 12, 80, 8);
        hand(COLOR_BLACK, t->tm_min / 60.0, 125, 4);
        hand(COLOR_RED, t->tm_sec / 60.0, 135, 1);
        ZAVOK_printf_at(COLOR_BLACK, -45, -200, 24, "%02d:%02d:%02d", t->tm_hour, t->tm_min, t->tm_sec);
        event = ZAVOK_await_event(&x, &y, &key);
        if (event == ZAVOK_KBD && key == 'q')
            ZAVOK_animate(ANIMATE_QUIT);  /* the next wait returns ZAVOK_QUIT */
    } while (event != ZAVOK_QUIT);
    /* reference: end */
    ZAVOK_close();
    return 0;
}
