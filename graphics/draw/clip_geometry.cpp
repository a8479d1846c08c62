// Cutting segments and polygons to the clip box, and polygons for ovals too large for the
// platform. Everything is worked out in doubles, which hold any sum of two ints exactly.
#include "clip_geometry.h"

#include "../window/window_internal.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double BOX_LEFT = -static_cast<double>(CLIP_MARGIN);
constexpr double BOX_TOP = -static_cast<double>(CLIP_MARGIN);
constexpr double BOX_RIGHT = static_cast<double>(SURFACE_WIDTH + CLIP_MARGIN);
constexpr double BOX_BOTTOM = static_cast<double>(SURFACE_HEIGHT + CLIP_MARGIN);

constexpr double PI = 3.14159265358979323846;

bool within_box(const SurfacePoint &point) {
    return point.x >= BOX_LEFT && point.x <= BOX_RIGHT && point.y >= BOX_TOP && point.y <= BOX_BOTTOM;
}

// One side of the box: the points with value(point) <= limit are inside.
struct Side {
    bool vertical;  // compares x (else y)
    bool keep_below;
    double limit;

    bool inside(const SurfacePoint &point) const {
        const double value = vertical ? point.x : point.y;
        return keep_below ? value <= limit : value >= limit;
    }

    // Where the segment from a to b, which this side separates, crosses it.
    SurfacePoint crossing(const SurfacePoint &a, const SurfacePoint &b) const {
        if (vertical) {
            const double t = (limit - a.x) / (b.x - a.x);
            return {limit, a.y + t * (b.y - a.y)};
        }
        const double t = (limit - a.y) / (b.y - a.y);
        return {a.x + t * (b.x - a.x), limit};
    }
};

const Side BOX_SIDES[4] = {
    {true, false, BOX_LEFT},
    {true, true, BOX_RIGHT},
    {false, false, BOX_TOP},
    {false, true, BOX_BOTTOM},
};

// Sutherland and Hodgman: keeps the corners inside this side and puts a corner where each
// edge crosses it.
std::vector<SurfacePoint> clip_to_side(const std::vector<SurfacePoint> &corners, const Side &side) {
    std::vector<SurfacePoint> kept;
    kept.reserve(corners.size() + 2);
    for (size_t i = 0; i < corners.size(); ++i) {
        const SurfacePoint &current = corners[i];
        const SurfacePoint &previous = corners[(i + corners.size() - 1) % corners.size()];
        const bool current_inside = side.inside(current);
        if (current_inside != side.inside(previous)) kept.push_back(side.crossing(previous, current));
        if (current_inside) kept.push_back(current);
    }
    return kept;
}

POINT rounded(const SurfacePoint &point) {
    return {static_cast<LONG>(std::lround(point.x)), static_cast<LONG>(std::lround(point.y))};
}

}  // namespace

bool within_clip_box(const SurfacePoint *points, size_t count) {
    return std::all_of(points, points + count, within_box);
}

bool clip_segment(SurfacePoint &from, SurfacePoint &to) {
    // Liang and Barsky: the segment is from + t (to - from) for t in [0, 1]; each side of the
    // box narrows the range of t.
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    double t_enter = 0.0;
    double t_leave = 1.0;
    const double directions[4] = {-dx, dx, -dy, dy};
    const double room[4] = {from.x - BOX_LEFT, BOX_RIGHT - from.x, from.y - BOX_TOP, BOX_BOTTOM - from.y};
    for (int side = 0; side < 4; ++side) {
        if (directions[side] == 0.0) {
            if (room[side] < 0.0) return false;  // parallel to this side and beyond it
            continue;
        }
        const double t = room[side] / directions[side];
        if (directions[side] < 0.0)
            t_enter = std::max(t_enter, t);
        else
            t_leave = std::min(t_leave, t);
        if (t_enter > t_leave) return false;
    }
    const SurfacePoint start = from;
    if (t_enter > 0.0) from = {start.x + t_enter * dx, start.y + t_enter * dy};
    if (t_leave < 1.0) to = {start.x + t_leave * dx, start.y + t_leave * dy};
    return true;
}

bool clip_rectangle(double left, double top, double right, double bottom, RECT &cut) {
    left = std::max(left, BOX_LEFT);
    top = std::max(top, BOX_TOP);
    right = std::min(right, BOX_RIGHT);
    bottom = std::min(bottom, BOX_BOTTOM);
    if (left >= right || top >= bottom) return false;
    cut = {static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right), static_cast<LONG>(bottom)};
    return true;
}

std::vector<POINT> clip_polygon(const std::vector<SurfacePoint> &corners) {
    std::vector<SurfacePoint> clipped = corners;
    for (const Side &side : BOX_SIDES) {
        if (clipped.empty()) break;
        clipped = clip_to_side(clipped, side);
    }
    std::vector<POINT> points;
    points.reserve(clipped.size());
    for (const SurfacePoint &corner : clipped) {
        const POINT point = rounded(corner);
        if (points.empty() || point.x != points.back().x || point.y != points.back().y) points.push_back(point);
    }
    while (points.size() > 1 && points.front().x == points.back().x && points.front().y == points.back().y)
        points.pop_back();
    return points;
}

std::vector<SurfacePoint> oval_polygon(double left, double top, double right, double bottom) {
    const double centre_x = (left + right) / 2;
    const double centre_y = (top + bottom) / 2;
    const double half_width = (right - left) / 2;
    const double half_height = (bottom - top) / 2;
    // A chord over the angle step strays from the arc by at most (larger half-axis) * step^2 / 8,
    // which this step holds to a quarter of a pixel.
    const double largest = std::max({half_width, half_height, 1.0});
    const double step_limit = std::min(std::sqrt(2.0 / largest), PI / 16);
    const size_t count = static_cast<size_t>(std::ceil(2 * PI / step_limit));
    std::vector<SurfacePoint> corners;
    corners.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const double angle = 2 * PI * static_cast<double>(i) / static_cast<double>(count);
        corners.push_back({centre_x + half_width * std::cos(angle), centre_y + half_height * std::sin(angle)});
    }
    return corners;
}
