// Text frames: cells drawn with the page's font and palette, with blinking
// characters and the text cursor. Only cells that changed, blink or carry the
// cursor are drawn, on top of a copy of the newest frame.
#include "core/errors.h"
#include "display/display_layers.h"
#include "display/frame_builder_internal.h"
#include "display/frame_ring.h"
#include "display/runtime_loop.h"
#include "screen/data/screen_data.h"
#include "screen/fonts.h"
#include "screen/image_slots.h"
#include "screen/palettes.h"
#include "screen/screen_modes.h"

#include <array>
#include <cstring>

namespace
{

constexpr uint8_t ATTRIBUTE_BLINK = 0x80;

struct cell_pos {
    int32_t col;
    int32_t row;
    bool operator==(const cell_pos &) const = default;
};

// How one text page is drawn in this frame.
struct text_pass {
    uint32_t *frame;
    int32_t stride;
    int32_t fw, fh;
    const uint32_t *base; // newest frame that unchanged cells are copied from, or null
    uint32_t glyph_font;
    bool double_width;
    uint32_t phase;
    bool cursor_drawn; // the page shows its cursor and the phase is on
    cursor_span cursor_rows;
    cell_pos cursor;
};

// The cell that shows the cursor: the page's cursor, or the start of the next
// row while a wrap is pending with the cursor shown there.
cell_pos cursor_cell_of(const image_slot *page)
{
    cell_pos cell{page->cursor_col - 1, page->cursor_row - 1};
    if (page->pending_wrap == 2 && cell.row < int32_t(page->height) - 1)
        cell = {0, cell.row + 1};
    return cell;
}

cursor_span bottom_rows(int32_t count, int32_t fh)
{
    // A 16-row cell keeps its last row free, as the classic adapters do.
    int32_t last = fh == 16 ? 14 : fh - 1;
    int32_t first = last - count + 1;
    return first < 0 ? cursor_span{0, last + 1} : cursor_span{first, count};
}

cursor_span top_rows(int32_t first, int32_t last, int32_t fh)
{
    if (first >= fh || last < first)
        return {0, 0};
    return {first, (last < fh ? last : fh - 1) - first + 1};
}

// Pixel masks of the 256 patterns of an 8-pixel glyph row, indexed by the
// pattern as pattern_of packs it.
struct row_masks {
    uint32_t px[8];
};

// Packs a glyph row (8 bytes of 0 or 0xFF) into one byte.
inline uint32_t pattern_of(const uint8_t *row)
{
    uint64_t bytes;
    std::memcpy(&bytes, row, 8);
    return uint32_t(((bytes & 0x0101010101010101ull) * 0x0102040810204080ull) >> 56);
}

const std::array<row_masks, 256> mask_table = [] {
    std::array<row_masks, 256> table{};
    for (uint32_t p = 0; p < 256; p++) {
        uint8_t row[8];
        for (int32_t c = 0; c < 8; c++)
            row[c] = (p >> c) & 1 ? 0xFF : 0;
        for (int32_t c = 0; c < 8; c++)
            table[pattern_of(row)].px[c] = row[c] ? 0xFFFFFFFFu : 0;
    }
    return table;
}();

// The built-in glyph sets with each 8-pixel row packed as pattern_of packs
// it, so drawing a row is one table look-up.
// Made from the stored sets (one bit a pixel, leftmost pixel in bit 7).
template <size_t N>
std::array<uint8_t, N> packed_glyphs_of(const uint8_t *stored)
{
    std::array<uint8_t, N> packed{};
    for (size_t i = 0; i < N; i++) {
        uint8_t row[8];
        for (int32_t bit = 0; bit < 8; bit++)
            row[bit] = (stored[i] >> (7 - bit) & 1) ? 0xFF : 0;
        packed[i] = uint8_t(pattern_of(row));
    }
    return packed;
}
const std::array<uint8_t, STORED_GLYPHS_8X8_SIZE> packed_glyphs_8 =
    packed_glyphs_of<STORED_GLYPHS_8X8_SIZE>(stored_glyphs_8x8);
const std::array<uint8_t, STORED_GLYPHS_8X16_SIZE> packed_glyphs_16 =
    packed_glyphs_of<STORED_GLYPHS_8X16_SIZE>(stored_glyphs_8x16);

// The packed rows of a glyph of the 8, 14 or 16 set, or null.
const uint8_t *packed_glyph(uint32_t glyph_font, uint8_t code)
{
    switch (glyph_font) {
    case 8: return packed_glyphs_8.data() + code * 8;
    case 14: return packed_glyphs_16.data() + code * 16 + 1;
    case 16: return packed_glyphs_16.data() + code * 16;
    default: return nullptr;
    }
}

inline void glyph_row_draw(uint32_t *__restrict dst, uint8_t pattern, uint32_t fg, uint32_t bg)
{
    const uint32_t *__restrict mask = mask_table[pattern].px;
    uint32_t diff = fg ^ bg;
    for (int32_t c = 0; c < 8; c++)
        dst[c] = bg ^ (diff & mask[c]);
}

inline void glyph_row_draw_double(uint32_t *__restrict dst, uint8_t pattern, uint32_t fg,
                                  uint32_t bg)
{
    const uint32_t *__restrict mask = mask_table[pattern].px;
    uint32_t diff = fg ^ bg;
    for (int32_t c = 0; c < 16; c++)
        dst[c] = bg ^ (diff & mask[c / 2]);
}

// The 8-pixel glyph set a font draws from: 8, 14 or 16; 0 for fonts that
// have no built-in glyphs.
uint32_t glyph_font_of(uint32_t font)
{
    switch (font) {
    case 8:
    case 9:
        return 8;
    case 14:
    case 15:
        return 14;
    case 16:
    case 17:
        return 16;
    default:
        return 0;
    }
}

// Draws one cell: its glyph in the foreground colour on the background, the
// glyph hidden in the blink phase, and the cursor over it.
void cell_draw(const text_pass &pass, cell_pos at, uint8_t code, uint8_t attribute)
{
    uint32_t fg_index = attribute & 15, bg_index = (attribute >> 4) & 7;
    uint32_t fg = frame_mem.palette_copy[fg_index], bg = frame_mem.palette_copy[bg_index];
    uint32_t shown_fg = (attribute & ATTRIBUTE_BLINK) && pass.phase ? bg : fg;
    const uint8_t *glyph = packed_glyph(pass.glyph_font, code);
    uint32_t *dst = pass.frame + size_t(at.row) * pass.fh * pass.stride + size_t(at.col) * pass.fw;
    if (!glyph || pass.fw != (pass.double_width ? 16 : 8)) {
        for (int32_t r = 0; r < pass.fh; r++, dst += pass.stride)
            for (int32_t c = 0; c < pass.fw; c++)
                dst[c] = bg;
    } else if (pass.double_width) {
        for (int32_t r = 0; r < pass.fh; r++, dst += pass.stride)
            glyph_row_draw_double(dst, glyph[r], shown_fg, bg);
    } else {
        for (int32_t r = 0; r < pass.fh; r++, dst += pass.stride)
            glyph_row_draw(dst, glyph[r], shown_fg, bg);
    }
    if (!pass.cursor_drawn || !(at == pass.cursor))
        return;
    dst = pass.frame + (size_t(at.row) * pass.fh + pass.cursor_rows.first) * pass.stride +
          size_t(at.col) * pass.fw;
    for (int32_t r = 0; r < pass.cursor_rows.count; r++, dst += pass.stride)
        for (int32_t c = 0; c < pass.fw; c++)
            dst[c] = fg;
}

// Whether a cell that equals its copy must still be drawn: a blinking cell
// at a phase change, the cursor's cell at a phase change when the cursor
// shows or showed there, and the cell the cursor left.
bool cell_redraw_anyway(const text_pass &pass, cell_pos at, uint8_t attribute, bool phase_changed,
                        bool cursor_moved)
{
    if (phase_changed && (attribute & ATTRIBUTE_BLINK))
        return true;
    const bool shown_here = frame_mem.cursor_on_screen &&
                            at == cell_pos{frame_mem.cursor_screen_col, frame_mem.cursor_screen_row};
    if (phase_changed && at == pass.cursor && (pass.cursor_drawn || shown_here))
        return true;
    return cursor_moved && at == cell_pos{frame_mem.last_cursor_col, frame_mem.last_cursor_row};
}

// Where the cursor shows after this frame's cells are drawn.
void cursor_on_screen_note(const text_pass &pass, int32_t cols, int32_t rows)
{
    auto redrawn = [&](int32_t col, int32_t row) {
        return col >= 0 && row >= 0 && col < cols && row < rows &&
               frame_mem.redraw[size_t(row) * cols + col];
    };
    if (frame_mem.cursor_on_screen && redrawn(frame_mem.cursor_screen_col, frame_mem.cursor_screen_row))
        frame_mem.cursor_on_screen = false;
    if (pass.cursor_drawn && redrawn(pass.cursor.col, pass.cursor.row)) {
        frame_mem.cursor_on_screen = true;
        frame_mem.cursor_screen_col = pass.cursor.col;
        frame_mem.cursor_screen_row = pass.cursor.row;
    }
}

// Brings the slot up to the newest frame in the rows where it lags behind,
// leaving out rows whose every cell is drawn anew. Without a record of the
// slot's rows every row is copied.
void stale_rows_copy(const text_pass &pass, size_t slot, const std::vector<uint32_t> &drawn_in_row,
                     int32_t cols, int32_t rows)
{
    const std::vector<uint8_t> &stale = frame_mem.stale_rows[slot];
    const bool known = stale.size() == size_t(rows);
    const size_t band = size_t(pass.fh) * pass.stride;
    for (int32_t row = 0; row < rows; row++) {
        if ((known && !stale[row]) || drawn_in_row[row] == uint32_t(cols))
            continue;
        std::memcpy(pass.frame + row * band, pass.base + row * band, band * 4);
    }
}

// Records which rows this frame drew: every other slot now lags behind there
// (everywhere after a whole frame), the slot itself nowhere.
void stale_rows_note(size_t slot, const std::vector<uint32_t> &drawn_in_row, bool whole)
{
    const size_t rows = drawn_in_row.size();
    for (size_t other = 0; other < FRAME_SLOT_COUNT; other++) {
        std::vector<uint8_t> &stale = frame_mem.stale_rows[other];
        if (other == slot) {
            stale.assign(rows, 0);
        } else if (whole || stale.size() != rows) {
            stale.assign(rows, 1);
        } else {
            for (size_t row = 0; row < rows; row++)
                stale[row] |= drawn_in_row[row] != 0;
        }
    }
}

// The newest frame, which the new one starts from: the frame the slot itself
// held when that is the newest (*base stays null: its pixels are in place),
// else the newest ready or shown frame. False when there is none of the
// frame's size.
bool newest_frame_find(const frame_target &target, const uint32_t **base)
{
    const frame_slot *last = frame_ring_newest_done(target.slot);
    uint64_t last_order = last ? last->order.load(std::memory_order_relaxed) : 0;
    *base = nullptr;
    if (target.held_order > last_order)
        return true;
    if (!last || last->width != target.width || last->height != target.height)
        return false;
    *base = last->pixels;
    return true;
}

// The frame size of a taken-back slot is the size of the frame it held.
bool held_frame_fits(const frame_target &target)
{
    return target.held_order == 0 ||
           (target.slot->width == target.width && target.slot->height == target.height);
}

} // namespace

