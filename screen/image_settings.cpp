// Image handles: queries and settings of colours, transparency, alpha,
// palette and text drawing mode; text measuring and drawing.
#include "core/errors.h"
#include "core/strings.h"
#include "screen/fonts.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/pixels.h"

#include <cmath>
#include <cstring>

// The record of an optional handle, or null while an error is pending.
static image_slot *record_of(int32_t handle, bool given)
{
    if (error_pending)
        return nullptr;
    return image_handle_record(handle, given);
}

int32_t image_pixel_size(int32_t handle, bool given)
{
    image_slot *r = record_of(handle, given);
    if (!r)
        return 0;
    return r->bytes_per_pixel == 4 ? 4 : r->text_mode ? 0 : 1;
}

int32_t image_transparent_color_get(int32_t handle, bool given)
{
    image_slot *r = record_of(handle, given);
    if (!r)
        return 0;
    return r->text_mode ? -1 : r->bytes_per_pixel == 4 ? 0 : r->transparent_color;
}

int32_t image_blend_get(int32_t handle, bool given)
{
    image_slot *r = record_of(handle, given);
    return r && r->bytes_per_pixel == 4 && !r->blend_off ? -1 : 0;
}

uint32_t image_fore_color_get(int32_t handle, bool given)
{
    image_slot *r = record_of(handle, given);
    return r ? r->fore_color : 0;
}

uint32_t image_back_color_get(int32_t handle, bool given)
{
    image_slot *r = record_of(handle, given);
    return r ? r->back_color : 0;
}

uint32_t palette_entry_get(int32_t index, int32_t handle, bool given)
{
    image_slot *r = record_of(handle, given);
    if (!r)
        return 0;
    if (!r->palette || index < 0 || index > 255) {
        error_raise(5);
        return 0;
    }
    return r->palette[index] | 0xFF000000u;
}

void palette_entry_set(int32_t index, uint32_t colour, int32_t handle, bool given)
{
    image_slot *r = record_of(handle, given);
    if (!r)
        return;
    if (!r->palette || index < 0 || index > 255) {
        error_raise(5);
        return;
    }
    r->palette[index] = colour;
}

void palette_copy(int32_t source, int32_t destination, uint32_t passed)
{
    if (error_pending)
        return;
    image_slot *from = (passed & 1) ? image_handle_record(source, true) : read_page.record;
    if (!from)
        return;
    image_slot *to = (passed & 2) ? image_handle_record(destination, true) : write_page.record;
    if (!to)
        return;
    if (!from->palette || !to->palette) {
        error_raise(5);
        return;
    }
    std::memmove(to->palette, from->palette, 256 * sizeof(uint32_t));
}

void image_transparent_color_set(uint32_t colour, int32_t handle, uint32_t passed)
{
    image_slot *r = record_of(handle, passed & 4);
    if (!r)
        return;
    bool none_form = passed & 1;
    bool colour_given = passed & 2;
    if (r->text_mode) {
        if (!none_form)
            error_raise(5);
        return;
    }
    if (r->bytes_per_pixel != 4) {
        if (none_form)
            r->transparent_color = -1;
        else if (colour_given && colour < 256)
            r->transparent_color = int32_t(colour);
        else
            error_raise(5);
        return;
    }
    if (none_form)
        return;
    if (!colour_given) {
        error_raise(5);
        return;
    }
    auto *px = reinterpret_cast<uint32_t *>(r->pixels);
    uint64_t n = uint64_t(r->width) * r->height;
    for (uint64_t i = 0; i < n; i++)
        if (((px[i] ^ colour) & 0xFFFFFF) == 0)
            px[i] &= 0xFFFFFF;
}

// True when each byte of `v` lies between the same bytes of `low` and `high`.
static bool bytes_within(uint32_t v, uint32_t low, uint32_t high)
{
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t b = v >> shift & 0xFF;
        if (b < (low >> shift & 0xFF) || b > (high >> shift & 0xFF))
            return false;
    }
    return true;
}

void image_alpha_set(int32_t alpha, uint32_t colour1, uint32_t colour2, int32_t handle,
                     uint32_t passed)
{
    image_slot *r = record_of(handle, passed & 2);
    if (!r)
        return;
    if (r->bytes_per_pixel != 4 || alpha < 0 || alpha > 255) {
        error_raise(5);
        return;
    }
    bool has1 = passed & 1, has2 = passed & 4;
    if (!has1 && has2)
        colour1 = colour2, has1 = true, has2 = false;
    uint32_t low = colour1, high = colour1;
    if (has1 && has2 && colour2 != colour1) {
        low = high = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            uint32_t a = colour1 >> shift & 0xFF, b = colour2 >> shift & 0xFF;
            low |= (a < b ? a : b) << shift;
            high |= (a < b ? b : a) << shift;
        }
    }
    auto *px = reinterpret_cast<uint32_t *>(r->pixels);
    uint64_t n = uint64_t(r->width) * r->height;
    uint32_t a = uint32_t(alpha) << 24;
    for (uint64_t i = 0; i < n; i++)
        if (!has1 || bytes_within(px[i], low, high))
            px[i] = (px[i] & 0xFFFFFF) | a;
}

