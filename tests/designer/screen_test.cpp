// The button panel, the layout of a pass and a whole frame read back from the surface.
#include "designer.h"
#include "drawing_log.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace {

class Screen : public testing::Test {
protected:
    void SetUp() override { init_designer_state(state); }
    void draw_pass() {
        clear_drawing_area();
        draw_card(state.background_colour, state.mode, state.object_count, state.objects);
        draw_panel(state.last_button);
    }
    DesignerState state;
};

TEST_F(Screen, EachBandOfThePanelPressesItsButton) {
    struct Press {
        int y;
        int button;
        int mode;
    };
    // Bands run 250 - 35(i+1) < y <= 250 - 35i.
    const int kept = MODE_OBJECT_SELECTED;  // buttons 0 to 2 leave the mode alone
    const Press presses[] = {
        {250, 0, kept}, {249, 0, kept}, {216, 0, kept}, {215, 1, kept}, {181, 1, kept},
        {180, 2, kept}, {146, 2, kept}, {145, 3, MODE_ADD_SHAPE}, {111, 3, MODE_ADD_SHAPE},
        {110, 4, MODE_ADD_TEXT}, {76, 4, MODE_ADD_TEXT}, {75, 5, MODE_SELECT}, {41, 5, MODE_SELECT},
    };
    for (const Press &press : presses) {
        init_designer_state(state);
        state.mode = MODE_OBJECT_SELECTED;
        press_button(-250, press.y, state);
        EXPECT_EQ(press.button, state.last_button) << "y = " << press.y;
        EXPECT_EQ(press.mode, state.mode) << "y = " << press.y;
    }

    // Beyond the column: below it, and above its top (not taken for "Background color").
    for (const int y : {40, 6, 0, -200, 251, 284, 400}) {
        init_designer_state(state);
        state.last_button = 2;
        press_button(-250, y, state);
        EXPECT_EQ(MODE_ERROR, state.mode) << "y = " << y;
        EXPECT_EQ(2, state.last_button) << "y = " << y;
        EXPECT_EQ(COLOR_YELLOW, state.background_colour) << "y = " << y;
    }

    init_designer_state(state);
    press_button(-194, 230, state);
    EXPECT_EQ(NO_BUTTON, state.last_button) << "right of the buttons";
    press_button(-195, 230, state);
    EXPECT_EQ(0, state.last_button) << "on the buttons' right edge";
}

TEST_F(Screen, ClicksReachTheButtonsOnlyInsideThePanelRegion) {
    handle_click(-200, 249, state);
    EXPECT_EQ(0, state.last_button);
    handle_click(-200, 41, state);
    EXPECT_EQ(5, state.last_button);
    EXPECT_EQ(MODE_SELECT, state.mode);
    handle_click(-200, 215, state);
    EXPECT_EQ(1, state.last_button);
    handle_click(-200, 216, state);
    EXPECT_EQ(0, state.last_button);
    EXPECT_EQ(COLOR_YELLOW + 2, state.background_colour);

    for (const int y : {250, 40}) handle_click(-200, y, state);
    handle_click(-195, 100, state);
    EXPECT_EQ(0, state.last_button) << "outside the panel region";
    EXPECT_EQ(MODE_SELECT, state.mode);
}

TEST_F(Screen, BackgroundColourCyclesThroughThePalette) {
    std::vector<int> seen;
    for (int i = 0; i < 21; ++i) {
        handle_click(-250, 230, state);
        seen.push_back(state.background_colour);
    }
    std::vector<int> expected;
    for (int colour = 6; colour <= 23; ++colour) expected.push_back(colour);
    expected.insert(expected.end(), {0, 1, 2});
    EXPECT_EQ(expected, seen);
    EXPECT_EQ(MODE_ADD_SHAPE, state.mode);
    EXPECT_EQ(0, state.object_count);
}

