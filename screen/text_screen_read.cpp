// SCREEN(row, column[, flag]): reading a character back from the read page.
#include "screen/text_output.h"
#include "screen/text_output_internal.h"

#include "core/errors.h"
#include "screen/fonts.h"
#include "screen/image_slots.h"
#include "screen/pixels.h"

namespace {

constexpr int32_t GLYPH_WIDTH = 8;
constexpr int32_t MAX_GLYPH_HEIGHT = 16;

// Whether a pixel counts as drawn. On a 32-bit page only the colour part
// counts, so the opaque black background reads as blank.
bool pixel_is_set(const image_slot *r, uint32_t value)
{
    return r->bytes_per_pixel == 4 ? (value & 0xFFFFFF) != 0 : value != 0;
}

// Reads the glyph in a cell of a graphics page straight from its pixels (the
// text grid has no VIEW or WINDOW) and finds it among the built-in glyphs of
// the font's height.
int32_t graphics_cell_read(const image_slot *r, int32_t row, int32_t column, bool attribute)
{
    int32_t height = int32_t(font_height_of(r->font));
    int32_t x0 = (column - 1) * GLYPH_WIDTH, y0 = (row - 1) * height;
    uint8_t pattern[GLYPH_WIDTH * MAX_GLYPH_HEIGHT];
    bool any = false;
    uint32_t colour = 0;
    for (int32_t y = 0; y < height; y++)
        for (int32_t x = 0; x < GLYPH_WIDTH; x++) {
            uint32_t value = pixel_read_on(r, x0 + x, y0 + y);
            bool set = pixel_is_set(r, value);
            if (set && !any)
                colour = value;
            any = any || set;
            pattern[y * GLYPH_WIDTH + x] = set;
        }
    if (!any)
        return attribute ? 1 : 32;
    for (int32_t code = 0; code < 256; code++) {
        const uint8_t *glyph = font_glyph(r->font, uint8_t(code));
        bool same = true;
        for (int32_t i = 0; same && i < GLYPH_WIDTH * height; i++)
            same = (glyph[i] != 0) == (pattern[i] != 0);
        if (same)
            return attribute ? int32_t(colour) : code;
    }
    return attribute ? 0 : 32;
}

} // namespace

int32_t rt_screen_function(int32_t row, int32_t column, int32_t flag)
{
    const image_slot *r = read_page.record;
    if (error_pending || !r || !r->pixels)
        return 0;
    if (r->text_mode) {
        if (row < 1 || row > r->height || column < 1 || column > r->width) {
            error_raise(5);
            return 0;
        }
        uint16_t cell =
            reinterpret_cast<const uint16_t *>(r->pixels)[uint64_t(row - 1) * r->width +
                                                          uint32_t(column - 1)];
        return flag ? cell >> 8 : cell & 0xFF;
    }
    text_layout lay = text_layout_of(r);
    if ((r->font != 8 && r->font != 14 && r->font != 16) || row < 1 || row > lay.rows ||
        column < 1 || column > lay.columns) {
        error_raise(5);
        return 0;
    }
    return graphics_cell_read(r, row, column, flag != 0);
}
