#include "screen_support.h"

#include "screen/blend_tables.h"
#include "screen/codepage.h"
#include "screen/data/screen_data.h"
#include "screen/images.h"
#include "screen/palettes.h"
#include "screen/screen_modes.h"

namespace {

class palettes : public screen_test {
protected:
    // A 32-bit image made the write page.
    image_slot *true_colour_page(int32_t w, int32_t h)
    {
        int32_t handle = image_new(w, h, 32, true);
        write_page_set(handle);
        return write_page.record;
    }
};

TEST_F(palettes, default_tables)
{
    const uint32_t text_colours[16] = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA,
                                       0xAA5500, 0xAAAAAA, 0x555555, 0x5555FF, 0x55FF55, 0x55FFFF,
                                       0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(default_palette_256[i], 0xFF000000 | text_colours[i]) << i;
    EXPECT_EQ(default_palette_256[16], 0xFF000000u);
    EXPECT_EQ(default_palette_256[31], 0xFFFFFFFFu);
    EXPECT_EQ(default_palette_256[32], 0xFF0000FFu); // first ramp starts at blue
    for (int i = 248; i < 256; i++)
        EXPECT_EQ(default_palette_256[i], 0xFF000000u);
    EXPECT_EQ(default_palette_64[6], 0xFFAAAA00u);
    EXPECT_EQ(default_palette_64[20], 0xFFAA5500u);
    EXPECT_EQ(default_palette_64[63], 0xFFFFFFFFu);
    EXPECT_EQ(mode10_color_table[3], 0x808080u);
    EXPECT_EQ(mode10_color_table[10], 0x808080u);
}

TEST_F(palettes, six_bit_components_round_as_palette_does)
{
    EXPECT_EQ(palette_component_8bit(0), 0u);
    EXPECT_EQ(palette_component_8bit(21), 0x55u);
    EXPECT_EQ(palette_component_8bit(42), 0xAAu);
    EXPECT_EQ(palette_component_8bit(63), 0xFFu);
    for (uint32_t c = 1; c < 64; c++)
        EXPECT_GT(palette_component_8bit(c), palette_component_8bit(c - 1));
}

TEST_F(palettes, mode_defaults)
{
    struct { int32_t mode; int index; uint32_t value; } cases[] = {
        {1, 1, default_palette_256[3]}, {1, 3, default_palette_256[7]},
        {2, 1, 0xFFFFFF},               {11, 0, 0},
        {9, 6, default_palette_64[20]}, {9, 8, default_palette_64[56]},
        {10, 4, 0},                     {10, 7, 8},
        {13, 200, default_palette_256[200]}, {12, 15, default_palette_256[15]},
    };
    for (auto c : cases) {
        image_slot *r = image_slot_get(image_create(8, 8, c.mode));
        EXPECT_EQ(r->palette[c.index], c.value) << c.mode << " " << c.index;
    }
}

TEST_F(palettes, rgb_on_palette_and_true_colour_pages)
{
    EXPECT_EQ(color_rgb(170, 0, 0, 0, false), 4u);
    EXPECT_EQ(color_rgb(255, 255, 255, 0, false), 15u);
    EXPECT_EQ(color_rgb(160, 10, 5, 0, false), 4u); // nearest
    EXPECT_EQ(palette_nearest_rgb(0, 0, 0), 0u);
    true_colour_page(4, 4);
    EXPECT_EQ(color_rgb(300, -5, 0, 0, false), 0xFFFF0000u);
    EXPECT_EQ(color_rgba(1, 2, 3, 400, 0, false), 0xFF010203u);
    EXPECT_EQ(color_rgba(1, 2, 3, 0, 0, false), 0x00010203u);
    EXPECT_EQ(color_red(0x80123456, 0, false), 0x12u);
    EXPECT_EQ(color_alpha(0x80123456, 0, false), 0x80u);
}

TEST_F(palettes, nearest_entry_ties_keep_the_lower_index_and_text_pages_search_16)
{
    int32_t h = image_new(4, 4, 13, true);
    image_slot *r = image_slot_get(uint32_t(-h));
    for (int i = 0; i < 256; i++)
        r->palette[i] = 0x00FFFFFF;
    r->palette[40] = 0x00100000;
    r->palette[30] = 0x00001000;
    EXPECT_EQ(palette_nearest_rgb_of(r, 8, 8, 0), 30u); // equal distance: lower index
    EXPECT_EQ(palette_nearest_rgb_of(r, 16, 0, 0), 40u);
    image_slot *text = page_record(0);
    text->palette[20] = 0x00123456; // beyond the 16 text colours: never chosen
    EXPECT_NE(palette_nearest_rgb_of(text, 0x12, 0x34, 0x56), 20u);
}

TEST_F(palettes, rgba_alpha_0_gives_the_transparent_index_on_palette_images)
{
    int32_t h = image_new(4, 4, 13, true);
    EXPECT_EQ(color_rgba(255, 255, 255, 0, h, true), 15u);
    image_transparent_color_set(7, h, 2 | 4);
    EXPECT_EQ(color_rgba(255, 255, 255, 0, h, true), 7u);
    EXPECT_EQ(color_alpha(7, h, true), 0u);
    EXPECT_EQ(color_alpha(8, h, true), 255u);
    EXPECT_EQ(color_green(2, h, true), 0xAAu);
}

TEST_F(palettes, component_of_an_index_beyond_the_mask_is_error_5)
{
    rt_screen(12, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    EXPECT_EQ(color_red(16, 0, false), 0u);
    EXPECT_EQ(error_pending_take(), 5u);
    // A text page's mask is 16 bits wide, but its palette has 256 entries.
    rt_screen(0, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    EXPECT_EQ(color_red(300, 0, false), 0u);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(color_blue(1, -999, true), 0u);
    EXPECT_EQ(error_pending_take(), 258u);
}

TEST_F(palettes, pixel_write_on_palette_pages_masks_the_index)
{
    rt_screen(1, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    pixel_write(3, 2, 0x107);
    EXPECT_EQ(write_page.record->pixels[2 * 320 + 3], 3);
    pixel_write(-1, 0, 1); // outside: ignored
    pixel_write(320, 0, 1);
}

TEST_F(palettes, pixel_write_blends_by_alpha)
{
    image_slot *r = true_colour_page(8, 1);
    const uint32_t dst = 0x40C08020;
    auto write_over = [&](int x, uint32_t src) {
        pixel32(r, x, 0) = dst;
        pixel_write(x, 0, src);
        return pixel32(r, x, 0);
    };
    EXPECT_EQ(write_over(0, 0x00FFFFFF), dst);
    EXPECT_EQ(write_over(1, 0xFF102030), 0xFF102030u);
    uint32_t half = ((0x102031 & 0xFEFEFE) + (dst & 0xFEFEFE)) >> 1;
    EXPECT_EQ(write_over(2, 0x7F102031), uint32_t(alpha_table[127 * 256 + 0x40]) << 24 | half);
    EXPECT_EQ(write_over(3, 0x80102031), uint32_t(alpha_table[128 * 256 + 0x40]) << 24 | half);
    uint32_t a = 0x33, src = 0x33F01008;
    uint32_t expected = uint32_t(alpha_table[0x40 * 256 + a]) << 24 |
                        uint32_t(blend_entry_reference(a, 0xF0, 0xC0)) << 16 |
                        uint32_t(blend_entry_reference(a, 0x10, 0x80)) << 8 |
                        blend_entry_reference(a, 0x08, 0x20);
    EXPECT_EQ(write_over(4, src), expected);
    image_blend_off(0, false);
    EXPECT_EQ(write_over(5, 0x00FFFFFF), 0x00FFFFFFu);
}

TEST_F(palettes, codepage_table_and_conversions)
{
    for (auto [code, unicode] :
         {std::pair{0, 0x20}, {1, 0x263A}, {31, 0x25BC}, {127, 0x2302}, {219, 0x2588}, {255, 0x20}})
        EXPECT_EQ(codepage_table[code], unicode) << code;
    EXPECT_EQ(codepage_from_unicode(0x263A), 1u);
    EXPECT_EQ(codepage_from_unicode(0x4E00), 0u);

    const uint8_t text[3] = {'A', 1, 0xE1};
    uint16_t out16[4];
    EXPECT_EQ(codepage_convert(8, text, 3, 16, out16), 3);
    EXPECT_EQ(std::vector<uint16_t>(out16, out16 + 4),
              (std::vector<uint16_t>{'A', 0x263A, 0xDF, 0}));
    EXPECT_EQ(codepage_convert(1, text, 2, 16, out16), 2); // width in bytes
    EXPECT_EQ(out16[1], 0x263A);
    const uint32_t wide[2] = {0x1F600, 0x41};
    uint32_t out32[3];
    EXPECT_EQ(codepage_convert(32, wide, 7, 32, out32), 1); // whole characters only
    EXPECT_EQ(out32[0], 0x1F600u);
    EXPECT_EQ(out32[1], 0u);

    codepage_entry_set(0x263B, 65);
    EXPECT_EQ(codepage_entry_get(65), 0x263B);
    EXPECT_EQ(error_of([&] { codepage_entry_set(70000, 1); }), 5u);
    EXPECT_EQ(codepage_entry_get(256), 0);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(font_text_convert(16, text, 2)[1], 0x263A);
}

} // namespace
