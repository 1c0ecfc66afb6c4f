// PAINT: border fill on palette and 32-bit pages, with or without a tile.
//
// The fill spreads in generations: every point of a generation looks at its
// left, right, upper and lower neighbour inside the clip rectangle (except
// the one it came from); a neighbour not yet visited is marked, and unless it
// has the border colour it is painted and joins the next generation. The
// frontier lists grow as needed; the visited map covers the clip rectangle
// only and is kept between calls.
#include "screen/drawing.h"
#include "screen/drawing_internal.h"

#include "core/errors.h"
#include "core/strings.h"
#include "screen/pixels.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

size_t paint_frontier_initial_capacity = 4096;

namespace
{

constexpr uint8_t GO_LEFT = 1, GO_RIGHT = 2, GO_UP = 4, GO_DOWN = 8, GO_ALL = 15;

struct paint_point {
    uint16_t x, y; // relative to the clip rectangle's top left
    uint8_t directions;
};

// A growable list of points; push fails (instead of throwing) when memory
// runs out.
struct paint_list {
    paint_point *items = nullptr;
    size_t count = 0, capacity = 0;
    ~paint_list() { std::free(items); }
    bool push(uint16_t x, uint16_t y, uint8_t directions)
    {
        if (count == capacity) {
            size_t grown =
                capacity ? capacity * 2 : std::max<size_t>(paint_frontier_initial_capacity, 1);
            void *moved = std::realloc(items, grown * sizeof(paint_point));
            if (!moved)
                return false;
            items = static_cast<paint_point *>(moved);
            capacity = grown;
        }
        items[count++] = {x, y, directions};
        return true;
    }
};

uint8_t *visited_map = nullptr;
uint64_t visited_size = 0;

// A zeroed visited map of `size` bytes; null when it cannot be had.
uint8_t *visited_prepare(uint64_t size)
{
    if (size > visited_size) {
        std::free(visited_map);
        visited_size = 0;
        visited_map =
            size <= SIZE_MAX ? static_cast<uint8_t *>(std::malloc(size_t(size))) : nullptr;
        if (!visited_map)
            return nullptr;
        visited_size = size;
    }
    std::memset(visited_map, 0, size_t(size));
    return visited_map;
}

// The fill from a seed inside the clip rectangle, already checked against
// the border. `is_border(x, y)` tests a pixel, `paint(x, y)` paints one.
// False when working memory runs out (error 7 is raised).
template <typename Border, typename Paint>
bool region_fill(const image_slot *r, int32_t seed_x, int32_t seed_y, Border is_border, Paint paint)
{
    const int32_t left = r->clip_x1, top = r->clip_y1;
    const uint64_t w = uint64_t(r->clip_x2 - left) + 1, h = uint64_t(r->clip_y2 - top) + 1;
    uint8_t *seen = visited_prepare(w * h);
    paint_list lists[2];
    if (!seen || !lists[0].push(uint16_t(seed_x - left), uint16_t(seed_y - top), GO_ALL))
        return error_raise(7), false;
    seen[uint64_t(seed_y - top) * w + uint64_t(seed_x - left)] = 1;
    paint(seed_x, seed_y);
    static constexpr struct {
        uint8_t bit;
        int dx, dy;
        uint8_t onward;
    } steps[] = {
        {GO_LEFT, -1, 0, 13}, {GO_RIGHT, 1, 0, 14}, {GO_UP, 0, -1, 7}, {GO_DOWN, 0, 1, 11}};
    for (int now = 0; lists[now].count; now ^= 1) {
        paint_list &next = lists[now ^ 1];
        next.count = 0;
        for (size_t i = 0; i < lists[now].count; i++) {
            const paint_point p = lists[now].items[i];
            for (const auto &s : steps) {
                int64_t nx = int64_t(p.x) + s.dx, ny = int64_t(p.y) + s.dy;
                if (!(p.directions & s.bit) || nx < 0 || ny < 0 || uint64_t(nx) >= w ||
                    uint64_t(ny) >= h || seen[uint64_t(ny) * w + uint64_t(nx)])
                    continue;
                seen[uint64_t(ny) * w + uint64_t(nx)] = 1;
                if (is_border(int32_t(nx) + left, int32_t(ny) + top))
                    continue;
                paint(int32_t(nx) + left, int32_t(ny) + top);
                if (!next.push(uint16_t(nx), uint16_t(ny), s.onward))
                    return error_raise(7), false;
            }
        }
    }
    return true;
}

uint8_t *byte_at(const image_slot *r, int32_t x, int32_t y)
{
    return r->pixels + uint64_t(y) * r->width + uint32_t(x);
}

uint32_t *word_at(const image_slot *r, int32_t x, int32_t y)
{
    return reinterpret_cast<uint32_t *>(r->pixels) + uint64_t(y) * r->width + uint32_t(x);
}

// 8-bit fill with one colour (both colours already masked).
void paint_fill_8(image_slot *r, int32_t x, int32_t y, uint8_t fill, uint8_t border)
{
    uint8_t mask = uint8_t(r->color_mask);
    region_fill(
        r, x, y, [&](int32_t px, int32_t py) { return (*byte_at(r, px, py) & mask) == border; },
        [&](int32_t px, int32_t py) { *byte_at(r, px, py) = fill; });
}

// 32-bit fill: whole pixels, the fill stored or blended.
void paint_fill_32(image_slot *r, int32_t x, int32_t y, uint32_t fill, uint32_t border)
{
    auto is_border = [&](int32_t px, int32_t py) { return *word_at(r, px, py) == border; };
    if (r->blend_off || fill >> 24 == 255)
        region_fill(r, x, y, is_border,
                    [&](int32_t px, int32_t py) { *word_at(r, px, py) = fill; });
    else
        region_fill(r, x, y, is_border, [&](int32_t px, int32_t py) {
            uint32_t *p = word_at(r, px, py);
            *p = blend_pixel(*p, fill);
        });
}

// The seed of a PAINT: STEP applied, the graphics cursor set, mapped to a
// pixel. False when it lies outside the clip rectangle.
bool paint_seed(image_slot *r, float x, float y, bool step, int32_t *px, int32_t *py)
{
    if (step) {
        x += r->gfx_cursor_x;
        y += r->gfx_cursor_y;
    }
    r->gfx_cursor_x = x;
    r->gfx_cursor_y = y;
    coord_to_pixel(r, x, y, px, py);
    return clip_contains(r, *px, *py);
}

} // namespace

