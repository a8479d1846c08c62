/* palette: the 24 colours, each with its index, name and red, green and blue values. */
#include <zavok.h>

static const char *const names[24] = {
    "black",  "white",     "red",        "green",    "blue",      "yellow", "magenta", "cyan",
    "purple", "navy blue", "dusty plum", "ice blue", "turquoise", "orange", "brown",   "pink",
    "chalk",  "gold",      "peach",      "forest green", "sea green", "olive", "50% gray", "20% gray"};

static const int rgb[24][3] = {
    {0, 0, 0},       {255, 255, 255}, {255, 0, 0},     {0, 255, 0},     {0, 0, 255},     {255, 255, 0},
    {255, 0, 255},   {0, 255, 255},   {153, 0, 204},   {0, 51, 153},    {153, 102, 153}, {153, 255, 255},
    {153, 255, 204}, {255, 102, 0},   {153, 102, 51},  {255, 153, 204}, {255, 255, 153}, {204, 153, 51},
    {255, 153, 102}, {0, 102, 51},    {51, 204, 153},  {153, 153, 51},  {128, 128, 128}, {204, 204, 204}};

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int x, y;
    char key;
    int i;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_clear();

    /* reference: begin */
    for (i = 0; i < COLOR_COUNT; i++) {
        int left = -293 + (i % 4) * 148, top = 244 - (i / 4) * 82;
        ZAVOK_rectangle(i, left, top, left + 44, top - 44, 0);                   /* the colour */
        ZAVOK_rectangle(COLOR_BLACK, left, top, left + 44, top - 44, 1);         /* its edge */
        ZAVOK_printf_at(COLOR_BLACK, left + 50, top - 18, 12, "%d %s", i, names[i]);
        ZAVOK_printf_at(COLOR_BLACK, left + 50, top - 36, 11, "%d, %d, %d", rgb[i][0], rgb[i][1], rgb[i][2]);
    }
    /* reference: end */

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
    }
    ZAVOK_close();
    return 0;
}
