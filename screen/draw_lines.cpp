// PSET, PRESET, POINT and LINE, with the line clipper and the line walker
// that CIRCLE's radius lines share.
#include "screen/drawing.h"
#include "screen/drawing_internal.h"

#include "core/errors.h"
#include "screen/pixels.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>

image_slot *draw_page_get()
{
    if (error_pending.load(std::memory_order_relaxed))
        return nullptr;
    image_slot *r = write_page.record;
    if (!r || r->text_mode || !r->pixels) {
        error_raise(5);
        return nullptr;
    }
    return r;
}

double window_map_x(const image_slot *r, double x)
{
    return r->coord_mode == 2 ? double(float(x) * r->scale_x + r->offset_x) : x;
}

double window_map_y(const image_slot *r, double y)
{
    return r->coord_mode == 2 ? double(float(y) * r->scale_y + r->offset_y) : y;
}

long double window_unmap(long double pixel, float offset, float scale, float corner)
{
    if (scale == 0.0f)
        return corner;
    return (pixel - offset) / scale;
}

namespace
{

// The pixel walk of a clipped line: the major axis steps one pixel at a
// time; the minor axis is the true line's position rounded half away from
// zero (all pixels lie on the page, so halves round up), kept exactly as a
// quotient and remainder, so no error accumulates and the walk ends exactly
// on the clipped end point. Before each pixel the
// 32-bit pattern rotates left by one; the pixel is drawn when its bit 0 is
// then set.
template <typename Plot> void line_walk(const line_ends &l, uint32_t pattern, Plot plot)
{
    int64_t dx = l.x2 - l.x1, dy = l.y2 - l.y1;
    bool steep = std::llabs(dx) <= std::llabs(dy);
    int64_t major = steep ? std::llabs(dy) : std::llabs(dx);
    int64_t minor = steep ? std::llabs(dx) : std::llabs(dy);
    int64_t major_step = (steep ? dy : dx) < 0 ? -1 : 1;
    int64_t minor_step = (steep ? dx : dy) < 0 ? -1 : 1;
    // Halves round up in page coordinates: away from the start when the
    // minor axis grows, towards it when it shrinks.
    int64_t along = 0, across = 0, rest = minor_step < 0 ? major - 1 : major;
    for (int64_t i = 0; i <= major; i++) {
        pattern = std::rotl(pattern, 1);
        if (pattern & 1) {
            if (steep)
                plot(l.x1 + across, l.y1 + along);
            else
                plot(l.x1 + along, l.y1 + across);
        }
        along += major_step;
        rest += 2 * minor;
        if (rest >= 2 * major && major > 0) {
            rest -= 2 * major;
            across += minor_step;
        }
    }
}

// The clip rectangle of a page, cut to the page itself.
bool page_clip(const image_slot *r, int64_t *left, int64_t *top, int64_t *right, int64_t *bottom)
{
    *left = std::max(r->clip_x1, 0);
    *top = std::max(r->clip_y1, 0);
    *right = std::min(r->clip_x2, int32_t(r->width) - 1);
    *bottom = std::min(r->clip_y2, int32_t(r->height) - 1);
    return *left <= *right && *top <= *bottom;
}

} // namespace

void line_draw_pixels(image_slot *r, line_ends l, uint32_t colour, uint16_t style)
{
    int64_t left, top, right, bottom, cut;
    if (!page_clip(r, &left, &top, &right, &bottom) ||
        !line_clip(&l, left, top, right, bottom, &cut))
        return;
    uint32_t pattern = std::rotl(uint32_t(style) * 65537u, int(cut & 15));
    if (r->bytes_per_pixel == 1) {
        uint8_t value = uint8_t(colour & r->color_mask);
        uint8_t *pixels = r->pixels;
        uint64_t width = r->width;
        line_walk(l, pattern,
                  [&](int64_t x, int64_t y) { pixels[uint64_t(y) * width + x] = value; });
        return;
    }
    line_walk(l, pattern, [&](int64_t x, int64_t y) { pixel_store(r, x, y, colour); });
}

namespace
{

// Moves an end point that lies outside the rectangle onto the first edge
// its line crosses, the line heading by (dx, dy) towards the other end. The
// crossing is the end point's coordinate plus its distance to the edge times
// the slope, rounded half away from zero. False when the line meets no edge
// inside the rectangle.
bool clip_end(int64_t *x, int64_t *y, int64_t dx, int64_t dy, int64_t left, int64_t top,
              int64_t right, int64_t bottom, int64_t *moved)
{
    double y_per_x = dx ? double(dy) / double(std::llabs(dx)) : 0.0;
    double x_per_y = dy ? double(dx) / double(std::llabs(dy)) : 0.0;
    auto across = [](int64_t from, int64_t distance, double slope) {
        return std::round(double(from) + double(distance) * slope);
    };
    auto take = [&](int64_t nx, int64_t ny) {
        *moved = std::max(std::llabs(nx - *x), std::llabs(ny - *y));
        *x = nx;
        *y = ny;
        return true;
    };
    if (*x > right && dx < 0) {
        double ny = across(*y, *x - right, y_per_x);
        if (ny >= double(top) && ny <= double(bottom))
            return take(right, int64_t(ny));
    }
    if (*x < left && dx > 0) {
        double ny = across(*y, left - *x, y_per_x);
        if (ny >= double(top) && ny <= double(bottom))
            return take(left, int64_t(ny));
    }
    if (*y < top && dy > 0) {
        double nx = across(*x, top - *y, x_per_y);
        if (nx >= double(left) && nx <= double(right))
            return take(int64_t(nx), top);
    }
    if (*y > bottom && dy < 0) {
        double nx = across(*x, *y - bottom, x_per_y);
        if (nx >= double(left) && nx <= double(right))
            return take(int64_t(nx), bottom);
    }
    return false;
}

uint32_t outcode(int64_t x, int64_t y, int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    return (x < left) | (x > right) << 1 | (y < top) << 2 | (y > bottom) << 3;
}

void pset_draw(float x, float y, uint32_t colour, uint32_t flags)
{
    image_slot *r = write_page.record;
    if (flags & PSET_STEP) {
        x += r->gfx_cursor_x;
        y += r->gfx_cursor_y;
    }
    r->gfx_cursor_x = x;
    r->gfx_cursor_y = y;
    r->draw_color = colour;
    int32_t px, py;
    coord_to_pixel(r, x, y, &px, &py);
    pixel_plot(r, px, py, colour);
}

// The write page for PSET and PRESET: error 5 on a page of mode 0.
image_slot *pset_page_get()
{
    if (error_pending.load(std::memory_order_relaxed))
        return nullptr;
    image_slot *r = write_page.record;
    if (!r || r->mode == 0 || r->text_mode || !r->pixels) {
        error_raise(5);
        return nullptr;
    }
    return r;
}

} // namespace

