// SCREEN, the frame-builder pause, and the page bookkeeping shared with WIDTH.
#include "screen/screen_modes.h"

#include "core/dos_memory.h"
#include "core/errors.h"
#include "platform/clock.h"
#include "screen/fonts.h"
#include "screen/image_slots.h"
#include "screen/key_bar.h"

#include <cstdlib>
#include <cstring>

std::atomic<int32_t> frame_build_pause{0};
std::atomic<bool> frame_builder_started{false};
std::atomic<int32_t> auto_display{1};
std::atomic<uint32_t> frame_previous_valid{0};

int32_t pending_text_columns = -1;
int32_t pending_text_rows = -1;
int32_t pending_text_font = -1;
uint32_t default_screen_untouched = 1;
uint32_t screen_adopted_image = 0;
int32_t previous_active_page = 0;
int32_t printer_width = 80;

constexpr uint32_t TEXT_MEMORY = 0xB8000;
constexpr uint32_t TEXT_MEMORY_SIZE = 0x10000;
constexpr uint32_t GRAPHICS_MEMORY = 0xA0000;
constexpr uint32_t MODE13_BYTES = 64000;
constexpr uint32_t TEXT_PAGES = 8;

bool frame_builder_pause_begin()
{
    if (auto_display.load(std::memory_order_relaxed) == 0 ||
        !frame_builder_started.load(std::memory_order_acquire))
        return false;
    int32_t idle = 0;
    frame_build_pause.compare_exchange_strong(idle, 1, std::memory_order_acq_rel);
    // A builder that stops while we wait will never answer: stop waiting then.
    while (frame_build_pause.load(std::memory_order_acquire) != 2 &&
           frame_builder_started.load(std::memory_order_acquire))
        clock_sleep_ms(0);
    return true;
}

void frame_builder_pause_end(bool paused)
{
    if (paused)
        frame_build_pause.store(0, std::memory_order_release);
}

void scroll_region_reset(image_slot *r)
{
    int32_t rows = image_text_rows(r);
    r->view_print_top = 1;
    if (r->cursor_row > rows)
        r->cursor_row = 1;
    r->view_print_bottom = int16_t(rows - 1 < 1 ? 1 : rows - 1);
}

void screen_pages_keep_only(uint32_t keep_slot)
{
    image_slot *keep = image_slot_get(keep_slot);
    if (keep->palette && !(keep->flags & IMAGE_FLAG_OWNS_PALETTE)) {
        // The shared palette belongs to page 0, which is about to go.
        auto *own = static_cast<uint32_t *>(std::malloc(256 * sizeof(uint32_t)));
        if (!own) {
            error_raise(257);
            return;
        }
        std::memcpy(own, keep->palette, 256 * sizeof(uint32_t));
        keep->palette = own;
        keep->flags |= IMAGE_FLAG_OWNS_PALETTE;
    }
    for (uint32_t page = 0; page < page_table_count; page++) {
        uint32_t slot = page_table[page];
        page_table[page] = 0;
        if (!slot || slot == keep_slot)
            continue;
        if (page == 0 && screen_adopted_image)
            image_slot_get(slot)->flags &= ~IMAGE_FLAG_SCREEN_PAGE;
        else
            image_release(slot);
        if (read_page.slot == slot)
            read_page_select(keep_slot);
        if (display_page_slot.load(std::memory_order_relaxed) == slot)
            display_page_select(keep_slot);
    }
    if (page_table[0] != keep_slot)
        screen_adopted_image = 0;
    page_table[0] = keep_slot;
    page_table_count = 1;
    previous_active_page = 0;
}

