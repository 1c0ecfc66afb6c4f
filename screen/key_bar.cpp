#include "screen/key_bar.h"

#include "core/errors.h"
#include "core/strings.h"
#include "core/traps.h"
#include "screen/fonts.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/pixels.h"

#include <cstring>
#include <string>

uint32_t key_bar_on = 0;
uint32_t key_bar_redraw = 0;
uint32_t key_bar_drawing = 0;
void (*key_list_print)(const uint8_t *text, int32_t length, bool newline) = nullptr;

namespace {

constexpr int32_t KEY_NUMBERS = 32;

// The characters of one label. A label is published in the key-trap table as a
// read-only descriptor over one of two buffers, used in turn, so that a new
// label never rewrites the characters the key handler may be reading.
struct key_label_store {
    uint8_t text[2][KEY_LABEL_MAX];
    string_descriptor descriptor[2];
    int32_t current; // buffer of the published label
    int32_t length;
};

key_label_store labels[KEY_NUMBERS];
uint32_t key_bar_drawn_state = 0;

void label_publish(int32_t n, const uint8_t *text, int32_t length)
{
    key_label_store &k = labels[n];
    int32_t next = 1 - k.current;
    if (length > 0)
        std::memcpy(k.text[next], text, size_t(length));
    string_descriptor &d = k.descriptor[next];
    d = string_descriptor{};
    d.chr = k.text[next];
    d.len = length;
    d.readonly = 1;
    k.current = next;
    k.length = length;
    key_trap_table[n].label.store(length > 0 ? &d : nullptr, std::memory_order_release);
}

// Key number of the i-th label of the bar (1-12).
int32_t bar_key_number(int32_t i) { return i <= 10 ? i : i + 19; }

// The glyph shown for a control character inside a label.
uint8_t label_glyph(uint8_t c)
{
    switch (c) {
    case 7: return 14;
    case 8: return 254;
    case 9: return 26;
    case 10: return 60;
    case 11: return 127;
    case 12: return 22;
    case 13: return 27;
    case 28: return 16;
    case 29: return 17;
    case 30: return 24;
    case 31: return 25;
    default: return c;
    }
}

// Puts one character at a cell of the bar row in the given colours.
void bar_char_put(image_slot *page, int32_t col, int32_t row, uint8_t c, uint32_t fore,
                  uint32_t back)
{
    if (page->text_mode) {
        uint16_t attribute = uint16_t((back & 7) << 4 | (fore & 16) << 3 | (fore & 15));
        auto *cells = reinterpret_cast<uint16_t *>(page->pixels);
        cells[uint64_t(row - 1) * page->width + uint32_t(col - 1)] = uint16_t(attribute << 8 | c);
        return;
    }
    int32_t fw = int32_t(font_width_of(page->font)), fh = int32_t(font_height_of(page->font));
    glyph_draw(page, (col - 1) * fw, (row - 1) * fh, c, fore, back);
}

// Blanks the last text row of a page in its current colours.
void bar_row_erase(image_slot *page, int32_t row, int32_t columns)
{
    if (page->text_mode) {
        for (int32_t col = 1; col <= columns; col++)
            bar_char_put(page, col, row, ' ', page->fore_color, page->back_color);
        return;
    }
    int32_t fh = int32_t(font_height_of(page->font));
    rect_fill_blend_on(page, 0, (row - 1) * fh, page->width - 1, row * fh - 1, page->back_color);
}

// Draws the twelve labels side by side on the last row.
void bar_labels_draw(image_slot *page, int32_t row, int32_t columns)
{
    int32_t width = columns / 12;
    if (width < 8)
        width = columns >= 8 ? 8 : columns;
    uint32_t fore = page->fore_color, back = page->back_color;
    uint32_t rev_fore = back, rev_back = fore;
    if (page->text_mode) {
        rev_fore = back == 0 ? 0 : 7;
        rev_back = back == 0 ? 7 : 0;
    }
    bool proportional = font_width_of(page->font) == 0;
    for (int32_t i = 1; i <= 12; i++) {
        int32_t first = (i - 1) * width + 1;
        if (first > columns)
            break;
        std::string head = std::to_string(i) + (proportional ? "" : ")");
        int32_t col = first;
        for (char c : head)
            if (col < first + width && col <= columns)
                bar_char_put(page, col++, row, uint8_t(c), fore, back);
        const key_label_store &k = labels[bar_key_number(i)];
        for (int32_t j = 0; j < k.length && col < first + width && col <= columns; j++)
            bar_char_put(page, col++, row, label_glyph(k.text[k.current][j]), rev_fore, rev_back);
    }
}

} // namespace

void key_bar_draw()
{
    if (key_bar_redraw) {
        key_bar_redraw = 0;
        if (!key_bar_on)
            return;
    } else if (key_bar_on == key_bar_drawn_state) {
        return;
    }
    key_bar_drawn_state = key_bar_on;
    image_slot *page = page_table_count && page_table[0] ? image_slot_get(page_table[0]) : nullptr;
    if (!page || !page->pixels)
        return;
    int32_t rows = image_text_rows(page), columns = image_text_columns(page);
    if (rows < 1 || columns < 1)
        return;
    // The bar writes cells and pixels directly, so the page's cursor, deferred
    // wrap and colours stay as they were.
    key_bar_drawing = 1;
    bar_row_erase(page, rows, columns);
    if (key_bar_on)
        bar_labels_draw(page, rows, columns);
    key_bar_drawing = 0;
}

void rt_key_on()
{
    if (error_pending)
        return;
    key_bar_on = 1;
    key_bar_draw();
}

void rt_key_off()
{
    if (error_pending)
        return;
    key_bar_on = 0;
    key_bar_draw();
}

void rt_key_list()
{
    if (error_pending || !key_list_print)
        return;
    for (int32_t i = 1; i <= 12; i++) {
        std::string line = "F" + std::to_string(i) + (i >= 10 ? ") " : ")  ");
        const key_label_store &k = labels[bar_key_number(i)];
        for (int32_t j = 0; j < k.length; j++) {
            uint8_t c = k.text[k.current][j];
            bool acts = (c >= 7 && c <= 13) || (c >= 28 && c <= 31);
            line += char(acts ? ' ' : c);
        }
        key_list_print(reinterpret_cast<const uint8_t *>(line.data()), int32_t(line.size()), true);
    }
}

void rt_key_define(int32_t n, const string_descriptor *text)
{
    if (error_pending)
        return;
    int32_t length = text ? text->len : 0;
    if ((n >= 1 && n <= 10) || n == 30 || n == 31) {
        if (length > KEY_LABEL_MAX) {
            error_raise(5);
            return;
        }
        label_publish(n, length > 0 ? text->chr : nullptr, length);
        key_bar_redraw = 1;
        key_bar_draw();
        return;
    }
    if (n >= 15 && n <= 29 && length >= 2) {
        // The scan code goes last: a non-zero scan code marks a user key.
        key_trap_table[n].shift_flags.store(text->chr[0]);
        key_trap_table[n].scan_code.store(text->chr[1]);
        return;
    }
    error_raise(5);
}

void key_bar_reset()
{
    for (int32_t n = 0; n < KEY_NUMBERS; n++)
        if (labels[n].length)
            key_trap_table[n].label.store(nullptr, std::memory_order_release);
    std::memset(labels, 0, sizeof labels);
    key_bar_on = 0;
    key_bar_redraw = 0;
    key_bar_drawing = 0;
    key_bar_drawn_state = 0;
}
