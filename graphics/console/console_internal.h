// Text window and message ring, as the window subsystem and the tests use them.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr int RING_SIZE = 25;

// The last 25 printed texts, one movable memory block each, for repainting the text window.
struct MessageRing {
    HGLOBAL blocks[RING_SIZE];
    int32_t head;  // oldest message, -1 while the ring is empty
    int32_t tail;  // slot the next message takes
};
extern MessageRing message_ring;

LRESULT CALLBACK text_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Scrolls the text window up one line and paints text on the bottom line.
void text_window_print_line(const char *text);
