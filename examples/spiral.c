/* spiral: a turtle walking a square spiral, one step per periodic event.
 *
 * It turns a little more than a right angle after each step, which grows by six pixels. `s`
 * takes one step (`ANIMATE_STEP`), `r` runs (`ANIMATE_RUN`), `h` halts (`ANIMATE_HALT`), `c`
 * starts again. Nothing is redrawn between events: each step adds a line.
 *
 * Picture: a square spiral of coloured lines.
 */
#include <zavok.h>

#include <math.h>

#define PI 3.14159265358979
#define MAX_STEPS 40

typedef struct {
    double x, y, heading; /* position, and direction in degrees (0 is to the right) */
    int steps;
} Turtle;

static void start(Turtle *turtle) {
    turtle->x = 0;
    turtle->y = 0;
    turtle->heading = 90;
    turtle->steps = 0;
    ZAVOK_clear();
    ZAVOK_text(COLOR_GRAY_50, -285, 225, 14, "s: one step   r: run   h: halt   c: start again");
}

/* Moves forward, drawing, then turns left. The colour goes through the palette from 2 (red)
 * to 23 and round again, leaving out black and white. */
static void step(Turtle *turtle) {
    double length = 6 + 6 * turtle->steps;
    double x = turtle->x + length * cos(turtle->heading * PI / 180);
    double y = turtle->y + length * sin(turtle->heading * PI / 180);
    if (turtle->steps >= MAX_STEPS) return;
    ZAVOK_line(2 + turtle->steps % 22, (int)turtle->x, (int)turtle->y, (int)x, (int)y, 2);
    turtle->x = x;
    turtle->y = y;
    turtle->heading += 92;
    turtle->steps++;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    Turtle turtle;
    int event = 0, x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_show_text(0);
    start(&turtle);

    /* Nothing is redrawn between events: each step adds its line to the picture. */
    while (event != ZAVOK_QUIT) {
        event = ZAVOK_await_event(&x, &y, &key);
        if (event == ZAVOK_PERIODIC) step(&turtle);
        if (event == ZAVOK_KBD) {
            if (key == 's') ZAVOK_animate(ANIMATE_STEP);
            if (key == 'r') ZAVOK_animate(ANIMATE_RUN);
            if (key == 'h') ZAVOK_animate(ANIMATE_HALT);
            if (key == 'c') start(&turtle);
        }
    }
    ZAVOK_close();
    return 0;
}
