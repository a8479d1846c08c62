// The drawing calls, the prints and the wait given the worst a caller can pass: the ends of the
// int range for every coordinate and size, texts of 10,000 characters, every byte value,
// formats that expand past the 1023 characters kept, null pointers. Nothing may crash, hang or
// wrap round, and afterwards the package must draw and print as before.
#include "zavok.h"

#include "../../graphics/draw/draw_internal.h"
#include "../console/ring_reader.h"
#include "../draw/surface_probe.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// The ends of the range, their neighbours, and values whose sum with the origin or with a
// radius leaves the range.
const int EXTREMES[] = {INT_MIN, INT_MIN + 1, INT_MIN + 2, INT_MIN / 2, INT_MAX / 2 + 1, INT_MAX - 2, INT_MAX - 1,
                        INT_MAX};

// The pixels inside the cleared surface's black frame (sampled on a grid of `step`) that are
// not `color`.
int surface_pixels_other_than(COLORREF color, int step = 3) {
    int others = 0;
    for (int cy = 1; cy < SURFACE_HEIGHT - 1; cy += step)
        for (int cx = 1; cx < SURFACE_WIDTH - 1; cx += step) others += GetPixel(surface_dc, cx, cy) != color ? 1 : 0;
    return others;
}

// A small known drawing still paints exactly its pixels and a bad radius still gives its notice.
void expect_package_still_draws() {
    clear_surface();
    ZAVOK_circle(COLOR_BLUE, 0, 0, 5);
    EXPECT_EQ(11, count_color(BLUE, -10, 0, 10, 0));
    EXPECT_EQ(11, count_color(BLUE, 0, 10, 0, -10));
    ZAVOK_rectangle(COLOR_RED, 29, 1, 20, 10, 0);
    EXPECT_EQ(100, count_color(RED, 15, 15, 35, -5));
    ZAVOK_line(COLOR_BLACK, -40, -20, -30, -20, 0);
    EXPECT_EQ(10, count_color(BLACK, -45, -20, -25, -20));
    const PrintedSince printed;
    ZAVOK_circle(COLOR_BLUE, 0, 0, -3);
    EXPECT_EQ(3, ZAVOK_printf("%d\n", 42));
    EXPECT_EQ((Lines{"Radius of -3 not possible, using radius 3\n", "42\n"}), printed.messages());
}

// A size notice names the size given and a corrected size that is not negative: its magnitude,
// or, for the most negative int, which has none, some other non-negative value.
void expect_size_notice(const char *format, int given, const std::string &notice) {
    int named = 0, corrected = -1;
    ASSERT_EQ(2, std::sscanf(notice.c_str(), format, &named, &corrected)) << notice;
    EXPECT_EQ(given, named) << notice;
    EXPECT_GE(corrected, 0) << notice;
    if (given != INT_MIN) {
        EXPECT_EQ(-given, corrected) << notice;
    }
}

class BadInput : public testing::Test {
protected:
    // The text window stays shown throughout: every print paints in it, and hiding it costs
    // Wine seconds on a display without a window manager.
    void SetUp() override {
        reset_package();
        logging_enabled = false;
        clear_surface();
    }
    void TearDown() override { logging_enabled = true; }
};

