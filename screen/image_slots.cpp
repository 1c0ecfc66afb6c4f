#include "screen/image_slots.h"

#include "core/errors.h"
#include "core/memory.h"
#include "screen/blend_tables.h"
#include "screen/fonts.h"
#include "screen/palettes.h"

#include <cstdlib>
#include <cstring>

uint32_t slots_used = 0;
uint32_t *page_table = nullptr;
uint32_t page_table_count = 0;
page_ref write_page{0, nullptr};
page_ref read_page{0, nullptr};
std::atomic<uint32_t> display_page_slot{0};
std::atomic<image_slot *> display_page_record{nullptr};

// Blocks of IMAGE_SLOT_BLOCK records; a block never moves once made.
static image_slot *slot_blocks[IMAGE_SLOT_LIMIT / IMAGE_SLOT_BLOCK];
static uint32_t slot_block_count = 0;
// Free stack: most recently freed slot on top.
static uint32_t *free_stack = nullptr;
static uint32_t free_stack_capacity = 0;
static int32_t free_stack_top = -1;

namespace {

// Defaults of a new image, by mode.
struct mode_defaults {
    uint8_t bits_per_pixel;
    uint8_t bytes_per_pixel;
    uint32_t font;
    uint32_t fore_color;
    uint32_t back_color;
};

bool mode_defaults_of(int32_t mode, mode_defaults *out)
{
    switch (mode) {
    case 0: *out = {16, 2, 16, 7, 0}; return true;
    case 1: *out = {2, 1, 8, 3, 0}; return true;
    case 2: *out = {1, 1, 8, 1, 0}; return true;
    case 7:
    case 8: *out = {4, 1, 8, 15, 0}; return true;
    case 9: *out = {4, 1, 14, 15, 0}; return true;
    case 10: *out = {2, 1, 14, 3, 0}; return true;
    case 11: *out = {1, 1, 16, 1, 0}; return true;
    case 12: *out = {4, 1, 16, 15, 0}; return true;
    case 13: *out = {8, 1, 8, 15, 0}; return true;
    case 32: *out = {32, 4, 16, 0xFFFFFFFF, 0xFF000000}; return true;
    case 256: *out = {8, 1, 16, 15, 0}; return true;
    default: return false;
    }
}

bool slot_block_add()
{
    if (slot_block_count >= IMAGE_SLOT_LIMIT / IMAGE_SLOT_BLOCK)
        return false;
    auto *block = static_cast<image_slot *>(std::calloc(IMAGE_SLOT_BLOCK, sizeof(image_slot)));
    if (!block)
        return false;
    slot_blocks[slot_block_count++] = block;
    return true;
}

// The defaults that both a new image and a reset image get from the mode.
void image_defaults_apply(image_slot *r, const mode_defaults &d)
{
    r->bits_per_pixel = d.bits_per_pixel;
    r->bytes_per_pixel = d.bytes_per_pixel;
    r->color_mask = d.bits_per_pixel >= 32 ? 0xFFFFFFFFu : (1u << d.bits_per_pixel) - 1;
    r->fore_color = d.fore_color;
    r->back_color = d.back_color;
    r->draw_color = d.fore_color;
    r->draw_angle = 0.0;
    r->draw_scale = 1.0;
    r->transparent_color = -1;
    r->text_mode = r->mode == 0;
    if (r->text_mode) {
        r->cursor_shown = 0;
        r->cursor_start = 4;
        r->cursor_stop = 4;
    } else {
        r->gfx_cursor_x = float(r->width) / 2.0f;
        r->gfx_cursor_y = float(r->height) / 2.0f;
        r->clip_x1 = 0;
        r->clip_y1 = 0;
        r->clip_x2 = r->width - 1;
        r->clip_y2 = r->height - 1;
        r->scale_x = 1.0f;
        r->scale_y = 1.0f;
        r->window_x2 = float(r->clip_x2);
        r->window_y2 = float(r->clip_y2);
    }
    image_font_apply(d.font, r);
}

void cells_blank(uint8_t *pixels, uint64_t cells)
{
    auto *cell = reinterpret_cast<uint16_t *>(pixels);
    for (uint64_t i = 0; i < cells; i++)
        cell[i] = 0x0720;
}

} // namespace

image_slot *image_slot_get(uint32_t slot)
{
    if (slot >= slot_block_count * IMAGE_SLOT_BLOCK)
        return nullptr;
    return &slot_blocks[slot / IMAGE_SLOT_BLOCK][slot % IMAGE_SLOT_BLOCK];
}

