// PRINT on the write page: characters and their glyphs, control characters,
// the deferred wrap, scrolling, the fitting of items and the print zones.
#include "screen/text_output.h"
#include "screen/text_output_internal.h"

#include "core/errors.h"
#include "core/strings.h"
#include "core/timing.h"
#include "screen/fonts.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/key_bar.h"
#include "screen/palettes.h"
#include "screen/pixels.h"
#include "screen/screen_modes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

uint32_t control_chars_as_glyphs = 0;
uint32_t printer_mode = 0;
int32_t printer_column = 1;

namespace {

// KEY LIST prints its lines through PRINT.
[[maybe_unused]] const bool key_list_installed = (key_list_print = print_bytes, true);

constexpr int32_t TAB_STOP_COLUMNS = 8;
constexpr int32_t TAB_STOP_PX = 64;
constexpr int32_t ZONE_COLUMNS = 14;
constexpr int32_t ZONE_PX = 112;
constexpr double BELL_SECONDS = 0.25;

// Bytes a character takes in PRINT's text: 4 with a UNICODE font.
int32_t char_bytes_of(const image_slot *r)
{
    uint32_t f = r->font;
    bool unicode = f >= FONT_FIRST_LOADED && f <= font_table.top &&
                   (font_table.flags[f] & FONT_UNICODE);
    return unicode ? 4 : 1;
}

uint32_t char_at(const uint8_t *p, int32_t size)
{
    if (size == 1)
        return p[0];
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Draws a built-in glyph with its top left at (x, y) by the page's print
// mode; fonts 9, 15 and 17 are their base fonts at double width.
void glyph_print(const image_slot *r, int32_t x, int32_t y, uint32_t c)
{
    uint32_t base = r->font == 9 ? 8 : r->font == 15 ? 14 : r->font == 17 ? 16 : r->font;
    // Loaded fonts are drawn by the font engine, which renders nothing here.
    const uint8_t *glyph = font_glyph(base, uint8_t(c));
    if (!glyph || c > 255)
        return;
    int32_t height = int32_t(font_height_of(base));
    int32_t scale = base == r->font ? 1 : 2;
    bool glyph_pixels = r->print_mode & 1, back_pixels = r->print_mode & 2;
    if (r->bytes_per_pixel == 1 && x >= 0 && y >= 0 && x + 8 * scale <= r->width &&
        y + height <= r->height) {
        // A whole cell of a palette page: bytes stored row by row.
        uint8_t fore = uint8_t(r->fore_color & r->color_mask);
        uint8_t back = uint8_t(r->back_color & r->color_mask);
        for (int32_t row = 0; row < height; row++) {
            uint8_t *px = r->pixels + uint64_t(y + row) * r->width + uint32_t(x);
            for (int32_t col = 0; col < 8 * scale; col++) {
                bool on = glyph[row * 8 + col / scale] != 0;
                if (on ? glyph_pixels : back_pixels)
                    px[col] = on ? fore : back;
            }
        }
        return;
    }
    for (int32_t row = 0; row < height; row++)
        for (int32_t col = 0; col < 8 * scale; col++) {
            bool on = glyph[row * 8 + col / scale] != 0;
            if (on && glyph_pixels)
                pixel_write(x + col, y + row, r->fore_color);
            else if (!on && back_pixels)
                pixel_write(x + col, y + row, r->back_color);
        }
}

// Moves the scroll region up one text row and blanks its last row.
void region_scroll(image_slot *r, const text_layout &lay)
{
    int32_t top = r->view_print_top, bottom = std::min<int32_t>(r->view_print_bottom, lay.rows);
    if (top < 1 || bottom < top || !r->pixels)
        return;
    if (lay.text) {
        auto *cells = reinterpret_cast<uint16_t *>(r->pixels);
        uint64_t w = r->width;
        std::memmove(cells + (top - 1) * w, cells + top * w, (bottom - top) * w * 2);
        std::fill_n(cells + (bottom - 1) * w, w, blank_cell(r->fore_color, r->back_color));
        return;
    }
    int32_t y0 = (top - 1) * lay.cell_h, y_end = std::min(bottom * lay.cell_h, int32_t(r->height));
    if (y_end <= y0)
        return;
    int32_t kept = std::max(y_end - y0 - lay.cell_h, 0);
    uint64_t row_bytes = uint64_t(r->width) * r->bytes_per_pixel;
    std::memmove(r->pixels + y0 * row_bytes, r->pixels + (y0 + lay.cell_h) * row_bytes,
                 kept * row_bytes);
    page_rect_store(r, 0, y0 + kept, r->width - 1, y_end - 1, r->back_color);
}

// Proportional fonts: fills from the cursor to the next multiple of `step_px`
// pixels over the text line and moves there; past the line's end it fills to
// the end and starts a new line.
void proportional_fill_to(image_slot *r, const text_layout &lay, int32_t step_px)
{
    int32_t x = r->cursor_col - 1, target = (x / step_px + 1) * step_px;
    int32_t y = (r->cursor_row - 1) * lay.cell_h;
    bool inside = target < lay.columns;
    page_rect_store(r, x, y, (inside ? target : lay.columns) - 1, y + lay.cell_h - 1,
                    r->back_color);
    if (inside)
        r->cursor_col = int16_t(target + 1);
    else
        print_newline();
}

// Steps of one drawn character: a new line first when a proportional glyph
// would pass the line's end, the glyph, the printer's column, the cursor's
// advance and the wrap. `hold` marks the last character of a PRINT that does
// not end its line: it leaves a pending wrap instead. True when it wrapped.
bool glyph_advance(image_slot *r, const text_layout &lay, uint32_t c, bool hold)
{
    int32_t advance = lay.proportional ? font_char_width(c) : 1;
    if (lay.proportional && r->cursor_col - 1 + advance > lay.columns)
        print_newline();
    print_char(c);
    if (printer_mode && ++printer_column > printer_width) {
        print_newline();
        printer_column = 1;
        return true;
    }
    int32_t next = r->cursor_col + advance;
    if (next <= lay.columns && next <= INT16_MAX) {
        r->cursor_col = int16_t(next);
        return false;
    }
    if (hold) {
        r->cursor_col = int16_t(std::clamp(lay.columns, 1, int32_t(INT16_MAX)));
        r->pending_wrap = 1;
        return false;
    }
    print_newline();
    return true;
}

// CHR$(9): blanks to the next tab stop (columns 9, 17, ...); true when the
// last blank wrapped.
bool tab_act(image_slot *r, const text_layout &lay, bool hold)
{
    if (lay.proportional) {
        proportional_fill_to(r, lay, TAB_STOP_PX);
        return false;
    }
    bool wrapped;
    do {
        wrapped = glyph_advance(r, lay, ' ', hold);
    } while (!r->pending_wrap && (r->cursor_col - 1) % TAB_STOP_COLUMNS != 0);
    return wrapped;
}

// The cursor moves of codes 28-31, which never scroll.
void cursor_key_act(image_slot *r, const text_layout &lay, uint32_t c)
{
    int32_t row = r->cursor_row, col = r->cursor_col;
    int32_t top = r->view_print_top, bottom = r->view_print_bottom;
    switch (c) {
    case 28:
        if (printer_mode && printer_column < printer_width)
            printer_column++;
        if (row >= bottom && col >= lay.columns)
            return;
        if (++col > lay.columns) {
            col = 1;
            row++;
        }
        break;
    case 29:
        if (printer_mode && printer_column > 1)
            printer_column--;
        if (col <= 1 && (row <= top || row > bottom))
            return;
        if (--col < 1) {
            col = lay.columns;
            row--;
        }
        break;
    case 30:
        if (row <= top || row > bottom)
            return;
        row--;
        break;
    default:
        if (row < top || row >= bottom)
            return;
        row++;
        break;
    }
    r->cursor_row = int16_t(row);
    r->cursor_col = int16_t(std::max(col, 1));
}

enum class control_result { not_control, acted, wrapped };

// Acts on a control character (7, 9-13, 28-31).
control_result control_act(image_slot *r, const text_layout &lay, uint32_t c, bool hold)
{
    switch (c) {
    case 7:
        delay_seconds(BELL_SECONDS);
        return control_result::acted;
    case 9:
        return tab_act(r, lay, hold) ? control_result::wrapped : control_result::acted;
    case 10:
    case 13:
        print_newline();
        break;
    case 11:
        r->cursor_row = r->view_print_top;
        r->cursor_col = 1;
        break;
    case 12:
        if (printer_mode) {
            printer_page_out(r);
            printer_page_dirty.store(0, std::memory_order_relaxed);
            page_clear(r, CLS_NO_METHOD, r->back_color);
        } else {
            rt_cls(0, 0, 0);
        }
        break;
    case 28:
    case 29:
    case 30:
    case 31:
        cursor_key_act(r, lay, c);
        return control_result::acted;
    default:
        return control_result::not_control;
    }
    if (printer_mode)
        printer_column = 1;
    return control_result::acted;
}

} // namespace

text_layout text_layout_of(const image_slot *r)
{
    if (r->text_mode)
        return {r->height, r->width, 1, 1, true, false};
    int32_t fw = int32_t(font_width_of(r->font)), fh = int32_t(font_height_of(r->font));
    text_layout lay{};
    lay.cell_w = fw;
    lay.cell_h = fh ? fh : 1;
    lay.rows = r->height / lay.cell_h;
    lay.columns = fw ? r->width / fw : r->width;
    lay.proportional = fw == 0;
    return lay;
}

void page_rect_store(image_slot *r, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                     uint32_t colour)
{
    uint8_t blend_off = r->blend_off;
    r->blend_off = 1;
    rect_fill_blend_on(r, x1, y1, x2, y2, colour);
    r->blend_off = blend_off;
}

void print_char(uint32_t c)
{
    image_slot *r = write_page.record;
    if (!r || !r->pixels)
        return;
    if (r->text_mode) {
        if (r->cursor_row < 1 || r->cursor_row > r->height || r->cursor_col < 1 ||
            r->cursor_col > r->width)
            return;
        auto *cells = reinterpret_cast<uint16_t *>(r->pixels);
        cells[uint64_t(r->cursor_row - 1) * r->width + uint32_t(r->cursor_col - 1)] =
            uint16_t(text_attribute(r->fore_color, r->back_color) << 8 | (c & 0xFF));
        return;
    }
    text_layout lay = text_layout_of(r);
    int32_t x = lay.proportional ? r->cursor_col - 1 : (r->cursor_col - 1) * lay.cell_w;
    glyph_print(r, x, (r->cursor_row - 1) * lay.cell_h, c);
}

int32_t font_char_width(uint32_t c)
{
    const image_slot *r = write_page.record;
    if (!r)
        return 0;
    uint32_t width = font_width_of(r->font);
    if (width)
        return int32_t(width);
    uint32_t engine = r->font <= font_table.top ? font_table.engine_handle[r->font] : 0;
    uint8_t *coverage = nullptr;
    int32_t measured = 0;
    if (char_bytes_of(r) == 4)
        return font_engine_render32(engine, &c, 1, &coverage, &measured) ? measured : 0;
    uint8_t byte = uint8_t(c);
    return font_engine_render8(engine, &byte, 1, &coverage, &measured) ? measured : 0;
}

void print_newline()
{
    image_slot *r = write_page.record;
    if (!r)
        return;
    r->cursor_col = 1;
    if (r->cursor_row < r->view_print_bottom) {
        r->cursor_row++;
        return;
    }
    if (printer_mode) {
        // A full sheet goes out and a clean one takes its place.
        printer_page_out(r);
        page_clear(r, CLS_NO_METHOD, 15);
        printer_page_dirty.store(0, std::memory_order_relaxed);
        return;
    }
    region_scroll(r, text_layout_of(r));
    r->cursor_row = r->view_print_bottom;
}

// PRINT: every character acts or is drawn in turn; see the header for the
// deferred wrap. A bell waits, and a trap run during the wait may change the
// screen, so the page is looked up again after it.
void print_bytes(const uint8_t *text, int32_t length, bool newline)
{
    image_slot *r = write_page.record;
    if (error_pending || !r)
        return;
    if (r->console) {
        if (length > 0)
            std::fwrite(text, 1, size_t(length), stdout);
        if (newline)
            std::fputc('\n', stdout);
        std::fflush(stdout);
        return;
    }
    if (r->pending_wrap && length > 0) {
        r->pending_wrap = 0;
        print_newline();
    } else if (r->pending_wrap && newline) {
        r->pending_wrap = 0;
    }
    text_layout lay = text_layout_of(r);
    int32_t size = char_bytes_of(r);
    bool acts = !control_chars_as_glyphs && !key_bar_drawing;
    bool wrapped = false;
    for (int32_t i = 0; i + size <= length; i += size) {
        uint32_t c = char_at(text + i, size);
        bool hold = !newline && i + 2 * size > length;
        if (printer_mode)
            printer_page_dirty.store(1, std::memory_order_relaxed);
        control_result done = acts ? control_act(r, lay, c, hold) : control_result::not_control;
        if (done == control_result::not_control)
            wrapped = glyph_advance(r, lay, c, hold);
        else
            wrapped = done == control_result::wrapped;
        if (c == 7 && done != control_result::not_control) {
            r = write_page.record;
            if (error_pending || !r)
                return;
            lay = text_layout_of(r);
        }
    }
    if (newline && !wrapped)
        print_newline();
    if (newline && printer_mode)
        printer_column = 1;
}

void rt_print(string_descriptor *text, int32_t newline)
{
    if (text) {
        print_bytes(text->chr, text->len, newline != 0);
        if (text->tmp)
            string_free(text);
    } else {
        print_bytes(nullptr, 0, newline != 0);
    }
}

void print_make_fit(const string_descriptor *text)
{
    image_slot *r = write_page.record;
    if (error_pending || !r || r->console || r->pending_wrap || r->cursor_col == 1 || !text)
        return;
    text_layout lay = text_layout_of(r);
    int64_t end;
    if (lay.text)
        end = int64_t(r->cursor_col) + text->len - 1;
    else if (lay.proportional)
        end = int64_t(r->cursor_col) - 1 + text_pixel_width(text, 0, false);
    else
        end = int64_t(r->cursor_col - 1) * lay.cell_w + text_pixel_width(text, 0, false);
    // A text page's width is in columns, a graphics page's in pixels.
    if (end > r->width)
        print_newline();
}

void rt_print_comma()
{
    image_slot *r = write_page.record;
    if (error_pending || !r)
        return;
    static const uint8_t blank = ' ';
    if (r->console) {
        print_bytes(&blank, 1, false);
        return;
    }
    if (r->pending_wrap) {
        r->pending_wrap = 0;
        print_newline();
    }
    text_layout lay = text_layout_of(r);
    if (lay.proportional) {
        proportional_fill_to(r, lay, ZONE_PX);
        return;
    }
    // At most one line of blanks: the last column always ends the loop.
    for (int32_t n = 0; n <= lay.columns; n++) {
        print_bytes(&blank, 1, false);
        int32_t col = r->cursor_col;
        if (r->pending_wrap || col >= lay.columns ||
            ((col - 1) % ZONE_COLUMNS == 0 && col + ZONE_COLUMNS - 1 <= lay.columns))
            break;
    }
}

void print_control_chars_set(int32_t mode) { control_chars_as_glyphs = mode == 2 ? 1 : 0; }
