// What the drawing calls paint on the surface, pixel by pixel.
#include "zavok.h"

#include "../../graphics/draw/draw_internal.h"
#include "surface_probe.h"

#include <gtest/gtest.h>

namespace {

class Renderer : public testing::Test {
protected:
    void SetUp() override {
        logging_enabled = false;
        clear_surface();
    }
    void TearDown() override { logging_enabled = true; }
};

TEST_F(Renderer, AClearedSurfaceIsWhiteInsideAOnePixelBlackFrame) {
    ZAVOK_rectangle(COLOR_BLUE, -50, 50, 50, -50, 0);
    surface_dirty = 0;
    EXPECT_EQ(1, ZAVOK_clear());
    EXPECT_EQ(1, surface_dirty);
    int wrong = 0;
    for (int cy = 0; cy < SURFACE_HEIGHT; ++cy) {
        for (int cx = 0; cx < SURFACE_WIDTH; ++cx) {
            const bool frame = cx == 0 || cy == 0 || cx == SURFACE_WIDTH - 1 || cy == SURFACE_HEIGHT - 1;
            wrong += GetPixel(surface_dc, cx, cy) != (frame ? BLACK : WHITE) ? 1 : 0;
        }
    }
    EXPECT_EQ(0, wrong);
}

TEST_F(Renderer, BoxesCoverBothCornersAndCirclesAreTwoRadiiPlusOneAcross) {
    const int saved_x = origin_x, saved_y = origin_y;
    origin_x = 300;  // the whole 601 x 501 rectangle on the surface
    origin_y = 270;
    ZAVOK_rectangle(COLOR_RED, 300, -250, -300, 250, 0);  // corners in either order
    EXPECT_EQ(601, count_color(RED, -300, 0, 300, 0));
    EXPECT_EQ(501, count_color(RED, 0, 269, 0, -269));
    EXPECT_EQ(RED, world_pixel(-300, 250));
    EXPECT_EQ(RED, world_pixel(300, -250));
    origin_x = saved_x;
    origin_y = saved_y;

    clear_surface();
    ZAVOK_circle(COLOR_BLUE, 0, 0, 5);
    EXPECT_EQ(11, count_color(BLUE, -10, 0, 10, 0));
    EXPECT_EQ(11, count_color(BLUE, 0, 10, 0, -10));
    ZAVOK_circle(COLOR_RED, 40, 40, 0);
    ZAVOK_rectangle(COLOR_RED, 60, 40, 60, 40, 0);
    ZAVOK_oval(COLOR_RED, 80, 40, 80, 40, 1);
    EXPECT_EQ(3, count_color(RED, 30, 50, 90, 30)) << "a box of one pixel paints that pixel";
    EXPECT_EQ(RED, world_pixel(40, 40));

    ZAVOK_oval(COLOR_BLACK, 100, 20, 140, -20, 0);  // a filled oval touches all four sides of its box
    EXPECT_GT(count_color(BLACK, 100, 20, 100, -20) * count_color(BLACK, 140, 20, 140, -20), 0);
    EXPECT_GT(count_color(BLACK, 100, 20, 140, 20) * count_color(BLACK, 100, -20, 140, -20), 0);
    EXPECT_EQ(0, count_color(BLACK, 99, 21, 141, 21) + count_color(BLACK, 99, -21, 141, -21));
}

TEST_F(Renderer, LinesAndOutlinedShapesPaintOnlyTheirStrokes) {
    ZAVOK_line(COLOR_BLACK, 0, 0, 3, 0, 0);
    EXPECT_EQ(3, count_color(BLACK, -5, 0, 8, 0));
    EXPECT_EQ(WHITE, world_pixel(3, 0)) << "a thin line leaves out its end point";
    ZAVOK_line(COLOR_BLACK, 20, 20, 20, 20, 1);
    EXPECT_EQ(0, count_color(BLACK, 15, 25, 25, 15));

    clear_surface();
    ZAVOK_rectangle(COLOR_RED, -100, 100, 100, -100, 0);
    ZAVOK_rectangle(COLOR_BLACK, -90, 90, -10, 10, 2);
    ZAVOK_oval(COLOR_BLACK, 10, 90, 90, 10, 3);
    ZAVOK_triangle(COLOR_BLACK, -90, -90, -10, -90, -50, -10, 2);
    ZAVOK_triangle(COLOR_BLACK, 10, -90, 90, -90, 50, -10, 0);
    const struct {
        int x, y;
        COLORREF color;
    } expected[] = {{-90, 50, BLACK}, {-50, 50, RED},  {10, 50, BLACK},  {50, 50, RED},
                    {-50, -90, BLACK}, {-50, -60, RED}, {50, -60, BLACK}, {50, -90, BLACK}, {50, -91, RED}};
    for (const auto &point : expected)
        EXPECT_EQ(point.color, world_pixel(point.x, point.y)) << "at (" << point.x << "," << point.y << ")";
}

TEST_F(Renderer, EveryPaletteColourPaintsItsTableValue) {
    const COLORREF table[COLOR_COUNT] = {
        RGB(0, 0, 0),       RGB(255, 255, 255), RGB(255, 0, 0),     RGB(0, 255, 0),     RGB(0, 0, 255),
        RGB(255, 255, 0),   RGB(255, 0, 255),   RGB(0, 255, 255),   RGB(153, 0, 204),   RGB(0, 51, 153),
        RGB(153, 102, 153), RGB(153, 255, 255), RGB(153, 255, 204), RGB(255, 102, 0),   RGB(153, 102, 51),
        RGB(255, 153, 204), RGB(255, 255, 153), RGB(204, 153, 51),  RGB(255, 153, 102), RGB(0, 102, 51),
        RGB(51, 204, 153),  RGB(153, 153, 51),  RGB(128, 128, 128), RGB(204, 204, 204),
    };
    for (int color = 0; color < COLOR_COUNT; ++color) {
        ZAVOK_pixel(color, color, 0);
        EXPECT_EQ(table[color], world_pixel(color, 0)) << "colour " << color;
    }
}

// Surface rows holding black between two world columns: the first and the last.
void black_rows(int left, int right, int &first, int &last) {
    first = last = -1;
    for (int cy = 1; cy < SURFACE_HEIGHT - 1; ++cy) {
        if (count_color(BLACK, left, world_y(cy), right, world_y(cy)) == 0) continue;
        if (first < 0) first = cy;
        last = cy;
    }
}

TEST_F(Renderer, TextStandsOnItsPointAndEachNewlineStartsALineBelow) {
    const HFONT font = CreateFontA(-20, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, ZAVOK_FONT_FACE);
    const HGDIOBJ previous = SelectObject(surface_dc, font);
    TEXTMETRICA metrics;
    GetTextMetricsA(surface_dc, &metrics);
    DeleteObject(SelectObject(surface_dc, previous));
    const int height = metrics.tmHeight;

    ZAVOK_text(COLOR_BLACK, 0, 0, 20, "Hg\nHg");
    int first, last;
    black_rows(-30, 100, first, last);
    const int row = client_y(0);
    EXPECT_GE(first, row - height);
    EXPECT_LT(first, row) << "the first line ends on the row above the point";
    EXPECT_GE(last, row) << "the second line's cell begins on the point's row";
    EXPECT_LT(last, row + height);
    EXPECT_EQ(0, count_color(BLACK, -30, 40, -1, -40)) << "no ink left of the point's column";

    const uint64_t two_lines = surface_fingerprint();
    clear_surface();
    ZAVOK_text(COLOR_BLACK, 0, 0, 20, "Hg\nHg\n");  // a final newline changes nothing
    ZAVOK_text(COLOR_BLACK, 0, 0, 20, "");
    EXPECT_EQ(two_lines, surface_fingerprint());

    clear_surface();
    ZAVOK_text(COLOR_BLACK, 0, 0, 20, "Hg\n\nHg");
    int spaced_first, spaced_last;
    black_rows(-30, 100, spaced_first, spaced_last);
    EXPECT_EQ(last + height, spaced_last) << "two newlines leave one empty line";
}

TEST_F(Renderer, TextPaintsOnlyItsGlyphsAndPutsTheBackgroundModeBack) {
    ZAVOK_rectangle(COLOR_RED, -10, 40, 120, -40, 0);
    SetBkMode(surface_dc, OPAQUE);
    ZAVOK_text(COLOR_BLACK, 0, 0, 30, "Mm\nMm");
    EXPECT_EQ(OPAQUE, GetBkMode(surface_dc));
    EXPECT_GT(count_color(BLACK, -10, 40, 120, -40), 0);
    EXPECT_EQ(0, count_color(WHITE, -10, 40, 120, -40)) << "no opaque cells around the glyphs";
    SetBkMode(surface_dc, TRANSPARENT);
    ZAVOK_text(COLOR_BLUE, 0, -60, 10, "x");
    EXPECT_EQ(TRANSPARENT, GetBkMode(surface_dc));
    SetBkMode(surface_dc, OPAQUE);
}

TEST_F(Renderer, UnknownKindsPaintNothingButMarkTheSurfaceChanged) {
    const uint64_t before = surface_fingerprint();
    for (const int kind : {6, -1}) {
        surface_dirty = 0;
        DrawCommand command = {};
        command.kind = kind;
        command.x2 = 10;
        command.y2 = -10;
        render_command(command);
        EXPECT_EQ(1, surface_dirty) << "kind " << kind;
    }
    EXPECT_EQ(before, surface_fingerprint());
}

}  // namespace
