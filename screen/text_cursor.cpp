// The text cursor: LOCATE, VIEW PRINT, CSRLIN, POS and END's closing prompt.
#include "screen/text_output.h"
#include "screen/text_output_internal.h"

#include "core/errors.h"
#include "screen/image_slots.h"
#include "screen/screen_modes.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int32_t TALL_SCREEN_ROWS = 50;
constexpr int32_t TALL_SCREEN_COLUMNS = 80;
// The first 80 x 25 cells of the start-up screen, two bytes each.
constexpr uint64_t START_SCREEN_BYTES = 80 * 25 * 2;

// The start-up screen turns into 80 x 50 when a program first locates below
// its scroll region, keeping what it shows and its colours. False when the
// screen cannot be grown (the LOCATE then fails with error 5).
bool start_screen_grow()
{
    image_slot *r = write_page.record;
    if (!r->text_mode || write_page.slot != page_table[0])
        return false;
    uint8_t cells[START_SCREEN_BYTES];
    uint64_t kept = std::min<uint64_t>(START_SCREEN_BYTES, uint64_t(r->width) * r->height * 2);
    std::memcpy(cells, r->pixels, kept);
    uint32_t fore = r->fore_color, back = r->back_color, draw = r->draw_color;
    rt_width(0, TALL_SCREEN_COLUMNS, TALL_SCREEN_ROWS, 3);
    r = write_page.record;
    if (error_pending || !r)
        return false;
    std::memcpy(r->pixels, cells, std::min<uint64_t>(kept, uint64_t(r->width) * r->height * 2));
    r->fore_color = fore;
    r->back_color = back;
    r->draw_color = draw;
    return true;
}

// The row check of LOCATE: rows of the scroll region and the page's last row
// are allowed; a row below the region grows the untouched start-up screen.
bool locate_row_allowed(int32_t row, int32_t column, bool column_given)
{
    image_slot *r = write_page.record;
    int32_t rows = text_layout_of(r).rows;
    if (row < r->view_print_top)
        return false;
    if (row <= r->view_print_bottom || row == rows)
        return true;
    if (!default_screen_untouched)
        return false;
    default_screen_untouched = 0;
    if (row > TALL_SCREEN_ROWS || (column_given && (column < 1 || column > TALL_SCREEN_COLUMNS)))
        return false;
    return start_screen_grow();
}

// Cursor visibility and shape: on every screen page when the write page is
// one, else on the write page alone.
void cursor_shape_set(uint32_t passed, int32_t cursor, int32_t start, int32_t stop)
{
    image_slot *w = write_page.record;
    bool screen = w->flags & IMAGE_FLAG_SCREEN_PAGE;
    for (uint32_t page = 0; page < (screen ? page_table_count : 1); page++) {
        image_slot *r = screen ? image_slot_get(page_table[page]) : w;
        if (!r || (screen && !page_table[page]))
            continue;
        if (passed & LOCATE_CURSOR)
            r->cursor_shown = cursor ? 1 : 0;
        if (passed & LOCATE_START)
            r->cursor_start = uint8_t(start);
        if (passed & LOCATE_STOP)
            r->cursor_stop = uint8_t(stop);
    }
}

} // namespace

// LOCATE: every argument is checked before anything changes (the one-time
// growth of the start-up screen is part of the row check).
void rt_locate(int32_t row, int32_t column, int32_t cursor, int32_t start, int32_t stop,
               uint32_t passed)
{
    if (error_pending || !write_page.record)
        return;
    if (((passed & LOCATE_CURSOR) && cursor != 0 && cursor != 1) ||
        ((passed & LOCATE_START) && (start < 0 || start > 31)) ||
        ((passed & LOCATE_STOP) && (stop < 0 || stop > 31)) ||
        ((passed & LOCATE_ROW) && !locate_row_allowed(row, column, passed & LOCATE_COLUMN))) {
        error_raise(5);
        return;
    }
    image_slot *r = write_page.record;
    int32_t columns = text_layout_of(r).columns;
    if ((passed & LOCATE_COLUMN) && (column < 1 || column > columns || column > INT16_MAX)) {
        error_raise(5);
        return;
    }
    if (passed & LOCATE_ROW) {
        r->cursor_row = int16_t(row);
        r->pending_wrap = 0;
    }
    if (passed & LOCATE_COLUMN) {
        r->cursor_col = int16_t(column);
        r->pending_wrap = 0;
    }
    if (!(passed & (LOCATE_ROW | LOCATE_COLUMN)) && r->pending_wrap == 1)
        r->pending_wrap = 2;
    if (passed & (LOCATE_CURSOR | LOCATE_START | LOCATE_STOP))
        cursor_shape_set(passed, cursor, start, stop);
}

void rt_view_print(int32_t top, int32_t bottom, bool given)
{
    image_slot *r = write_page.record;
    if (error_pending || !r)
        return;
    int32_t rows = std::min(text_layout_of(r).rows, int32_t(INT16_MAX));
    if (!given) {
        top = 1;
        bottom = std::max(rows, 1);
    } else if (top < 1 || top > rows || bottom < top || bottom > rows) {
        error_raise(5);
        return;
    }
    r->view_print_top = int16_t(top);
    r->view_print_bottom = int16_t(bottom);
    r->cursor_row = int16_t(top);
    r->cursor_col = 1;
    r->pending_wrap = 0;
}

int32_t rt_csrlin()
{
    const image_slot *r = write_page.record;
    if (error_pending || !r)
        return 0;
    if (!r->pending_wrap)
        return r->cursor_row;
    return r->cursor_row < r->view_print_bottom ? r->cursor_row + 1 : r->view_print_bottom;
}

int32_t rt_pos()
{
    const image_slot *r = write_page.record;
    if (error_pending || !r)
        return 0;
    return r->pending_wrap ? 1 : r->cursor_col;
}

void end_prompt_show()
{
    uint32_t display = display_page_slot.load(std::memory_order_relaxed);
    if (error_pending || !display)
        return;
    write_page_select(display);
    int32_t last = text_layout_of(write_page.record).rows;
    if (last < 1)
        return;
    rt_view_print(last, last, true);
    static const char prompt[] = "Press any key to continue";
    print_bytes(nullptr, 0, true);
    print_bytes(reinterpret_cast<const uint8_t *>(prompt), int32_t(sizeof prompt - 1), false);
}
