// The layout of a pass, as logged, and a whole frame read back from the surface.
#include "designer_test_helpers.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

class Screen : public testing::Test {
protected:
    void SetUp() override { init_designer_state(state); }
    DesignerState state;
};

TEST_F(Screen, APassDrawsTheLayoutInOrderWithTheStatusOfTheMode) {
    state.objects.object_kind[0] = OBJECT_TEXT;
    state.objects.object_kind[2] = OBJECT_TEXT;  // entry 1 has kind 0 and draws nothing
    state.objects.object_variant[2] = 2;
    state.objects.object_kind[3] = OBJECT_TEXT;  // beyond the count
    start_capture();
    clear_drawing_area();
    draw_card(COLOR_CYAN, MODE_ADD_SHAPE, 3, state.objects);
    Lines lines = captured_lines();
    ASSERT_EQ(8u, lines.size());
    EXPECT_EQ((Lines{"white rectangle with bounding box (-300,250) to (300,-250), filled",
                     "cyan rectangle with bounding box (-135,200) to (220,-150), filled",
                     "black rectangle with bounding box (-138,203) to (223,-153) with line width 4",
                     "blue text at (-292,-10), \"Kartello\""}),
              Lines(lines.begin(), lines.begin() + 4));
    EXPECT_EQ(0u, lines[4].find("red text at (-283,-30), \"Created by:\n"));
    EXPECT_EQ(3, std::count(lines[4].begin(), lines[4].end(), '\n')) << "four lines of credits";
    EXPECT_EQ(std::string::npos, lines[4].find('%'));
    EXPECT_EQ((Lines{"black text at (0,0), \"Happy Birthday!\"", "black text at (0,0), \"Be mine...\"",
                     "green text at (-135,-190), \"Click on the card to add a shape\""}),
              Lines(lines.begin() + 5, lines.end()));

    const std::pair<int, const char *> statuses[] = {
        {MODE_ADD_TEXT, "blue text at (-135,-190), \"Click on the card to add some text\""},
        {MODE_SELECT, "blue text at (-135,-190), \"Click near an object to select it\""},
        {MODE_OBJECT_SELECTED,
         "red text at (-135,-190), \"Object selected. Click on card to move object or select next or object color\""},
        {MODE_ERROR, "black text at (-135,-190), \"Status error -- notify programmer\""},
        {0, "black text at (-135,-190), \"Status error -- notify programmer\""},
    };
    for (const auto &status : statuses) {
        start_capture();
        draw_card(COLOR_YELLOW, status.first, 0, state.objects);
        EXPECT_EQ(status.second, captured_lines().back()) << "mode " << status.first;
    }

    start_capture();
    draw_panel(3);
    lines = captured_lines();
    ASSERT_EQ(12u, lines.size());
    EXPECT_EQ("black rectangle with bounding box (-296,248) to (-195,213) with line width 1", lines[0]);
    EXPECT_EQ("black rectangle with bounding box (-296,73) to (-195,38) with line width 1", lines[10]);
    EXPECT_EQ("black text at (-294,233), \"Background color\"", lines[1]);
    EXPECT_EQ("red text at (-294,128), \"Add shape\"", lines[7]);
    EXPECT_EQ("black text at (-294,58), \"Select object\"", lines[11]);
    for (int i = 1; i < 12; i += 2) EXPECT_EQ(i == 7 ? 0u : std::string::npos, lines[i].find("red ")) << lines[i];
}

TEST_F(Screen, AFrameAfterSomeClicksShowsEverythingInPlace) {
    for (const auto &click : {std::make_pair(-250, 230), {50, 60}, {-250, 90}, {-100, -100}, {-250, 200}}) {
        handle_click(click.first, click.second, state);  // magenta card, a heart, then "I love you"
    }
    ASSERT_EQ(2, state.object_count);
    clear_drawing_area();
    draw_card(state.background_colour, state.mode, state.object_count, state.objects);
    draw_panel(state.last_button);

    const COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255), magenta = RGB(255, 0, 255);
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
    EXPECT_EQ(magenta, pixel_at(200, 180));
    EXPECT_EQ(magenta, pixel_at(-135, -150)) << "the card's corner";
    EXPECT_EQ(black, pixel_at(-138, 0)) << "the border";
    EXPECT_EQ(black, pixel_at(0, -153)) << "the border";
    EXPECT_EQ(white, pixel_at(280, -240));
    EXPECT_EQ(white, pixel_at(-170, 100));
    EXPECT_EQ(black, pixel_at(-296, 230)) << "button 0's left edge";
    EXPECT_EQ(black, pixel_at(-195, 160)) << "button 2's right edge";
    EXPECT_EQ(black, pixel_at(-250, 178)) << "between buttons 1 and 2";
    EXPECT_EQ(white, pixel_at(-290, 215)) << "inside button 0";
    EXPECT_EQ(black, pixel_at(50, 60)) << "the heart at its anchor";
    EXPECT_EQ(black, pixel_at(50, 22)) << "the heart's point";
    EXPECT_EQ(magenta, pixel_at(50, 10)) << "below the heart";
    EXPECT_TRUE(box_has(black, -100, -104, -20, -84)) << "the greeting";
    EXPECT_TRUE(box_has(red, -135, -195, 100, -178)) << "the status line of mode 4";
    EXPECT_FALSE(box_has(black, -135, -195, 100, -178)) << "the status line of mode 4";
    EXPECT_TRUE(box_has(blue, -292, -12, -220, 10)) << "the title";
    EXPECT_TRUE(box_has(red, -294, 190, -210, 210)) << "\"Next, please\" highlighted";
    EXPECT_FALSE(box_has(red, -294, 225, -210, 245)) << "\"Background color\" not highlighted";
}

}  // namespace
