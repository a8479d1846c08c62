/* bouncing_ball: a ball that moves on every periodic event and bounces off the edges.
 *
 * It moves ten times a second within the visible area. A click puts the ball where you click,
 * heading up and to the right; the space bar halts and resumes it; closing the window ends the
 * program.
 *
 * Picture: an orange ball near the top right corner of a gray frame.
 */
#include <zavok.h>

/* Half the visible client area, a little inside its edges. */
#define HALF_WIDTH 290
#define HALF_HEIGHT 240
#define RADIUS 20

typedef struct {
    int x, y;   /* centre, world coordinates */
    int dx, dy; /* movement per tick */
} Ball;

static void move_ball(Ball *ball) {
    ball->x += ball->dx;
    ball->y += ball->dy;
    if (ball->x + RADIUS > HALF_WIDTH || ball->x - RADIUS < -HALF_WIDTH) {
        ball->dx = -ball->dx;
        ball->x += 2 * ball->dx;
    }
    if (ball->y + RADIUS > HALF_HEIGHT || ball->y - RADIUS < -HALF_HEIGHT) {
        ball->dy = -ball->dy;
        ball->y += 2 * ball->dy;
    }
}

static void draw_frame(const Ball *ball, int running) {
    ZAVOK_clear();
    ZAVOK_rectangle(COLOR_GRAY_20, -HALF_WIDTH, -HALF_HEIGHT, HALF_WIDTH, HALF_HEIGHT, 2);
    ZAVOK_circle(COLOR_ORANGE, ball->x, ball->y, RADIUS);
    ZAVOK_text(COLOR_GRAY_50, -HALF_WIDTH + 10, HALF_HEIGHT - 24, 14,
               running ? "Space halts the ball; a click moves it" : "Space resumes the ball");
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    Ball ball = {0, 0, 7, 5};
    int running = 1;
    int event = 0;
    int x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_show_text(0);
    ZAVOK_animate(ANIMATE_RUN);

    while (event != ZAVOK_QUIT) {
        draw_frame(&ball, running);
        event = ZAVOK_await_event(&x, &y, &key);
        if (event == ZAVOK_PERIODIC) {
            move_ball(&ball);
        } else if (event == ZAVOK_MOUSE) {
            ball.x = x;
            ball.y = y;
            ball.dx = 7;
            ball.dy = 5;
        } else if (event == ZAVOK_KBD && key == ' ') {
            running = !running;
            ZAVOK_animate(running ? ANIMATE_RUN : ANIMATE_HALT);
        }
    }
    ZAVOK_close();
    return 0;
}
