// The shapes and greetings: how many random numbers each takes, where it draws and in which colours.
#include "designer.h"
#include "drawing_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string line_of(const char *format, int a, int b, int c, int d) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return text;
}

struct DrawCount {
    const char *what;
    void (*draw)();
    int numbers;
};

TEST(Artwork, EachPictureTakesExactlyItsCountOfRandomNumbers) {
    const DrawCount cases[] = {
        {"heart", [] { draw_shape(0, 0, 0, 0); }, 1},
        {"starburst", [] { draw_shape(1, 0, 0, 0); }, 1},
        {"arrow right", [] { draw_shape(2, 0, 0, 0); }, 1},
        {"arrow left", [] { draw_shape(3, 0, 0, 0); }, 1},
        {"cake", [] { draw_shape(4, 0, 0, 0); }, 4},
        {"balloons", [] { draw_shape(5, 0, 0, 0); }, 2},
        {"tree", [] { draw_shape(6, 0, 0, 0); }, 1},
        {"variant 11 is the cake", [] { draw_shape(11, 0, 0, 0); }, 4},
        {"variant 12 is the balloons", [] { draw_shape(12, 0, 0, 0); }, 2},
        {"variant -7 leaves remainder 0: the heart", [] { draw_shape(-7, 0, 0, 0); }, 1},
        {"variant -1 is no shape", [] { draw_shape(-1, 0, 0, 0); }, 0},
        {"variant -4 is no shape", [] { draw_shape(-4, 0, 0, 0); }, 0},
        {"greeting 0", [] { draw_greeting(0, 0, 0, 0); }, 1},
        {"greeting 3", [] { draw_greeting(3, 0, 0, 0); }, 1},
        {"greeting 5", [] { draw_greeting(5, 0, 0, 0); }, 1},
        {"greeting 6", [] { draw_greeting(6, 0, 0, 0); }, 1},
        {"greeting -1 draws nothing but still takes its number", [] { draw_greeting(-1, 0, 0, 0); }, 1},
    };
    const unsigned seed = 12345;
    for (const DrawCount &each : cases) {
        const int expected = nth_random(seed, each.numbers);
        random_seed(seed);
        each.draw();
        EXPECT_EQ(expected, random_next()) << each.what << " should take " << each.numbers;
    }
}

TEST(Artwork, NegativeVariantsDrawNothing) {
    start_capture();
    draw_shape(-1, 0, 0, 0);
    draw_shape(-13, 0, 0, 0);
    draw_greeting(-1, 0, 0, 0);
    draw_greeting(-11, 0, 0, 0);
    EXPECT_EQ(std::vector<std::string>{}, captured_lines());
}

TEST(Artwork, TheHeartOfSeedOneHasRadiusEighteen) {
    random_seed(1);
    start_capture();
    draw_heart(20, -30, COLOR_BLACK);
    const std::vector<std::string> expected = {
        "black circle at (7,-30), radius 18",
        "black circle at (33,-30), radius 18",
        "black triangle at (-11,-35), (51,-35), (20,-71)",
    };
    EXPECT_EQ(expected, captured_lines());
}

TEST(Artwork, StarburstLinesFollowTheAccumulatedAngle) {
    struct Offset {
        int dx;
        int dy;
    };
    const std::vector<std::vector<Offset>> bursts = {
        {{40, 0}, {12, 38}, {-32, 23}, {-32, -23}, {12, -38}},
        {{40, 0}, {19, 34}, {-20, 34}, {-39, 0}, {-19, -34}, {20, -34}},
        {{40, 0}, {24, 31}, {-8, 38}, {-36, 17}, {-36, -17}, {-8, -38}, {24, -31}, {39, 0}},
    };
    const int x = -40;
    const int y = 25;
    for (int extra = 0; extra < 3; ++extra) {
        random_seed(seed_giving(3, extra));
        start_capture();
        draw_starburst(x, y, COLOR_BLACK);
        std::vector<std::string> expected;
        for (const Offset &o : bursts[extra]) {
            expected.push_back(line_of("black line from (%d,%d) to (%d,%d), width 1", x + o.dx, y + o.dy, x - o.dx, y - o.dy));
        }
        EXPECT_EQ(expected, captured_lines()) << "n = " << 5 + extra;
    }
}

