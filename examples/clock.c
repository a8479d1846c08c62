/* clock: an analogue clock and the date, drawn from the calendar time on every periodic event.
 *
 * It shows the local time, ten times a second while animation runs (the gallery's replay
 * freezes the time at 2026-03-14 10:08:30). `q` ends the program through `ANIMATE_QUIT`; so
 * does closing the window.
 *
 * Picture: an analogue clock at 10:08:30 and the date 2026-03-14.
 */
#include <zavok.h>

#include <math.h>
#include <time.h>

#define PI 3.14159265358979
#define RADIUS 180

/* A hand from the centre, `fraction` of a turn clockwise from twelve o'clock. */
static void hand(int color, double fraction, int length, int width) {
    double angle = 2 * PI * fraction;
    ZAVOK_line(color, 0, 20, (int)(length * sin(angle)), 20 + (int)(length * cos(angle)), width);
}

static void draw_clock(const struct tm *now) {
    int hour;
    ZAVOK_clear();
    ZAVOK_circle(COLOR_NAVY_BLUE, 0, 20, RADIUS + 8);
    ZAVOK_circle(COLOR_CHALK, 0, 20, RADIUS);
    for (hour = 0; hour < 12; hour++) {
        double angle = 2 * PI * hour / 12;
        ZAVOK_circle(COLOR_NAVY_BLUE, (int)((RADIUS - 16) * sin(angle)), 20 + (int)((RADIUS - 16) * cos(angle)),
                     hour % 3 == 0 ? 7 : 4);
    }
    hand(COLOR_BLACK, (now->tm_hour % 12 + now->tm_min / 60.0) / 12, RADIUS - 70, 8);
    hand(COLOR_BLACK, (now->tm_min + now->tm_sec / 60.0) / 60, RADIUS - 30, 5);
    hand(COLOR_RED, now->tm_sec / 60.0, RADIUS - 24, 2);
    ZAVOK_circle(COLOR_RED, 0, 20, 6);
    ZAVOK_printf_at(COLOR_NAVY_BLUE, -110, -210, 24, "%04d-%02d-%02d  %02d:%02d:%02d", now->tm_year + 1900,
                    now->tm_mon + 1, now->tm_mday, now->tm_hour, now->tm_min, now->tm_sec);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int event = 0;
    int x, y;
    char key;
    time_t seconds;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_show_text(0);
    ZAVOK_animate(ANIMATE_RUN);

    while (event != ZAVOK_QUIT) {
        seconds = time(NULL);
        draw_clock(localtime(&seconds));
        event = ZAVOK_await_event(&x, &y, &key);
        /* ANIMATE_QUIT makes the next wait, and every one after it, report quit: the loop then
         * ends the way it ends when the window is closed. */
        if (event == ZAVOK_KBD && key == 'q') ZAVOK_animate(ANIMATE_QUIT);
    }
    ZAVOK_close();
    return 0;
}