uint32_t image_slot_number(const image_slot *record)
{
    for (uint32_t b = 0; b < slot_block_count; b++) {
        const image_slot *first = slot_blocks[b];
        if (record >= first && record < first + IMAGE_SLOT_BLOCK)
            return b * IMAGE_SLOT_BLOCK + uint32_t(record - first);
    }
    return 0;
}

image_slot *image_slot_live(uint32_t slot)
{
    if (slot >= slots_used)
        return nullptr;
    image_slot *r = image_slot_get(slot);
    return r && r->in_use ? r : nullptr;
}

bool image_mode_valid(int32_t mode)
{
    mode_defaults d;
    return mode_defaults_of(mode, &d);
}

uint32_t image_slot_alloc()
{
    uint32_t slot;
    if (free_stack_top >= 0) {
        slot = free_stack[free_stack_top--];
    } else {
        if (slots_used >= slot_block_count * IMAGE_SLOT_BLOCK && !slot_block_add()) {
            error_raise(502);
            return 0;
        }
        slot = slots_used++;
    }
    image_slot_get(slot)->in_use = 1;
    return slot;
}

int32_t image_slot_free(uint32_t slot)
{
    image_slot *r = image_slot_get(slot);
    if (!r || slot >= slots_used || !r->in_use)
        return 0;
    if (uint32_t(free_stack_top + 1) >= free_stack_capacity) {
        uint32_t capacity = free_stack_capacity + IMAGE_SLOT_BLOCK;
        auto *grown = static_cast<uint32_t *>(std::realloc(free_stack, capacity * sizeof(uint32_t)));
        if (!grown) {
            error_raise(503);
            return 0;
        }
        free_stack = grown;
        free_stack_capacity = capacity;
    }
    image_mem_lock_release(r);
    std::memset(r, 0, sizeof *r);
    free_stack[++free_stack_top] = slot;
    return 1;
}

void image_mem_lock_release(image_slot *r)
{
    // A lock record whose id changed was freed and handed to someone else.
    if (r->mem_lock_serial && r->mem_lock && r->mem_lock->id == r->mem_lock_serial)
        mem_lock_free(r->mem_lock);
    r->mem_lock = nullptr;
    r->mem_lock_serial = 0;
}

void image_release(uint32_t slot)
{
    image_slot *r = image_slot_get(slot);
    if (!r || !r->in_use)
        return;
    if (r->flags & IMAGE_FLAG_OWNS_PIXELS)
        std::free(r->pixels);
    if (r->flags & IMAGE_FLAG_OWNS_PALETTE)
        std::free(r->palette);
    r->pixels = nullptr;
    r->palette = nullptr;
    r->flags = 0;
    image_slot_free(slot);
}

int32_t image_text_rows(const image_slot *r)
{
    if (r->text_mode)
        return r->height;
    uint32_t h = font_height_of(r->font);
    return h ? r->height / int32_t(h) : r->height;
}

int32_t image_text_columns(const image_slot *r)
{
    if (r->text_mode)
        return r->width;
    uint32_t w = font_width_of(r->font);
    return w ? r->width / int32_t(w) : r->width;
}

void image_font_apply(uint32_t font, image_slot *r)
{
    r->font = font;
    r->cursor_col = 1;
    r->cursor_row = 1;
    r->pending_wrap = 0;
    r->view_print_top = 1;
    int32_t rows = image_text_rows(r);
    r->view_print_bottom = int16_t(rows - 1 < 1 ? 1 : rows - 1);
}

uint32_t image_create_over(uint8_t *pixels, int32_t width, int32_t height, int32_t mode)
{
    mode_defaults d;
    if (width < 1 || height < 1 || width > 0xFFFF || height > 0xFFFF ||
        !mode_defaults_of(mode, &d))
        return 0;
    uint32_t slot = image_slot_alloc();
    if (!slot)
        return 0;
    image_slot *r = image_slot_get(slot);
    r->width = uint16_t(width);
    r->height = uint16_t(height);
    r->mode = uint16_t(mode);
    r->print_mode = 3;
    r->pixels = pixels;
    if (mode != 32) {
        r->palette = static_cast<uint32_t *>(std::calloc(256, sizeof(uint32_t)));
        if (!r->palette) {
            image_slot_free(slot);
            return 0;
        }
        r->flags |= IMAGE_FLAG_OWNS_PALETTE;
    }
    image_defaults_apply(r, d);
    image_default_palette(r);
    return slot;
}

