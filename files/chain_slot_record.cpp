// The page record of the chain state stream: an image_slot in a fixed
// little-endian layout of 176 bytes, independent of how the compiler lays the
// record out in memory.
//
//   0 u64 memory-lock record (0)     8 u64 memory-lock id (0)
//  16 u8 in use, text, console, bytes a pixel   20 u16 width, height
//  24 u8 bits a pixel, cursor shown, start, stop 28 u32 colour mask
//  32 u16 mode, scroll top, bottom, cursor column, row
//  42 u8 blending off, pending wrap   44 u32 fore, back, draw colour, font
//  60 u32 flags (0)   64 u64 pixels (0)   72 u64 palette (0)
//  80 i32 transparent colour   84 u8 print mode, coordinate mode, 2 zero
//  88 i32 clip x1, y1, x2, y2, view offset x, y
// 112 f32 graphics cursor x, y, scale x, y, offset x, y, window x1, y1, x2, y2
// 152 f64 draw angle, draw scale   168 8 zero bytes
#include "files/chain_state.h"

#include "screen/fonts.h"
#include "screen/image_slots.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace
{

template <typename T> void put_le(uint8_t *out, size_t offset, T value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof(T));
    for (size_t i = 0; i < sizeof(T); i++)
        out[offset + i] = uint8_t(bits >> (8 * i));
}

template <typename T> T get_le(const uint8_t *in, size_t offset)
{
    uint64_t bits = 0;
    for (size_t i = 0; i < sizeof(T); i++)
        bits |= uint64_t(in[offset + i]) << (8 * i);
    T value;
    std::memcpy(&value, &bits, sizeof(T));
    return value;
}

// Offsets of the layout above.
enum : size_t {
    AT_IN_USE = 16,
    AT_TEXT = 17,
    AT_CONSOLE = 18,
    AT_BYTES = 19,
    AT_WIDTH = 20,
    AT_HEIGHT = 22,
    AT_BITS = 24,
    AT_CURSOR_SHOWN = 25,
    AT_CURSOR_START = 26,
    AT_CURSOR_STOP = 27,
    AT_MASK = 28,
    AT_MODE = 32,
    AT_SCROLL_TOP = 34,
    AT_SCROLL_BOTTOM = 36,
    AT_CURSOR_COL = 38,
    AT_CURSOR_ROW = 40,
    AT_BLEND_OFF = 42,
    AT_WRAP = 43,
    AT_FORE = 44,
    AT_BACK = 48,
    AT_DRAW = 52,
    AT_FONT = 56,
    AT_TRANSPARENT = 80,
    AT_PRINT_MODE = 84,
    AT_COORD_MODE = 85,
    AT_CLIP = 88,
    AT_VIEW_OFFSET = 104,
    AT_FLOATS = 112,
    AT_DRAW_ANGLE = 152,
    AT_DRAW_SCALE = 160,
};

// The slot's f32 fields in their record order.
template <typename Slot> auto float_fields(Slot &s)
{
    return std::array{&s.gfx_cursor_x, &s.gfx_cursor_y, &s.scale_x,   &s.scale_y,   &s.offset_x,
                      &s.offset_y,     &s.window_x1,    &s.window_y1, &s.window_x2, &s.window_y2};
}

template <typename Slot> auto clip_fields(Slot &s)
{
    return std::array{&s.clip_x1, &s.clip_y1,       &s.clip_x2,
                      &s.clip_y2, &s.view_offset_x, &s.view_offset_y};
}

} // namespace

void chain_slot_encode(const image_slot &s, uint8_t out[CHAIN_SLOT_RECORD_BYTES])
{
    std::memset(out, 0, CHAIN_SLOT_RECORD_BYTES);
    const uint8_t bytes8[] = {s.in_use, s.text_mode, s.console, s.bytes_per_pixel};
    std::memcpy(out + AT_IN_USE, bytes8, 4);
    put_le(out, AT_WIDTH, s.width);
    put_le(out, AT_HEIGHT, s.height);
    const uint8_t cursor8[] = {s.bits_per_pixel, s.cursor_shown, s.cursor_start, s.cursor_stop};
    std::memcpy(out + AT_BITS, cursor8, 4);
    put_le(out, AT_MASK, s.color_mask);
    put_le(out, AT_MODE, s.mode);
    put_le(out, AT_SCROLL_TOP, s.view_print_top);
    put_le(out, AT_SCROLL_BOTTOM, s.view_print_bottom);
    put_le(out, AT_CURSOR_COL, s.cursor_col);
    put_le(out, AT_CURSOR_ROW, s.cursor_row);
    out[AT_BLEND_OFF] = s.blend_off;
    out[AT_WRAP] = s.pending_wrap;
    put_le(out, AT_FORE, s.fore_color);
    put_le(out, AT_BACK, s.back_color);
    put_le(out, AT_DRAW, s.draw_color);
    put_le(out, AT_FONT, s.font);
    put_le(out, AT_TRANSPARENT, s.transparent_color);
    out[AT_PRINT_MODE] = s.print_mode;
    out[AT_COORD_MODE] = s.coord_mode;
    size_t at = AT_CLIP;
    for (const int32_t *v : clip_fields(s))
        put_le(out, (at += 4) - 4, *v);
    at = AT_FLOATS;
    for (const float *v : float_fields(s))
        put_le(out, (at += 4) - 4, *v);
    put_le(out, AT_DRAW_ANGLE, s.draw_angle);
    put_le(out, AT_DRAW_SCALE, s.draw_scale);
}