namespace {

struct text_grid {
    int32_t columns, rows, font;
};

// The text grid the old screen had: cells of a text page, or the graphics
// page's size in cells of its font. 80 x 25 when there is no screen yet.
text_grid old_grid_of_screen()
{
    image_slot *p0 = page_table_count && page_table[0] ? image_slot_get(page_table[0]) : nullptr;
    if (!p0)
        return {80, 25, 16};
    if (p0->text_mode)
        return {p0->width, p0->height, int32_t(p0->font)};
    int32_t fw = int32_t(font_width_of(p0->font)), fh = int32_t(font_height_of(p0->font));
    return {p0->width / (fw ? fw : 1), p0->height / (fh ? fh : 1), int32_t(p0->font)};
}

// The SCREEN 0 text grid, consuming the pending WIDTH values.
text_grid text_grid_choose(const text_grid &old)
{
    text_grid g;
    bool columns = pending_text_columns != -1, rows = pending_text_rows != -1;
    if (columns && rows && pending_text_font != -1) {
        g = {pending_text_columns, pending_text_rows, pending_text_font};
    } else if (columns && !rows) {
        g = {pending_text_columns, 25, 16};
        if (old.rows == 43)
            g = {pending_text_columns, 43, 14};
        else if (old.rows == 50)
            g = {pending_text_columns, 50, 8};
        if (g.columns == 40)
            g.font++;
    } else if (rows && !columns) {
        g = {80, pending_text_rows, pending_text_rows == 43 ? 14 : pending_text_rows == 50 ? 8 : 16};
        if (old.columns == 40) {
            g.columns = 40;
            g.font++;
        }
    } else if (old.rows == 50 || old.rows == 43) {
        g = {old.columns == 40 ? 40 : 80, old.rows, old.columns == 40 ? 9 : 8};
    } else {
        g = old.columns == 40 && old.rows == 25 ? text_grid{40, 25, 17} : text_grid{80, 25, 16};
    }
    if (g.columns == 40 && g.rows == 25)
        g.font = 17;
    if (g.columns == 80 && g.rows == 25)
        g.font = 16;
    pending_text_columns = pending_text_rows = pending_text_font = -1;
    return g;
}

// Frees every page of the old mode; an adopted image only stops being a page.
void screen_pages_free_all()
{
    for (uint32_t page = 0; page < page_table_count; page++) {
        uint32_t slot = page_table[page];
        page_table[page] = 0;
        if (!slot)
            continue;
        if (page == 0 && screen_adopted_image)
            image_slot_get(slot)->flags &= ~IMAGE_FLAG_SCREEN_PAGE;
        else
            image_release(slot);
    }
    screen_adopted_image = 0;
    page_table_count = 1;
}

// The eight text pages of a SCREEN 0 grid; those that fit lie in the text
// memory at B800. Pages 1-7 share page 0's palette. Returns page 0's slot.
uint32_t text_pages_make(const text_grid &g)
{
    uint64_t page_bytes = uint64_t(g.columns) * g.rows * 2;
    if (g.columns == 40 && g.rows == 25)
        page_bytes = 2048;
    if (g.columns == 80 && g.rows == 25)
        page_bytes = 4096;
    uint64_t in_memory = TEXT_MEMORY_SIZE / page_bytes;
    if (in_memory > TEXT_PAGES)
        in_memory = TEXT_PAGES;
    if (!emulated_dos_memory)
        dos_memory_reset();
    uint8_t *text_memory = emulated_dos_memory + TEXT_MEMORY;
    if (!page_table_reserve(TEXT_PAGES))
        return 0;
    uint32_t first = 0;
    for (uint32_t p = 0; p < TEXT_PAGES; p++) {
        uint32_t slot = p < in_memory
                            ? image_create_over(text_memory + p * page_bytes, g.columns, g.rows, 0)
                            : image_create(g.columns, g.rows, 0);
        if (!slot)
            return 0;
        image_slot *r = image_slot_get(slot);
        if (p == 0) {
            first = slot;
        } else {
            std::free(r->palette);
            r->palette = image_slot_get(first)->palette;
            r->flags &= ~IMAGE_FLAG_OWNS_PALETTE;
        }
        image_font_apply(uint32_t(g.font), r);
        r->flags |= IMAGE_FLAG_SCREEN_PAGE;
        page_table[p] = slot;
    }
    auto *cells = reinterpret_cast<uint16_t *>(text_memory);
    for (uint32_t i = 0; i < TEXT_MEMORY_SIZE / 2; i++)
        cells[i] = 0x0720;
    return first;
}

// A graphics page of the given size; with `font8_grid` the font becomes 8
// when the old grid matches it.
uint32_t graphics_page_make(int32_t mode, int32_t width, int32_t height, bool font8)
{
    uint32_t slot = image_create(width, height, mode);
    if (slot && font8)
        image_font_apply(8, image_slot_get(slot));
    return slot;
}

// Builds page 0 of the new mode. Returns its slot, 0 when memory ran out.
uint32_t screen_page0_make(int32_t mode, uint32_t adopt_slot, const text_grid &old)
{
    if (adopt_slot) {
        screen_adopted_image = 1;
        return adopt_slot;
    }
    switch (mode) {
    case 13: {
        if (!emulated_dos_memory)
            dos_memory_reset();
        std::memset(emulated_dos_memory + GRAPHICS_MEMORY, 0, MODE13_BYTES);
        return image_create_over(emulated_dos_memory + GRAPHICS_MEMORY, 320, 200, 13);
    }
    case 12:
    case 11: return graphics_page_make(mode, 640, 480, old.columns == 80 && old.rows == 60);
    case 10:
    case 9: return graphics_page_make(mode, 640, 350, old.columns == 80 && old.rows == 43);
    case 8:
    case 2: return graphics_page_make(mode, 640, 200, false);
    case 7:
    case 1: return graphics_page_make(mode, 320, 200, false);
    default: return 0;
    }
}

// Carries the graphics state of one page over to another.
void graphics_state_copy(image_slot *to, const image_slot *from)
{
    to->clip_x1 = from->clip_x1;
    to->clip_y1 = from->clip_y1;
    to->clip_x2 = from->clip_x2;
    to->clip_y2 = from->clip_y2;
    to->view_offset_x = from->view_offset_x;
    to->view_offset_y = from->view_offset_y;
    to->gfx_cursor_x = from->gfx_cursor_x;
    to->gfx_cursor_y = from->gfx_cursor_y;
    to->coord_mode = from->coord_mode;
    to->scale_x = from->scale_x;
    to->scale_y = from->scale_y;
    to->offset_x = from->offset_x;
    to->offset_y = from->offset_y;
    to->window_x1 = from->window_x1;
    to->window_y1 = from->window_y1;
    to->window_x2 = from->window_x2;
    to->window_y2 = from->window_y2;
    to->draw_angle = from->draw_angle;
    to->draw_scale = from->draw_scale;
}

// Replaces the pages of the old mode with those of the new one.
bool screen_mode_switch(int32_t mode, uint32_t adopt_slot)
{
    text_grid old = old_grid_of_screen();
    screen_pages_free_all();
    uint32_t slot = mode == 0 && !adopt_slot ? text_pages_make(text_grid_choose(old))
                                             : screen_page0_make(mode, adopt_slot, old);
    if (!slot) {
        error_raise(257);
        return false;
    }
    image_slot_get(slot)->flags |= IMAGE_FLAG_SCREEN_PAGE;
    page_table[0] = slot;
    write_page_select(slot);
    read_page_select(slot);
    display_page_select(slot);
    write_page.record->draw_angle = 0.0;
    write_page.record->draw_scale = 1.0;
    previous_active_page = 0;
    key_bar_redraw = 1;
    key_bar_draw();
    return true;
}

// Makes the active page the write and read page.
void screen_active_apply(int32_t active)
{
    uint32_t slot = screen_page_ensure(uint32_t(active));
    if (!slot || (slot == write_page.slot && slot == read_page.slot))
        return;
    write_page_select(slot);
    read_page_select(slot);
    page_default_colors();
    scroll_region_reset(write_page.record);
    if (active != previous_active_page && !write_page.record->text_mode &&
        uint32_t(previous_active_page) < page_table_count &&
        page_table[previous_active_page]) {
        graphics_state_copy(write_page.record,
                            image_slot_get(page_table[previous_active_page]));
    }
    previous_active_page = active;
}

} // namespace