TEST_F(Screen, NextAndObjectColourWrapAndPassOverEmptyEntries) {
    // Nothing on the card: entry 0 has kind 0, and only the highlight changes.
    handle_click(-250, 200, state);
    handle_click(-250, 160, state);
    EXPECT_EQ(2, state.last_button);
    EXPECT_EQ(0, state.objects.object_variant[0]);
    EXPECT_EQ(0, state.objects.object_colour[0]);
    EXPECT_EQ(MODE_ADD_SHAPE, state.mode);

    handle_click(0, 0, state);  // a shape
    std::vector<int> variants;
    for (int i = 0; i < 8; ++i) {
        handle_click(-250, 200, state);
        variants.push_back(state.objects.object_variant[0]);
    }
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6, 0, 1}), variants);

    handle_click(-250, 100, state);  // "Add text"
    handle_click(50, 50, state);
    ASSERT_EQ(1, state.selected_object);
    variants.clear();
    for (int i = 0; i < 7; ++i) {
        handle_click(-250, 200, state);
        variants.push_back(state.objects.object_variant[1]);
    }
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 0, 1}), variants);
    EXPECT_EQ(1, state.objects.object_variant[0]) << "only the selected object changes";

    for (const int entry : {0, 1}) {
        state.selected_object = entry;
        state.objects.object_colour[entry] = 22;
        handle_click(-250, 160, state);
        EXPECT_EQ(23, state.objects.object_colour[entry]);
        handle_click(-250, 160, state);
        EXPECT_EQ(0, state.objects.object_colour[entry]);
    }
    EXPECT_EQ(2, state.object_count);
    EXPECT_EQ(MODE_OBJECT_SELECTED, state.mode);

    // An entry of an unknown kind is passed over as well.
    state.objects.object_kind[1] = 7;
    state.selected_object = 1;
    handle_click(-250, 200, state);
    handle_click(-250, 160, state);
    EXPECT_EQ(0, state.objects.object_colour[1]);
    EXPECT_EQ(1, state.objects.object_variant[1]);
}

TEST_F(Screen, APassDrawsTheLayoutInOrder) {
    start_capture();
    clear_drawing_area();
    draw_card(COLOR_CYAN, MODE_ADD_SHAPE, 0, state.objects);
    const std::vector<std::string> expected = {
        "white rectangle with bounding box (-300,250) to (300,-250), filled",
        "cyan rectangle with bounding box (-135,200) to (220,-150), filled",
        "black rectangle with bounding box (-138,203) to (223,-153) with line width 4",
        "blue text at (-292,-10), \"Kartello\"",
    };
    std::vector<std::string> lines = captured_lines();
    ASSERT_EQ(6u, lines.size());
    EXPECT_EQ(expected, std::vector<std::string>(lines.begin(), lines.begin() + 4));
    EXPECT_EQ(0u, lines[4].find("red text at (-283,-30), \"Created by:\n")) << lines[4];
    EXPECT_EQ(3, std::count(lines[4].begin(), lines[4].end(), '\n')) << "four lines of credits";
    EXPECT_EQ(std::string::npos, lines[4].find('%'));
    EXPECT_EQ("green text at (-135,-190), \"Click on the card to add a shape\"", lines[5]);

    struct Status {
        int mode;
        const char *line;
    };
    const Status statuses[] = {
        {MODE_ADD_TEXT, "blue text at (-135,-190), \"Click on the card to add some text\""},
        {MODE_SELECT, "blue text at (-135,-190), \"Click near an object to select it\""},
        {MODE_OBJECT_SELECTED,
         "red text at (-135,-190), \"Object selected. Click on card to move object or select next or object color\""},
        {MODE_ERROR, "black text at (-135,-190), \"Status error -- notify programmer\""},
        {0, "black text at (-135,-190), \"Status error -- notify programmer\""},
        {5, "black text at (-135,-190), \"Status error -- notify programmer\""},
    };
    for (const Status &status : statuses) {
        start_capture();
        draw_card(COLOR_YELLOW, status.mode, 0, state.objects);
        lines = captured_lines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(status.line, lines.back()) << "mode " << status.mode;
    }

    // Objects come between the credits and the status line, in index order; kind 0 draws nothing.
    state.objects.object_kind[0] = OBJECT_TEXT;
    state.objects.object_kind[1] = 0;
    state.objects.object_kind[2] = OBJECT_TEXT;
    state.objects.object_variant[2] = 2;
    state.objects.object_kind[3] = OBJECT_TEXT;  // beyond the count
    start_capture();
    draw_card(COLOR_YELLOW, MODE_SELECT, 3, state.objects);
    lines = captured_lines();
    ASSERT_EQ(7u, lines.size());
    EXPECT_EQ("black text at (0,0), \"Happy Birthday!\"", lines[4]);
    EXPECT_EQ("black text at (0,0), \"Be mine...\"", lines[5]);
}

