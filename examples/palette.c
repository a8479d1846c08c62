/* palette: the 24 colours of the palette with their numbers and names.
 *
 * Each colour is a swatch, filled and outlined; a click on a swatch prints its name in the text
 * window. Closing the window ends the program.
 *
 * Picture: the 24 colours as swatches with their numbers and names.
 */
#include <zavok.h>

#define COLUMNS 4
#define SWATCH_WIDTH 140
#define SWATCH_HEIGHT 64
#define LEFT (-COLUMNS * SWATCH_WIDTH / 2)
#define TOP 230

static const char *const color_names[24] = {
    "black", "white", "red", "green", "blue", "yellow", "magenta", "cyan",
    "purple", "navy blue", "dusty plum", "ice blue", "turquoise", "orange", "brown", "pink",
    "chalk", "gold", "peach", "forest green", "sea green", "olive", "50% gray", "20% gray"};

static void draw_swatch(int color) {
    int x = LEFT + (color % COLUMNS) * SWATCH_WIDTH;
    int y = TOP - (color / COLUMNS) * (SWATCH_HEIGHT + 12);
    ZAVOK_rectangle(color, x + 4, y, x + 40, y - SWATCH_HEIGHT, 0);          /* filled */
    ZAVOK_rectangle(COLOR_BLACK, x + 4, y, x + 40, y - SWATCH_HEIGHT, 1);    /* outline */
    ZAVOK_printf_at(COLOR_BLACK, x + 46, y - 28, 14, "%d", color);
    ZAVOK_text(COLOR_BLACK, x + 46, y - 50, 14, color_names[color]);
}

/* The colour whose swatch or label holds the point, or -1 outside the chart. */
static int color_at(int x, int y) {
    int column = (x - LEFT) / SWATCH_WIDTH;
    int row = (TOP - y) / (SWATCH_HEIGHT + 12);
    if (x < LEFT || y > TOP || column >= COLUMNS || row >= COLOR_COUNT / COLUMNS) return -1;
    return row * COLUMNS + column;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int color, x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_clear();
    for (color = 0; color < COLOR_COUNT; color++) draw_swatch(color);
    ZAVOK_printf("Click a swatch to see its name here.");

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
        color = color_at(x, y);
        if (color >= 0) ZAVOK_printf("colour %d is %s", color, color_names[color]);
    }
    ZAVOK_close();
    return 0;
}