TEST(Artwork, ArrowsCakeAndTreeStandWhereTheyShould) {
    const unsigned seed = seed_giving(4, 2);  // e = 17
    random_seed(seed);
    start_capture();
    draw_arrow_right(0, 0, COLOR_BLUE);
    draw_arrow_left(0, 0, COLOR_BLUE);
    std::vector<std::string> lines = captured_lines();
    ASSERT_EQ(6u, lines.size());
    EXPECT_EQ("blue line from (0,0) to (-17,17), width 3", lines[0]);
    EXPECT_EQ("blue line from (0,0) to (-17,-17), width 3", lines[1]);
    EXPECT_EQ("blue line from (0,0) to (-47,0), width 3", lines[2]);
    const int e = 15 + nth_random(seed, 1) % 4;
    EXPECT_EQ(line_of("blue line from (%d,%d) to (%d,%d), width 3", 0, 0, e, e), lines[3]);
    EXPECT_EQ(line_of("blue line from (%d,%d) to (%d,%d), width 3", 0, 0, e, -e), lines[4]);
    EXPECT_EQ(line_of("blue line from (%d,%d) to (%d,%d), width 3", 0, 0, 30 + e, 0), lines[5]);

    random_seed(7);
    const int flames[4] = {nth_random(7, 0) % 2, nth_random(7, 1) % 2, nth_random(7, 2) % 2, nth_random(7, 3) % 2};
    random_seed(7);
    start_capture();
    draw_cake(10, 20, COLOR_BROWN);
    lines = captured_lines();
    ASSERT_EQ(9u, lines.size());
    EXPECT_EQ("brown rectangle with bounding box (10,50) to (60,20), filled", lines[0]);
    EXPECT_EQ("purple line from (20,51) to (20,60), width 2", lines[1]);
    EXPECT_EQ("pink line from (30,51) to (30,60), width 2", lines[2]);
    EXPECT_EQ("green line from (40,51) to (40,60), width 2", lines[3]);
    EXPECT_EQ("yellow line from (50,51) to (50,60), width 2", lines[4]);
    for (int k = 1; k <= 4; ++k) {
        char expected[128];
        std::snprintf(expected, sizeof expected, "orange triangle at (%d,63), (%d,%d), (%d,63)", 10 + 10 * k - 1, 10 + 10 * k,
                      65 + flames[k - 1], 10 + 10 * k + 1);
        EXPECT_EQ(expected, lines[4 + k]);
    }

    random_seed(seed_giving(24, 0));
    start_capture();
    draw_tree(0, 0, COLOR_BLACK);
    lines = captured_lines();
    ASSERT_EQ(13u, lines.size());
    EXPECT_EQ("green triangle at (0,0), (-20,-34), (20,-34)", lines[0]);
    EXPECT_EQ("green triangle at (0,16), (-16,-16), (16,-16)", lines[1]);
    EXPECT_EQ("brown rectangle with bounding box (-4,-35) to (4,-41), filled", lines[2]);
    EXPECT_EQ("white circle at (0,19), radius 3", lines[10]);
    EXPECT_EQ("white triangle at (0,19), (-5,10), (5,10)", lines[11]);
    EXPECT_EQ("white circle at (0,24), radius 2", lines[12]);
}

