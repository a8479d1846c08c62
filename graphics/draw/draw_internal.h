// Palette, draw commands and the renderer, as the drawing operations and the tests use them.
#pragma once

#include "zavok.h"

#include <windows.h>

#include <cstdint>

constexpr int MAX_PTSIZE = 127;
constexpr int TEXT_FORMAT_BUFFER = 1024;  // formatted texts keep at most 1023 characters

extern const COLORREF color_values[COLOR_COUNT];
extern const char *const color_names[COLOR_COUNT];

// Returns a valid colour index: the one given, or red after printing a notice.
int check_color(int color);

enum DrawKind { DRAW_TRIANGLE = 0, DRAW_RECTANGLE = 1, DRAW_OVAL = 2, DRAW_LINE = 3, DRAW_PIXEL = 4, DRAW_TEXT = 5 };

// One drawing call, in world coordinates. For DRAW_TEXT, x2 is the point size and y2 the
// handle of the text's private memory block, which needs the full width of a pointer.
struct DrawCommand {
    int32_t kind;
    int32_t color;
    int32_t width;
    int32_t x1;
    int32_t y1;
    int32_t x2;
    intptr_t y2;
    int32_t x3;
    int32_t y3;
};

// Paints one command on the surface and marks the surface dirty.
void render_command(const DrawCommand &command);
// Paints the whole surface white (inside the default pen's black frame).
void clear_surface();
