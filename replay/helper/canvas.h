// A 32-bit top-down bitmap selected into a memory device context, freed with the object: what
// the replay's helper copies a window's pixels into (the graphics window's frames, the text
// window's lines) and draws the text reader's glyphs on.
#ifndef ZAVOK_REPLAY_CANVAS_H
#define ZAVOK_REPLAY_CANVAS_H

#include <windows.h>

#include <cstdint>

struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t *pixels = nullptr;  // 0x00RRGGBB, row by row from the top
    int width = 0;
    int height = 0;

    Canvas(int w, int h) : width(w), height(h) {
        dc = CreateCompatibleDC(nullptr);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void *bits = nullptr;
        if (dc != nullptr) bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap != nullptr) {
            previous = SelectObject(dc, bitmap);
            pixels = static_cast<uint32_t *>(bits);
        }
    }
    ~Canvas() {
        if (previous != nullptr) SelectObject(dc, previous);
        if (bitmap != nullptr) DeleteObject(bitmap);
        if (dc != nullptr) DeleteDC(dc);
    }
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;

    bool ok() const { return pixels != nullptr; }
};

// Copies the top left of a window's client area (of this or another process of the session)
// onto the canvas, as large as the canvas.
inline bool copy_window(HWND window, Canvas &canvas) {
    if (!canvas.ok()) return false;
    const HDC window_dc = GetDC(window);
    if (window_dc == nullptr) return false;
    const BOOL copied = BitBlt(canvas.dc, 0, 0, canvas.width, canvas.height, window_dc, 0, 0, SRCCOPY);
    ReleaseDC(window, window_dc);
    GdiFlush();
    return copied != FALSE;
}

#endif
