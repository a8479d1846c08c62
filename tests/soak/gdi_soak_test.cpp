// Tens of thousands of calls of every drawing operation and of the text window's print must
// give back every pen, brush and font: Wine's object table holds about 65,000, so a leak of
// one object per call would leave the calls below without their colours and sizes.
#include "zavok.h"

#include "../../graphics/window/window_internal.h"

#include <gtest/gtest.h>

namespace {

constexpr int CALLS = 70000;
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF BLACK = RGB(0, 0, 0);
constexpr COLORREF RED = RGB(255, 0, 0);
constexpr COLORREF BLUE = RGB(0, 0, 255);

COLORREF at(int x, int y) { return GetPixel(surface_dc, client_x(x), client_y(y)); }

// Rows between `top` and `bottom` (world, inclusive) that hold ink in the given columns.
int inked_rows(int left, int top, int right, int bottom) {
    int rows = 0;
    for (int y = top; y >= bottom; --y) {
        for (int x = left; x <= right; ++x) {
            if (at(x, y) != WHITE) {
                ++rows;
                break;
            }
        }
    }
    return rows;
}

TEST(GdiSoak, EveryCallGivesBackWhatItCreates) {
    logging_enabled = false;
    ZAVOK_show_text(1);
    for (int i = 0; i < CALLS; ++i) {
        ZAVOK_circle(COLOR_GREEN, 0, 0, 1);
        ZAVOK_triangle(COLOR_GREEN, 0, 0, 2, 0, 1, 2, i % 2);
        ZAVOK_rectangle(COLOR_GREEN, 0, 0, 2, -2, i % 2);
        ZAVOK_oval(COLOR_GREEN, 0, 0, 2, -2, i % 2);
        ZAVOK_line(COLOR_GREEN, 0, 0, 2, 2, 1);
        ZAVOK_text(COLOR_GREEN, 0, 0, 2, "a");
        if (i % 8 == 0) ZAVOK_clear();  // the slowest call; still many thousands of times
        if (i % 2 == 0) ZAVOK_printf("%d\n", i);  // the window's line painter makes a brush each time
    }

    ZAVOK_clear();
    EXPECT_EQ(BLACK, GetPixel(surface_dc, 0, 0)) << "the clear's frame";
    EXPECT_EQ(WHITE, GetPixel(surface_dc, 1, 1));
    ZAVOK_rectangle(COLOR_RED, -100, 100, -60, 60, 0);
    EXPECT_EQ(RED, at(-80, 80)) << "a filled rectangle's brush";
    ZAVOK_oval(COLOR_BLUE, -40, 100, 0, 60, 0);
    EXPECT_EQ(BLUE, at(-20, 80));
    ZAVOK_triangle(COLOR_RED, 20, 60, 60, 60, 40, 100, 0);
    EXPECT_EQ(RED, at(40, 70));
    ZAVOK_line(COLOR_BLUE, 80, 80, 120, 80, 7);
    EXPECT_EQ(BLUE, at(100, 82)) << "a wide pen";
    ZAVOK_text(COLOR_BLACK, -100, 0, 60, "H");
    EXPECT_GT(inked_rows(-100, 60, -40, 0), 30) << "a 60-pixel font";

    // The text window still paints its lines.
    ZAVOK_printf("%s\n", "########");
    const HDC dc = GetDC(text_window);
    RECT client;
    GetClientRect(text_window, &client);
    int ink = 0;
    for (int y = client.bottom - 10; y < client.bottom; ++y)
        for (int x = 0; x < 60; ++x) ink += GetPixel(dc, x, y) != WHITE ? 1 : 0;
    ReleaseDC(text_window, dc);
    EXPECT_GT(ink, 0);
    logging_enabled = true;
}

}  // namespace