TEST_F(BadInput, EveryCoordinateAtTheEndsOfTheIntRangeIsDrawnAndLoggedAsGiven) {
    logging_enabled = true;
    // Each call is made with one coordinate (or a point, or all) replaced by the value; ~v is
    // the value mirrored about zero that exists for the most negative int too.
    using Call = std::function<void(int)>;
    const Call calls[] = {
        [](int v) { ZAVOK_pixel(COLOR_RED, v, 0); },
        [](int v) { ZAVOK_pixel(COLOR_RED, 0, v); },
        [](int v) { ZAVOK_pixel(COLOR_RED, v, v); },
        [](int v) { ZAVOK_circle(COLOR_RED, v, 0, 20); },
        [](int v) { ZAVOK_circle(COLOR_RED, 0, v, 20); },
        [](int v) { ZAVOK_circle(COLOR_RED, v, ~v, 20); },
        [](int v) { ZAVOK_triangle(COLOR_RED, v, 0, 10, 0, 0, 10, 0); },
        [](int v) { ZAVOK_triangle(COLOR_RED, 0, v, 10, 0, 0, 10, 0); },
        [](int v) { ZAVOK_triangle(COLOR_RED, 0, 0, v, 0, 0, 10, 2); },
        [](int v) { ZAVOK_triangle(COLOR_RED, 0, 0, 10, v, 0, 10, 2); },
        [](int v) { ZAVOK_triangle(COLOR_RED, 0, 0, 10, 0, v, 10, 1); },
        [](int v) { ZAVOK_triangle(COLOR_RED, 0, 0, 10, 0, 0, v, 1); },
        [](int v) { ZAVOK_triangle(COLOR_RED, v, v, ~v, v, v, ~v, 0); },
        [](int v) { ZAVOK_rectangle(COLOR_RED, v, 10, 10, -10, 0); },
        [](int v) { ZAVOK_rectangle(COLOR_RED, -10, v, 10, -10, 3); },
        [](int v) { ZAVOK_rectangle(COLOR_RED, -10, 10, v, -10, 0); },
        [](int v) { ZAVOK_rectangle(COLOR_RED, -10, 10, 10, v, 3); },
        [](int v) { ZAVOK_rectangle(COLOR_RED, v, v, ~v, ~v, 1); },
        [](int v) { ZAVOK_oval(COLOR_RED, v, 10, 10, -10, 0); },
        [](int v) { ZAVOK_oval(COLOR_RED, -10, v, 10, -10, 3); },
        [](int v) { ZAVOK_oval(COLOR_RED, -10, 10, v, -10, 1); },
        [](int v) { ZAVOK_oval(COLOR_RED, -10, 10, 10, v, 0); },
        [](int v) { ZAVOK_oval(COLOR_RED, v, v, ~v, ~v, 2); },
        [](int v) { ZAVOK_line(COLOR_RED, v, 0, 10, 10, 0); },
        [](int v) { ZAVOK_line(COLOR_RED, 0, v, 10, 10, 5); },
        [](int v) { ZAVOK_line(COLOR_RED, 0, 0, v, 10, 1); },
        [](int v) { ZAVOK_line(COLOR_RED, 0, 0, 10, v, 3); },
        [](int v) { ZAVOK_line(COLOR_RED, v, v, ~v, ~v, 0); },
        [](int v) { ZAVOK_text(COLOR_RED, v, 0, 20, "Hg\nHg"); },
        [](int v) { ZAVOK_text(COLOR_RED, 0, v, 20, "Hg\nHg"); },
        [](int v) { ZAVOK_printf_at(COLOR_RED, v, v, 127, "%d\n%d", v, v); },
    };
    for (const int value : EXTREMES) {
        for (size_t i = 0; i < sizeof calls / sizeof calls[0]; ++i) {
            const PrintedSince printed;
            calls[i](value);
            EXPECT_EQ(1u, printed.messages().size()) << "only the log line: call " << i << " with " << value;
        }
    }

    // The log lines show the corners as given, put in order without wrapping round.
    const PrintedSince printed;
    ZAVOK_pixel(COLOR_RED, INT_MIN, INT_MAX);
    ZAVOK_rectangle(COLOR_RED, INT_MAX, INT_MIN, INT_MIN, INT_MAX, 0);
    ZAVOK_oval(COLOR_RED, INT_MAX, INT_MIN + 1, INT_MIN, INT_MAX - 1, 7);
    ZAVOK_line(COLOR_RED, INT_MAX, INT_MIN, INT_MIN, INT_MAX, 0);
    ZAVOK_circle(COLOR_RED, INT_MIN, INT_MAX, INT_MAX);
    EXPECT_EQ((Lines{"red pixel at (-2147483648,2147483647)\n",
                     "red rectangle with bounding box (-2147483648,2147483647) to (2147483647,-2147483648), filled\n",
                     "red oval with bounding box (-2147483648,2147483646) to (2147483647,-2147483647), line width 7\n",
                     "red line from (2147483647,-2147483648) to (-2147483648,2147483647), width 0\n",
                     "red circle at (-2147483648,2147483647), radius 2147483647\n"}),
              printed.messages());

    logging_enabled = false;
    expect_package_still_draws();
}

