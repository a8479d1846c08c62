// The text window: a scrolling log of one-line messages, and the ring of the last 25 that
// lets it repaint itself.
#include "zavok.h"

#include "../window/window_internal.h"
#include "console_internal.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

MessageRing message_ring = {{}, -1, 0};

namespace {

constexpr int FORMAT_BUFFER = 1024;  // a formatted message keeps at most 1023 characters
constexpr int TEXT_LEFT_MARGIN = 5;

int next_slot(int slot) { return slot + 1 == RING_SIZE ? 0 : slot + 1; }

// A private copy of text in a movable block of exactly length + 1 bytes; null when the
// memory cannot be had, so the caller never writes through a missing block.
HGLOBAL copy_to_block(const char *text, size_t length) {
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, length + 1);
    if (block == nullptr) return nullptr;
    char *const bytes = static_cast<char *>(GlobalLock(block));
    if (bytes == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(bytes, text, length);
    bytes[length] = '\0';
    GlobalUnlock(block);
    return block;
}

// Keeps the message for repaints. The new block is obtained before the oldest is given up,
// so a failed allocation loses only the new message, never one already stored.
void store_message(const char *text) {
    const HGLOBAL block = copy_to_block(text, std::strlen(text));
    if (block == nullptr) return;
    MessageRing &ring = message_ring;
    if (ring.head == ring.tail) {
        GlobalFree(ring.blocks[ring.head]);
        ring.head = next_slot(ring.head);
    }
    ring.blocks[ring.tail] = block;
    if (ring.head < 0) ring.head = ring.tail;
    ring.tail = next_slot(ring.tail);
}

// Fills a rectangle of the client area in the device context's background colour, without an
// outline. Without a pen the fill stops short of the right and bottom edges given, hence the
// + 1 on both.
void fill_background(HDC dc, const RECT &area) {
    const HBRUSH background = CreateSolidBrush(GetBkColor(dc));
    const HGDIOBJ previous_brush = SelectObject(dc, background);
    const HGDIOBJ previous_pen = SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, area.left, area.top, area.right + 1, area.bottom + 1);
    SelectObject(dc, previous_pen);
    SelectObject(dc, previous_brush);
    DeleteObject(background);
}

// Paints the ring again, oldest first, each message scrolling the ones before it up. The
// painter scrolls the whole client area, whatever part of it was invalid, so the window is
// wiped whole first: otherwise the pixels still shown outside the invalid part (or a line
// printed since the window was last erased) would be scrolled up among the replayed ones.
void repaint_from_ring(HWND window) {
    PAINTSTRUCT paint_info;
    BeginPaint(window, &paint_info);
    const HDC dc = GetDC(window);
    RECT client;
    GetClientRect(window, &client);
    fill_background(dc, client);
    ReleaseDC(window, dc);
    const MessageRing &ring = message_ring;
    int slot = ring.head;
    for (int count = 0; slot >= 0 && !(slot == ring.tail && count > 0); ++count) {
        const char *const text = static_cast<const char *>(GlobalLock(ring.blocks[slot]));
        if (text != nullptr) {
            text_window_print_line(text);
            GlobalUnlock(ring.blocks[slot]);
        }
        slot = next_slot(slot);
    }
    EndPaint(window, &paint_info);
}

}  // namespace

void text_window_print_line(const char *text) {
    // A hidden (or closed) window shows nothing; showing it again repaints from the ring,
    // so the work of scrolling and drawing can be saved.
    if (!IsWindowVisible(text_window)) return;

    const HDC dc = GetDC(text_window);
    const HGDIOBJ previous_font = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    const int line_height = metrics.tmHeight + metrics.tmExternalLeading;

    ScrollDC(dc, 0, -line_height, nullptr, nullptr, nullptr, nullptr);

    RECT client;
    GetClientRect(text_window, &client);
    // The strip that the scroll vacated.
    fill_background(dc, RECT{client.left, client.bottom - line_height, client.right, client.bottom});

    size_t length = std::strlen(text);
    if (length > 0 && text[length - 1] == '\n') --length;
    TextOutA(dc, client.left + TEXT_LEFT_MARGIN, client.bottom - line_height, text, static_cast<int>(length));

    SelectObject(dc, previous_font);
    ReleaseDC(text_window, dc);
}

int ZAVOK_printf(const char *format, ...) {
    char buffer[FORMAT_BUFFER];
    int count = 0;
    buffer[0] = '\0';
    if (format != nullptr) {
        va_list arguments;
        va_start(arguments, format);
        count = std::vsnprintf(buffer, sizeof buffer, format, arguments);
        va_end(arguments);
        if (count < 0) buffer[0] = '\0';  // an encoding error leaves the buffer undefined
    }
    store_message(buffer);
    text_window_print_line(buffer);
    return count;
}

int ZAVOK_show_text(int show) { return ShowWindow(text_window, show ? SW_SHOW : SW_HIDE); }

LRESULT CALLBACK text_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_PAINT:
            repaint_from_ring(window);
            return 0;
        case WM_KEYDOWN:
        case WM_KEYUP:
            // Keys typed here act as if typed in the graphics window.
            PostMessageA(graphics_window, message, wparam, lparam);
            return 0;
        default:
            return DefWindowProcA(window, message, wparam, lparam);
    }
}
