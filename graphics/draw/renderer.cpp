// Paints draw commands on the off-screen surface. Nothing is kept between commands: each one
// makes its own pens, brushes and fonts and leaves the surface with the objects it found.
#include "zavok.h"

#include "../window/window_internal.h"
#include "clip_geometry.h"
#include "draw_internal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

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

// The same point unbounded, for shapes that are cut to the clip box before they are painted.
SurfacePoint surface_point(int64_t x, int64_t y) {
    return {static_cast<double>(origin_x + x), static_cast<double>(origin_y - y)};
}

// Only called with points inside the clip box, which fit an int with room to spare.
POINT pixel_of(const SurfacePoint &point) { return {static_cast<LONG>(point.x), static_cast<LONG>(point.y)}; }

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
    return CreatePen(PS_SOLID, std::min(command.width, MAX_PEN_WIDTH), color_values[command.color]);
}

// A polygon that reaches beyond the clip box is painted as its part inside the box; the edges
// that the cut adds lie too far out for the pen to reach the surface.
void paint_polygon(const std::vector<SurfacePoint> &corners) {
    if (within_clip_box(corners.data(), corners.size())) {
        std::vector<POINT> points(corners.size());
        std::transform(corners.begin(), corners.end(), points.begin(), pixel_of);
        Polygon(surface_dc, points.data(), static_cast<int>(points.size()));
        return;
    }
    const std::vector<POINT> points = clip_polygon(corners);
    if (points.size() >= 3) Polygon(surface_dc, points.data(), static_cast<int>(points.size()));
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
    paint_polygon({surface_point(command.x1, command.y1), surface_point(command.x2, command.y2),
                   surface_point(command.x3, command.y3)});
}

// An oval too large for the platform's Ellipse, or with too wide a pen, as polygons cut to the
// clip box. Its box runs from (left, top) to (right, bottom), pixels included.
void paint_oval_as_polygons(const DrawCommand &command, double left, double top, double right, double bottom) {
    if (command.width <= 1) {
        const OwnedObject pen(make_pen(command));
        const Selection pen_selection(pen.get());
        const OwnedObject brush(make_fill_brush(command));
        const Selection brush_selection(brush.get() != nullptr ? brush.get() : GetStockObject(NULL_BRUSH));
        paint_polygon(oval_polygon(left, top, right, bottom));
        return;
    }
    // A wide outline is the ring between the oval grown and the oval shrunk by half the pen.
    const OwnedObject brush(CreateSolidBrush(color_values[command.color]));
    const Selection brush_selection(brush.get());
    const Selection pen_selection(GetStockObject(NULL_PEN));
    const double half = command.width / 2.0;
    std::vector<POINT> points = clip_polygon(oval_polygon(left - half, top - half, right + half, bottom + half));
    if (points.size() < 3) return;
    INT counts[2] = {static_cast<INT>(points.size()), 0};
    if (right - left > 2 * half && bottom - top > 2 * half) {
        const std::vector<POINT> hole =
            clip_polygon(oval_polygon(left + half, top + half, right - half, bottom - half));
        if (hole.size() >= 3) {
            counts[1] = static_cast<INT>(hole.size());
            points.insert(points.end(), hole.begin(), hole.end());
        }
    }
    PolyPolygon(surface_dc, points.data(), counts, counts[1] > 0 ? 2 : 1);  // alternate filling leaves the hole
}

// The platform leaves out the right column and bottom row of the box it is given; one more
// on each makes the shape cover both corner points.
void paint_box(const DrawCommand &command) {
    const SurfacePoint corners[2] = {surface_point(command.x1, command.y1),
                                     surface_point(command.x2 + int64_t{1}, command.y2 - 1)};
    const double left = corners[0].x, top = corners[0].y, right = corners[1].x, bottom = corners[1].y;
    const bool within = within_clip_box(corners, 2);
    if (command.kind == DRAW_OVAL && (!within || command.width > MAX_OVAL_PEN_WIDTH)) {
        paint_oval_as_polygons(command, left, top, right - 1, bottom - 1);
        return;
    }
    const OwnedObject pen(make_pen(command));
    const Selection pen_selection(pen.get());
    const OwnedObject brush(make_fill_brush(command));
    const Selection brush_selection(brush.get() != nullptr ? brush.get() : GetStockObject(NULL_BRUSH));
    if (!within) {
        RECT cut;
        if (clip_rectangle(left, top, right, bottom, cut))
            Rectangle(surface_dc, cut.left, cut.top, cut.right, cut.bottom);
        return;
    }
    const POINT top_left = pixel_of(corners[0]);
    const POINT bottom_right = pixel_of(corners[1]);
    const bool one_pixel = bottom_right.x - top_left.x == 1 && bottom_right.y - top_left.y == 1;
    if (one_pixel && command.width <= 1) {
        // A box of one pixel (a circle of radius 0) is that pixel; Wine's Rectangle and
        // Ellipse paint nothing for it.
        SetPixel(surface_dc, top_left.x, top_left.y, color_values[command.color]);
    } else if (command.kind == DRAW_RECTANGLE) {
        Rectangle(surface_dc, top_left.x, top_left.y, bottom_right.x, bottom_right.y);
    } else {
        Ellipse(surface_dc, top_left.x, top_left.y, bottom_right.x, bottom_right.y);
    }
}

void paint_line(const DrawCommand &command) {
    const OwnedObject pen(make_pen(command));
    const Selection pen_selection(pen.get());
    SurfacePoint from = surface_point(command.x1, command.y1);
    SurfacePoint to = surface_point(command.x2, command.y2);
    const SurfacePoint ends[2] = {from, to};
    if (!within_clip_box(ends, 2)) {
        // The cut ends lie on the box's border, beyond the pen's reach of the surface, so
        // whether a thin line leaves out its end point no longer shows.
        if (!clip_segment(from, to)) return;
        from = {std::round(from.x), std::round(from.y)};
        to = {std::round(to.x), std::round(to.y)};
    }
    MoveToEx(surface_dc, static_cast<int>(from.x), static_cast<int>(from.y), nullptr);
    LineTo(surface_dc, static_cast<int>(to.x), static_cast<int>(to.y));
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
                                           DEFAULT_PITCH | FF_DONTCARE, ZAVOK_FONT_FACE));
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