TEST_F(Screen, ThePanelHighlightsOnlyTheLastPressedButton) {
    start_capture();
    draw_panel(3);
    std::vector<std::string> lines = captured_lines();
    const std::vector<std::string> expected = {
        "black rectangle with bounding box (-296,248) to (-195,213) with line width 1",
        "black text at (-294,233), \"Background color\"",
        "black rectangle with bounding box (-296,213) to (-195,178) with line width 1",
        "black text at (-294,198), \"Next, please\"",
        "black rectangle with bounding box (-296,178) to (-195,143) with line width 1",
        "black text at (-294,163), \"Object color\"",
        "black rectangle with bounding box (-296,143) to (-195,108) with line width 1",
        "red text at (-294,128), \"Add shape\"",
        "black rectangle with bounding box (-296,108) to (-195,73) with line width 1",
        "black text at (-294,93), \"Add text\"",
        "black rectangle with bounding box (-296,73) to (-195,38) with line width 1",
        "black text at (-294,58), \"Select object\"",
    };
    EXPECT_EQ(expected, lines);

    start_capture();
    draw_panel(NO_BUTTON);
    lines = captured_lines();
    ASSERT_EQ(12u, lines.size());
    for (const std::string &line : lines) EXPECT_EQ(0u, line.find("black ")) << line;
}

TEST_F(Screen, AFrameAfterSomeClicksShowsEverythingInPlace) {
    handle_click(-250, 230, state);    // background: magenta
    handle_click(50, 60, state);       // a heart, selected
    handle_click(-250, 90, state);     // "Add text"
    handle_click(-100, -100, state);   // a greeting, selected
    handle_click(-250, 200, state);    // "Next, please": "I love you"
    ASSERT_EQ(2, state.object_count);
    ASSERT_EQ(COLOR_MAGENTA, state.background_colour);
    ASSERT_EQ(MODE_OBJECT_SELECTED, state.mode);
    draw_pass();

    const COLORREF black = RGB(0, 0, 0);
    const COLORREF white = RGB(255, 255, 255);
    const COLORREF magenta = RGB(255, 0, 255);
    const COLORREF red = RGB(255, 0, 0);
    const COLORREF blue = RGB(0, 0, 255);

    EXPECT_EQ(magenta, pixel_at(200, 180)) << "the card";
    EXPECT_EQ(magenta, pixel_at(-135, -150)) << "the card's corner";
    EXPECT_EQ(black, pixel_at(-138, 0)) << "the border";
    EXPECT_EQ(black, pixel_at(0, -153)) << "the border";
    EXPECT_EQ(white, pixel_at(280, -240)) << "the drawing area";
    EXPECT_EQ(white, pixel_at(-170, 100)) << "between panel and card";

    EXPECT_EQ(black, pixel_at(-296, 230)) << "button 0's left edge";
    EXPECT_EQ(black, pixel_at(-195, 160)) << "button 2's right edge";
    EXPECT_EQ(black, pixel_at(-250, 178)) << "between buttons 1 and 2";
    EXPECT_EQ(white, pixel_at(-290, 215)) << "inside button 0";

    EXPECT_EQ(black, pixel_at(50, 60)) << "the heart at its anchor";
    EXPECT_EQ(black, pixel_at(50, 60 - 38)) << "the heart's point";
    EXPECT_EQ(magenta, pixel_at(50, 60 - 50)) << "below the heart";
    EXPECT_TRUE(box_has_colour(-100, -104, -20, -84, black)) << "the greeting";

    EXPECT_TRUE(box_has_colour(-135, -195, 100, -178, red)) << "the status line of mode 4";
    EXPECT_FALSE(box_has_colour(-135, -195, 100, -178, black)) << "the status line of mode 4";
    EXPECT_TRUE(box_has_colour(-292, -12, -220, 10, blue)) << "the title";
    EXPECT_TRUE(box_has_colour(-294, 190, -210, 210, red)) << "\"Next, please\" highlighted";
    EXPECT_FALSE(box_has_colour(-294, 225, -210, 245, red)) << "\"Background color\" not highlighted";
}

}  // namespace