TEST_F(BadInput, SizesAtTheEndsOfTheRangeGiveTheirNoticesAndAreNeverNegative) {
    const char *const radius = "Radius of %d not possible, using radius %d\n";
    const char *const width = "Width of %d not possible, using width %d\n";
    const char *const ptsize = "ptsize of %d not possible, using ptsize %d\n";
    for (const int value : EXTREMES) {
        SCOPED_TRACE(value);
        const PrintedSince printed;
        ZAVOK_circle(COLOR_GREEN, 0, 0, value);
        ZAVOK_triangle(COLOR_GREEN, -5, -5, 5, -5, 0, 5, value);
        ZAVOK_rectangle(COLOR_GREEN, -5, 5, 5, -5, value);
        ZAVOK_oval(COLOR_GREEN, -5, 5, 5, -5, value);
        ZAVOK_line(COLOR_GREEN, -5, 0, 5, 0, value);
        ZAVOK_text(COLOR_GREEN, 0, 0, value, "Hg");
        EXPECT_EQ(6, ZAVOK_printf_at(COLOR_GREEN, 0, 0, value, "%s", "Hg\nHg\n"));
        const Lines lines = printed.messages();
        if (value > 0) {
            // Positive radii and widths stand; only the sizes of text are held to 127.
            const std::string held = "ptsize of " + std::to_string(value) + " not possible, using ptsize 127\n";
            EXPECT_EQ((Lines{held, held}), lines);
            continue;
        }
        ASSERT_EQ(9u, lines.size());
        expect_size_notice(radius, value, lines[0]);
        for (int i = 1; i <= 4; ++i) expect_size_notice(width, value, lines[i]);
        for (const int i : {5, 7}) {
            expect_size_notice(ptsize, value, lines[i]);
            // Any magnitude this large is then held to 127, with a notice of its own.
            int named = 0;
            ASSERT_EQ(1, std::sscanf(lines[i + 1].c_str(), "ptsize of %d not possible, using ptsize 127\n", &named));
            EXPECT_GT(named, 127);
        }
    }
    expect_package_still_draws();
}

TEST_F(BadInput, ShapesReachingFarBeyondTheSurfaceAreDrawnWhereTheyCrossIt) {
    const int left = world_x(0), right = world_x(SURFACE_WIDTH - 1);
    const int top = world_y(0), bottom = world_y(SURFACE_HEIGHT - 1);

    // Lines across the whole world: a row, a column and the diagonal through the origin.
    ZAVOK_line(COLOR_RED, INT_MIN, 0, INT_MAX, 0, 1);
    EXPECT_EQ(SURFACE_WIDTH, count_color(RED, left, 0, right, 0));
    ZAVOK_line(COLOR_RED, 0, INT_MIN, 0, INT_MAX, 0);
    EXPECT_EQ(SURFACE_HEIGHT, count_color(RED, 0, top, 0, bottom));
    clear_surface();
    ZAVOK_line(COLOR_RED, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1);
    int on_diagonal = 0, diagonal_length = 0;
    for (int k = std::max(left, bottom); k <= std::min(right, top); ++k, ++diagonal_length)
        on_diagonal += world_pixel(k, k) == RED ? 1 : 0;
    EXPECT_EQ(diagonal_length, on_diagonal);
    EXPECT_EQ(0, count_color(RED, 10, -5, 20, -15)) << "nothing beside the diagonal";

    // Filled shapes far larger than the surface cover it; outlines far outside it leave it be.
    clear_surface();
    ZAVOK_triangle(COLOR_RED, INT_MIN, INT_MIN, INT_MAX, INT_MIN, 0, INT_MAX, 0);
    EXPECT_EQ(0, surface_pixels_other_than(RED));
    clear_surface();
    ZAVOK_triangle(COLOR_RED, INT_MIN, INT_MIN, INT_MAX, INT_MIN, 0, INT_MAX, 1);
    ZAVOK_triangle(COLOR_RED, -10000000, -10000000, 10000000, -10000000, 0, 10000000, 5);
    ZAVOK_rectangle(COLOR_RED, INT_MIN, INT_MAX, INT_MAX, INT_MIN, 3);
    ZAVOK_oval(COLOR_RED, INT_MIN, INT_MAX, INT_MAX, INT_MIN, 1);
    ZAVOK_circle(COLOR_RED, INT_MAX, INT_MAX, INT_MAX);
    EXPECT_EQ(0, surface_pixels_other_than(WHITE, 1));
    for (const int radius : {1000000, INT_MAX / 2, INT_MAX}) {
        clear_surface();
        ZAVOK_circle(COLOR_RED, 0, 0, radius);
        EXPECT_EQ(0, surface_pixels_other_than(RED)) << "radius " << radius;
    }

    // Half the world: the triangle below the diagonal, its edge exact across the surface.
    clear_surface();
    ZAVOK_triangle(COLOR_RED, -1000000000, -1000000000, 1000000000, 1000000000, 1000000000, -1000000000, 0);
    EXPECT_EQ(RED, world_pixel(100, 0));
    EXPECT_EQ(RED, world_pixel(-150, -200));
    EXPECT_EQ(RED, world_pixel(200, 200));
    EXPECT_EQ(WHITE, world_pixel(199, 201));
    EXPECT_EQ(WHITE, world_pixel(0, 100));

    // The edge of a disc a million pixels across, where it crosses the surface.
    clear_surface();
    ZAVOK_circle(COLOR_RED, -1000050, 0, 1000000);
    EXPECT_EQ(RED, world_pixel(-51, 0));
    EXPECT_EQ(WHITE, world_pixel(-49, 0));
    EXPECT_EQ(RED, world_pixel(-60, 100));
    EXPECT_EQ(WHITE, world_pixel(-40, 100));

    // Pens as wide as the int range reach across the whole surface from a shape at its middle.
    for (int shape = 0; shape < 4; ++shape) {
        clear_surface();
        if (shape == 0) ZAVOK_line(COLOR_RED, 0, 0, 10, 0, INT_MAX);
        if (shape == 1) ZAVOK_rectangle(COLOR_RED, -10, 10, 10, -10, INT_MAX);
        if (shape == 2) ZAVOK_oval(COLOR_RED, -10, 10, 10, -10, INT_MIN);
        if (shape == 3) ZAVOK_triangle(COLOR_RED, -10, -10, 10, -10, 0, 10, INT_MAX - 1);
        EXPECT_EQ(0, surface_pixels_other_than(RED)) << "shape " << shape;
    }
    // A wide outline of a large oval is a ring: inside and outside it the surface stays white.
    clear_surface();
    ZAVOK_oval(COLOR_RED, -1000, 1000, 1000, -1000, 1000);
    EXPECT_EQ(0, surface_pixels_other_than(WHITE, 1));
    ZAVOK_oval(COLOR_RED, -200, 100, 200, -100, 400);
    EXPECT_EQ(RED, world_pixel(0, 0)) << "a pen wider than the oval leaves no hole";
    EXPECT_EQ(RED, world_pixel(280, 0));
    EXPECT_EQ(WHITE, world_pixel(-290, 240));

    expect_package_still_draws();
}