namespace
{

// The block read back into a scratch slot (no pointers, no ownership).
image_slot slot_of_record(const uint8_t *in)
{
    image_slot s{};
    s.text_mode = in[AT_TEXT];
    s.bytes_per_pixel = in[AT_BYTES];
    s.width = get_le<uint16_t>(in, AT_WIDTH);
    s.height = get_le<uint16_t>(in, AT_HEIGHT);
    s.bits_per_pixel = in[AT_BITS];
    s.cursor_shown = in[AT_CURSOR_SHOWN];
    s.cursor_start = in[AT_CURSOR_START];
    s.cursor_stop = in[AT_CURSOR_STOP];
    s.color_mask = get_le<uint32_t>(in, AT_MASK);
    s.mode = get_le<uint16_t>(in, AT_MODE);
    s.view_print_top = get_le<int16_t>(in, AT_SCROLL_TOP);
    s.view_print_bottom = get_le<int16_t>(in, AT_SCROLL_BOTTOM);
    s.cursor_col = get_le<int16_t>(in, AT_CURSOR_COL);
    s.cursor_row = get_le<int16_t>(in, AT_CURSOR_ROW);
    s.blend_off = in[AT_BLEND_OFF];
    s.pending_wrap = in[AT_WRAP];
    s.fore_color = get_le<uint32_t>(in, AT_FORE);
    s.back_color = get_le<uint32_t>(in, AT_BACK);
    s.draw_color = get_le<uint32_t>(in, AT_DRAW);
    s.font = get_le<uint32_t>(in, AT_FONT);
    s.transparent_color = get_le<int32_t>(in, AT_TRANSPARENT);
    s.print_mode = in[AT_PRINT_MODE];
    s.coord_mode = in[AT_COORD_MODE];
    size_t at = AT_CLIP;
    for (int32_t *v : clip_fields(s))
        *v = get_le<int32_t>(in, (at += 4) - 4);
    at = AT_FLOATS;
    for (float *v : float_fields(s))
        *v = get_le<float>(in, (at += 4) - 4);
    s.draw_angle = get_le<double>(in, AT_DRAW_ANGLE);
    s.draw_scale = get_le<double>(in, AT_DRAW_SCALE);
    return s;
}

bool same_format(const image_slot &s, const image_slot &page)
{
    return s.width == page.width && s.height == page.height &&
           s.bytes_per_pixel == page.bytes_per_pixel && s.bits_per_pixel == page.bits_per_pixel &&
           s.color_mask == page.color_mask && s.mode == page.mode && s.text_mode == page.text_mode;
}

bool in_range(int64_t v, int64_t low, int64_t high)
{
    return v >= low && v <= high;
}

// Cursor, scroll region and small enumerations within the page's text grid
// (an image smaller than one cell has a grid of one).
bool text_state_valid(const image_slot &s)
{
    int32_t rows = std::max(image_text_rows(&s), 1), columns = std::max(image_text_columns(&s), 1);
    return in_range(s.cursor_row, 1, rows) && in_range(s.cursor_col, 1, columns) &&
           in_range(s.view_print_top, 1, rows) &&
           in_range(s.view_print_bottom, s.view_print_top, rows) && s.cursor_shown <= 1 &&
           s.cursor_start <= 31 && s.cursor_stop <= 31 && s.pending_wrap <= 2 &&
           in_range(s.print_mode, 1, 3) && s.coord_mode <= 2 && s.blend_off <= 1;
}

// Clip area inside the page, finite floats, colours a palette can index.
bool graphics_state_valid(const image_slot &s)
{
    if (!in_range(s.clip_x1, 0, s.clip_x2) || s.clip_x2 >= s.width ||
        !in_range(s.clip_y1, 0, s.clip_y2) || s.clip_y2 >= s.height)
        return false;
    if (!in_range(s.view_offset_x, -65535, 65535) || !in_range(s.view_offset_y, -65535, 65535))
        return false;
    for (const float *v : float_fields(s))
        if (!std::isfinite(*v))
            return false;
    if (!std::isfinite(s.draw_angle) || !std::isfinite(s.draw_scale))
        return false;
    if (!in_range(s.transparent_color, -1, 255))
        return false;
    return s.bytes_per_pixel == 4 ||
           (s.fore_color <= 255 && s.back_color <= 255 && s.draw_color <= 255);
}

} // namespace

bool chain_slot_decode(const uint8_t in[CHAIN_SLOT_RECORD_BYTES], image_slot *page)
{
    image_slot s = slot_of_record(in);
    if (!same_format(s, *page))
        return false;
    // A loaded font is this program's own: the page keeps its font then.
    if (s.font >= FONT_FIRST_LOADED || font_height_of(s.font) == 0)
        s.font = page->font;
    if (!text_state_valid(s) || !graphics_state_valid(s))
        return false;
    // The page keeps what it owns: its use, console, lock, pixels, palette
    // and flags; everything else comes from the block.
    s.in_use = page->in_use;
    s.console = page->console;
    s.mem_lock = page->mem_lock;
    s.mem_lock_serial = page->mem_lock_serial;
    s.pixels = page->pixels;
    s.palette = page->palette;
    s.flags = page->flags;
    *page = s;
    return true;
}
