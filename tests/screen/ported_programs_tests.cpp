// Short statement sequences as ported programs run them: page flipping,
// palettes, blinking text, the key label bar and program images.
#include "screen_support.h"

#include "core/strings.h"
#include "graphics/scaled_copy.h"
#include "screen/drawing.h"
#include "screen/images.h"
#include "screen/key_bar.h"
#include "screen/palettes.h"
#include "screen/screen_modes.h"
#include "screen/text_output.h"

#include <string>

namespace
{

class ported_programs : public screen_test
{
  protected:
    static void screen(int32_t mode, int32_t active, int32_t visual)
    {
        rt_screen(mode, 0, active, visual, 0,
                  SCREEN_MODE_GIVEN | SCREEN_ACTIVE_GIVEN | SCREEN_VISUAL_GIVEN);
    }
    static void print(std::string text)
    {
        string_descriptor d{};
        d.chr = reinterpret_cast<uint8_t *>(text.data());
        d.len = int32_t(text.size());
        rt_print(&d, PRINT_STAY);
    }
    static void key(int32_t n, std::string text)
    {
        string_descriptor d{};
        d.chr = reinterpret_cast<uint8_t *>(text.data());
        d.len = int32_t(text.size());
        rt_key_define(n, &d);
    }
};

// SCREEN 7,,1,0: draw each frame on page 1 while page 0 shows, then PCOPY.
TEST_F(ported_programs, double_buffered_game_loop)
{
    screen(7, 1, 0);
    ASSERT_EQ(error_pending_take(), 0u);
    image_slot *p0 = page_record(0), *p1 = page_record(1);
    EXPECT_EQ(write_page.record, p1);
    EXPECT_EQ(display_page_record.load(), p0);
    for (int frame = 0; frame < 3; frame++) {
        rt_cls(0, 0, 0);
        rt_color(14, 0, 0, 1);
        rt_line(float(10 * frame), 20, float(10 * frame + 5), 25, 0, 2, 0, LINE_START);
        rt_pcopy(1, 0);
        ASSERT_EQ(error_pending_take(), 0u);
        EXPECT_EQ(p0->pixels[22 * 320 + 10 * frame + 2], 14);
        if (frame) {
            EXPECT_EQ(p0->pixels[22 * 320 + 10 * (frame - 1) + 2], 0); // last frame's box gone
        }
    }
    EXPECT_EQ(display_page_record.load(), p0);
    EXPECT_EQ(write_page.record, p1);
    // Flipping pages instead of copying: draw on 0 while 1 shows.
    screen(7, 0, 1);
    EXPECT_EQ(write_page.record, p0);
    EXPECT_EQ(display_page_record.load(), p1);
    EXPECT_EQ(write_page.record->fore_color, 15u);
}

TEST_F(ported_programs, palettes_per_mode)
{
    rt_screen(12, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    rt_palette(1, 0x3F0000, true); // blue at full strength
    EXPECT_EQ(page_record(0)->palette[1], 0x0000FFu);
    rt_palette(2, 0x00003F, true);
    EXPECT_EQ(page_record(0)->palette[2], 0xFF0000u);
    EXPECT_EQ(error_of([] { rt_palette(16, 0, true); }), 5u);
    rt_palette(0, 0, false);
    EXPECT_EQ(page_record(0)->palette[1], 0xFF0000AAu);

    rt_screen(13, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    for (int32_t i = 0; i < 64; i++) {
        rt_palette(i, i, true); // a red ramp
        rt_line(0, float(i), 319, float(i), uint32_t(i), 0, 0, LINE_START | LINE_COLOUR);
    }
    ASSERT_EQ(error_pending_take(), 0u);
    image_slot *p0 = page_record(0);
    EXPECT_EQ(p0->palette[0], 0x000000u);
    EXPECT_EQ(p0->palette[32], 0x820000u);
    EXPECT_EQ(p0->palette[63], 0xFF0000u);
    EXPECT_EQ(p0->pixels[40 * 320 + 100], 40);
    rt_palette(0, 0, false);
    EXPECT_EQ(p0->palette[63], default_palette_256[63]);

    rt_screen(7, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    EXPECT_EQ(error_of([] { rt_palette(1, 0x3F0000, true); }), 5u);
    rt_palette(1, 4, true);
    EXPECT_EQ(page_record(0)->palette[1], 0xFFAA0000u);

    rt_screen(0, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    rt_palette(1, 0x3F, true); // 64-colour EGA white
    EXPECT_EQ(page_record(3)->palette[1], 0xFFFFFFFFu);
}

TEST_F(ported_programs, blinking_text)
{
    rt_color(30, 1, 0, 1 | 2);
    rt_locate(3, 5, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    print("HI");
    EXPECT_EQ(cell_at(page_record(0), 3, 5), 0x9E00 | 'H');
    rt_color(7, 0, 0, 1 | 2);
    EXPECT_EQ(error_of([] { rt_color(32, 0, 0, 1); }), 5u);
    EXPECT_EQ(error_of([] { rt_color(0, 16, 0, 2); }), 5u);
    EXPECT_EQ(page_record(0)->fore_color, 7u);
}

TEST_F(ported_programs, key_label_bar)
{
    rt_key_on();
    key(1, "LIST");
    image_slot *p0 = page_record(0);
    std::string row;
    for (int col = 1; col <= 16; col++)
        row += char(cell_at(p0, 25, col) & 0xFF);
    EXPECT_EQ(row, "1)LIST  2)      ");
    rt_cls(0, 0, 0);
    EXPECT_EQ(cell_at(p0, 25, 3) & 0xFF, 'L');
    rt_key_off();
    EXPECT_EQ(cell_at(p0, 25, 3), 0x0720);
}

TEST_F(ported_programs, image_drawn_copied_and_freed)
{
    int32_t screen_image = image_new(320, 200, 32, true);
    rt_screen(screen_image, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    int32_t sprite = image_new(16, 16, 32, true);
    ASSERT_LT(sprite, -1);
    write_page_set(sprite);
    rt_line(0, 0, 15, 15, 0xFFFF0000u, 2, 0, LINE_START | LINE_COLOUR);
    write_page_set(0);
    image_rect_copy_scaled(100, 50, 0, 0, sprite, 0, 0, 0, 0, 0,
                           COPY_DEST_CORNER1_GIVEN | COPY_SOURCE_GIVEN | COPY_DEST_GIVEN);
    ASSERT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(pixel32(page_record(0), 107, 57), 0xFFFF0000u);
    image_free(sprite, true);
    EXPECT_EQ(error_of([&] { write_page_set(sprite); }), 258u);
    EXPECT_EQ(error_of([&] { image_width(sprite, true); }), 258u);
    EXPECT_EQ(error_of([&] { image_free(sprite, true); }), 258u);
    EXPECT_EQ(write_page.record, page_record(0));
}

} // namespace
