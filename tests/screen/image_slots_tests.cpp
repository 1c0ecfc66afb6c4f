#include "screen_support.h"

#include "core/memory.h"
#include "screen/blend_tables.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/palettes.h"
#include "screen/screen_modes.h"

#include <vector>

namespace {

class image_slots : public screen_test {};

// A table with only slots 0 and 1 reserved, as start-up leaves it before any
// page is made.
class fresh_slots : public screen_test {
protected:
    void SetUp() override
    {
        screen_test::SetUp();
        screen_modes_reset();
        image_slots_static_init();
        for (int i = 0; i < 2; i++)
            image_slot_get(image_slot_alloc())->in_use = 0;
    }
};

TEST_F(fresh_slots, first_image_is_slot_2_and_freed_slots_return_newest_first)
{
    uint32_t a = image_create(8, 8, 13);
    EXPECT_EQ(a, 2u);
    image_release(a);
    EXPECT_EQ(image_create(8, 8, 13), 2u);
    uint32_t b = image_create(8, 8, 13), c = image_create(8, 8, 13);
    EXPECT_EQ(b, 3u);
    EXPECT_EQ(c, 4u);
    image_release(b);
    image_release(c);
    EXPECT_EQ(image_create(8, 8, 13), c);
    EXPECT_EQ(image_create(8, 8, 13), b);
    EXPECT_EQ(image_create(8, 8, 13), 5u);
    EXPECT_EQ(slots_used, 6u);
}

TEST_F(fresh_slots, reserved_slots_are_never_named_or_freed)
{
    EXPECT_EQ(image_slot_live(0), nullptr);
    EXPECT_EQ(image_slot_live(1), nullptr);
    EXPECT_EQ(image_slot_free(1), 0);
    EXPECT_EQ(image_slot_free(99999), 0);
    EXPECT_EQ(image_create(8, 8, 13), 2u);
}

TEST_F(fresh_slots, bad_sizes_and_modes_take_no_slot)
{
    EXPECT_EQ(image_create(0, 8, 13), 0u);
    EXPECT_EQ(image_create(8, -1, 13), 0u);
    EXPECT_EQ(image_create(8, 8, 3), 0u);
    EXPECT_EQ(image_create(8, 8, 14), 0u);
    EXPECT_EQ(image_create(70000, 8, 13), 0u);
    EXPECT_EQ(image_create(8, 8, 13), 2u);
}

TEST_F(image_slots, new_text_page_defaults)
{
    image_slot *r = image_slot_get(image_create(80, 25, 0));
    EXPECT_EQ(r->text_mode, 1);
    EXPECT_EQ(r->bytes_per_pixel, 2);
    EXPECT_EQ(r->bits_per_pixel, 16);
    EXPECT_EQ(r->color_mask, 0xFFFFu);
    EXPECT_EQ(r->cursor_col, 1);
    EXPECT_EQ(r->cursor_row, 1);
    EXPECT_EQ(r->view_print_top, 1);
    EXPECT_EQ(r->view_print_bottom, 24);
    EXPECT_EQ(r->cursor_start, 4);
    EXPECT_EQ(r->cursor_stop, 4);
    EXPECT_EQ(r->font, 16u);
    EXPECT_EQ(r->fore_color, 7u);
    EXPECT_EQ(r->transparent_color, -1);
    EXPECT_EQ(r->flags, IMAGE_FLAG_OWNS_PALETTE | IMAGE_FLAG_OWNS_PIXELS);
    for (int row = 1; row <= 25; row++)
        for (int col = 1; col <= 80; col++)
            ASSERT_EQ(cell_at(r, row, col), 0x0720);
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(r->palette[i], default_palette_256[i]);
}

TEST_F(image_slots, new_graphics_image_defaults)
{
    image_slot *r = image_slot_get(image_create(320, 200, 13));
    EXPECT_EQ(r->gfx_cursor_x, 160.0f);
    EXPECT_EQ(r->gfx_cursor_y, 100.0f);
    EXPECT_EQ(r->clip_x1, 0);
    EXPECT_EQ(r->clip_y1, 0);
    EXPECT_EQ(r->clip_x2, 319);
    EXPECT_EQ(r->clip_y2, 199);
    EXPECT_EQ(r->window_x2, 319.0f);
    EXPECT_EQ(r->window_y2, 199.0f);
    EXPECT_EQ(r->scale_x, 1.0f);
    EXPECT_EQ(r->view_print_bottom, 200 / 8 - 1);
    EXPECT_EQ(r->draw_scale, 1.0);
    EXPECT_EQ(r->color_mask, 0xFFu);

    image_slot *odd = image_slot_get(image_create(5, 3, 12));
    EXPECT_EQ(odd->gfx_cursor_x, 2.5f);
    EXPECT_EQ(odd->view_print_bottom, 1); // no whole row of font 16: at least 1

    image_slot *tc = image_slot_get(image_create(4, 4, 32));
    EXPECT_EQ(tc->palette, nullptr);
    EXPECT_EQ(tc->fore_color, 0xFFFFFFFFu);
    EXPECT_EQ(tc->back_color, 0xFF000000u);
    EXPECT_EQ(tc->color_mask, 0xFFFFFFFFu);
}

TEST_F(image_slots, reset_returns_to_the_mode_defaults_and_clears)
{
    uint32_t slot = image_create(16, 16, 12);
    image_slot *r = image_slot_get(slot);
    r->pixels[5] = 9;
    r->fore_color = 3;
    r->font = 8;
    r->clip_x2 = 4;
    r->palette[2] = 0x123456;
    r->draw_angle = 90.0;
    image_reset(slot);
    EXPECT_EQ(r->pixels[5], 0);
    EXPECT_EQ(r->fore_color, 15u);
    EXPECT_EQ(r->font, 16u);
    EXPECT_EQ(r->clip_x2, 15);
    EXPECT_EQ(r->palette[2], default_palette_256[2]);
    EXPECT_EQ(r->draw_angle, 0.0);
}

TEST_F(image_slots, ensured_pages_share_page_0s_palette_and_skip_nothing_else)
{
    rt_screen(12, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    ASSERT_EQ(page_table_count, 1u);
    image_slot *p5 = page_record(5);
    EXPECT_EQ(page_table_count, 6u);
    for (uint32_t p = 1; p < 5; p++)
        EXPECT_EQ(page_table[p], 0u);
    image_slot *p0 = page_record(0);
    EXPECT_EQ(p5->palette, p0->palette);
    EXPECT_FALSE(p5->flags & IMAGE_FLAG_OWNS_PALETTE);
    EXPECT_TRUE(p5->flags & IMAGE_FLAG_SCREEN_PAGE);
    EXPECT_EQ(p5->width, 640);
    p0->palette[3] = 0xFF010203;
    EXPECT_EQ(palette_entry_get(3, 5, true), 0xFF010203u);
}

TEST_F(image_slots, growth_past_one_block_keeps_current_pages_valid)
{
    image_slot *write = write_page.record;
    image_slot *display = display_page_record.load();
    uint32_t write_slot = write_page.slot;
    std::vector<uint32_t> made;
    for (uint32_t i = 0; i < IMAGE_SLOT_BLOCK + 100; i++) {
        uint32_t slot = image_create(1, 1, 13);
        ASSERT_NE(slot, 0u);
        made.push_back(slot);
    }
    EXPECT_GT(slots_used, IMAGE_SLOT_BLOCK + 100);
    EXPECT_EQ(write_page.record, write);
    EXPECT_EQ(image_slot_get(write_slot), write);
    EXPECT_EQ(display_page_record.load(), display);
    // The records are still live memory (ASan checks these reads and writes).
    write->cursor_col = 2;
    EXPECT_EQ(write->width, 80);
    EXPECT_EQ(cell_at(display, 1, 1), 0x0720);
    image_slot *last = image_slot_get(made.back());
    EXPECT_EQ(image_slot_number(last), made.back());
    for (uint32_t slot : made)
        image_release(slot);
    EXPECT_EQ(image_create(1, 1, 13), made.back());
}

TEST_F(image_slots, freeing_a_slot_releases_its_own_memory_lock_only)
{
    mem_locks_init();
    uint32_t slot = image_create(2, 2, 13);
    mem_lock *lock = mem_lock_new();
    lock->kind = MEM_LOCK_IMAGE;
    image_slot_get(slot)->mem_lock = lock;
    image_slot_get(slot)->mem_lock_serial = lock->id;
    image_release(slot);
    EXPECT_EQ(lock->id, 0u);
    EXPECT_EQ(image_slot_get(slot)->mem_lock_serial, 0u);

    // A record freed elsewhere and reused by another holder is left alone.
    uint32_t other = image_create(2, 2, 13);
    mem_lock *reused = mem_lock_new();
    image_slot_get(other)->mem_lock = reused;
    image_slot_get(other)->mem_lock_serial = reused->id - 1;
    uint64_t id = reused->id;
    image_release(other);
    EXPECT_EQ(reused->id, id);
    mem_locks_init();
}

TEST(blend_tables, fast_tables_equal_the_formulas)
{
    blend_tables_free();
    ASSERT_TRUE(blend_tables_ensure());
    for (uint32_t alpha = 0; alpha < 256; alpha++)
        for (uint32_t s = 0; s < 256; s++)
            for (uint32_t d = 0; d < 256; d++)
                ASSERT_EQ(blend_table[alpha << 16 | s << 8 | d], blend_entry_reference(alpha, s, d))
                    << alpha << " " << s << " " << d;
    for (uint32_t a1 = 0; a1 < 256; a1++)
        for (uint32_t a2 = 0; a2 < 256; a2++)
            ASSERT_EQ(alpha_table[a1 << 8 | a2], alpha_entry_reference(a1, a2));
    EXPECT_EQ(blend_table[255 << 16 | 200 << 8 | 10], 200);
    EXPECT_EQ(blend_table[0 << 16 | 200 << 8 | 10], 10);
    EXPECT_EQ(blend_table[51 << 16 | 255 << 8 | 0], 51);
    EXPECT_EQ(alpha_table[0 << 8 | 255], 255);
    EXPECT_EQ(alpha_table[128 << 8 | 128], 192); // (1 - (127/255)^2) x 255 = 191.75
}

} // namespace