TEST(Artwork, TreeOrnamentsShiftWithTheColourAndTheRandomOffset) {
    random_seed(seed_giving(24, 0));
    start_capture();
    draw_tree(30, 40, COLOR_BLACK);
    std::vector<std::string> lines = captured_lines();
    ASSERT_EQ(13u, lines.size());
    const std::vector<std::string> ornaments_r0(lines.begin() + 3, lines.begin() + 10);
    const std::vector<std::string> expected_r0 = {
        "black circle at (28,40), radius 2",        "yellow circle at (26,31), radius 2",
        "green circle at (23,12), radius 2",        "turquoise circle at (33,10), radius 2",
        "forest green circle at (36,37), radius 2", "cyan circle at (33,22), radius 2",
        "magenta circle at (40,11), radius 2",
    };
    EXPECT_EQ(expected_r0, ornaments_r0);

    random_seed(seed_giving(24, 23));
    start_capture();
    draw_tree(30, 40, COLOR_BLACK);
    lines = captured_lines();
    ASSERT_EQ(19u, lines.size());
    const std::vector<std::string> ornaments_r23(lines.begin() + 3, lines.begin() + 16);
    const std::vector<std::string> expected_r23 = {
        "20% gray circle at (28,40), radius 2",
        "Illegal color 28; using RED.", "red circle at (26,31), radius 2",
        "Illegal color 26; using RED.", "red circle at (23,12), radius 2",
        "Illegal color 35; using RED.", "red circle at (33,10), radius 2",
        "Illegal color 42; using RED.", "red circle at (36,37), radius 2",
        "Illegal color 30; using RED.", "red circle at (33,22), radius 2",
        "Illegal color 29; using RED.", "red circle at (40,11), radius 2",
    };
    EXPECT_EQ(expected_r23, ornaments_r23);
}

TEST(Artwork, BalloonsOfColourTwentyTwoRunOffThePaletteIntoRed) {
    const unsigned seed = 99;
    const int p = 2 + nth_random(seed, 0) % 3;
    const int q = -80 + nth_random(seed, 1) % 3;
    random_seed(seed);
    start_capture();
    draw_balloons(0, 0, COLOR_GRAY_50);
    const std::vector<std::string> expected = {
        "50% gray circle at (-30,-10), radius 18",
        "20% gray circle at (0,0), radius 20",
        "Illegal color 24; using RED.",
        "red circle at (30,-13), radius 19",
        line_of("20%% gray line from (-30,-28) to (%d,%d), width 2", p + 8, q - 8, 0, 0),
        "Illegal color 24; using RED.",
        line_of("red line from (0,-20) to (%d,%d), width 2", p, q - 8, 0, 0),
        "Illegal color 25; using RED.",
        line_of("red line from (30,-30) to (%d,%d), width 2", p - 8, q - 8, 0, 0),
        line_of("20%% gray oval with bounding box (%d,%d) to (%d,%d), filled", p - 6, q + 4, p, q),
        line_of("20%% gray oval with bounding box (%d,%d) to (%d,%d), filled", p, q + 4, p + 6, q),
    };
    EXPECT_EQ(expected, captured_lines());
}

TEST(Artwork, GreetingsPickTheirTextAndAreDrawnAtTheirPointSize) {
    random_seed(1);
    start_capture();
    draw_greeting(6, COLOR_PURPLE, -50, 60);
    draw_greeting(3, COLOR_PURPLE, -50, 60);
    draw_greeting(10, COLOR_PURPLE, -50, 60);
    const std::vector<std::string> expected = {
        "purple text at (-50,60), \"Happy Birthday!\"",
        "purple text at (-50,60), \"Congratulations!!\"",
        "purple text at (-50,60), \"Merry Christmas!\"",
    };
    EXPECT_EQ(expected, captured_lines());

    // The size is not in the log line: compare the pixels with the text drawn at a known size.
    struct Greeting {
        int variant;
        const char *text;
        int base_size;
    };
    const Greeting greetings[] = {{1, "I love you", 16}, {3, "Congratulations!!", 20}};
    for (const Greeting &greeting : greetings) {
        for (int r = 0; r < 3; r += 2) {
            random_seed(seed_giving(3, r));
            clear_drawing_area();
            draw_greeting(greeting.variant, COLOR_BLACK, -100, 0);
            const std::vector<COLORREF> drawn = pixels_in(-100, -10, 120, 40);

            clear_drawing_area();
            ZAVOK_text(COLOR_BLACK, -100, 0, greeting.base_size + r, greeting.text);
            EXPECT_EQ(pixels_in(-100, -10, 120, 40), drawn) << greeting.text << " at " << greeting.base_size + r;

            clear_drawing_area();
            ZAVOK_text(COLOR_BLACK, -100, 0, greeting.base_size + 1, greeting.text);
            EXPECT_NE(pixels_in(-100, -10, 120, 40), drawn) << greeting.text << " is not drawn at "
                                                            << greeting.base_size + 1;
        }
    }
}

}  // namespace
