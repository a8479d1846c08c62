/* shapes: every shape ZAVOK draws, outlined and filled, with a circle and a row of pixels.
 *
 * The outlines have the line width shown at the top, which `+` and `-` change (1 to 12); below,
 * the same shapes filled (width 0). A circle is always filled. Close the window to end.
 *
 * Picture: a line, a triangle, a rectangle and two ovals outlined 5 pixels wide above, filled
 * below, and a dotted row of pixels.
 */
#include <zavok.h>

static void draw_shapes(int width) {
    ZAVOK_clear();
    ZAVOK_printf_at(COLOR_BLACK, -280, 210, 20, "Line width %d (type + or -)", width);

    /* Top row: outlines of the given width. */
    ZAVOK_line(COLOR_BLUE, -270, 60, -190, 160, width);
    ZAVOK_triangle(COLOR_GREEN, -160, 60, -80, 60, -120, 160, width);
    ZAVOK_rectangle(COLOR_RED, -50, 160, 40, 60, width);
    ZAVOK_oval(COLOR_PURPLE, 70, 160, 170, 60, width);
    ZAVOK_oval(COLOR_ORANGE, 200, 160, 250, 60, width); /* a tall oval; a circle outline is an oval */

    /* Bottom row: the same shapes filled (width 0), a circle (always filled) and pixels. */
    ZAVOK_line(COLOR_BLUE, -270, -140, -190, -40, 0);   /* a line of width 0 is the thinnest */
    ZAVOK_triangle(COLOR_GREEN, -160, -140, -80, -140, -120, -40, 0);
    ZAVOK_rectangle(COLOR_RED, -50, -40, 40, -140, 0);
    ZAVOK_oval(COLOR_PURPLE, 70, -40, 170, -140, 0);
    ZAVOK_circle(COLOR_ORANGE, 225, -90, 50);
    for (int x = -270; x <= 250; x += 4) ZAVOK_pixel(COLOR_BLACK, x, -180);

    ZAVOK_text(COLOR_GRAY_50, -270, 30, 14, "line");
    ZAVOK_text(COLOR_GRAY_50, -160, 30, 14, "triangle");
    ZAVOK_text(COLOR_GRAY_50, -50, 30, 14, "rectangle");
    ZAVOK_text(COLOR_GRAY_50, 70, 30, 14, "ovals");
    ZAVOK_text(COLOR_GRAY_50, -270, -230, 14, "Width 0 fills a shape; a circle is always filled; a row of pixels.");
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int width = 1;
    int x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    ZAVOK_show_text(0);
    draw_shapes(width);

    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
        if (key == '+' && width < 12) width++;
        if (key == '-' && width > 1) width--;
        draw_shapes(width);
    }
    ZAVOK_close();
    return 0;
}
