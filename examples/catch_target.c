/* catch_target: a game: hit the target before it jumps away.
 *
 * The first hit starts 20 seconds of play; every hit scores a point, and the score goes to the
 * text window. `q` ends the program with `ANIMATE_QUIT` from inside the loop.
 *
 * Picture: a red target and "Score 1 time left 20 s".
 */
#include <zavok.h>

#include <stdlib.h>
#include <time.h>

#define GAME_TICKS 200 /* 20 seconds of periodic events, ten a second */
#define JUMP_TICKS 15  /* the target jumps away after 1.5 seconds */
#define RADIUS 24

typedef struct {
    int x, y;       /* the target's centre */
    int score;
    int ticks_left; /* 0: no game running */
    int ticks_here; /* since the target last jumped */
} Game;

static void jump(Game *game) {
    game->x = rand() % 500 - 250;
    game->y = rand() % 380 - 200;
    game->ticks_here = 0;
}

static void draw(const Game *game) {
    ZAVOK_clear();
    ZAVOK_circle(COLOR_RED, game->x, game->y, RADIUS);
    ZAVOK_circle(COLOR_WHITE, game->x, game->y, RADIUS * 2 / 3);
    ZAVOK_circle(COLOR_RED, game->x, game->y, RADIUS / 3);
    if (game->ticks_left > 0)
        ZAVOK_printf_at(COLOR_BLACK, -280, 220, 18, "Score %d    time left %d s", game->score, (game->ticks_left + 9) / 10);
    else
        ZAVOK_text(COLOR_BLACK, -280, 220, 18, "Click the target to start");
}

static void click(Game *game, int x, int y) {
    int dx = x - game->x, dy = y - game->y;
    if (dx * dx + dy * dy > RADIUS * RADIUS) return; /* missed */
    if (game->ticks_left == 0) {
        game->score = 0;
        game->ticks_left = GAME_TICKS;
        ZAVOK_printf("A new game: 20 seconds, go!");
    } else {
        game->score++;
        ZAVOK_printf("Hit! Score %d", game->score);
    }
    jump(game);
}

static void tick(Game *game) {
    if (game->ticks_left == 0) return; /* waiting for the first hit */
    game->ticks_here++;
    if (game->ticks_here == JUMP_TICKS) jump(game);
    game->ticks_left--;
    if (game->ticks_left == 0) ZAVOK_printf("Time is up: %d points. Hit the target to play again.", game->score);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    Game game = {0, 0, 0, 0, 0};
    int event = 0, x, y;
    char key;

    srand((unsigned)time(NULL));
    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_animate(ANIMATE_RUN);

    while (event != ZAVOK_QUIT) {
        draw(&game);
        event = ZAVOK_await_event(&x, &y, &key);
        if (event == ZAVOK_MOUSE) click(&game, x, y);
        if (event == ZAVOK_PERIODIC) tick(&game);
        if (event == ZAVOK_KBD && key == 'q') ZAVOK_animate(ANIMATE_QUIT); /* the next wait reports quit */
    }
    ZAVOK_close();
    return 0;
}
