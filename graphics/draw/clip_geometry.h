// Keeps what the renderer hands to the platform's drawing calls within reach of the surface.
//
// Wine's Ellipse, Polygon and wide pens take time in proportion to the size of the shape (a
// filled oval two million pixels across does not finish), and near the ends of the int range
// their arithmetic wraps: a line across the whole world comes out as a few stray pixels. So
// shapes that reach far beyond the surface are cut to a clip box around it first, and pens are
// held to a width that the box's margin can contain.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// Wider pens paint as this wide: still far more than the surface's diagonal.
constexpr int32_t MAX_PEN_WIDTH = 16384;
// Wine's Ellipse with a pen much wider than this can take seconds; such ovals are drawn as
// polygons, like ovals beyond the clip box.
constexpr int32_t MAX_OVAL_PEN_WIDTH = 256;
// The clip box is the surface grown by this on every side. It is more than half the widest
// pen, so no stroke along an edge that clipping adds reaches the surface.
constexpr int64_t CLIP_MARGIN = MAX_PEN_WIDTH;

// A point in surface pixels, anywhere: world coordinates of any int, moved by the origin.
struct SurfacePoint {
    double x;
    double y;
};

// Whether every point lies within the clip box, so the shape can go to the platform as it is.
bool within_clip_box(const SurfacePoint *points, size_t count);

// Cuts the segment to the clip box. False when no part of it lies inside.
bool clip_segment(SurfacePoint &from, SurfacePoint &to);

// The rectangle from (left, top) to (right, bottom) cut to the clip box. False when none of it
// lies inside: a rectangle wholly outside is also beyond the pen's reach of the surface.
bool clip_rectangle(double left, double top, double right, double bottom, RECT &cut);

// The polygon cut to the clip box, its corners rounded to pixels. Edges that the cut adds lie
// on the box's border. Fewer than three corners when nothing is left.
std::vector<POINT> clip_polygon(const std::vector<SurfacePoint> &corners);

// A polygon inscribed, within a quarter of a pixel, in the oval that spans the columns from left
// to right and the rows from top to bottom (pixel centres, both ends included).
std::vector<SurfacePoint> oval_polygon(double left, double top, double right, double bottom);