uint32_t image_create(int32_t width, int32_t height, int32_t mode)
{
    if (mode == 32 && !blend_tables_ensure())
        return 0;
    uint32_t slot = image_create_over(nullptr, width, height, mode);
    if (!slot)
        return 0;
    image_slot *r = image_slot_get(slot);
    uint64_t cells = uint64_t(r->width) * r->height;
    r->pixels = static_cast<uint8_t *>(std::calloc(cells, r->bytes_per_pixel));
    if (!r->pixels) {
        image_release(slot);
        return 0;
    }
    r->flags |= IMAGE_FLAG_OWNS_PIXELS;
    if (r->text_mode)
        cells_blank(r->pixels, cells);
    return slot;
}

void image_reset(uint32_t slot)
{
    image_slot *r = image_slot_get(slot);
    mode_defaults d;
    if (!r || !r->in_use || !mode_defaults_of(r->mode, &d))
        return;
    image_defaults_apply(r, d);
    image_default_palette(r);
    uint64_t cells = uint64_t(r->width) * r->height;
    if (!r->pixels)
        return;
    if (r->text_mode)
        cells_blank(r->pixels, cells);
    else
        std::memset(r->pixels, 0, cells * r->bytes_per_pixel);
}

bool page_table_reserve(uint64_t count)
{
    if (count <= page_table_count)
        return true;
    // calloc, not realloc and memset: a large page number costs address space,
    // not touched memory.
    auto *grown = static_cast<uint32_t *>(std::calloc(count, sizeof(uint32_t)));
    if (!grown)
        return false;
    if (page_table_count)
        std::memcpy(grown, page_table, page_table_count * sizeof(uint32_t));
    std::free(page_table);
    page_table = grown;
    page_table_count = uint32_t(count);
    return true;
}

uint32_t screen_page_ensure(uint32_t page)
{
    if (!page_table_reserve(uint64_t(page) + 1)) {
        error_raise(257);
        return 0;
    }
    if (page_table[page])
        return page_table[page];
    image_slot *first = image_slot_get(page_table[0]);
    if (!page_table[0] || !first || !first->in_use)
        return 0;
    uint32_t slot = image_create(first->width, first->height, first->mode);
    if (!slot) {
        error_raise(257);
        return 0;
    }
    image_slot *r = image_slot_get(slot);
    if (r->palette) {
        std::free(r->palette);
        r->palette = first->palette;
        r->flags &= ~IMAGE_FLAG_OWNS_PALETTE;
    }
    r->flags |= IMAGE_FLAG_SCREEN_PAGE;
    image_font_apply(first->font, r);
    page_table[page] = slot;
    return slot;
}

void write_page_select(uint32_t slot) { write_page = {slot, slot ? image_slot_get(slot) : nullptr}; }

void read_page_select(uint32_t slot) { read_page = {slot, slot ? image_slot_get(slot) : nullptr}; }

void display_page_select(uint32_t slot)
{
    display_page_record.store(slot ? image_slot_get(slot) : nullptr, std::memory_order_release);
    display_page_slot.store(slot, std::memory_order_release);
}

void screen_display_hook() {}

// Frees every image and the tables, then makes the starting tables.
void image_slots_static_init()
{
    for (uint32_t slot = 0; slot < slots_used; slot++) {
        image_slot *r = image_slot_get(slot);
        if (r->flags & IMAGE_FLAG_OWNS_PIXELS)
            std::free(r->pixels);
        if (r->flags & IMAGE_FLAG_OWNS_PALETTE)
            std::free(r->palette);
    }
    for (uint32_t b = 0; b < slot_block_count; b++)
        std::free(slot_blocks[b]);
    slot_block_count = 0;
    slots_used = 0;
    std::free(free_stack);
    free_stack = static_cast<uint32_t *>(std::calloc(IMAGE_SLOT_BLOCK, sizeof(uint32_t)));
    free_stack_capacity = free_stack ? IMAGE_SLOT_BLOCK : 0;
    free_stack_top = -1;
    std::free(page_table);
    page_table = static_cast<uint32_t *>(std::calloc(1, sizeof(uint32_t)));
    page_table_count = page_table ? 1 : 0;
    write_page_select(0);
    read_page_select(0);
    display_page_select(0);
    if (!slot_block_add() || !free_stack || !page_table)
        error_raise(257);
}