void image_print_mode_set(int32_t mode, int32_t handle, bool given)
{
    image_slot *r = record_of(handle, given);
    if (!r)
        return;
    if (r->text_mode && mode != 1) {
        error_raise(5);
        return;
    }
    static const uint8_t stored[4] = {0, 3, 1, 2};
    if (mode >= 1 && mode <= 3)
        r->print_mode = stored[mode];
}

int32_t image_print_mode_get(int32_t handle, bool given)
{
    image_slot *r = record_of(handle, given);
    return r ? r->print_mode : 0;
}

int32_t text_pixel_width(const string_descriptor *text, int32_t handle, bool given)
{
    image_slot *r = record_of(handle, given);
    if (!r || !text || text->len <= 0)
        return 0;
    if (r->text_mode)
        return text->len;
    uint32_t width = font_width_of(r->font);
    if (width)
        return int32_t(int64_t(text->len) * width > INT32_MAX ? INT32_MAX : text->len * width);
    // A proportional font is measured by what the font engine renders.
    uint8_t *coverage = nullptr;
    int32_t measured = 0;
    uint32_t engine = r->font <= font_table.top ? font_table.engine_handle[r->font] : 0;
    if (!font_engine_render8(engine, text->chr, text->len, &coverage, &measured))
        return 0;
    return measured;
}

void glyph_draw(image_slot *r, int32_t x, int32_t y, uint8_t code, uint32_t fore, uint32_t back)
{
    uint32_t base = r->font == 9 ? 8 : r->font == 15 ? 14 : r->font == 17 ? 16 : r->font;
    const uint8_t *glyph = font_glyph(base, code);
    if (!glyph)
        return;
    int32_t height = int32_t(font_height_of(base));
    int32_t scale = base == r->font ? 1 : 2;
    for (int32_t row = 0; row < height; row++)
        for (int32_t col = 0; col < 8 * scale; col++) {
            bool on = glyph[row * 8 + col / scale] != 0;
            if (on && (r->print_mode & 1))
                pixel_put_blend_on(r, x + col, y + row, fore);
            else if (!on && (r->print_mode & 2))
                pixel_put_blend_on(r, x + col, y + row, back);
        }
}

// Writes text cells at a row and column of a text image, cut at the row's end;
// the cursor stays where it was.
static void text_cells_write(image_slot *r, float x, float y, const string_descriptor *text)
{
    if (std::isnan(x) || std::isnan(y) || x < 1.0f || y < 1.0f || x >= float(r->width) + 1.0f ||
        y >= float(r->height) + 1.0f) {
        error_raise(5);
        return;
    }
    int32_t col = int32_t(std::trunc(x)), row = int32_t(std::trunc(y));
    uint16_t attribute = uint16_t((r->back_color & 7) << 4 | (r->fore_color & 16) << 3 |
                                  (r->fore_color & 15));
    auto *cells = reinterpret_cast<uint16_t *>(r->pixels) + uint64_t(row - 1) * r->width;
    for (int32_t i = 0; i < text->len && col + i <= r->width; i++)
        cells[col - 1 + i] = uint16_t(attribute << 8 | text->chr[i]);
}

void text_draw_at(float x, float y, const string_descriptor *text, int32_t handle,
                  uint32_t passed)
{
    image_slot *r = record_of(handle, passed & 2);
    if (!r || !text)
        return;
    if (r->text_mode) {
        text_cells_write(r, x, y, text);
        return;
    }
    if (passed & 1) {
        x += r->gfx_cursor_x;
        y += r->gfx_cursor_y;
    }
    r->gfx_cursor_x = x;
    r->gfx_cursor_y = y;
    int32_t px, py;
    coord_to_pixel(r, x, y, &px, &py);
    int64_t advance = font_width_of(r->font);
    for (int32_t i = 0; i < text->len && advance > 0; i++) {
        int64_t left = int64_t(px) + i * advance;
        if (left > r->clip_x2)
            break;
        glyph_draw(r, int32_t(left), py, text->chr[i], r->fore_color, r->back_color);
    }
}
