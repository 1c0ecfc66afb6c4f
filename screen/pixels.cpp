#include "screen/pixels.h"

#include "screen/blend_tables.h"
#include "screen/image_slots.h"

#include <algorithm>
#include <cmath>
#include <cstring>

int32_t coord_round(float v)
{
    if (std::isnan(v))
        return COORD_UNDEFINED;
    float r = std::nearbyint(v);
    if (r >= float(COORD_LIMIT))
        return COORD_LIMIT;
    if (r <= -float(COORD_LIMIT))
        return -COORD_LIMIT;
    return int32_t(r);
}

void coord_to_pixel(const image_slot *r, float x, float y, int32_t *px, int32_t *py)
{
    switch (r->coord_mode) {
    case 1:
        *px = r->view_offset_x + coord_round(x);
        *py = r->view_offset_y + coord_round(y);
        break;
    case 2:
        *px = r->view_offset_x + coord_round(x * r->scale_x + r->offset_x);
        *py = r->view_offset_y + coord_round(y * r->scale_y + r->offset_y);
        break;
    default:
        *px = coord_round(x);
        *py = coord_round(y);
        break;
    }
}

void rect_fill_blend_on(image_slot *r, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                        uint32_t colour)
{
    if (!r || !r->pixels || r->text_mode)
        return;
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, int32_t(r->width) - 1);
    y2 = std::min(y2, int32_t(r->height) - 1);
    if (x1 > x2 || y1 > y2)
        return;
    uint64_t span = uint64_t(x2 - x1 + 1);
    if (r->bytes_per_pixel == 1) {
        uint8_t value = uint8_t(colour & r->color_mask);
        for (int32_t y = y1; y <= y2; y++)
            std::memset(r->pixels + uint64_t(y) * r->width + uint32_t(x1), value, span);
        return;
    }
    uint32_t alpha = colour >> 24;
    bool blend = !r->blend_off && alpha != 255;
    if (blend && alpha == 0)
        return;
    for (int32_t y = y1; y <= y2; y++) {
        auto *px = reinterpret_cast<uint32_t *>(r->pixels) + uint64_t(y) * r->width + uint32_t(x1);
        for (uint64_t i = 0; i < span; i++)
            px[i] = blend ? blend_pixel(px[i], colour) : colour;
    }
}

void pixel_put_blend_on(image_slot *r, int32_t x, int32_t y, uint32_t colour)
{
    if (!r || x < r->clip_x1 || x > r->clip_x2 || y < r->clip_y1 || y > r->clip_y2)
        return;
    rect_fill_blend_on(r, x, y, x, y, colour);
}

uint32_t pixel_read_on(const image_slot *r, int32_t x, int32_t y)
{
    if (!r || !r->pixels || r->text_mode || x < 0 || y < 0 || x >= r->width || y >= r->height)
        return 0;
    uint64_t at = uint64_t(y) * r->width + uint32_t(x);
    if (r->bytes_per_pixel == 1)
        return r->pixels[at] & r->color_mask;
    return reinterpret_cast<const uint32_t *>(r->pixels)[at];
}

void box_fill_clipped(float x1, float y1, float x2, float y2, uint32_t colour)
{
    image_slot *r = write_page.record;
    if (!r || r->text_mode)
        return;
    int32_t ax, ay, bx, by;
    coord_to_pixel(r, x1, y1, &ax, &ay);
    coord_to_pixel(r, x2, y2, &bx, &by);
    if (ax > bx)
        std::swap(ax, bx);
    if (ay > by)
        std::swap(ay, by);
    if (bx < r->clip_x1 || ax > r->clip_x2 || by < r->clip_y1 || ay > r->clip_y2)
        return;
    rect_fill_blend_on(r, std::max(ax, r->clip_x1), std::max(ay, r->clip_y1),
                       std::min(bx, r->clip_x2), std::min(by, r->clip_y2), colour);
}

void rect_fill_blend(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour)
{
    rect_fill_blend_on(write_page.record, x1, y1, x2, y2, colour);
}

void pixel_put_blend(int32_t x, int32_t y, uint32_t colour)
{
    pixel_put_blend_on(write_page.record, x, y, colour);
}

uint32_t pixel_read(int32_t x, int32_t y) { return pixel_read_on(read_page.record, x, y); }