void rt_screen(int32_t mode, int32_t, int32_t active, int32_t visual, int32_t, uint32_t passed)
{
    if (error_pending)
        return;
    bool mode_given = passed & SCREEN_MODE_GIVEN;
    bool active_given = passed & SCREEN_ACTIVE_GIVEN;
    bool visual_given = passed & SCREEN_VISUAL_GIVEN;
    if (default_screen_untouched && !(mode_given && mode == 0 && !active_given && !visual_given))
        default_screen_untouched = 0;
    bool mode_change = false;
    uint32_t adopt_slot = 0;
    if (mode_given) {
        if (mode < 0) {
            adopt_slot = uint32_t(-int64_t(mode) > int64_t(UINT32_MAX) ? 0 : -int64_t(mode));
            if (!image_slot_live(adopt_slot)) {
                error_raise(258);
                return;
            }
            mode_change = adopt_slot != page_table[0];
        } else if ((mode >= 3 && mode <= 6) || mode >= 14) {
            error_raise(5);
            return;
        } else {
            image_slot *p0 = page_table[0] ? image_slot_get(page_table[0]) : nullptr;
            mode_change = !p0 || p0->mode != mode || pending_text_columns != -1 ||
                          pending_text_rows != -1 || pending_text_font != -1;
        }
    }
    if ((active_given && active < 0) || (visual_given && visual < 0)) {
        error_raise(5);
        return;
    }
    if (active_given && !visual_given) {
        visual = active;
        visual_given = true;
    }
    bool page_change = false;
    if (active_given && !mode_change) {
        uint32_t slot = screen_page_ensure(uint32_t(active));
        if (!slot)
            return;
        page_change = slot != write_page.slot || slot != read_page.slot;
    }
    if (visual_given && !mode_change) {
        uint32_t slot = screen_page_ensure(uint32_t(visual));
        if (!slot)
            return;
        page_change = page_change || slot != display_page_slot.load(std::memory_order_relaxed);
    }
    if (!mode_change && !page_change)
        return;
    bool paused = mode_change && frame_builder_pause_begin();
    frame_previous_valid.store(0, std::memory_order_relaxed);
    if (mode_change && !screen_mode_switch(mode, adopt_slot)) {
        frame_builder_pause_end(paused);
        return;
    }
    if (active_given)
        screen_active_apply(active);
    if (visual_given) {
        uint32_t slot = screen_page_ensure(uint32_t(visual));
        if (slot && slot != display_page_slot.load(std::memory_order_relaxed)) {
            display_page_select(slot);
            page_default_colors();
            scroll_region_reset(write_page.record);
        }
    }
    frame_builder_pause_end(paused);
}

void screen_modes_reset()
{
    if (page_table)
        screen_pages_free_all();
    pending_text_columns = pending_text_rows = pending_text_font = -1;
    default_screen_untouched = 1;
    screen_adopted_image = 0;
    previous_active_page = 0;
    printer_width = 80;
    frame_build_pause.store(0);
    frame_previous_valid.store(0);
    write_page_select(0);
    read_page_select(0);
    display_page_select(0);
}
