// The card's objects, how clicks and button presses change them, and the generator.
#include "designer.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

class CardModel : public testing::Test {
protected:
    void SetUp() override { init_designer_state(state); }
    DesignerState state;
};

TEST_F(CardModel, StartsEmptyInAddShapeModeOnAYellowCard) {
    EXPECT_EQ(0, state.object_count);
    EXPECT_EQ(0, state.selected_object);
    EXPECT_EQ(MODE_ADD_SHAPE, state.mode);
    EXPECT_EQ(COLOR_YELLOW, state.background_colour);
    EXPECT_EQ(NO_BUTTON, state.last_button);
    for (int i = 0; i < MAX_OBJECTS; ++i) EXPECT_EQ(0, state.objects.object_kind[i]);
}

TEST_F(CardModel, ACardClickAddsABlackObjectSelectsItAndAFurtherClickMovesIt) {
    handle_click(10, 20, state);
    EXPECT_EQ(1, state.object_count);
    EXPECT_EQ(0, state.selected_object);
    EXPECT_EQ(MODE_OBJECT_SELECTED, state.mode);
    EXPECT_EQ(OBJECT_SHAPE, state.objects.object_kind[0]);
    EXPECT_EQ(0, state.objects.object_variant[0]);
    EXPECT_EQ(COLOR_BLACK, state.objects.object_colour[0]);
    EXPECT_EQ(10, state.objects.object_x[0]);
    EXPECT_EQ(20, state.objects.object_y[0]);

    handle_click(-100, -140, state);
    handle_click(-135, -150, state);  // the card's lower-left corner is on the card
    EXPECT_EQ(1, state.object_count);
    EXPECT_EQ(-135, state.objects.object_x[0]);
    EXPECT_EQ(-150, state.objects.object_y[0]);
    EXPECT_EQ(MODE_OBJECT_SELECTED, state.mode);

    state.mode = MODE_ADD_TEXT;
    handle_click(0, 0, state);
    EXPECT_EQ(OBJECT_TEXT, state.objects.object_kind[1]);
    EXPECT_EQ(1, state.selected_object);
}

TEST_F(CardModel, AFullTableIgnoresCardClicksAndKeepsTheMode) {
    for (int i = 0; i < MAX_OBJECTS; ++i) {
        state.mode = (i % 2 == 0) ? MODE_ADD_SHAPE : MODE_ADD_TEXT;
        handle_click(i - 100, 0, state);
    }
    ASSERT_EQ(MAX_OBJECTS, state.object_count);
    for (const int mode : {MODE_ADD_SHAPE, MODE_ADD_TEXT}) {
        state.mode = mode;
        handle_click(5, 5, state);
        EXPECT_EQ(MAX_OBJECTS, state.object_count);
        EXPECT_EQ(mode, state.mode);
        EXPECT_EQ(MAX_OBJECTS - 1, state.selected_object);
    }
}

TEST_F(CardModel, SelectionTakesTheStrictlyNearestWithinFourHundredAndTheFirstOfATie) {
    CardObjects &objects = state.objects;
    objects.object_x[0] = 10;
    objects.object_y[0] = 0;
    objects.object_x[1] = -10;
    objects.object_y[1] = 0;
    objects.object_x[2] = 3;
    objects.object_y[2] = 4;
    EXPECT_EQ(2, select_nearest_object(0, 0, objects, 3, 7));
    EXPECT_EQ(0, select_nearest_object(0, 0, objects, 2, 7)) << "equal distances: the first added wins";

    objects.object_x[0] = 240;  // exactly 400 away
    objects.object_y[0] = 320;
    EXPECT_EQ(7, select_nearest_object(0, 0, objects, 1, 7));
    objects.object_x[0] = 239;  // about 399.4 away
    EXPECT_EQ(0, select_nearest_object(0, 0, objects, 1, 7));
}

TEST_F(CardModel, AMissedSelectionKeepsTheCurrentObjectSelected) {
    handle_click(-100, -100, state);
    handle_click(100, 100, state);  // moves the new object 0
    state.mode = MODE_ADD_SHAPE;
    handle_click(-130, -140, state);
    ASSERT_EQ(2, state.object_count);
    ASSERT_EQ(1, state.selected_object);

    state.mode = MODE_SELECT;
    handle_click(219, 199, state);  // ~400+ from object 1, within 400 of object 0 at (100,100)
    EXPECT_EQ(0, state.selected_object);
    EXPECT_EQ(MODE_OBJECT_SELECTED, state.mode);

    state.objects.object_x[0] = -130;
    state.objects.object_y[0] = -140;
    state.mode = MODE_SELECT;
    handle_click(219, 199, state);  // nothing within 400
    EXPECT_EQ(0, state.selected_object) << "a miss keeps the current selection";
    EXPECT_EQ(MODE_OBJECT_SELECTED, state.mode);

    init_designer_state(state);
    state.mode = MODE_SELECT;
    handle_click(0, 0, state);  // an empty card
    EXPECT_EQ(0, state.selected_object);
    EXPECT_EQ(MODE_OBJECT_SELECTED, state.mode);
}

