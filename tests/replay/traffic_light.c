/* A traffic-light assignment and its submissions, for the grading tests: a click moves the light
 * on (red, red and yellow, green, yellow), each click prints the light's name, q quits. Built
 * once per SUBMISSION: 0 the reference; 1 the same drawing written otherwise; 2 a lamp one pixel
 * too big; 3 the lights in the wrong order; 4 hangs at the second click; 5 prints an extra line;
 * 6 crashes at the second click; 7 ends at the second click; 8 does not quit on q. */
#include <stdlib.h>
#include <zavok.h>

static const int lamp_colours[3] = {COLOR_RED, COLOR_YELLOW, COLOR_GREEN};
static const int lit[4][3] = {{1, 0, 0}, {1, 1, 0}, {0, 0, 1}, {0, 1, 0}};
static const char *names[4] = {"red", "red and yellow", "green", "yellow"};

static void draw(int phase) {
    int lamp;
    ZAVOK_clear();
    ZAVOK_rectangle(COLOR_GRAY_20, -40, 130, 40, -130, 0);
    for (lamp = 0; lamp < 3; ++lamp) {
        int radius = 30 + (SUBMISSION == 2 && lit[phase][lamp]);
        ZAVOK_circle(lit[phase][lamp] ? lamp_colours[lamp] : COLOR_BLACK, 0, 80 - 80 * lamp, radius);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y, event, phase = 0, clicks = 0;
    char key;
    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_animate(ANIMATE_HALT);
    for (;;) {
        if (SUBMISSION == 1) {
            ZAVOK_clear(); /* the same pixels, drawn in another order */
            ZAVOK_rectangle(COLOR_GRAY_20, 40, -130, -40, 130, 0);
            for (event = 2; event >= 0; --event)
                ZAVOK_circle(lit[phase][event] ? lamp_colours[event] : COLOR_BLACK, 0, 80 - 80 * event, 30);
        } else {
            draw(phase);
        }
        event = ZAVOK_await_event(&x, &y, &key);
        if (event == ZAVOK_QUIT || (event == ZAVOK_KBD && key == 'q' && SUBMISSION != 8)) break;
        if (event != ZAVOK_MOUSE) continue;
        ++clicks;
        if (SUBMISSION == 4 && clicks == 2)
            for (;;) Sleep(10);
        if (SUBMISSION == 6 && clicks == 2) *(volatile int *)(size_t)x = 1; /* x is 0 here: a write to address 0 */
        if (SUBMISSION == 7 && clicks == 2) return 0;
        phase = SUBMISSION == 3 ? (phase + 3) % 4 : (phase + 1) % 4;
        ZAVOK_printf("%s\n", names[phase]);
        if (SUBMISSION == 5) ZAVOK_printf("debug: click %d\n", clicks);
    }
    ZAVOK_close();
    return 0;
}
