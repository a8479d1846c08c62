// The public drawing calls. Each corrects its arguments (one notice per correction), logs
// itself while logging is on, and hands one command to the renderer. The order of the checks
// differs between calls and fixes the order of their notices.
#include "zavok.h"

#include "../window/window_internal.h"
#include "draw_internal.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

namespace {

// The magnitude of a negative value. The most negative int has none; it becomes INT_MAX.
int32_t magnitude(int32_t value) {
    return value == std::numeric_limits<int32_t>::min() ? std::numeric_limits<int32_t>::max() : -value;
}

// Box corners may hold any int, so a circle's box is worked out in 64 bits and held to
// the range of a command slot.
int32_t clamp_to_slot(int64_t value) {
    constexpr int64_t low = std::numeric_limits<int32_t>::min();
    constexpr int64_t high = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value < low ? low : (value > high ? high : value));
}

void check_radius(int &radius) {
    if (radius >= 0) return;
    const int corrected = magnitude(radius);
    ZAVOK_printf("Radius of %d not possible, using radius %d\n", radius, corrected);
    radius = corrected;
}

void check_width(int &width) {
    if (width >= 0) return;
    const int corrected = magnitude(width);
    ZAVOK_printf("Width of %d not possible, using width %d\n", width, corrected);
    width = corrected;
}

void check_ptsize(int &ptsize) {
    if (ptsize < 0) {
        const int corrected = magnitude(ptsize);
        ZAVOK_printf("ptsize of %d not possible, using ptsize %d\n", ptsize, corrected);
        ptsize = corrected;
    }
    if (ptsize > MAX_PTSIZE) {
        ZAVOK_printf("ptsize of %d not possible, using ptsize %d\n", ptsize, MAX_PTSIZE);
        ptsize = MAX_PTSIZE;
    }
}

// Afterwards (x1, y1) is the upper-left corner and (x2, y2) the lower-right one.
void normalise_corners(int &x1, int &y1, int &x2, int &y2) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 < y2) std::swap(y1, y2);
}

DrawCommand command_of(int kind, int color) {
    DrawCommand command = {};
    command.kind = kind;
    command.color = color;
    return command;
}

int draw_pixel(int color, int x, int y) {
    color = check_color(color);
    if (logging_enabled) ZAVOK_printf("%s pixel at (%d,%d)\n", color_names[color], x, y);
    DrawCommand command = command_of(DRAW_PIXEL, color);
    command.x1 = x;
    command.y1 = y;
    render_command(command);
    return 1;
}

int draw_circle(int color, int x, int y, int radius) {
    color = check_color(color);
    check_radius(radius);
    if (logging_enabled) ZAVOK_printf("%s circle at (%d,%d), radius %d\n", color_names[color], x, y, radius);
    DrawCommand command = command_of(DRAW_OVAL, color);
    command.width = 0;
    command.x1 = clamp_to_slot(int64_t{x} - radius);
    command.y1 = clamp_to_slot(int64_t{y} + radius);
    command.x2 = clamp_to_slot(int64_t{x} + radius);
    command.y2 = clamp_to_slot(int64_t{y} - radius);
    render_command(command);
    return 1;
}

int draw_triangle(int color, int x1, int y1, int x2, int y2, int x3, int y3, int width) {
    color = check_color(color);
    check_width(width);
    if (logging_enabled) {
        ZAVOK_printf("%s triangle at (%d,%d), (%d,%d), (%d,%d)\n", color_names[color], x1, y1, x2, y2, x3, y3);
    }
    DrawCommand command = command_of(DRAW_TRIANGLE, color);
    command.width = width;
    command.x1 = x1;
    command.y1 = y1;
    command.x2 = x2;
    command.y2 = y2;
    command.x3 = x3;
    command.y3 = y3;
    render_command(command);
    return 1;
}

DrawCommand box_command(int kind, int color, int x1, int y1, int x2, int y2, int width) {
    DrawCommand command = command_of(kind, color);
    command.width = width;
    command.x1 = x1;
    command.y1 = y1;
    command.x2 = x2;
    command.y2 = y2;
    return command;
}

int draw_rectangle(int color, int x1, int y1, int x2, int y2, int width) {
    normalise_corners(x1, y1, x2, y2);
    color = check_color(color);
    check_width(width);
    if (logging_enabled) {
        const char *const name = color_names[color];
        if (width == 0)
            ZAVOK_printf("%s rectangle with bounding box (%d,%d) to (%d,%d), filled\n", name, x1, y1, x2, y2);
        else
            ZAVOK_printf("%s rectangle with bounding box (%d,%d) to (%d,%d) with line width %d\n", name, x1, y1, x2,
                         y2, width);
    }
    render_command(box_command(DRAW_RECTANGLE, color, x1, y1, x2, y2, width));
    return 1;
}