void rt_paint(float x, float y, uint32_t fill, uint32_t border, const string_descriptor *,
              uint32_t flags)
{
    image_slot *r = draw_page_get();
    if (!r)
        return;
    if (flags & PAINT_TILE)
        return (void)error_raise(5);
    if (!(flags & PAINT_FILL))
        fill = r->fore_color;
    if (!(flags & PAINT_BORDER))
        border = fill;
    if (r->bytes_per_pixel == 1) {
        fill &= r->color_mask;
        border &= r->color_mask;
    }
    r->draw_color = fill;
    int32_t px, py;
    if (!paint_seed(r, x, y, flags & PAINT_STEP, &px, &py) || pixel_read_on(r, px, py) == border)
        return;
    if (r->bytes_per_pixel == 1)
        paint_fill_8(r, px, py, uint8_t(fill), uint8_t(border));
    else
        paint_fill_32(r, px, py, fill, border);
}

namespace
{

// A tile: up to 64 rows of up to 8 pixel values, repeated over the page.
struct paint_tile {
    uint8_t values[64][8];
    int32_t width, rows;
    uint8_t at(int32_t x, int32_t y) const { return values[y % rows][x % width]; }
};

// Decodes a tile string by the page's colour depth. False (error 5 for the
// caller) for an empty or too long string or a page without tiles.
bool tile_decode(const image_slot *r, const string_descriptor *s, paint_tile *t)
{
    int32_t bits = r->bits_per_pixel, len = s ? s->len : 0;
    if (r->bytes_per_pixel != 1 || len < 1 || len > (bits == 4 ? 256 : 64))
        return false;
    const uint8_t *b = s->chr;
    t->width = bits == 8 ? 1 : bits == 2 ? 4 : 8;
    t->rows = bits == 4 ? (len + 3) / 4 : len;
    for (int32_t row = 0; row < t->rows; row++)
        for (int32_t x = 0; x < t->width; x++) {
            uint32_t v = 0;
            if (bits == 4) {
                for (int32_t plane = 0; plane < 4; plane++) {
                    int32_t at = row * 4 + plane;
                    uint8_t byte = at < len ? b[at] : 0;
                    v |= uint32_t(byte >> (7 - x) & 1) << plane;
                }
            } else if (bits == 8) {
                v = b[row];
            } else {
                v = uint32_t(b[row]) >> (8 - bits - x * bits) & ((1u << bits) - 1);
            }
            t->values[row][x] = uint8_t(v & r->color_mask);
        }
    return true;
}

// The one background value a background string gives, -1 for none.
int32_t tile_background(const image_slot *r, const string_descriptor *s)
{
    const uint8_t *b = s->chr;
    auto byte = [&](int32_t i) -> uint32_t { return i < s->len ? b[i] : 0; };
    switch (r->bits_per_pixel) {
    case 1:
        return b[0] == 0 ? 0 : b[0] == 255 ? 1 : -1;
    case 2: {
        uint32_t v = b[0] & 3;
        return b[0] == v * 0x55 ? int32_t(v) : -1;
    }
    case 4: {
        int32_t v = 0;
        for (int32_t k = 0; k < 4; k++) {
            if (byte(k) != 0 && byte(k) != 255)
                return -1;
            v |= int32_t(byte(k) & 1) << k;
        }
        return v;
    }
    default:
        return b[0];
    }
}

void paint_tile_run(float x, float y, const string_descriptor *tile, uint32_t border,
                    const string_descriptor *background, uint32_t flags)
{
    image_slot *r = draw_page_get();
    if (!r)
        return;
    paint_tile t;
    if (!(flags & PAINT_TILE_GIVEN) || !tile_decode(r, tile, &t))
        return (void)error_raise(5);
    int32_t back = -1;
    if (flags & PAINT_TILE_BACKGROUND) {
        if (!background || background->len < 1 || background->len > 255)
            return (void)error_raise(5);
        back = tile_background(r, background);
    }
    border = (flags & PAINT_TILE_BORDER ? border : r->fore_color) & r->color_mask;
    int32_t px, py;
    if (!paint_seed(r, x, y, flags & PAINT_TILE_STEP, &px, &py))
        return;
    uint32_t here = pixel_read_on(r, px, py);
    if (here == border || (here == t.at(px, py) && int32_t(here) != back))
        return;
    uint8_t mask = uint8_t(r->color_mask);
    region_fill(
        r, px, py, [&](int32_t qx, int32_t qy) { return (*byte_at(r, qx, qy) & mask) == border; },
        [&](int32_t qx, int32_t qy) { *byte_at(r, qx, qy) = t.at(qx, qy); });
}

} // namespace

void rt_paint_tile(float x, float y, string_descriptor *tile, uint32_t border,
                   string_descriptor *background, uint32_t flags)
{
    paint_tile_run(x, y, tile, border, background, flags);
    if (tile && tile->tmp)
        string_free(tile);
    if (background && background->tmp && background != tile)
        string_free(background);
}