bool line_clip(line_ends *l, int64_t left, int64_t top, int64_t right, int64_t bottom, int64_t *cut)
{
    *cut = 0;
    uint32_t start = outcode(l->x1, l->y1, left, top, right, bottom);
    uint32_t end = outcode(l->x2, l->y2, left, top, right, bottom);
    if (!start && !end)
        return true;
    if (start & end)
        return false;
    int64_t dx = l->x2 - l->x1, dy = l->y2 - l->y1, moved = 0;
    if (start && !clip_end(&l->x1, &l->y1, dx, dy, left, top, right, bottom, cut))
        return false;
    return !end || clip_end(&l->x2, &l->y2, -dx, -dy, left, top, right, bottom, &moved);
}

void line_draw_clipped(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour)
{
    if (image_slot *r = write_page.record; r && r->pixels && !r->text_mode)
        line_draw_pixels(r, {x1, y1, x2, y2}, colour, 0xFFFF);
}

void line_draw_styled(float x1, float y1, float x2, float y2, uint32_t colour, uint16_t style)
{
    image_slot *r = write_page.record;
    if (!r || !r->pixels || r->text_mode)
        return;
    int32_t ax, ay, bx, by;
    coord_to_pixel(r, x1, y1, &ax, &ay);
    coord_to_pixel(r, x2, y2, &bx, &by);
    line_draw_pixels(r, {ax, ay, bx, by}, colour, style);
}

void rt_pset(float x, float y, uint32_t colour, uint32_t flags)
{
    image_slot *r = pset_page_get();
    if (r)
        pset_draw(x, y, flags & PSET_COLOUR ? colour : r->fore_color, flags);
}

void rt_preset(float x, float y, uint32_t colour, uint32_t flags)
{
    image_slot *r = pset_page_get();
    if (r)
        pset_draw(x, y, flags & PSET_COLOUR ? colour : r->back_color, flags);
}

long double rt_point(float x, float y, int32_t form)
{
    if (error_pending.load(std::memory_order_relaxed))
        return 0;
    image_slot *r = form ? read_page.record : write_page.record;
    if (!r || r->text_mode || !r->pixels || std::isnan(x) || (form && std::isnan(y))) {
        error_raise(5);
        return 0;
    }
    if (form) {
        int32_t px, py;
        coord_to_pixel(r, x, y, &px, &py);
        return clip_contains(r, px, py) ? (long double)pixel_read_on(r, px, py) : -1.0L;
    }
    switch (int32_t(std::nearbyint(std::clamp(x, -8.0f, 8.0f)))) {
    case 0:
        return std::nearbyint(window_map_x(r, r->gfx_cursor_x));
    case 1:
        return std::nearbyint(window_map_y(r, r->gfx_cursor_y));
    case 2:
        return r->gfx_cursor_x;
    case 3:
        return r->gfx_cursor_y;
    default:
        error_raise(5);
        return 0;
    }
}

void rt_line(float x1, float y1, float x2, float y2, uint32_t colour, int32_t kind, uint32_t style,
             uint32_t flags)
{
    image_slot *r = draw_page_get();
    if (!r)
        return;
    float sx = r->gfx_cursor_x, sy = r->gfx_cursor_y;
    if (flags & LINE_START) {
        sx = flags & LINE_START_STEP ? sx + x1 : x1;
        sy = flags & LINE_START_STEP ? sy + y1 : y1;
    }
    float ex = flags & LINE_END_STEP ? sx + x2 : x2;
    float ey = flags & LINE_END_STEP ? sy + y2 : y2;
    r->gfx_cursor_x = ex;
    r->gfx_cursor_y = ey;
    if (!(flags & LINE_COLOUR))
        colour = r->fore_color;
    r->draw_color = colour;
    uint16_t pattern = flags & LINE_STYLE ? uint16_t(style) : 0xFFFF;
    // A corner that is not a number has no pixel: nothing is drawn.
    if (std::isnan(sx) || std::isnan(sy) || std::isnan(ex) || std::isnan(ey))
        return;
    if (kind == 0) {
        line_draw_styled(sx, sy, ex, ey, colour, pattern);
    } else if (kind == 1) {
        line_draw_styled(sx, sy, ex, sy, colour, pattern);
        line_draw_styled(ex, sy, ex, ey, colour, pattern);
        line_draw_styled(ex, ey, sx, ey, colour, pattern);
        line_draw_styled(sx, ey, sx, sy, colour, pattern);
    } else if (kind == 2) {
        box_fill_clipped(sx, sy, ex, ey, colour);
    }
}
