// The shapes and greetings: how many random numbers each takes, where it draws, in which colours.
#include "designer_test_helpers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace {

using Lines = std::vector<std::string>;

std::string format(const char *pattern, int a, int b, int c = 0, int d = 0) {
    char text[128];
    std::snprintf(text, sizeof text, pattern, a, b, c, d);
    return text;
}

TEST(Artwork, EachPictureTakesItsCountOfRandomNumbersAndNegativeVariantsDrawNothing) {
    // Shape variants 0..6, then 11 (cake), 12 (balloons), -7 (remainder 0: heart), -1, -4.
    const int shapes[] = {0, 1, 2, 3, 4, 5, 6, 11, 12, -7, -1, -4};
    const int shape_draws[] = {1, 1, 1, 1, 4, 2, 1, 4, 2, 1, 0, 0};
    for (int i = 0; i < 12; ++i) {
        const int expected = nth_random(777, shape_draws[i]);
        random_seed(777);
        draw_shape(shapes[i], COLOR_BLACK, 0, 0);
        EXPECT_EQ(expected, random_next()) << "shape variant " << shapes[i];
    }
    for (const int variant : {0, 3, 5, 6, -1, -5}) {
        const int expected = nth_random(777, 1);
        random_seed(777);
        draw_greeting(variant, COLOR_BLACK, 0, 0);
        EXPECT_EQ(expected, random_next()) << "greeting variant " << variant;
    }

    start_capture();
    draw_shape(-1, COLOR_BLACK, 0, 0);
    draw_shape(-13, COLOR_BLACK, 0, 0);
    draw_greeting(-1, COLOR_BLACK, 0, 0);
    EXPECT_EQ(Lines{}, captured_lines());
}

TEST(Artwork, TheHeartOfSeedOneHasRadiusEighteen) {
    random_seed(1);
    start_capture();
    draw_heart(20, -30, COLOR_BLACK);
    EXPECT_EQ((Lines{"black circle at (7,-30), radius 18", "black circle at (33,-30), radius 18",
                     "black triangle at (-11,-35), (51,-35), (20,-71)"}),
              captured_lines());
}

TEST(Artwork, StarburstLinesFollowTheAccumulatedAngle) {
    const std::vector<std::vector<int>> offsets = {
        {40, 0, 12, 38, -32, 23, -32, -23, 12, -38},
        {40, 0, 19, 34, -20, 34, -39, 0, -19, -34, 20, -34},
        {40, 0, 24, 31, -8, 38, -36, 17, -36, -17, -8, -38, 24, -31, 39, 0},
    };
    for (int extra = 0; extra < 3; ++extra) {
        Lines expected;
        for (size_t i = 0; i < offsets[extra].size(); i += 2) {
            const int dx = offsets[extra][i];
            const int dy = offsets[extra][i + 1];
            expected.push_back(format("black line from (%d,%d) to (%d,%d), width 1", -40 + dx, 25 + dy, -40 - dx, 25 - dy));
        }
        random_seed(seed_giving(3, extra));
        start_capture();
        draw_starburst(-40, 25, COLOR_BLACK);
        EXPECT_EQ(expected, captured_lines()) << "n = " << 5 + extra;
    }
}

TEST(Artwork, ColoursBeyondThePaletteAreDrawnRedWithTheirNotice) {
    const int p = 2 + nth_random(99, 0) % 3;
    const int q = -80 + nth_random(99, 1) % 3;
    random_seed(99);
    start_capture();
    draw_balloons(0, 0, COLOR_GRAY_50);
    EXPECT_EQ((Lines{"50% gray circle at (-30,-10), radius 18", "20% gray circle at (0,0), radius 20",
                     "Illegal color 24; using RED.", "red circle at (30,-13), radius 19",
                     format("20%% gray line from (-30,-28) to (%d,%d), width 2", p + 8, q - 8),
                     "Illegal color 24; using RED.", format("red line from (0,-20) to (%d,%d), width 2", p, q - 8),
                     "Illegal color 25; using RED.", format("red line from (30,-30) to (%d,%d), width 2", p - 8, q - 8),
                     format("20%% gray oval with bounding box (%d,%d) to (%d,%d), filled", p - 6, q + 4, p, q),
                     format("20%% gray oval with bounding box (%d,%d) to (%d,%d), filled", p, q + 4, p + 6, q)}),
              captured_lines());

    // Tree ornaments: colour 0 + r + k for k = 0, 5, 3, 12, 19, 7, 6; lines 3 onward of the log.
    random_seed(seed_giving(24, 0));
    start_capture();
    draw_tree(30, 40, COLOR_BLACK);
    Lines lines = captured_lines();
    ASSERT_EQ(13u, lines.size()) << "r = 0";
    EXPECT_EQ((Lines{"black circle at (28,40), radius 2", "yellow circle at (26,31), radius 2",
                     "green circle at (23,12), radius 2", "turquoise circle at (33,10), radius 2",
                     "forest green circle at (36,37), radius 2", "cyan circle at (33,22), radius 2",
                     "magenta circle at (40,11), radius 2"}),
              Lines(lines.begin() + 3, lines.begin() + 10))
        << "r = 0";

    random_seed(seed_giving(24, 23));
    start_capture();
    draw_tree(30, 40, COLOR_BLACK);
    lines = captured_lines();
    Lines expected = {"20% gray circle at (28,40), radius 2"};
    const int shifted[] = {28, 26, 35, 42, 30, 29};
    const char *const places[] = {"(26,31)", "(23,12)", "(33,10)", "(36,37)", "(33,22)", "(40,11)"};
    for (int i = 0; i < 6; ++i) {
        expected.push_back(format("Illegal color %d; using RED.", shifted[i], 0));
        expected.push_back(std::string("red circle at ") + places[i] + ", radius 2");
    }
    ASSERT_EQ(19u, lines.size()) << "r = 23";
    EXPECT_EQ(expected, Lines(lines.begin() + 3, lines.begin() + 16)) << "r = 23";
}

TEST(Artwork, GreetingsPickTheirTextAndPointSize) {
    random_seed(1);
    start_capture();
    draw_greeting(6, COLOR_PURPLE, -50, 60);
    draw_greeting(3, COLOR_PURPLE, -50, 60);
    draw_greeting(10, COLOR_PURPLE, -50, 60);
    EXPECT_EQ((Lines{"purple text at (-50,60), \"Happy Birthday!\"", "purple text at (-50,60), \"Congratulations!!\"",
                     "purple text at (-50,60), \"Merry Christmas!\""}),
              captured_lines());

    // The log line has no size: compare the pixels with the same text drawn at a known size.
    const auto drawn = [](const std::function<void()> &draw) {
        clear_drawing_area();
        draw();
        return pixels_in(-100, -10, 120, 40);
    };
    const auto text_at = [&drawn](int size, const char *text) {
        return drawn([=] { ZAVOK_text(COLOR_BLACK, -100, 0, size, text); });
    };
    for (const int r : {0, 2}) {
        random_seed(seed_giving(3, r));
        const auto love = drawn([] { draw_greeting(1, COLOR_BLACK, -100, 0); });
        random_seed(seed_giving(3, r));
        const auto congratulations = drawn([] { draw_greeting(3, COLOR_BLACK, -100, 0); });
        EXPECT_EQ(text_at(16 + r, "I love you"), love) << "r = " << r;
        EXPECT_NE(text_at(17, "I love you"), love) << "r = " << r;
        EXPECT_EQ(text_at(20 + r, "Congratulations!!"), congratulations) << "r = " << r;
    }
}

}  // namespace