int draw_oval(int color, int x1, int y1, int x2, int y2, int width) {
    normalise_corners(x1, y1, x2, y2);
    check_width(width);
    color = check_color(color);
    if (logging_enabled) {
        const char *const name = color_names[color];
        if (width == 0)
            ZAVOK_printf("%s oval with bounding box (%d,%d) to (%d,%d), filled\n", name, x1, y1, x2, y2);
        else
            ZAVOK_printf("%s oval with bounding box (%d,%d) to (%d,%d), line width %d\n", name, x1, y1, x2, y2,
                         width);
    }
    render_command(box_command(DRAW_OVAL, color, x1, y1, x2, y2, width));
    return 1;
}

int draw_line(int color, int x1, int y1, int x2, int y2, int width) {
    check_width(width);
    color = check_color(color);
    if (logging_enabled) {
        ZAVOK_printf("%s line from (%d,%d) to (%d,%d), width %d\n", color_names[color], x1, y1, x2, y2, width);
    }
    // Width 0 means the thinnest line; the renderer always gets at least 1.
    render_command(box_command(DRAW_LINE, color, x1, y1, x2, y2, width == 0 ? 1 : width));
    return 1;
}

// The renderer reads the text from a private copy that lives only for this call. A text that
// cannot be copied is not drawn: nothing is ever written through a missing block.
int draw_text(int color, int x, int y, int ptsize, const char *text) {
    if (text == nullptr) text = "";
    check_ptsize(ptsize);
    color = check_color(color);
    if (logging_enabled) ZAVOK_printf("%s text at (%d,%d), \"%s\"\n", color_names[color], x, y, text);

    const size_t length = std::strlen(text);
    if (length >= static_cast<size_t>(std::numeric_limits<int>::max())) return 1;  // beyond what text output takes
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, length + 1);
    if (block == nullptr) return 1;
    char *const copy = static_cast<char *>(GlobalLock(block));
    if (copy != nullptr) {
        std::memcpy(copy, text, length + 1);
        GlobalUnlock(block);
        DrawCommand command = command_of(DRAW_TEXT, color);
        command.x1 = x;
        command.y1 = y;
        command.x2 = ptsize;
        command.y2 = reinterpret_cast<intptr_t>(block);
        render_command(command);
    }
    GlobalFree(block);
    return 1;
}

int draw_printf_at(int color, int x, int y, int ptsize, const char *format, va_list arguments) {
    char buffer[TEXT_FORMAT_BUFFER];
    buffer[0] = '\0';
    int count = 0;
    if (format != nullptr) {
        count = std::vsnprintf(buffer, sizeof buffer, format, arguments);
        if (count < 0) buffer[0] = '\0';  // an encoding error leaves the buffer undefined
    }
    draw_text(color, x, y, ptsize, buffer);
    return count;
}

int draw_clear() {
    if (logging_enabled) ZAVOK_printf("Clearing the graphics window\n");
    clear_surface();
    return 1;
}

int draw_undo() {
    ZAVOK_printf("ZAVOK_undo is no longer supported.\n");
    return 1;
}

}  // namespace

int ZAVOK_pixel(int color, int x, int y) { return draw_pixel(color, x, y); }

int ZAVOK_circle(int color, int x, int y, int radius) { return draw_circle(color, x, y, radius); }

int ZAVOK_triangle(int color, int x1, int y1, int x2, int y2, int x3, int y3, int width) {
    return draw_triangle(color, x1, y1, x2, y2, x3, y3, width);
}

int ZAVOK_rectangle(int color, int x1, int y1, int x2, int y2, int width) {
    return draw_rectangle(color, x1, y1, x2, y2, width);
}

int ZAVOK_oval(int color, int x1, int y1, int x2, int y2, int width) {
    return draw_oval(color, x1, y1, x2, y2, width);
}

int ZAVOK_line(int color, int x1, int y1, int x2, int y2, int width) {
    return draw_line(color, x1, y1, x2, y2, width);
}

int ZAVOK_text(int color, int x, int y, int ptsize, const char *text) { return draw_text(color, x, y, ptsize, text); }

int ZAVOK_printf_at(int color, int x, int y, int ptsize, const char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const int count = draw_printf_at(color, x, y, ptsize, format, arguments);
    va_end(arguments);
    return count;
}

int ZAVOK_clear(void) { return draw_clear(); }

int ZAVOK_undo(void) { return draw_undo(); }