cursor_span text_cursor_span(uint32_t s, uint32_t e, int32_t fh)
{
    if (e == 0)
        return s == 0 ? top_rows(0, 0, fh) : cursor_span{0, 0};
    if (e < s)
        return top_rows(int32_t(e), fh - 1, fh);
    if (s == e)
        return s < 4 ? top_rows(int32_t(s), int32_t(s), fh) : bottom_rows(1, fh);
    if (s >= 3) {
        if (e == s + 1)
            return bottom_rows(2, fh);
        if (e == s + 2)
            return bottom_rows(3, fh);
        return {fh - fh / 2, fh / 2};
    }
    if (s < 2)
        return e > 3 ? top_rows(int32_t(s), fh - 1, fh) : top_rows(int32_t(s), int32_t(e), fh);
    // s == 2
    if (e == 3)
        return top_rows(2, 3, fh);
    if (e == 4)
        return bottom_rows(3, fh);
    return top_rows(2, fh - 1, fh);
}

frame_outcome text_frame_build(const frame_target &target, image_slot *page)
{
    int32_t cols = page->width, rows = page->height;
    size_t cell_bytes = size_t(cols) * rows * 2;
    bool comparing = frame_previous_valid.load() == 1;
    if (frame_mem.text_copy.size() != cell_bytes) {
        frame_mem.text_copy.assign(cell_bytes, 0);
        comparing = false;
    }
    if (!software_screen_in_layer_order() && comparing)
        return frame_outcome::give_back;
    const uint32_t *palette = page->palette ? page->palette : default_palette_256;
    if (comparing && std::memcmp(palette, frame_mem.palette_copy, 1024) != 0)
        comparing = false;
    std::memcpy(frame_mem.palette_copy, palette, 1024);

    const uint8_t *cells = page->pixels;
    bool changed = !comparing || std::memcmp(cells, frame_mem.text_copy.data(), cell_bytes) != 0;
    uint32_t phase = (frame_pass_counter.load(std::memory_order_relaxed) >> 3) & 1;
    cell_pos cursor = cursor_cell_of(page);
    bool phase_changed = phase != frame_mem.last_phase;
    bool cursor_moved = !(cursor == cell_pos{frame_mem.last_cursor_col, frame_mem.last_cursor_row});
    if (comparing && (phase_changed || cursor_moved))
        changed = true;
    if (!changed)
        return frame_outcome::give_back;

    if (!held_frame_fits(target))
        comparing = false;
    if (!frame_buffer_take(target))
        return frame_outcome::give_back;
    text_pass pass{};
    if (comparing && !newest_frame_find(target, &pass.base)) {
        alert("Text Screen Update: Failed to locate previous frame's data for comparison");
        comparing = false;
    }
    pass.frame = target.slot->pixels;
    pass.stride = target.width;
    pass.glyph_font = glyph_font_of(page->font);
    pass.fw = int32_t(font_width_of(page->font));
    pass.fh = int32_t(font_height_of(page->font));
    pass.double_width = page->font == 9 || page->font == 15 || page->font == 17;
    pass.phase = phase;
    pass.cursor_rows = text_cursor_span(page->cursor_start, page->cursor_stop, pass.fh);
    // A shape that fills no row of the cell is no cursor at all: its phases
    // redraw nothing, so an unchanged page publishes nothing.
    pass.cursor_drawn = page->cursor_shown && phase == 1 && pass.cursor_rows.count > 0;
    pass.cursor = cursor;

    // Which cells to draw, and the contents they are drawn with: what the page
    // held when it was looked at, which the comparison copy keeps.
    size_t cell_count = size_t(cols) * rows, drawn = 0;
    frame_mem.redraw.assign(cell_count, 0);
    std::vector<uint32_t> &drawn_in_row = frame_mem.drawn_in_row;
    drawn_in_row.assign(size_t(rows), 0);
    uint8_t *copy = frame_mem.text_copy.data();
    const bool only_changes = comparing && !phase_changed && !cursor_moved;
    for (int32_t row = 0, i = 0; row < rows; row++) {
        // Without a phase change or a cursor move only changed cells draw:
        // rows equal to their copy are passed over whole.
        if (only_changes && std::memcmp(cells + size_t(i) * 2, copy + size_t(i) * 2,
                                        size_t(cols) * 2) == 0) {
            i += cols;
            continue;
        }
        for (int32_t col = 0; col < cols; col++, i++) {
            uint8_t code = cells[i * 2], attribute = cells[i * 2 + 1];
            if (comparing && copy[i * 2] == code && copy[i * 2 + 1] == attribute &&
                !cell_redraw_anyway(pass, {col, row}, attribute, phase_changed, cursor_moved))
                continue;
            copy[i * 2] = code;
            copy[i * 2 + 1] = attribute;
            frame_mem.redraw[i] = 1;
            drawn_in_row[row]++;
            drawn++;
        }
    }
    const size_t slot = size_t(target.slot - frame_ring);
    if (comparing && drawn == 0) {
        // A phase change that no cell shows: the newest frame stays as it is.
        frame_mem.last_phase = phase;
        frame_mem.last_cursor_col = cursor.col;
        frame_mem.last_cursor_row = cursor.row;
        return frame_outcome::give_back;
    }
    if (pass.base)
        stale_rows_copy(pass, slot, drawn_in_row, cols, rows);
    for (int32_t row = 0; row < rows; row++) {
        if (!drawn_in_row[row])
            continue;
        for (int32_t col = 0, i = row * cols; col < cols; col++, i++)
            if (frame_mem.redraw[i])
                cell_draw(pass, {col, row}, copy[i * 2], copy[i * 2 + 1]);
    }
    stale_rows_note(slot, drawn_in_row, !comparing);
    cursor_on_screen_note(pass, cols, rows);
    frame_mem.last_phase = phase;
    frame_mem.last_cursor_col = cursor.col;
    frame_mem.last_cursor_row = cursor.row;
    return frame_outcome::publish;
}

void text_frames_forget()
{
    for (std::vector<uint8_t> &stale : frame_mem.stale_rows)
        stale.clear();
}