TEST_F(CardModel, RegionsEndExactlyAtTheirBorders) {
    EXPECT_EQ(REGION_CARD, region_of(-135, -150));
    EXPECT_EQ(REGION_CARD, region_of(219, 199));
    EXPECT_EQ(REGION_OUTSIDE, region_of(220, 0));
    EXPECT_EQ(REGION_OUTSIDE, region_of(0, 200));
    EXPECT_EQ(REGION_OUTSIDE, region_of(-136, 0));
    EXPECT_EQ(REGION_OUTSIDE, region_of(0, -151));
    EXPECT_EQ(REGION_OUTSIDE, region_of(-200, 250));
    EXPECT_EQ(REGION_OUTSIDE, region_of(-200, 40));
    EXPECT_EQ(REGION_OUTSIDE, region_of(-195, 100));
    EXPECT_EQ(REGION_PANEL, region_of(-196, 249));
    EXPECT_EQ(REGION_PANEL, region_of(-296, 41));
}

TEST_F(CardModel, ClicksOutsideThePanelAndCardChangeNothingAndUnknownModesIgnoreCardClicks) {
    handle_click(250, 0, state);
    handle_click(-200, 0, state);
    EXPECT_EQ(0, state.object_count);
    EXPECT_EQ(MODE_ADD_SHAPE, state.mode);
    EXPECT_EQ(COLOR_YELLOW, state.background_colour);
    EXPECT_EQ(NO_BUTTON, state.last_button);

    state.mode = MODE_ERROR;
    handle_click(0, 0, state);
    state.mode = 42;
    handle_click(0, 0, state);
    EXPECT_EQ(0, state.object_count);
}

TEST_F(CardModel, EachBandPressesItsButtonAndNothingOutsideTheColumnDoes) {
    // Band i: 250 - 35(i+1) < y <= 250 - 35i. Pairs of (y, button).
    const int presses[][2] = {{250, 0}, {216, 0}, {215, 1}, {181, 1}, {180, 2}, {146, 2}, {145, 3},
                              {111, 3}, {110, 4}, {76, 4},  {75, 5},  {41, 5}};
    const int mode_after[] = {MODE_OBJECT_SELECTED, MODE_OBJECT_SELECTED, MODE_OBJECT_SELECTED,
                              MODE_ADD_SHAPE,       MODE_ADD_TEXT,        MODE_SELECT};
    for (const auto &press : presses) {
        init_designer_state(state);
        state.mode = MODE_OBJECT_SELECTED;
        press_button(-250, press[0], state);
        EXPECT_EQ(press[1], state.last_button) << "y = " << press[0];
        EXPECT_EQ(mode_after[press[1]], state.mode) << "y = " << press[0];
    }
    for (const int y : {40, 0, -200, 251, 284}) {  // below the column, and above it
        init_designer_state(state);
        press_button(-250, y, state);
        EXPECT_EQ(MODE_ERROR, state.mode) << "y = " << y;
        EXPECT_EQ(NO_BUTTON, state.last_button) << "y = " << y;
        EXPECT_EQ(COLOR_YELLOW, state.background_colour) << "y = " << y;
    }
    init_designer_state(state);
    press_button(-194, 230, state);
    EXPECT_EQ(NO_BUTTON, state.last_button);
    for (const auto &click : {std::make_pair(-200, 250), {-200, 40}, {-195, 100}}) handle_click(click.first, click.second, state);
    EXPECT_EQ(NO_BUTTON, state.last_button) << "outside the panel region";
    EXPECT_EQ(MODE_ADD_SHAPE, state.mode);
    const int clicks[][2] = {{249, 0}, {41, 5}, {215, 1}, {216, 0}};
    for (const auto &click : clicks) {
        handle_click(-200, click[0], state);
        EXPECT_EQ(click[1], state.last_button) << "y = " << click[0];
    }
}

TEST_F(CardModel, ColoursAndVariantsWrapAndAnEmptyEntryIsPassedOver) {
    std::vector<int> backgrounds;
    for (int i = 0; i < 21; ++i) {
        handle_click(-250, 230, state);
        backgrounds.push_back(state.background_colour);
    }
    EXPECT_EQ((std::vector<int>{6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 0, 1, 2}), backgrounds);

    handle_click(-250, 200, state);  // nothing on the card yet: entry 0 has kind 0
    handle_click(-250, 160, state);
    EXPECT_EQ(2, state.last_button);
    EXPECT_EQ(0, state.objects.object_variant[0] + state.objects.object_colour[0] + state.object_count);

    handle_click(0, 0, state);     // a shape
    handle_click(-250, 90, state);  // "Add text"
    handle_click(50, 50, state);   // a greeting
    const int presses_to_wrap[] = {7, 6};
    for (const int entry : {0, 1}) {
        state.selected_object = entry;
        for (int i = 1; i < presses_to_wrap[entry]; ++i) handle_click(-250, 200, state);
        EXPECT_EQ(presses_to_wrap[entry] - 1, state.objects.object_variant[entry]);
        handle_click(-250, 200, state);
        EXPECT_EQ(0, state.objects.object_variant[entry]) << "entry " << entry;
        state.objects.object_colour[entry] = 23;
        handle_click(-250, 160, state);
        EXPECT_EQ(0, state.objects.object_colour[entry]) << "entry " << entry;
    }
    EXPECT_EQ(0, state.objects.object_variant[0] + state.objects.object_variant[1]) << "only the selected one changes";
    EXPECT_EQ(MODE_OBJECT_SELECTED, state.mode);
}

TEST(Generator, SeededWithOneGivesTheReferenceSequence) {
    random_seed(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (const int value : expected) EXPECT_EQ(value, random_next());
    random_seed(0xFFFFFFFFu);
    for (int i = 0; i < 1000; ++i) {
        const int value = random_next();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
}

}  // namespace
