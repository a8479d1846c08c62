// Reading back what the designer drew: the drawing calls' log lines and the surface's pixels.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Switches the drawing calls' log lines on and marks the text window's message ring, so that
// captured_lines() returns only what the package prints from here on (at most 24 lines).
void start_capture();
// The messages printed since start_capture(), oldest first, each without its final newline.
// Logging is switched off again.
std::vector<std::string> captured_lines();

// The colour of the surface pixel at a world point.
COLORREF pixel_at(int x, int y);
// Every pixel of the world box from (left, bottom) to (right, top), row by row.
std::vector<COLORREF> pixels_in(int left, int bottom, int right, int top);
// Whether some pixel of that box has the given colour exactly.
bool box_has_colour(int left, int bottom, int right, int top, COLORREF colour);

// The seed for which the first random_next() leaves `remainder` modulo `divisor`.
unsigned seed_giving(int divisor, int remainder);
// The n-th number (0 = the first) that random_next() returns after random_seed(seed).
int nth_random(unsigned seed, int n);
