// Graphics GET: a block of the read page into an array image.
#include "graphics/array_image.h"

#include "core/errors.h"
#include "files/byte_element.h"
#include "screen/image_slots.h"
#include "screen/pixels.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{

// A block of pixels: its top-left corner and size, in 64 bits.
struct block {
    int64_t x, y, w, h;
};

bool block_inside(const image_slot *r, const block &b)
{
    return b.x >= 0 && b.y >= 0 && b.x + b.w <= r->width && b.y + b.h <= r->height;
}

// The corners as pixels, after STEP; the graphics cursor follows each corner.
block corners_map(image_slot *r, float x1, float y1, float x2, float y2, uint32_t flags)
{
    if (flags & GET_STEP_FIRST) {
        x1 += r->gfx_cursor_x;
        y1 += r->gfx_cursor_y;
    }
    r->gfx_cursor_x = x1;
    r->gfx_cursor_y = y1;
    if (flags & GET_STEP_SECOND) {
        x2 += x1;
        y2 += y1;
    }
    r->gfx_cursor_x = x2;
    r->gfx_cursor_y = y2;
    int32_t ax, ay, bx, by;
    coord_to_pixel(r, x1, y1, &ax, &ay);
    coord_to_pixel(r, x2, y2, &bx, &by);
    int64_t left = std::min(ax, bx), top = std::min(ay, by);
    return {left, top, int64_t(std::max(ax, bx)) - left + 1, int64_t(std::max(ay, by)) - top + 1};
}

// One row of the block: straight from the page when it lies wholly on a page
// of whole bytes or words, else pixel by pixel with the fill outside.
void row_get(const image_slot *r, const block &b, int64_t y, uint32_t fill,
             std::vector<uint32_t> &values, uint8_t *out)
{
    uint32_t bits = r->bits_per_pixel;
    bool row_on_page = y >= 0 && y < r->height && b.x >= 0 && b.x + b.w <= r->width;
    uint64_t at = uint64_t(y) * r->width + uint64_t(b.x);
    if (row_on_page && (bits == 8 || bits == 32)) {
        std::memcpy(out, r->pixels + at * r->bytes_per_pixel, uint64_t(b.w) * r->bytes_per_pixel);
        return;
    }
    for (int64_t i = 0; i < b.w; i++) {
        int64_t x = b.x + i;
        bool on_page = y >= 0 && y < r->height && x >= 0 && x < r->width;
        values[i] = on_page ? pixel_read_on(r, int32_t(x), int32_t(y)) : fill;
    }
    array_image_row_pack(bits, values.data(), uint64_t(b.w), out);
}

} // namespace

void rt_graphics_get(float x1, float y1, float x2, float y2, const byte_element *array,
                     uint32_t fill, uint32_t flags)
{
    if (error_pending.load(std::memory_order_relaxed))
        return;
    image_slot *r = read_page.record;
    if (!r || r->text_mode || !r->pixels)
        return (void)error_raise(5);
    block b = corners_map(r, x1, y1, x2, y2, flags);
    if (!(flags & GET_FILL) && !block_inside(r, b))
        return (void)error_raise(5);
    uint32_t bits = r->bits_per_pixel;
    uint64_t row_bytes = array_image_row_bytes(bits, uint64_t(b.w));
    if (row_bytes == 0)
        return;
    uint64_t width_field = array_image_width_field(bits, uint64_t(b.w));
    if (width_field > 0xFFFF || b.h > 0xFFFF || !array ||
        uint64_t(array->length) < 4 + uint64_t(b.h) * row_bytes)
        return (void)error_raise(5);
    uint8_t *out = byte_element_bytes(array);
    uint16_t header[2] = {uint16_t(width_field), uint16_t(b.h)};
    std::memcpy(out, header, 4);
    std::vector<uint32_t> values(uint64_t(b.w));
    fill = array_image_value_cut(bits, fill);
    for (int64_t row = 0; row < b.h; row++)
        row_get(r, b, b.y + row, fill, values, out + 4 + uint64_t(row) * row_bytes);
}
