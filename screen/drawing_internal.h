// What the drawing statements share: the page checks, the clipped pixel
// writer of the inner loops, and the WINDOW mapping in both directions.
#pragma once

#include "screen/blend_tables.h"
#include "screen/image_slots.h"

#include <cstdint>

// The write page when a drawing statement may run on it: null while an error
// is pending, and null after error 5 for a text page.
image_slot *draw_page_get();

// True when the pixel lies inside the page's clip rectangle.
inline bool clip_contains(const image_slot *r, int64_t x, int64_t y)
{
    return x >= r->clip_x1 && x <= r->clip_x2 && y >= r->clip_y1 && y <= r->clip_y2;
}

// One pixel known to lie on the page: palette pages store colour & mask,
// 32-bit pages blend by the colour's alpha unless blending is off.
inline void pixel_store(image_slot *r, int64_t x, int64_t y, uint32_t colour)
{
    uint64_t at = uint64_t(y) * r->width + uint64_t(x);
    if (r->bytes_per_pixel == 1) {
        r->pixels[at] = uint8_t(colour & r->color_mask);
        return;
    }
    auto *p = reinterpret_cast<uint32_t *>(r->pixels) + at;
    *p = r->blend_off ? colour : blend_pixel(*p, colour);
}

// One pixel if it lies inside the clip rectangle (which lies on the page).
inline void pixel_plot(image_slot *r, int64_t x, int64_t y, uint32_t colour)
{
    if (clip_contains(r, x, y))
        pixel_store(r, x, y, colour);
}

// One pixel if it lies on the page, whatever the clip rectangle.
inline void pixel_plot_page(image_slot *r, int64_t x, int64_t y, uint32_t colour)
{
    if (x >= 0 && y >= 0 && x < r->width && y < r->height)
        pixel_store(r, x, y, colour);
}

// A program coordinate through the WINDOW scale and offset, unrounded
// (without the VIEW offset): the identity unless the page has a WINDOW.
double window_map_x(const image_slot *r, double x);
double window_map_y(const image_slot *r, double y);
// And back: the program coordinate of a pixel coordinate. A zero scale (a
// one-pixel view) maps every pixel to the window's first corner, so the
// inverse stays finite.
long double window_unmap(long double pixel, float offset, float scale, float corner);

// The shape of a pixel of a screen mode as shown (its width over its height
// on a 4:3 screen; 1.0 for modes of square pixels and for modern pages):
// CIRCLE's default aspect, and the correction of DRAW's turned steps.
double mode_pixel_aspect(uint32_t mode);

struct line_ends;
// Clips a line between two pixels to the page's clip rectangle and draws it
// with a 16-bit style (0xFFFF solid).
void line_draw_pixels(image_slot *r, line_ends line, uint32_t colour, uint16_t style);
