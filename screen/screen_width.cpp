// WIDTH: the size of the text grid, of an image screen, or the font of a
// classic graphics page; WIDTH LPRINT.
#include "core/errors.h"
#include "screen/fonts.h"
#include "screen/image_slots.h"
#include "screen/screen_modes.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t WIDTH_COLUMNS_GIVEN = 1;
constexpr uint32_t WIDTH_ROWS_GIVEN = 2;

// The text font for a grid: 8 from 50 rows, 14 from 43, else 16; one higher
// for 40 columns or fewer.
int32_t text_font_for(int32_t columns, int32_t rows)
{
    int32_t font = rows >= 50 ? 8 : rows >= 43 ? 14 : 16;
    return columns <= 40 ? font + 1 : font;
}

void screen_zero_text(int32_t columns, int32_t rows, int32_t font)
{
    pending_text_columns = columns;
    pending_text_rows = rows;
    pending_text_font = font;
    rt_screen(0, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
}

// Colours that survive a reset of a page.
struct kept_colors {
    uint32_t fore, back, draw;
};

kept_colors colors_keep(const image_slot *r) { return {r->fore_color, r->back_color, r->draw_color}; }

void colors_restore(image_slot *r, const kept_colors &c)
{
    r->fore_color = c.fore;
    r->back_color = c.back;
    r->draw_color = c.draw;
}

// WIDTH on a 32-bit or 256-colour page: a new pixel size from columns and
// rows of its font.
void width_of_image_screen(image_slot *r, int32_t columns, int32_t rows, uint32_t passed)
{
    int64_t fw = font_width_of(r->font), fh = font_height_of(r->font);
    fw = fw ? fw : 1;
    fh = fh ? fh : 1;
    if (((passed & WIDTH_COLUMNS_GIVEN) && columns < 1) || ((passed & WIDTH_ROWS_GIVEN) && rows < 1)) {
        error_raise(5);
        return;
    }
    int64_t width = (passed & WIDTH_COLUMNS_GIVEN) ? columns * fw : r->width;
    int64_t height = (passed & WIDTH_ROWS_GIVEN) ? rows * fh : r->height;
    if (width > 0xFFFF || height > 0xFFFF) {
        error_raise(5);
        return;
    }
    if (width == r->width && height == r->height)
        return;
    auto *pixels = static_cast<uint8_t *>(std::calloc(uint64_t(width) * height, r->bytes_per_pixel));
    if (!pixels) {
        error_raise(257);
        return;
    }
    bool paused = false;
    if (r->flags & IMAGE_FLAG_SCREEN_PAGE) {
        paused = frame_builder_pause_begin();
        frame_previous_valid.store(0, std::memory_order_relaxed);
        screen_pages_keep_only(write_page.slot);
    }
    kept_colors colors = colors_keep(r);
    uint32_t font = r->font;
    image_mem_lock_release(r); // blocks over the old pixels end with them
    if (r->flags & IMAGE_FLAG_OWNS_PIXELS)
        std::free(r->pixels);
    // The new size needs memory of its own even when the old memory was lent.
    r->pixels = pixels;
    r->flags |= IMAGE_FLAG_OWNS_PIXELS;
    r->width = uint16_t(width);
    r->height = uint16_t(height);
    image_reset(write_page.slot);
    colors_restore(r, colors);
    image_font_apply(font, r);
    frame_builder_pause_end(paused);
}

// WIDTH on a text page: the new grid goes through SCREEN 0.
void width_of_text_screen(image_slot *r, int32_t columns, int32_t rows, uint32_t passed)
{
    if (((passed & WIDTH_COLUMNS_GIVEN) && (columns < 1 || columns > 0xFFFF)) ||
        ((passed & WIDTH_ROWS_GIVEN) && (rows < 1 || rows > 0xFFFF))) {
        error_raise(5);
        return;
    }
    if (!(passed & WIDTH_COLUMNS_GIVEN))
        columns = r->width;
    if (!(passed & WIDTH_ROWS_GIVEN))
        rows = r->height;
    int32_t font = text_font_for(columns, rows);
    if (uint32_t(font) == r->font && columns == r->width && rows == r->height)
        return;
    screen_zero_text(columns, rows, font);
}

// The font that makes the given columns and rows fit a classic graphics page
// exactly; 0 when none does.
int32_t graphics_font_fit(const image_slot *r, int32_t columns, int32_t rows, uint32_t passed)
{
    bool cols_given = passed & WIDTH_COLUMNS_GIVEN, rows_given = passed & WIDTH_ROWS_GIVEN;
    int64_t w = r->width, h = r->height;
    if (cols_given && w != int64_t(columns) * 8)
        return 0;
    int32_t tall = 0;
    if (r->mode == 9 || r->mode == 10)
        tall = 14;
    else if (r->mode == 11 || r->mode == 12)
        tall = 16;
    if (!tall)
        return !rows_given || h == int64_t(rows) * 8 ? 8 : 0;
    if (!rows_given)
        return font_height_of(r->font) > 8 ? tall : 8;
    if (h == int64_t(rows) * 8)
        return 8;
    if (h == int64_t(rows) * tall)
        return tall;
    if (tall == 14 && rows == 43 && h == 350)
        return 8;
    return 0;
}

// WIDTH on a classic graphics page: a fitting font, else a text grid.
void width_of_graphics_screen(image_slot *r, int32_t columns, int32_t rows, uint32_t passed)
{
    bool cols_given = passed & WIDTH_COLUMNS_GIVEN, rows_given = passed & WIDTH_ROWS_GIVEN;
    int32_t font = graphics_font_fit(r, columns, rows, passed);
    if (!font) {
        if ((cols_given && columns != 40 && columns != 80) ||
            (rows_given && rows != 25 && rows != 43 && rows != 50)) {
            error_raise(5);
            return;
        }
        pending_text_columns = cols_given ? columns : -1;
        pending_text_rows = rows_given ? rows : -1;
        pending_text_font = cols_given && rows_given ? text_font_for(columns, rows) : -1;
        rt_screen(0, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
        return;
    }
    if (uint32_t(font) == r->font)
        return;
    bool paused = false;
    if (r->flags & IMAGE_FLAG_SCREEN_PAGE) {
        paused = frame_builder_pause_begin();
        frame_previous_valid.store(0, std::memory_order_relaxed);
        screen_pages_keep_only(write_page.slot);
    }
    kept_colors colors = colors_keep(r);
    bool keeps_window = r->mode >= 9 && r->mode <= 12;
    float window[4] = {r->window_x1, r->window_y1, r->window_x2, r->window_y2};
    image_reset(write_page.slot);
    colors_restore(r, colors);
    if (keeps_window) {
        r->window_x1 = window[0];
        r->window_y1 = window[1];
        r->window_x2 = window[2];
        r->window_y2 = window[3];
        r->coord_mode = 0;
    }
    image_font_apply(uint32_t(font), r);
    frame_builder_pause_end(paused);
}

} // namespace

void rt_width(int32_t option, int32_t columns, int32_t rows, uint32_t passed)
{
    if (error_pending)
        return;
    if (option == 2) {
        if (passed == WIDTH_COLUMNS_GIVEN && columns >= 1 && columns <= 255)
            printer_width = columns;
        else
            error_raise(5);
        return;
    }
    if (option != 0) {
        error_raise(5);
        return;
    }
    default_screen_untouched = 0;
    image_slot *r = write_page.record;
    if (!(passed & (WIDTH_COLUMNS_GIVEN | WIDTH_ROWS_GIVEN)) || !r) {
        error_raise(5);
        return;
    }
    if (r->mode == 32 || r->mode == 256)
        width_of_image_screen(r, columns, rows, passed);
    else if (r->text_mode)
        width_of_text_screen(r, columns, rows, passed);
    else
        width_of_graphics_screen(r, columns, rows, passed);
}