TEST_F(BadInput, TextsOfTenThousandCharactersAreDrawnAndPrintsAreCutTo1023) {
    logging_enabled = true;
    std::string digits;
    while (digits.size() < 10000) digits += "0123456789";
    const std::string cut = digits.substr(0, 1023);

    const PrintedSince printed;
    EXPECT_EQ(10000, ZAVOK_printf("%s", digits.c_str()));
    EXPECT_EQ(20000, ZAVOK_printf("%s%s", digits.c_str(), digits.c_str()));
    EXPECT_EQ(5000, ZAVOK_printf("%5000d", 7));
    EXPECT_EQ(5002, ZAVOK_printf("%-5000d%s", 7, "\n\n"));
    EXPECT_EQ(1, ZAVOK_text(COLOR_BLACK, -290, 200, 12, digits.c_str()));
    EXPECT_EQ(10000, ZAVOK_printf_at(COLOR_BLACK, -290, 150, 12, "%s", digits.c_str()));
    EXPECT_EQ(5000, ZAVOK_printf_at(COLOR_BLACK, -290, 100, 12, "%-5000d", 7));
    const Lines lines = printed.messages();
    ASSERT_EQ(7u, lines.size());
    EXPECT_EQ(cut, lines[0]);
    EXPECT_EQ(cut, lines[1]);
    EXPECT_EQ(std::string(1023, ' '), lines[2]);
    EXPECT_EQ("7" + std::string(1022, ' '), lines[3]);
    EXPECT_EQ(("black text at (-290,200), \"" + digits).substr(0, 1023), lines[4]);
    EXPECT_EQ(("black text at (-290,150), \"" + digits).substr(0, 1023), lines[5]);
    EXPECT_EQ(("black text at (-290,100), \"7" + std::string(1100, ' ')).substr(0, 1023), lines[6]);

    // All of each text is drawn along its line (the surface holds some hundred digits of it).
    EXPECT_GT(count_color(BLACK, 250, 215, 300, 201), 0);
    EXPECT_GT(count_color(BLACK, 250, 165, 300, 151), 0);
    EXPECT_GT(count_color(BLACK, -290, 115, -280, 101), 0) << "the 7 that leads the spaces";

    // Thousands of lines, wherever their first one stands.
    std::string many_lines;
    for (int i = 0; i < 5000; ++i) many_lines += "#\n";
    logging_enabled = false;
    clear_surface();
    ZAVOK_text(COLOR_BLACK, -290, 240, 10, many_lines.c_str());
    EXPECT_GT(count_color(BLACK, -290, 239, -270, 200), 0);
    EXPECT_GT(count_color(BLACK, -290, -200, -270, -240), 0) << "lines reach the bottom of the surface";
    for (const int y : {INT_MIN, INT_MIN + 20, -1000, INT_MAX - 20, INT_MAX}) {
        ZAVOK_text(COLOR_BLACK, 0, y, 127, many_lines.c_str());
        ZAVOK_text(COLOR_BLACK, y, 0, 127, digits.c_str());
    }
    expect_package_still_draws();
}

