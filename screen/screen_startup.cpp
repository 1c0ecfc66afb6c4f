#include "screen/screen_startup.h"

#include "core/memory.h"
#include "core/ports.h"
#include "screen/codepage.h"
#include "screen/data/screen_data.h"
#include "screen/fonts.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/key_bar.h"
#include "screen/palettes.h"
#include "screen/screen_modes.h"

#include <cstring>

uint32_t builtin_image_16_slot = 0;
uint32_t builtin_image_32_slot = 0;

void screen_static_init()
{
    screen_modes_reset();
    image_slots_static_init();
    fonts_static_init();
    key_bar_reset();
    builtin_image_16_slot = builtin_image_32_slot = 0;
}

// Makes a 32-bit image holding stored pixels; its slot, or 0.
static uint32_t builtin_image_make(int32_t size, const uint32_t *pixels)
{
    uint32_t slot = image_create(size, size, 32);
    if (slot)
        std::memcpy(image_slot_get(slot)->pixels, pixels, size_t(size) * size * sizeof(uint32_t));
    return slot;
}

// The palette the VGA palette ports read and write: the write page's.
static uint32_t *write_page_palette() { return write_page.record ? write_page.record->palette : nullptr; }

void screen_startup()
{
    screen_static_init();
    fonts_builtin_fill();
    // Slots 0 and 1 are taken and never handed out: slot 0 means "no page" and
    // handle -1 means failure.
    for (int i = 0; i < 2; i++)
        image_slot_get(image_slot_alloc())->in_use = 0;
    palettes_load();
    codepage_load();
    glyph_tables_load();
    rt_screen(0, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    default_screen_untouched = 1;
    builtin_image_16_slot = builtin_image_make(16, stored_image_16);
    builtin_image_32_slot = builtin_image_make(32, stored_image_32);
    ports_palette_hook_set(write_page_palette);
    program_clear_free_images_hook = image_free_all;
}
