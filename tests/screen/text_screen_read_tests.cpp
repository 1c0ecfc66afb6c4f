#include "text_support.h"

#include "screen/fonts.h"
#include "screen/images.h"
#include "screen/screen_modes.h"
#include "screen/text_output.h"

namespace {

using screen_read = text_test;

TEST_F(screen_read, text_cells_give_character_or_attribute)
{
    game_page_make();
    rt_color(27, 4, 0, 3);
    rt_locate(37, 66, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    say("\x16", false);
    EXPECT_EQ(rt_screen_function(37, 66, 0), 22);
    EXPECT_EQ(rt_screen_function(37, 66, 1), 0xCB);
    EXPECT_EQ(rt_screen_function(1, 1, 0), 32);
    for (auto [row, col] : {std::pair{0, 1}, {38, 1}, {1, 0}, {1, 67}}) {
        EXPECT_EQ(rt_screen_function(row, col, 0), 0);
        EXPECT_EQ(error_pending_take(), 5u) << row << "," << col;
    }
}

TEST_F(screen_read, reads_the_read_page_not_the_write_page)
{
    say("W", false);
    rt_screen(0, 0, 1, 0, 0, SCREEN_ACTIVE_GIVEN);
    say("V", false);
    EXPECT_EQ(rt_screen_function(1, 1, 0), 'V');
    read_page_set(0);
    EXPECT_EQ(rt_screen_function(1, 1, 0), 'W');
}

TEST_F(screen_read, graphics_cells_are_matched_against_the_glyphs)
{
    mode13_page_make();
    rt_color(14, 0, 0, 3);
    rt_locate(3, 4, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    say("g\x03", false);
    EXPECT_EQ(rt_screen_function(3, 4, 0), 'g');
    EXPECT_EQ(rt_screen_function(3, 4, 1), 14);
    EXPECT_EQ(rt_screen_function(3, 5, 0), 3);
    EXPECT_EQ(rt_screen_function(3, 6, 0), 32); // nothing drawn
    EXPECT_EQ(rt_screen_function(3, 6, 1), 1);
    write_page.record->pixels[16 * 320 + 40 + 3] = 7; // a lone dot is no glyph
    EXPECT_EQ(rt_screen_function(3, 6, 0), 32);
    EXPECT_EQ(rt_screen_function(3, 6, 1), 0);
    EXPECT_EQ(rt_screen_function(26, 1, 0), 0);
    EXPECT_EQ(error_pending_take(), 5u);
}

TEST_F(screen_read, graphics_cells_ignore_the_view_and_window_mapping)
{
    mode13_page_make();
    image_slot *r = write_page.record;
    say("Q", false);
    r->clip_x1 = 100, r->clip_y1 = 50, r->clip_x2 = 200, r->clip_y2 = 150;
    r->view_offset_x = 100, r->view_offset_y = 50, r->coord_mode = 2;
    r->scale_x = 3.0f, r->scale_y = -2.0f, r->offset_y = 100.0f;
    EXPECT_EQ(rt_screen_function(1, 1, 0), 'Q');
    EXPECT_EQ(rt_screen_function(1, 1, 1), 15);
}

TEST_F(screen_read, fonts_without_glyph_tables_are_refused)
{
    mode13_page_make();
    image_font_set(9, 0, false);
    EXPECT_EQ(rt_screen_function(1, 1, 0), 0);
    EXPECT_EQ(error_pending_take(), 5u);
}

TEST_F(screen_read, true_colour_page_reads_its_opaque_black_background_as_blank)
{
    int32_t handle = image_new(32, 16, 32, true);
    write_page_set(handle);
    read_page_set(handle);
    image_slot *r = write_page.record;
    rt_cls(0, 0, 0); // opaque black
    say("k", false);
    EXPECT_EQ(rt_screen_function(1, 1, 0), 'k');
    EXPECT_EQ(uint32_t(rt_screen_function(1, 1, 1)), 0xFFFFFFFFu);
    EXPECT_EQ(rt_screen_function(1, 2, 0), 32);
    EXPECT_EQ(r->font, 16u);
}

} // namespace
