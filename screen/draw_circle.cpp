// CIRCLE: circles, ellipses, arcs and radius lines.
//
// The outline is walked one quadrant at a time by rotating the unit vector
// (1, 0) in n equal steps; each offset is mirrored into the four quadrants,
// and an offset is drawn only once it has moved two pixels from the last one
// drawn, so the outline stays one pixel thick.
#include "screen/drawing.h"
#include "screen/drawing_internal.h"

#include "core/errors.h"
#include "core/small_ops.h"
#include "screen/pixels.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace
{

constexpr double TWO_PI = 6.283185307179586;
constexpr double PI = 3.141592653589793;
// Radii beyond this (in pixels) are held here: such a circle is far larger
// than any page, and its walk stays bounded in time.
constexpr double RADIUS_LIMIT = 4194304.0;

// The arc: angles in [start, end], or outside (start, end) when inverted.
struct arc {
    double start, end;
    bool inverted;
    bool whole; // every angle passes
    bool passes(double a) const
    {
        return whole || (inverted ? a <= start || a >= end : a >= start && a <= end);
    }
};

struct ellipse {
    int64_t cx, cy;
    double pixels; // the radius in pixels, before the aspect
    double rx, ry;
};

// A mapped coordinate rounded half away from zero, held within the
// coordinate limit.
int64_t centre_round(double v)
{
    v = std::fmin(std::fmax(v, -double(COORD_LIMIT)), double(COORD_LIMIT));
    return double_to_int64_saturating(v < 0 ? v - 0.5 : v + 0.5);
}

// True when the ellipse's box, widened by half a pixel, misses the clip
// rectangle: then nothing is drawn at all.
bool ellipse_misses_clip(const image_slot *r, const ellipse &e)
{
    return double(e.cx) + e.rx + 0.5 < r->clip_x1 || double(e.cx) - e.rx - 0.5 > r->clip_x2 ||
           double(e.cy) + e.ry + 0.5 < r->clip_y1 || double(e.cy) - e.ry - 0.5 > r->clip_y2;
}

// True when the clip rectangle lies wholly inside the ellipse, so no pixel of
// the outline can touch it (radius lines still can).
bool clip_inside_ellipse(const image_slot *r, const ellipse &e)
{
    if (e.rx <= 2 || e.ry <= 2)
        return false;
    for (int32_t x : {r->clip_x1, r->clip_x2})
        for (int32_t y : {r->clip_y1, r->clip_y2}) {
            double u = double(x - e.cx) / (e.rx - 2), v = double(y - e.cy) / (e.ry - 2);
            if (u * u + v * v >= 1)
                return false;
        }
    return true;
}

// The offset in its four mirror positions, each where its angle is on the
// arc.
void mirror_plot(image_slot *r, const ellipse &e, const arc &a, int64_t dx, int64_t dy,
                 double angle, uint32_t colour)
{
    if (a.passes(angle))
        pixel_plot(r, e.cx + dx, e.cy + dy, colour);
    if (a.passes(PI - angle))
        pixel_plot(r, e.cx - dx, e.cy + dy, colour);
    if (a.passes(PI + angle))
        pixel_plot(r, e.cx - dx, e.cy - dy, colour);
    if (a.passes(TWO_PI - angle))
        pixel_plot(r, e.cx + dx, e.cy - dy, colour);
}

void radius_line(image_slot *r, const ellipse &e, double angle, uint32_t colour)
{
    int64_t x = e.cx + int64_t(e.rx * std::cos(angle) + 0.5);
    int64_t y = e.cy - int64_t(e.ry * std::sin(angle) - 0.5);
    line_draw_pixels(r, {e.cx, e.cy, x, y}, colour, 0xFFFF);
}

// The steps per quadrant of the outline walk, from the pixel radius.
int64_t outline_steps(const ellipse &e)
{
    return int64_t(TWO_PI * e.pixels / 4 + 0.5);
}

// The outline walk: n steps per quadrant.
void outline_walk(image_slot *r, const ellipse &e, const arc &a, uint32_t colour)
{
    int64_t n = outline_steps(e);
    double step = (PI / 2) / double(n), c = std::cos(step), s = std::sin(step);
    double X = 1, Y = 0;
    int64_t pend_x = 0, pend_y = 0, last_x = 0, last_y = 0;
    for (int64_t k = 0; k <= n; k++) {
        int64_t nx = int64_t(e.rx * X + 0.5), ny = int64_t(e.ry * Y - 0.5);
        if (k == 0) {
            mirror_plot(r, e, a, nx, ny, 0, colour);
            last_x = nx, last_y = ny;
        } else if (std::llabs(nx - last_x) >= 2 || std::llabs(ny - last_y) >= 2) {
            mirror_plot(r, e, a, pend_x, pend_y, double(k) * step, colour);
            last_x = pend_x, last_y = pend_y;
        }
        pend_x = nx, pend_y = ny;
        double X2 = X * c + Y * s;
        Y = Y * c - X * s;
        X = X2;
    }
    mirror_plot(r, e, a, pend_x, pend_y, double(n) * step, colour);
}

// The arc from the given angles: magnitudes, radius-line requests (negative
// angles), and an end below the start inverted. False (error 5 for the
// caller) for an angle that is not a number or beyond 2 pi.
bool arc_make(double start, double end, uint32_t flags, arc *a, bool *line_start, bool *line_end)
{
    *a = {flags & CIRCLE_START ? start : 0.0, flags & CIRCLE_END ? end : TWO_PI, false, false};
    if (std::isnan(a->start) || std::isnan(a->end))
        return false;
    *line_start = a->start < 0;
    *line_end = a->end < 0;
    a->start = std::fabs(a->start);
    a->end = std::fabs(a->end);
    if (a->start > TWO_PI || a->end > TWO_PI)
        return false;
    if (a->end < a->start) {
        std::swap(a->start, a->end);
        std::swap(*line_start, *line_end);
        a->inverted = true;
    }
    a->whole = !a->inverted && a->start == 0 && a->end == TWO_PI;
    return true;
}

// The ellipse in pixels: the centre rounded half away from zero, the pixel
// radius measured through the WINDOW mapping unrounded (a WINDOW's scale
// makes it fractional, and the outline walk uses it as it is), shaped by the
// aspect.
ellipse ellipse_make(const image_slot *r, float x, float y, double radius, double aspect)
{
    double pixels = std::fabs(window_map_x(r, double(x) + radius) - window_map_x(r, x));
    if (!(pixels <= RADIUS_LIMIT)) // beyond the single range, or a zero scale met infinity
        pixels = std::isnan(pixels) ? 0.0 : RADIUS_LIMIT;
    int64_t view_x = r->coord_mode ? r->view_offset_x : 0;
    int64_t view_y = r->coord_mode ? r->view_offset_y : 0;
    ellipse e{view_x + centre_round(window_map_x(r, x)), view_y + centre_round(window_map_y(r, y)),
              pixels, pixels, pixels};
    if (aspect < 0) {
        if (aspect > -1)
            e.ry = pixels * (aspect + 1);
    } else if (aspect < 1) {
        e.ry = pixels * aspect;
    } else if (aspect > 1) {
        e.rx = pixels / aspect;
    }
    return e;
}

} // namespace

