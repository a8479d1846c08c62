// Paints draw commands on the off-screen surface. Nothing is kept between commands: each one
// makes its own pens, brushes and fonts and leaves the surface with the objects it found.
#include "zavok.h"

#include "../window/window_internal.h"
#include "draw_internal.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// Corrected sizes may reach INT32_MAX and coordinates may lie anywhere, so positions are
// worked out in 64 bits and then held to the range the drawing calls take.
int saturate(int64_t value) {
    constexpr int64_t low = std::numeric_limits<int>::min();
    constexpr int64_t high = std::numeric_limits<int>::max();
    return static_cast<int>(value < low ? low : (value > high ? high : value));
}

int surface_x(int32_t x, int64_t offset = 0) { return saturate(int64_t{origin_x} + x + offset); }
int surface_y(int32_t y, int64_t offset = 0) { return saturate(int64_t{origin_y} - y + offset); }

// A pen, brush or font that this command created; deleted when the command is done.
class OwnedObject {
public:
    explicit OwnedObject(HGDIOBJ object) : object_(object) {}
    ~OwnedObject() {
        if (object_ != nullptr) DeleteObject(object_);
    }
    OwnedObject(const OwnedObject &) = delete;
    OwnedObject &operator=(const OwnedObject &) = delete;
    HGDIOBJ get() const { return object_; }

private:
    HGDIOBJ object_;
};

// Selects an object into the surface and puts the previous one back on leaving. Declared
// after the OwnedObject it selects, so it lets go of the object before that is deleted.
class Selection {
public:
    explicit Selection(HGDIOBJ object) : previous_(object != nullptr ? SelectObject(surface_dc, object) : nullptr) {}
    ~Selection() {
        if (previous_ != nullptr) SelectObject(surface_dc, previous_);
    }
    Selection(const Selection &) = delete;
    Selection &operator=(const Selection &) = delete;

private:
    HGDIOBJ previous_;
};

HGDIOBJ make_pen(const DrawCommand &command) {
    return CreatePen(PS_SOLID, command.width, color_values[command.color]);
}

// Width 0 asks for a filled shape; any other width leaves the inside as it was.
HGDIOBJ make_fill_brush(const DrawCommand &command) {
    return command.width == 0 ? CreateSolidBrush(color_values[command.color]) : nullptr;
}

void paint_triangle(const DrawCommand &command) {
    const OwnedObject pen(make_pen(command));
    const Selection pen_selection(pen.get());
    const OwnedObject brush(make_fill_brush(command));
    const Selection brush_selection(brush.get() != nullptr ? brush.get() : GetStockObject(NULL_BRUSH));
    const POINT corners[3] = {
        {surface_x(command.x1), surface_y(command.y1)},
        {surface_x(command.x2), surface_y(static_cast<int32_t>(command.y2))},
        {surface_x(command.x3), surface_y(command.y3)},
    };
    Polygon(surface_dc, corners, 3);
}

// The platform leaves out the right column and bottom row of the box it is given; one more
// on each makes the shape cover both corner points.
void paint_box(const DrawCommand &command) {
    const OwnedObject pen(make_pen(command));
    const Selection pen_selection(pen.get());
    const OwnedObject brush(make_fill_brush(command));
    const Selection brush_selection(brush.get() != nullptr ? brush.get() : GetStockObject(NULL_BRUSH));
    const int left = surface_x(command.x1);
    const int top = surface_y(command.y1);
    const int right = surface_x(command.x2, 1);
    const int bottom = surface_y(static_cast<int32_t>(command.y2), 1);
    const bool one_pixel = int64_t{right} - left == 1 && int64_t{bottom} - top == 1;
    if (one_pixel && command.width <= 1) {
        // A box of one pixel (a circle of radius 0) is that pixel; Wine's Rectangle and
        // Ellipse paint nothing for it.
        SetPixel(surface_dc, left, top, color_values[command.color]);
    } else if (command.kind == DRAW_RECTANGLE) {
        Rectangle(surface_dc, left, top, right, bottom);
    } else {
        Ellipse(surface_dc, left, top, right, bottom);
    }
}

void paint_line(const DrawCommand &command) {
    const OwnedObject pen(make_pen(command));
    const Selection pen_selection(pen.get());
    MoveToEx(surface_dc, surface_x(command.x1), surface_y(command.y1), nullptr);
    LineTo(surface_dc, surface_x(command.x2), surface_y(static_cast<int32_t>(command.y2)));
}

void paint_pixel(const DrawCommand &command) {
    SetPixel(surface_dc, surface_x(command.x1), surface_y(command.y1), color_values[command.color]);
}

// Paints each '\n'-separated line; the first stands on the anchor point, the rest below it.
void paint_text_lines(const DrawCommand &command, const char *text) {
    const size_t total = std::strlen(text);
    if (total > static_cast<size_t>(std::numeric_limits<int>::max())) return;  // beyond what text output takes
    SIZE extent = {0, 0};
    GetTextExtentPointA(surface_dc, text, static_cast<int>(total), &extent);
    const int64_t line_height = extent.cy;

    const int x = surface_x(command.x1);
    const char *start = text;
    for (int64_t line = 0;; ++line) {
        const char *const newline = std::strchr(start, '\n');
        const size_t count = newline != nullptr ? static_cast<size_t>(newline - start) : std::strlen(start);
        if (count > 0) {
            TextOutA(surface_dc, x, surface_y(command.y1, (line - 1) * line_height), start, static_cast<int>(count));
        }
        if (newline == nullptr) break;
        start = newline + 1;
    }
}

void paint_text(const DrawCommand &command) {
    SetTextColor(surface_dc, color_values[command.color]);
    const int previous_mode = GetBkMode(surface_dc);
    SetBkMode(surface_dc, TRANSPARENT);  // only the glyphs: the cells keep what was there
    {
        const OwnedObject font(CreateFontA(-command.x2, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                           DEFAULT_PITCH | FF_DONTCARE, "ZAVOK-font"));
        const Selection font_selection(font.get());
        const HGLOBAL block = reinterpret_cast<HGLOBAL>(command.y2);
        const char *const text = static_cast<const char *>(GlobalLock(block));
        if (text != nullptr) {
            paint_text_lines(command, text);
            GlobalUnlock(block);
        }
    }
    SetBkMode(surface_dc, previous_mode);
}

}  // namespace

void render_command(const DrawCommand &command) {
    switch (command.kind) {
        case DRAW_TRIANGLE:
            paint_triangle(command);
            break;
        case DRAW_RECTANGLE:
        case DRAW_OVAL:
            paint_box(command);
            break;
        case DRAW_LINE:
            paint_line(command);
            break;
        case DRAW_PIXEL:
            paint_pixel(command);
            break;
        case DRAW_TEXT:
            paint_text(command);
            break;
        default:
            break;  // an unknown kind paints nothing
    }
    surface_dirty = 1;
}

void clear_surface() {
    // The outline comes from the surface's own pen, always the default black one, which
    // gives the cleared surface its one-pixel frame.
    const OwnedObject brush(CreateSolidBrush(color_values[COLOR_WHITE]));
    const Selection brush_selection(brush.get());
    Rectangle(surface_dc, 0, 0, SURFACE_WIDTH, SURFACE_HEIGHT);
    surface_dirty = 1;
}
