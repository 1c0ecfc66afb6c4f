// What every screen must be after a restore, whatever its input: each page
// in use with its memory (and palette when it has palette pixels), its cursor
// inside its text grid (one cell for an image smaller than a cell), its clip
// area inside it, and the current pages naming live slots. Shared by the unit
// tests and the fuzz target; header-only so that the fuzz target needs no
// test library.
#pragma once

#include "screen/image_slots.h"

#include <algorithm>

inline bool screen_page_usable(const image_slot *r)
{
    int32_t rows = std::max(image_text_rows(r), 1), columns = std::max(image_text_columns(r), 1);
    return r->in_use && r->pixels && r->width && r->height && r->cursor_row >= 1 &&
           r->cursor_row <= rows && r->cursor_col >= 1 && r->cursor_col <= columns &&
           r->clip_x1 >= 0 && r->clip_x2 < r->width && r->clip_y1 >= 0 && r->clip_y2 < r->height &&
           (r->bytes_per_pixel == 4 || r->palette);
}

inline bool screen_pages_consistent()
{
    for (uint32_t page = 0; page < page_table_count; page++)
        if (page_table[page] && !screen_page_usable(image_slot_get(page_table[page])))
            return false;
    image_slot *shown = display_page_record.load();
    return write_page.record && write_page.record->in_use && read_page.record && shown &&
           shown->in_use;
}
