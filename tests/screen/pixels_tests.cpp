#include "screen_support.h"

#include "screen/images.h"
#include "screen/pixels.h"
#include "screen/screen_modes.h"

#include <cmath>

namespace {

class pixels : public screen_test {
protected:
    image_slot *graphics_page()
    {
        rt_screen(13, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
        return write_page.record;
    }
    uint8_t at(const image_slot *r, int x, int y) { return r->pixels[y * r->width + x]; }
};

TEST(coord_round, ties_to_even_and_defined_extremes)
{
    EXPECT_EQ(coord_round(2.5f), 2);
    EXPECT_EQ(coord_round(3.5f), 4);
    EXPECT_EQ(coord_round(-0.5f), 0);
    EXPECT_EQ(coord_round(-1.6f), -2);
    EXPECT_EQ(coord_round(NAN), COORD_UNDEFINED);
    EXPECT_EQ(coord_round(1e20f), COORD_LIMIT);
    EXPECT_EQ(coord_round(-1e20f), -COORD_LIMIT);
}

TEST_F(pixels, view_and_window_mapping)
{
    image_slot *r = graphics_page();
    int32_t x, y;
    coord_to_pixel(r, 10.5f, 3.4f, &x, &y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 3);
    r->coord_mode = 1;
    r->view_offset_x = 100;
    r->view_offset_y = 50;
    coord_to_pixel(r, 1.0f, 2.0f, &x, &y);
    EXPECT_EQ(x, 101);
    EXPECT_EQ(y, 52);
    r->coord_mode = 2;
    r->scale_x = 2.0f;
    r->offset_x = 3.0f;
    r->scale_y = -1.0f;
    r->offset_y = 10.0f;
    coord_to_pixel(r, 4.0f, 4.0f, &x, &y);
    EXPECT_EQ(x, 100 + 11);
    EXPECT_EQ(y, 50 + 6);
}

TEST_F(pixels, box_fill_is_cut_to_the_clip_rectangle)
{
    image_slot *r = graphics_page();
    r->clip_x1 = 10;
    r->clip_y1 = 10;
    r->clip_x2 = 20;
    r->clip_y2 = 20;
    box_fill_clipped(30, 30, 40, 40, 5); // wholly outside
    box_fill_clipped(-5, -5, 9, 9, 5);
    for (int i = 0; i < 64000; i++)
        ASSERT_EQ(r->pixels[i], 0);
    box_fill_clipped(25, 15, 5, 12, 0x104); // corners in any order, overlapping
    EXPECT_EQ(at(r, 10, 12), 4);
    EXPECT_EQ(at(r, 20, 15), 4);
    EXPECT_EQ(at(r, 9, 12), 0);
    EXPECT_EQ(at(r, 21, 12), 0);
    EXPECT_EQ(at(r, 15, 11), 0);
    EXPECT_EQ(at(r, 15, 16), 0);
    pixel_put_blend(9, 12, 7);
    pixel_put_blend(10, 10, 7);
    EXPECT_EQ(at(r, 9, 12), 0);
    EXPECT_EQ(at(r, 10, 10), 7);
}

TEST_F(pixels, true_colour_fill_by_alpha)
{
    int32_t h = image_new(4, 4, 32, true);
    write_page_set(h);
    image_slot *r = write_page.record;
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++)
            pixel32(r, x, y) = 0xFF112233;
    box_fill_clipped(0, 0, 3, 3, 0x00FFFFFF);
    EXPECT_EQ(pixel32(r, 2, 2), 0xFF112233u);
    box_fill_clipped(0, 0, 1, 1, 0xFFABCDEF);
    EXPECT_EQ(pixel32(r, 1, 1), 0xFFABCDEFu);
    EXPECT_EQ(pixel32(r, 2, 2), 0xFF112233u);
    rect_fill_blend(2, 2, 3, 3, 0x80000000);
    EXPECT_EQ(pixel32(r, 3, 3), 0xFF081119u); // (0x112233 & 0xFEFEFE) / 2
    image_blend_off(0, false);
    rect_fill_blend(0, 3, 0, 3, 0x00123456);
    EXPECT_EQ(pixel32(r, 0, 3), 0x00123456u);
}

TEST_F(pixels, read_masks_palette_pixels_and_reads_the_read_page)
{
    image_slot *r = graphics_page();
    r->pixels[5 * 320 + 7] = 0xFF;
    r->color_mask = 0x0F;
    EXPECT_EQ(pixel_read(7, 5), 0x0Fu);
    EXPECT_EQ(pixel_read(-1, 5), 0u);
    int32_t h = image_new(2, 2, 32, true);
    pixel32(image_slot_get(uint32_t(-h)), 1, 1) = 0x80FFFFFF;
    read_page_set(h);
    EXPECT_EQ(pixel_read(1, 1), 0x80FFFFFFu);
}

} // namespace
