// CLS: clearing the text rows or the graphics area of a page.
#include "screen/text_output.h"
#include "screen/text_output_internal.h"

#include "core/errors.h"
#include "screen/image_slots.h"
#include "screen/key_bar.h"

#include <algorithm>

namespace {

// Blanks text rows first to last (clamped to the page) with one cell value.
void text_rows_blank(image_slot *r, int32_t first, int32_t last, uint16_t cell)
{
    first = std::max(first, 1);
    last = std::min<int32_t>(last, r->height);
    if (first > last)
        return;
    auto *cells = reinterpret_cast<uint16_t *>(r->pixels);
    std::fill(cells + uint64_t(first - 1) * r->width, cells + uint64_t(last) * r->width, cell);
}

void text_page_clear(image_slot *r, const text_layout &lay, int32_t method, uint32_t fill)
{
    uint16_t cell = blank_cell(r->fore_color, fill);
    switch (method) {
    case 0:
        text_rows_blank(r, 1, lay.rows, cell);
        break;
    case 1:
        break;
    case 2:
        text_rows_blank(r, r->view_print_top, r->view_print_bottom, cell);
        break;
    default:
        text_rows_blank(r, r->view_print_top, r->view_print_bottom, cell);
        text_rows_blank(r, lay.rows, lay.rows, cell);
        break;
    }
}

void graphics_page_clear(image_slot *r, const text_layout &lay, int32_t method, uint32_t fill)
{
    if (method == 0) {
        page_rect_store(r, 0, 0, r->width - 1, r->height - 1, fill);
    } else if (method == 2) {
        page_rect_store(r, 0, (r->view_print_top - 1) * lay.cell_h, r->width - 1,
                        r->view_print_bottom * lay.cell_h - 1, fill);
    } else {
        // The VIEW area is the whole page while no VIEW is set; a WINDOW maps
        // onto the VIEW area, so this is its rectangle too.
        page_rect_store(r, r->clip_x1, r->clip_y1, r->clip_x2, r->clip_y2, fill);
    }
}

// The graphics cursor goes to the centre of the VIEW area, in WINDOW units
// under a WINDOW.
void graphics_cursor_centre(image_slot *r)
{
    float x = float(r->clip_x2 - r->clip_x1 + 1) / 2.0f;
    float y = float(r->clip_y2 - r->clip_y1 + 1) / 2.0f;
    if (r->coord_mode == 2) {
        if (r->scale_x != 0.0f)
            x = (x - r->offset_x) / r->scale_x;
        if (r->scale_y != 0.0f)
            y = (y - r->offset_y) / r->scale_y;
    }
    r->gfx_cursor_x = x;
    r->gfx_cursor_y = y;
}

} // namespace

void page_clear(image_slot *r, int32_t method, uint32_t fill)
{
    if (!r || !r->pixels)
        return;
    text_layout lay = text_layout_of(r);
    r->cursor_col = 1;
    r->cursor_row = r->view_print_top;
    // The cursor is at the start of a line now, so no wrap can be pending.
    r->pending_wrap = 0;
    r->draw_angle = 0.0;
    r->draw_scale = 1.0;
    if (lay.text) {
        text_page_clear(r, lay, method, fill);
        return;
    }
    graphics_page_clear(r, lay, method, fill);
    if (method != 2)
        graphics_cursor_centre(r);
}

void rt_cls(int32_t method, uint32_t colour, uint32_t passed)
{
    image_slot *r = write_page.record;
    if (error_pending || !r)
        return;
    bool method_given = passed & CLS_METHOD;
    if (((passed & CLS_COLOR) && r->bytes_per_pixel == 1 && colour > r->color_mask) ||
        (method_given && (method < 0 || method > 2))) {
        error_raise(5);
        return;
    }
    page_clear(r, method_given ? method : CLS_NO_METHOD,
               (passed & CLS_COLOR) ? colour : r->back_color);
    if (method_given && method == 2)
        return;
    key_bar_redraw = 1;
    key_bar_draw();
}
