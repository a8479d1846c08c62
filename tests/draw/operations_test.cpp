// The drawing calls' corrections, notices, log lines and results.
#include "zavok.h"

#include "../../graphics/draw/draw_internal.h"
#include "../console/ring_reader.h"
#include "surface_probe.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

using Lines = std::vector<std::string>;

class Operations : public testing::Test {
protected:
    void SetUp() override {
        logging_enabled = false;
        clear_surface();
    }
    void TearDown() override { logging_enabled = true; }
};

TEST_F(Operations, NoticesComeInEachCallsOwnOrderWhetherOrNotLoggingIsOn) {
    const std::string colour = "Illegal color 30; using RED.\n";
    const std::string width = "Width of -2 not possible, using width 2\n";
    const PrintedSince printed;
    ZAVOK_rectangle(30, 0, 0, 5, 5, -2);
    ZAVOK_oval(30, 0, 0, 5, 5, -2);
    ZAVOK_line(30, 0, 0, 5, 5, -2);
    ZAVOK_triangle(30, 0, 0, 5, 5, 9, 0, -2);
    ZAVOK_circle(-1, 0, 0, -5);
    ZAVOK_text(24, 0, 0, -300, "a");
    ZAVOK_text(COLOR_BLACK, 0, 0, 127, "a");  // valid arguments print nothing
    ZAVOK_text(COLOR_GRAY_20, 0, 0, 128, "a");
    ZAVOK_line(COLOR_BLACK, 0, 0, 1, 1, 0);
    ZAVOK_circle(COLOR_BLACK, 0, 0, 0);
    EXPECT_EQ((Lines{colour, width, width, colour, width, colour, colour, width, "Illegal color -1; using RED.\n",
                     "Radius of -5 not possible, using radius 5\n", "ptsize of -300 not possible, using ptsize 300\n",
                     "ptsize of 300 not possible, using ptsize 127\n", "Illegal color 24; using RED.\n",
                     "ptsize of 128 not possible, using ptsize 127\n"}),
              printed.messages());

    clear_surface();
    ZAVOK_circle(-1, 0, 0, -5);
    EXPECT_EQ(11, count_color(RED, -8, 0, 8, 0)) << "drawn red with radius 5";
}

TEST_F(Operations, TheMostNegativeSizesBecomeTheLargestAndAreStillDrawn) {
    const PrintedSince printed;
    ZAVOK_circle(COLOR_BLUE, 0, 0, INT_MIN);
    ZAVOK_line(COLOR_BLACK, -5, 0, 5, 0, INT_MIN);
    ZAVOK_text(COLOR_BLACK, 0, 0, INT_MIN, "a");
    EXPECT_EQ((Lines{"Radius of -2147483648 not possible, using radius 2147483647\n",
                     "Width of -2147483648 not possible, using width 2147483647\n",
                     "ptsize of -2147483648 not possible, using ptsize 2147483647\n",
                     "ptsize of 2147483647 not possible, using ptsize 127\n"}),
              printed.messages());

    clear_surface();
    ZAVOK_circle(COLOR_BLUE, INT_MAX, INT_MAX, 10);  // far away: must not wrap round onto the surface
    ZAVOK_rectangle(COLOR_BLUE, INT_MIN, INT_MIN, INT_MIN + 5, INT_MIN + 5, 0);
    EXPECT_EQ(0, count_color(BLUE, -20, 20, 20, -20));
    ZAVOK_circle(COLOR_BLUE, 0, 0, INT_MAX);
    EXPECT_EQ(BLUE, world_pixel(0, 0)) << "a disc larger than the surface covers it";
}