TEST_F(BadInput, EveryByteValueIsPrintedAndDrawnAsACharacter) {
    std::string every_byte;
    for (int byte = 1; byte <= 255; ++byte) every_byte += static_cast<char>(byte);
    logging_enabled = true;
    const PrintedSince printed;
    EXPECT_EQ(255, ZAVOK_printf("%s", every_byte.c_str()));
    EXPECT_EQ(11, ZAVOK_printf("before\x1a" "af\r\t"));
    EXPECT_EQ(255, ZAVOK_printf_at(COLOR_BLACK, -290, 0, 14, "%s", every_byte.c_str()));
    EXPECT_EQ(1, ZAVOK_text(COLOR_BLACK, -290, -50, 14, "\r\t\x1a\x7f\xff"));
    const Lines lines = printed.messages();
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(every_byte, lines[0]) << "stored byte for byte, a Ctrl-Z included";
    EXPECT_EQ("before\x1a" "af\r\t", lines[1]);
    EXPECT_EQ("black text at (-290,0), \"" + every_byte + "\"\n", lines[2]);
    EXPECT_EQ("black text at (-290,-50), \"\r\t\x1a\x7f\xff\"\n", lines[3]);

    // Only '\n' breaks a drawn line; the other control characters take their place in it.
    clear_surface();
    logging_enabled = false;
    ZAVOK_text(COLOR_BLACK, -290, 0, 20, "AB\r\t\x1a\x01\x1b\x7f\xff\nCD\r\x1a\x08\x80\xa0");
    EXPECT_GT(count_color(BLACK, -290, 25, -240, 1), 0) << "the first line stands on the point";
    EXPECT_GT(count_color(BLACK, -290, 0, -240, -25), 0) << "the second lies below it";
    ZAVOK_text(COLOR_BLACK, -290, -100, 20, "\r\r\r\t\t\t\x1a\x1a");
    ZAVOK_printf_at(COLOR_BLACK, -290, -150, 20, "%c%c%s", '\r', '\t', "\x1a\n\n\n");
    expect_package_still_draws();
}

TEST_F(BadInput, TheWaitTakesNullForAnyOfItsOutputs) {
    post_click(origin_x + 7, origin_y - 9);
    EXPECT_EQ(ZAVOK_MOUSE, ZAVOK_await_event(nullptr, nullptr, nullptr));
    post_char('q');
    EXPECT_EQ(ZAVOK_KBD, ZAVOK_await_event(nullptr, nullptr, nullptr));

    post_click(origin_x + 7, origin_y - 9);
    int x = 0;
    EXPECT_EQ(ZAVOK_MOUSE, ZAVOK_await_event(&x, nullptr, nullptr));
    EXPECT_EQ(7, x);
    post_char('q');
    char key = 0;
    EXPECT_EQ(ZAVOK_KBD, ZAVOK_await_event(nullptr, nullptr, &key));
    EXPECT_EQ('q', key);

    // A single step comes with the next tick; the click later only ends a wait that it missed.
    ZAVOK_animate(ANIMATE_STEP);
    post_click_later(3000, origin_x, origin_y);
    int y = 1;
    EXPECT_EQ(ZAVOK_PERIODIC, ZAVOK_await_event(nullptr, &y, nullptr));
    EXPECT_EQ(0, y);
    reset_package();
}

}  // namespace
