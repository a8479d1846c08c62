// Text window, message ring and line-input dialog, as the window subsystem and the tests use them.
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

// The line-input dialog of ZAVOK_gets: its caption and its controls' ids.
constexpr wchar_t GETS_CAPTION[] = L"ZAVOK_gets";
constexpr WORD GETS_OKAY = 101;
constexpr WORD GETS_EDIT = 102;
constexpr WORD GETS_PROMPT = 103;

LRESULT CALLBACK text_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Scrolls the text window up one line and paints text on the bottom line.
void text_window_print_line(const char *text);
