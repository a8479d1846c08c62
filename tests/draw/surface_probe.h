// Reads the drawing surface back in world coordinates.
#pragma once

#include "../../graphics/window/window_internal.h"

#include <cstdint>

constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF BLACK = RGB(0, 0, 0);
constexpr COLORREF RED = RGB(255, 0, 0);
constexpr COLORREF BLUE = RGB(0, 0, 255);

inline COLORREF world_pixel(int x, int y) { return GetPixel(surface_dc, client_x(x), client_y(y)); }

// Pixels of `color` in the world box from (left, top) to (right, bottom), both inclusive.
inline int count_color(COLORREF color, int left, int top, int right, int bottom) {
    int count = 0;
    for (int y = top; y >= bottom; --y)
        for (int x = left; x <= right; ++x) count += world_pixel(x, y) == color ? 1 : 0;
    return count;
}

// A fingerprint of every surface pixel and its place, to tell whether anything changed.
inline uint64_t surface_fingerprint() {
    uint64_t sum = 0;
    for (int cy = 0; cy < SURFACE_HEIGHT; ++cy)
        for (int cx = 0; cx < SURFACE_WIDTH; ++cx) sum = sum * 1000003u + GetPixel(surface_dc, cx, cy);
    return sum;
}
