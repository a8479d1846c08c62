// The artwork of the card's objects: seven shapes and six greetings, each anchored at its
// object's point and varied a little on every pass by the designer's generator.
//
// Each picture takes a fixed count of random numbers in a fixed order, so one seed replays the
// same frames. Derived colours (c + 1, c + r + k, ...) are deliberately left unreduced: one that
// leaves the palette is drawn red by the drawing call, which also says so in the text window.
#include "designer.h"

#include <cmath>

namespace {

// Slightly more than two pi; the burst's loop runs while the angle stays below it.
constexpr double FULL_TURN = 6.2832;
constexpr int BURST_RADIUS = 40;

// Candle colours, left to right.
constexpr int CANDLE_COLOURS[4] = {COLOR_PURPLE, COLOR_PINK, COLOR_GREEN, COLOR_YELLOW};

struct Ornament {
    int shift;  // added to the object's colour and the pass's random offset
    int dx;
    int dy;
};

const Ornament ORNAMENTS[7] = {
    {0, -2, 0}, {5, -4, -9}, {3, -7, -28}, {12, 3, -30}, {19, 6, -3}, {7, 3, -18}, {6, 10, -29},
};

}  // namespace

void draw_shape(int variant, int colour, int x, int y) {
    switch (variant % SHAPE_VARIANTS) {  // a negative variant leaves a negative remainder: no shape
        case 0:
            draw_heart(x, y, colour);
            break;
        case 1:
            draw_starburst(x, y, colour);
            break;
        case 2:
            draw_arrow_right(x, y, colour);
            break;
        case 3:
            draw_arrow_left(x, y, colour);
            break;
        case 4:
            draw_cake(x, y, colour);
            break;
        case 5:
            draw_balloons(x, y, colour);
            break;
        case 6:
            draw_tree(x, y, colour);
            break;
        default:
            break;
    }
}

void draw_greeting(int variant, int colour, int x, int y) {
    // Taken before the variant is looked at, so every greeting costs one number.
    const int r = random_next() % 3;
    switch (variant % GREETING_VARIANTS) {
        case 0:
            ZAVOK_printf_at(colour, x, y, 16 + r, "Happy Birthday!");
            break;
        case 1:
            ZAVOK_printf_at(colour, x, y, 16 + r, "I love you");
            break;
        case 2:
            ZAVOK_printf_at(colour, x, y, 16 + r, "Be mine...");
            break;
        case 3:
            ZAVOK_printf_at(colour, x, y, 20 + r, "Congratulations!!");
            break;
        case 4:
            ZAVOK_printf_at(colour, x, y, 16 + r, "Merry Christmas!");
            break;
        case 5:
            ZAVOK_printf_at(colour, x, y, 16 + r, "Thank you");
            break;
        default:
            break;
    }
}

void draw_heart(int x, int y, int colour) {
    const int radius = 17 + random_next() % 4;
    ZAVOK_circle(colour, x - radius + 5, y, radius);
    ZAVOK_circle(colour, x + radius - 5, y, radius);
    ZAVOK_triangle(colour, x - 2 * radius + 5, y - 5, x + 2 * radius - 5, y - 5, x, y - 2 * radius - 5, 0);
}

void draw_starburst(int x, int y, int colour) {
    const int n = 5 + random_next() % 3;
    // Accumulated rather than computed as i * step: the rounding of the running sum decides
    // whether a seventh of a turn gets an eighth, nearly repeated, diameter.
    for (double a = 0.0; a < FULL_TURN; a += FULL_TURN / n) {
        const int dx = static_cast<int>(BURST_RADIUS * std::cos(a));
        const int dy = static_cast<int>(BURST_RADIUS * std::sin(a));
        ZAVOK_line(colour, x + dx, y + dy, x - dx, y - dy, 1);
    }
}

void draw_arrow_right(int x, int y, int colour) {
    const int e = 15 + random_next() % 4;
    ZAVOK_line(colour, x, y, x - e, y + e, 3);
    ZAVOK_line(colour, x, y, x - e, y - e, 3);
    ZAVOK_line(colour, x, y, x - 30 - e, y, 3);
}

void draw_arrow_left(int x, int y, int colour) {
    const int e = 15 + random_next() % 4;
    ZAVOK_line(colour, x, y, x + e, y + e, 3);
    ZAVOK_line(colour, x, y, x + e, y - e, 3);
    ZAVOK_line(colour, x, y, x + 30 + e, y, 3);
}

void draw_cake(int x, int y, int colour) {
    ZAVOK_rectangle(colour, x, y, x + 50, y + 30, 0);
    for (int k = 1; k <= 4; ++k) {
        ZAVOK_line(CANDLE_COLOURS[k - 1], x + 10 * k, y + 31, x + 10 * k, y + 40, 2);
    }
    for (int k = 1; k <= 4; ++k) {
        const int flicker = random_next() % 2;
        ZAVOK_triangle(COLOR_ORANGE, x + 10 * k - 1, y + 43, x + 10 * k, y + 45 + flicker, x + 10 * k + 1, y + 43, 0);
    }
}

void draw_balloons(int x, int y, int colour) {
    // The knot, below the balloons; its two numbers are taken in this order.
    const int p = x + 2 + random_next() % 3;
    const int q = y - 80 + random_next() % 3;

    ZAVOK_circle(colour, x - 30, y - 10, 18);
    ZAVOK_circle(colour + 1, x, y, 20);
    ZAVOK_circle(colour + 2, x + 30, y - 13, 19);

    ZAVOK_line(colour + 1, x - 30, y - 28, p + 8, q - 8, 2);
    ZAVOK_line(colour + 2, x, y - 20, p, q - 8, 2);
    ZAVOK_line(colour + 3, x + 30, y - 30, p - 8, q - 8, 2);

    ZAVOK_oval(colour + 1, p - 6, q, p, q + 4, 0);
    ZAVOK_oval(colour + 1, p, q, p + 6, q + 4, 0);
}

void draw_tree(int x, int y, int colour) {
    const int r = random_next() % 24;
    ZAVOK_triangle(COLOR_GREEN, x, y, x - 20, y - 34, x + 20, y - 34, 0);
    ZAVOK_triangle(COLOR_GREEN, x, y + 16, x - 16, y - 16, x + 16, y - 16, 0);
    ZAVOK_rectangle(COLOR_BROWN, x - 4, y - 41, x + 4, y - 35, 0);

    for (const Ornament &ornament : ORNAMENTS) {
        ZAVOK_circle(colour + r + ornament.shift, x + ornament.dx, y + ornament.dy, 2);
    }

    ZAVOK_circle(COLOR_WHITE, x, y + 19, 3);
    ZAVOK_triangle(COLOR_WHITE, x, y + 19, x - 5, y + 10, x + 5, y + 10, 0);
    ZAVOK_circle(COLOR_WHITE, x, y + 24, 2);
}
