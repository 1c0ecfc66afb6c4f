#include "screen_support.h"

#include "core/memory.h"
#include "core/strings.h"
#include "screen/fonts.h"
#include "screen/images.h"
#include "screen/screen_modes.h"

#include <cstring>
#include <string>

namespace {

class images : public screen_test {};

string_descriptor text_of(std::string &s)
{
    string_descriptor d{};
    d.chr = reinterpret_cast<uint8_t *>(s.data());
    d.len = int32_t(s.size());
    return d;
}

TEST_F(images, page_getters_give_minus_the_slot)
{
    uint32_t slot0 = page_table[0];
    ASSERT_GE(slot0, 2u);
    EXPECT_EQ(write_page_get(), -int32_t(slot0));
    EXPECT_EQ(read_page_get(), -int32_t(slot0));
    EXPECT_EQ(display_page_get(), -int32_t(slot0));
    write_page_set(3);
    EXPECT_EQ(write_page_get(), -int32_t(page_table[3]));
    EXPECT_EQ(display_page_get(), -int32_t(slot0));
}

TEST_F(images, freeing_the_write_image_falls_back_to_the_display_page)
{
    int32_t h = image_new(10, 10, 13, true);
    write_page_set(h);
    read_page_set(h);
    EXPECT_EQ(error_of([&] { image_free(0, false); }), 0u);
    EXPECT_EQ(write_page.slot, display_page_slot.load());
    EXPECT_EQ(read_page.slot, display_page_slot.load());
    EXPECT_EQ(image_slot_live(uint32_t(-h)), nullptr);
}

TEST_F(images, free_refuses_pages_and_non_negative_handles)
{
    EXPECT_EQ(error_of([&] { image_free(-int32_t(page_table[0]), true); }), 5u);
    EXPECT_EQ(error_of([&] { image_free(3, true); }), 5u);
    EXPECT_EQ(error_of([&] { image_free(0, false); }), 5u); // the write page is page 0
    EXPECT_EQ(error_of([&] { image_free(-60000, true); }), 258u);
    EXPECT_EQ(error_of([&] { image_free(-1, true); }), 258u);
}

TEST_F(images, new_image_checks_its_arguments)
{
    EXPECT_EQ(image_new(0, 5, 13, true), 0);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(image_new(5, 5, 5, true), 0);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(image_new(70000, 5, 13, true), -1);
    EXPECT_EQ(error_pending_take(), 0u);
    int32_t h = image_new(5, 5, 33, true);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(h, 0);
}

TEST_F(images, new_image_without_mode_follows_the_write_page)
{
    rt_screen(13, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    image_slot *wp = write_page.record;
    wp->palette[9] = 0xFF123456;
    wp->fore_color = 200;
    wp->back_color = 3;
    wp->transparent_color = 4;
    wp->print_mode = 1;
    image_font_set(16, 0, false);
    image_slot *r = image_slot_get(uint32_t(-image_new(20, 10, 0, false)));
    EXPECT_EQ(r->mode, 13);
    EXPECT_EQ(r->palette[9], 0xFF123456u);
    EXPECT_NE(r->palette, wp->palette);
    EXPECT_EQ(r->font, 16u);
    EXPECT_EQ(r->fore_color, 200u);
    EXPECT_EQ(r->back_color, 3u);
    EXPECT_EQ(r->transparent_color, 4);
    EXPECT_EQ(r->print_mode, 1);
}

TEST_F(images, copy_owns_its_memory_and_never_the_sources_lock)
{
    mem_locks_init();
    mem_lock *lock = mem_lock_new();
    lock->kind = MEM_LOCK_IMAGE;
    image_slot *page = page_record(0);
    page->mem_lock = lock;
    page->mem_lock_serial = lock->id;
    int32_t h = image_copy(0, 0, 0);
    ASSERT_LT(h, -1);
    image_slot *copy = image_slot_get(uint32_t(-h));
    EXPECT_EQ(copy->mem_lock, nullptr);
    EXPECT_EQ(copy->mem_lock_serial, 0u);
    EXPECT_EQ(copy->flags, IMAGE_FLAG_OWNS_PIXELS | IMAGE_FLAG_OWNS_PALETTE);
    EXPECT_NE(copy->pixels, page->pixels);
    EXPECT_NE(copy->palette, page->palette);
    EXPECT_EQ(std::memcmp(copy->pixels, page->pixels, 80 * 25 * 2), 0);
    EXPECT_EQ(copy->width, 80);

    // Freeing the copy (as INPUT frees its snapshots) leaves the lock alive.
    image_free(h, true);
    EXPECT_EQ(lock->id, page->mem_lock_serial);
    page->mem_lock = nullptr;
    page->mem_lock_serial = 0;
    mem_locks_init();
}

TEST_F(images, copy_to_another_mode)
{
    EXPECT_EQ(image_copy(0, 13, IMAGE_COPY_MODE_GIVEN), -1);
    EXPECT_EQ(error_pending_take(), 5u);
    int32_t h = image_new(4, 4, 32, true);
    EXPECT_EQ(image_copy(h, 33, IMAGE_COPY_HANDLE_GIVEN | IMAGE_COPY_MODE_GIVEN), -1);
    EXPECT_EQ(error_pending_take(), 5u); // no hardware images without the window
    int32_t same = image_copy(h, 32, IMAGE_COPY_HANDLE_GIVEN | IMAGE_COPY_MODE_GIVEN);
    EXPECT_LT(same, -1);
}

TEST_F(images, hardware_handles_go_through_the_hooks)
{
    static int released = 0;
    static bool blend = false;
    released = 0;
    hardware_image_hooks hooks{};
    hooks.create_from_pixels = [](int32_t w, int32_t, const uint32_t *) {
        return HARDWARE_IMAGE_HANDLE_BASE + w;
    };
    hooks.exists = [](int32_t h) { return h == HARDWARE_IMAGE_HANDLE_BASE + 4; };
    hooks.width = [](int32_t) { return 123; };
    hooks.height = [](int32_t) { return 45; };
    hooks.release = [](int32_t) { released++; };
    hooks.blend_set = [](int32_t, bool on) { blend = on; };
    hardware_image_hooks_set(&hooks);
    int32_t soft = image_new(4, 4, 32, true);
    int32_t hw = image_copy(soft, 33, IMAGE_COPY_HANDLE_GIVEN | IMAGE_COPY_MODE_GIVEN);
    EXPECT_EQ(hw, HARDWARE_IMAGE_HANDLE_BASE + 4);
    EXPECT_EQ(image_width(hw, true), 123);
    EXPECT_EQ(image_height(hw, true), 45);
    image_blend_on(hw, true);
    EXPECT_TRUE(blend);
    image_free(hw, true);
    EXPECT_EQ(released, 1);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(image_width(HARDWARE_IMAGE_HANDLE_BASE + 9, true), 0);
    EXPECT_EQ(error_pending_take(), 258u);
    hardware_image_hooks_set(nullptr);
    EXPECT_EQ(image_width(hw, true), 0);
    EXPECT_EQ(error_pending_take(), 258u);
}

TEST_F(images, queries_by_kind)
{
    int32_t tc = image_new(3, 2, 32, true), pal = image_new(3, 2, 13, true);
    EXPECT_EQ(image_pixel_size(tc, true), 4);
    EXPECT_EQ(image_pixel_size(pal, true), 1);
    EXPECT_EQ(image_pixel_size(0, false), 0);
    EXPECT_EQ(image_transparent_color_get(0, false), -1);
    EXPECT_EQ(image_transparent_color_get(tc, true), 0);
    EXPECT_EQ(image_transparent_color_get(pal, true), -1);
    EXPECT_EQ(image_blend_get(tc, true), -1);
    image_blend_off(tc, true);
    EXPECT_EQ(image_blend_get(tc, true), 0);
    EXPECT_EQ(error_of([&] { image_blend_off(pal, true); }), 0u); // nothing
    EXPECT_EQ(error_of([&] { image_blend_on(pal, true); }), 5u);
    EXPECT_EQ(image_width(tc, true), 3);
    EXPECT_EQ(image_height(-99999, true), 0);
    EXPECT_EQ(error_pending_take(), 258u);
    EXPECT_EQ(image_fore_color_get(tc, true), 0xFFFFFFFFu);
}

TEST_F(images, palette_entries)
{
    palette_entry_set(2, 0x00102030, 0, false);
    EXPECT_EQ(palette_entry_get(2, 0, false), 0xFF102030u);
    EXPECT_EQ(page_record(0)->palette[2], 0x00102030u);
    EXPECT_EQ(palette_entry_get(256, 0, false), 0u);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(error_of([&] { palette_entry_set(-1, 0, 0, false); }), 5u);
    int32_t tc = image_new(3, 2, 32, true);
    EXPECT_EQ(error_of([&] { palette_entry_set(1, 0, tc, true); }), 5u);

    int32_t pal = image_new(3, 2, 13, true);
    palette_copy(0, pal, 2);
    EXPECT_EQ(palette_entry_get(2, pal, true), 0xFF102030u);
    EXPECT_EQ(error_of([&] { palette_copy(tc, pal, 1 | 2); }), 5u);
}

TEST_F(images, transparency_and_alpha_on_true_colour_images)
{
    int32_t h = image_new(4, 1, 32, true);
    image_slot *r = image_slot_get(uint32_t(-h));
    pixel32(r, 0, 0) = 0xFF102030;
    pixel32(r, 1, 0) = 0x80102030;
    pixel32(r, 2, 0) = 0xFF102031;
    pixel32(r, 3, 0) = 0xFF405060;
    image_transparent_color_set(0x00102030, h, 2 | 4);
    EXPECT_EQ(pixel32(r, 0, 0), 0x00102030u);
    EXPECT_EQ(pixel32(r, 1, 0), 0x00102030u);
    EXPECT_EQ(pixel32(r, 2, 0), 0xFF102031u);
    EXPECT_EQ(error_of([&] { image_transparent_color_set(0, h, 4); }), 5u);

    // Two colours: every byte within the limits, whichever colour is larger.
    image_alpha_set(0x55, 0xFF405060, 0x00102031, h, 1 | 2 | 4);
    EXPECT_EQ(pixel32(r, 0, 0), 0x00102030u); // blue 0x30 below 0x31
    EXPECT_EQ(pixel32(r, 2, 0), 0x55102031u);
    EXPECT_EQ(pixel32(r, 3, 0), 0x55405060u);
    image_alpha_set(0x11, 0x55405060, 0, h, 1 | 2);
    EXPECT_EQ(pixel32(r, 3, 0), 0x11405060u);
    EXPECT_EQ(pixel32(r, 2, 0), 0x55102031u);
    image_alpha_set(0x22, 0, 0, h, 2);
    for (int x = 0; x < 4; x++)
        EXPECT_EQ(pixel32(r, x, 0) >> 24, 0x22u);
    EXPECT_EQ(error_of([&] { image_alpha_set(256, 0, 0, h, 2); }), 5u);
    EXPECT_EQ(error_of([&] { image_alpha_set(1, 0, 0, 0, 0); }), 5u); // the text page
}

TEST_F(images, transparent_index_and_print_mode)
{
    int32_t pal = image_new(3, 2, 13, true);
    image_transparent_color_set(200, pal, 2 | 4);
    EXPECT_EQ(image_transparent_color_get(pal, true), 200);
    image_transparent_color_set(0, pal, 1 | 4);
    EXPECT_EQ(image_transparent_color_get(pal, true), -1);
    EXPECT_EQ(error_of([&] { image_transparent_color_set(256, pal, 2 | 4); }), 5u);
    // The text page, no-colour form: nothing.
    EXPECT_EQ(error_of([&] { image_transparent_color_set(0, 0, 1); }), 0u);

    image_print_mode_set(2, pal, true);
    EXPECT_EQ(image_print_mode_get(pal, true), 1);
    image_print_mode_set(3, pal, true);
    EXPECT_EQ(image_print_mode_get(pal, true), 2);
    image_print_mode_set(7, pal, true);
    EXPECT_EQ(image_print_mode_get(pal, true), 2);
    EXPECT_EQ(error_of([&] { image_print_mode_set(2, 0, false); }), 5u);
}

TEST_F(images, text_width_and_drawing)
{
    std::string hello = "Hello";
    string_descriptor d = text_of(hello);
    EXPECT_EQ(text_pixel_width(&d, 0, false), 5);
    int32_t g = image_new(64, 16, 13, true);
    EXPECT_EQ(text_pixel_width(&d, g, true), 40);

    text_draw_at(3, 2, &d, 0, 0);
    image_slot *page = page_record(0);
    EXPECT_EQ(cell_at(page, 2, 3), 0x0700 | 'H');
    EXPECT_EQ(cell_at(page, 2, 7), 0x0700 | 'o');
    EXPECT_EQ(page->cursor_col, 1);
    text_draw_at(78, 1, &d, 0, 0); // cut at the row's end
    EXPECT_EQ(cell_at(page, 1, 80), 0x0700 | 'l');
    EXPECT_EQ(cell_at(page, 2, 1), 0x0720);
    EXPECT_EQ(error_of([&] { text_draw_at(0, 1, &d, 0, 0); }), 5u);

    image_slot *r = image_slot_get(uint32_t(-g));
    r->fore_color = 9;
    r->back_color = 1;
    std::string block = "\xDB ";
    string_descriptor b = text_of(block);
    text_draw_at(1, 2, &b, g, 2);
    EXPECT_EQ(r->gfx_cursor_x, 1.0f);
    EXPECT_EQ(r->pixels[2 * 64 + 1], 9);  // solid glyph: fore colour
    EXPECT_EQ(r->pixels[9 * 64 + 8], 9);
    EXPECT_EQ(r->pixels[2 * 64 + 9], 1);  // the space: back colour
    EXPECT_EQ(r->pixels[2 * 64 + 0], 0);  // left of the text: untouched
    r->print_mode = 1;
    text_draw_at(-8, 0, &b, g, 1 | 2); // STEP back to (-7, 2)
    EXPECT_EQ(r->gfx_cursor_x, -7.0f);
    EXPECT_EQ(r->pixels[2 * 64 + 0], 9);
}

} // namespace
