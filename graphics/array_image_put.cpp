// Graphics PUT: an array image drawn onto the write page by one of five
// actions.
#include "graphics/array_image.h"

#include "core/errors.h"
#include "files/byte_element.h"
#include "screen/drawing_internal.h"
#include "screen/pixels.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{

// How the image's pixels meet the page.
struct put_rule {
    uint32_t action;
    bool transparent_given;
    uint32_t transparent;
    uint32_t mask;
};

// Combines n image pixels (source(i) gives the i-th) with the page pixels at
// dst by op, skipping image pixels of the transparent colour when asked. The
// rule is read into locals first: stores through a byte pointer could
// otherwise alias it and keep the loop from being vectorised.
template <typename T, typename Source, typename Op>
void span_combine(T *dst, int64_t n, Source source, Op op, bool skip, uint32_t transparent)
{
    if (!skip) {
        for (int64_t i = 0; i < n; i++)
            dst[i] = T(op(uint32_t(dst[i]), source(i)));
        return;
    }
    for (int64_t i = 0; i < n; i++) {
        uint32_t p = source(i);
        if (p != transparent)
            dst[i] = T(op(uint32_t(dst[i]), p));
    }
}

// Calls run with the action's combining function of a page word d and an
// image word p (of any unsigned type); mask is the page's colour mask in the
// word's type. Actions 6 and above call nothing.
template <typename Word, typename Run> void action_run(uint32_t action, Word mask, Run run)
{
    switch (action) {
    case PUT_XOR:
    case PUT_XOR_TOO:
        return run([](Word d, Word p) -> Word { return d ^ p; });
    case PUT_PSET:
        return run([](Word, Word p) -> Word { return p; });
    case PUT_PRESET:
        return run([mask](Word, Word p) -> Word { return mask & ~p; });
    case PUT_AND:
        return run([](Word d, Word p) -> Word { return d & p; });
    case PUT_OR:
        return run([](Word d, Word p) -> Word { return d | p; });
    }
}

template <typename T, typename Source>
void span_put(T *dst, int64_t n, Source source, const put_rule &rule)
{
    bool skip = rule.transparent_given;
    uint32_t transparent = rule.transparent;
    action_run(rule.action, rule.mask,
               [&](auto op) { span_combine(dst, n, source, op, skip, transparent); });
}

// Whole-byte pixels without a transparent colour: every action is bitwise,
// so 32 bytes at a time serve any pixel size. mask is the page's colour
// mask repeated over the word.
void bytes_put(uint8_t *dst, const uint8_t *src, uint64_t n, uint32_t action, uint64_t mask)
{
    if (action == PUT_PSET)
        return (void)std::memcpy(dst, src, n);
    action_run(action, mask, [&](auto op) {
        uint64_t i = 0;
        for (; i + 32 <= n; i += 32) {
            uint64_t d[4], p[4];
            std::memcpy(d, dst + i, 32);
            std::memcpy(p, src + i, 32);
            for (int k = 0; k < 4; k++)
                d[k] = op(d[k], p[k]);
            std::memcpy(dst + i, d, 32);
        }
        for (; i < n; i++)
            dst[i] = uint8_t(op(dst[i], src[i]));
    });
}

// The part of a row that lands on the page: image columns first to first + n
// of the row's bytes.
void row_put(image_slot *r, const uint8_t *row, uint64_t width, int64_t first, int64_t n,
             uint8_t *page_at, const put_rule &rule, std::vector<uint32_t> &values)
{
    uint32_t bits = r->bits_per_pixel;
    if (bits == 32 && rule.transparent_given) {
        const uint8_t *src = row + 4 * first;
        auto word = [src](int64_t i) {
            uint32_t v;
            std::memcpy(&v, src + 4 * i, 4);
            return v;
        };
        return span_put(reinterpret_cast<uint32_t *>(page_at), n, word, rule);
    }
    if (bits == 8 && rule.transparent_given) {
        const uint8_t *src = row + first;
        return span_put(
            page_at, n, [src](int64_t i) { return uint32_t(src[i]); }, rule);
    }
    if (bits == 8 || bits == 32) {
        uint64_t size = bits / 8;
        uint64_t mask = bits == 8 ? (rule.mask & 0xFF) * 0x0101010101010101u : ~uint64_t(0);
        return bytes_put(page_at, row + size * uint64_t(first), size * uint64_t(n), rule.action,
                         mask);
    }
    array_image_row_unpack(bits, row, width, values.data());
    const uint32_t *v = values.data() + first;
    span_put(
        page_at, n, [v](int64_t i) { return v[i]; }, rule);
}

// The image's width in pixels from its width field; false (error 5) for a
// field the page's depth cannot have.
bool image_width(uint32_t bits, uint16_t field, uint64_t *width)
{
    if ((bits == 2 && field % 2) || (bits == 8 && field % 8))
        return false;
    *width = bits == 2 ? field / 2 : bits == 8 ? field / 8 : field;
    return true;
}

} // namespace

void rt_graphics_put(float x, float y, const byte_element *array, uint32_t action,
                     uint32_t transparent, uint32_t flags)
{
    image_slot *r = draw_page_get();
    if (!r)
        return;
    if (flags & PUT_STEP) {
        x += r->gfx_cursor_x;
        y += r->gfx_cursor_y;
        r->gfx_cursor_x = x;
        r->gfx_cursor_y = y;
    }
    int32_t px, py;
    coord_to_pixel(r, x, y, &px, &py);
    if (!array || array->length <= 3)
        return (void)error_raise(5);
    const uint8_t *bytes = byte_element_bytes(array);
    uint16_t header[2];
    std::memcpy(header, bytes, 4);
    uint32_t bits = r->bits_per_pixel;
    uint64_t w, h = header[1];
    if (!image_width(bits, header[0], &w))
        return (void)error_raise(5);
    bool inside = px >= 0 && py >= 0 && px + int64_t(w) <= r->width && py + int64_t(h) <= r->height;
    uint64_t row_bytes = array_image_row_bytes(bits, w);
    if ((!inside && !(flags & PUT_CLIP)) || 4 + h * row_bytes > uint64_t(array->length))
        return (void)error_raise(5);
    put_rule rule{action, (flags & ~(PUT_STEP | PUT_CLIP)) != 0,
                  array_image_value_cut(bits, transparent), r->color_mask};
    int64_t left = std::max<int64_t>(px, 0), right = std::min<int64_t>(px + int64_t(w), r->width);
    int64_t top = std::max<int64_t>(py, 0), bottom = std::min<int64_t>(py + int64_t(h), r->height);
    if (row_bytes == 0 || left >= right)
        return;
    std::vector<uint32_t> values(bits < 8 ? w : 0);
    for (int64_t y_at = top; y_at < bottom; y_at++) {
        uint8_t *page_at =
            r->pixels + (uint64_t(y_at) * r->width + uint64_t(left)) * r->bytes_per_pixel;
        row_put(r, bytes + 4 + uint64_t(y_at - py) * row_bytes, w, left - px, right - left, page_at,
                rule, values);
    }
}