double mode_pixel_aspect(uint32_t mode)
{
    switch (mode) {
    case 1:
    case 7:
    case 13:
        return 5.0 / 6.0;
    case 2:
    case 8:
        return 5.0 / 12.0;
    case 9:
    case 10:
        return 35.0 / 48.0;
    default:
        return 1.0;
    }
}

void rt_circle(float x, float y, double radius, uint32_t colour, double start, double end,
               double aspect, uint32_t flags)
{
    image_slot *r = draw_page_get();
    if (!r)
        return;
    arc a;
    bool line_start, line_end;
    if (!arc_make(start, end, flags, &a, &line_start, &line_end))
        return (void)error_raise(5);
    if (flags & CIRCLE_STEP) {
        x += r->gfx_cursor_x;
        y += r->gfx_cursor_y;
    }
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(radius))
        return;
    r->gfx_cursor_x = x;
    r->gfx_cursor_y = y;
    ellipse e =
        ellipse_make(r, x, y, radius, flags & CIRCLE_ASPECT ? aspect : mode_pixel_aspect(r->mode));
    if (ellipse_misses_clip(r, e))
        return;
    if (!(flags & CIRCLE_COLOUR))
        colour = r->fore_color;
    r->draw_color = colour;
    // Below a third of a pixel the walk has no steps: every offset is the
    // centre, drawn once.
    if (outline_steps(e) == 0)
        return pixel_plot(r, e.cx, e.cy, colour);
    if (line_start)
        radius_line(r, e, a.start, colour);
    if (!clip_inside_ellipse(r, e))
        outline_walk(r, e, a, colour);
    if (line_end)
        radius_line(r, e, a.end, colour);
}