TEST_F(Operations, LogLinesDescribeEachCallWithItsCorrectedValuesOnlyWhileLoggingIsOn) {
    logging_enabled = true;
    const PrintedSince printed;
    EXPECT_EQ(1, ZAVOK_pixel(COLOR_GRAY_50, 1, 2));
    EXPECT_EQ(1, ZAVOK_circle(COLOR_RED, 3, 4, -5));
    EXPECT_EQ(1, ZAVOK_triangle(COLOR_BLACK, 1, 2, 3, 4, 5, 6, 7));
    EXPECT_EQ(1, ZAVOK_rectangle(COLOR_GRAY_20, 10, -10, -10, 10, 0));
    EXPECT_EQ(1, ZAVOK_rectangle(COLOR_BLACK, 10, -10, -10, 10, 3));
    EXPECT_EQ(1, ZAVOK_oval(COLOR_NAVY_BLUE, 10, -10, -10, 10, 0));
    EXPECT_EQ(1, ZAVOK_oval(COLOR_NAVY_BLUE, 10, -10, -10, 10, 3));
    EXPECT_EQ(1, ZAVOK_line(COLOR_SEA_GREEN, 5, 6, -7, -8, 0));
    EXPECT_EQ(1, ZAVOK_text(COLOR_BLUE, -1, -2, 12, "two\nlines"));
    EXPECT_EQ(2, ZAVOK_printf_at(COLOR_BLACK, 0, 0, 20, "%d", 42));
    EXPECT_EQ(1, ZAVOK_clear());
    EXPECT_EQ((Lines{"50% gray pixel at (1,2)\n", "Radius of -5 not possible, using radius 5\n",
                     "red circle at (3,4), radius 5\n", "black triangle at (1,2), (3,4), (5,6)\n",
                     "20% gray rectangle with bounding box (-10,10) to (10,-10), filled\n",
                     "black rectangle with bounding box (-10,10) to (10,-10) with line width 3\n",
                     "navy blue oval with bounding box (-10,10) to (10,-10), filled\n",
                     "navy blue oval with bounding box (-10,10) to (10,-10), line width 3\n",
                     "sea green line from (5,6) to (-7,-8), width 0\n", "blue text at (-1,-2), \"two\nlines\"\n",
                     "black text at (0,0), \"42\"\n", "Clearing the graphics window\n"}),
              printed.messages());

    logging_enabled = false;
    const PrintedSince quiet;
    ZAVOK_pixel(COLOR_BLACK, 1, 2);
    ZAVOK_clear();
    surface_dirty = 0;
    EXPECT_EQ(2, ZAVOK_printf_at(COLOR_BLACK, 0, 0, 20, "%d", 42));
    EXPECT_EQ(1, surface_dirty);
    EXPECT_GT(count_color(BLACK, 0, 25, 40, 1), 0) << "42 drawn standing on the point";
    EXPECT_EQ(1, ZAVOK_undo());
    EXPECT_EQ((Lines{"ZAVOK_undo is no longer supported.\n"}), quiet.messages());
}

TEST_F(Operations, LongTextsAreCutTo1023CharactersAndNullTextsAreEmpty) {
    logging_enabled = true;
    const std::string long_text(5000, 'w');
    const char *const nothing = nullptr;
    const PrintedSince printed;
    EXPECT_EQ(5000, ZAVOK_printf_at(COLOR_BLACK, -250, 0, 12, "%s", long_text.c_str()));
    ZAVOK_text(COLOR_BLACK, -250, -20, 12, long_text.c_str());
    EXPECT_EQ(1, ZAVOK_text(COLOR_BLACK, 1, 2, 10, nothing));
    EXPECT_EQ(0, ZAVOK_printf_at(COLOR_BLACK, 3, 4, 10, nothing));
    const Lines lines = printed.messages();
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(("black text at (-250,0), \"" + long_text).substr(0, 1023), lines[0]);
    EXPECT_EQ(1023u, lines[1].size());
    EXPECT_EQ("black text at (1,2), \"\"\n", lines[2]);
    EXPECT_EQ("black text at (3,4), \"\"\n", lines[3]);
    EXPECT_GT(count_color(BLACK, -250, 15, 290, 1), 0);
    EXPECT_GT(count_color(BLACK, -250, -5, 290, -19), 0);
}

}  // namespace
