#include "text_support.h"

#include "screen/images.h"
#include "screen/key_bar.h"
#include "screen/screen_modes.h"
#include "screen/text_output.h"

#include <string>

namespace {

using cls = text_test;

// Fills every cell of a text page with 'x' in attribute 7.
void cells_fill(image_slot *r)
{
    auto *cells = reinterpret_cast<uint16_t *>(r->pixels);
    std::fill(cells, cells + r->width * r->height, uint16_t(0x0700 | 'x'));
}

// Which rows of a text page are blank (as one character a row: '.' blank).
std::string blank_rows(const image_slot *r)
{
    std::string s;
    for (int32_t row = 1; row <= r->height; row++)
        s += row_text(r, row) == std::string(r->width, ' ') ? '.' : 'x';
    return s;
}

TEST_F(cls, text_methods_clear_their_rows_and_home_the_cursor)
{
    game_page_make();
    image_slot *r = write_page.record;
    rt_view_print(5, 10, true);
    const std::string region_and_last =
        "xxxx" + std::string(6, '.') + std::string(26, 'x') + ".";
    struct {
        uint32_t passed;
        int32_t method;
        std::string rows;
    } cases[] = {
        {0, 0, region_and_last},
        {CLS_METHOD, 0, std::string(37, '.')},
        {CLS_METHOD, 1, std::string(37, 'x')},
        {CLS_METHOD, 2, "xxxx" + std::string(6, '.') + std::string(27, 'x')},
    };
    for (const auto &c : cases) {
        cells_fill(r);
        rt_locate(8, 9, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
        rt_cls(c.method, 0, c.passed);
        EXPECT_EQ(blank_rows(r), c.rows) << c.passed << "/" << c.method;
        EXPECT_EQ(cursor(), std::make_pair(5, 1));
    }
}

TEST_F(cls, blank_cells_take_the_fill_colour_as_background)
{
    game_page_make();
    rt_color(30, 2, 0, 3);
    rt_cls(0, 0, 0);
    EXPECT_EQ(cell_at(write_page.record, 1, 1), 0xAE20);
    rt_cls(0, 13, CLS_COLOR); // background bits only: 13 & 7 = 5
    EXPECT_EQ(cell_at(write_page.record, 37, 66), 0xDE20);
    EXPECT_EQ(write_page.record->back_color, 2u);
}

TEST_F(cls, bad_arguments_change_nothing)
{
    mode13_page_make();
    write_page.record->pixels[0] = 9;
    EXPECT_EQ(error_of([&] { rt_cls(3, 0, CLS_METHOD); }), 5u);
    EXPECT_EQ(error_of([&] { rt_cls(0, 256, CLS_COLOR); }), 5u);
    EXPECT_EQ(write_page.record->pixels[0], 9);
}

TEST_F(cls, clearing_resolves_a_pending_wrap)
{
    say(std::string(80, 'x'), false);
    rt_cls(0, 0, 0);
    say("A", false);
    EXPECT_EQ(cursor(), std::make_pair(1, 2));
}

TEST_F(cls, key_bar_is_redrawn_except_after_method_2)
{
    rt_key_on();
    reinterpret_cast<uint16_t *>(write_page.record->pixels)[24 * 80] = 0x0700 | 'Z';
    rt_cls(2, 0, CLS_METHOD); // the last row lies outside the region
    EXPECT_EQ(row_text(write_page.record, 25)[0], 'Z');
    rt_cls(0, 0, CLS_METHOD);
    EXPECT_EQ(row_text(write_page.record, 25).substr(0, 2), "1)");
    rt_key_off();
}

using cls_graphics = text_test;

TEST_F(cls_graphics, view_area_is_filled_and_the_graphics_cursor_centred)
{
    mode13_page_make();
    image_slot *r = write_page.record;
    std::fill(r->pixels, r->pixels + 320 * 200, uint8_t(9));
    // A VIEW of (10, 20)-(109, 59).
    r->clip_x1 = 10, r->clip_y1 = 20, r->clip_x2 = 109, r->clip_y2 = 59;
    r->view_offset_x = 10, r->view_offset_y = 20, r->coord_mode = 1;
    r->draw_angle = 90.0;
    rt_cls(0, 4, CLS_COLOR);
    EXPECT_EQ(r->pixels[20 * 320 + 10], 4);
    EXPECT_EQ(r->pixels[59 * 320 + 109], 4);
    EXPECT_EQ(r->pixels[19 * 320 + 10], 9);
    EXPECT_EQ(r->pixels[20 * 320 + 110], 9);
    EXPECT_FLOAT_EQ(r->gfx_cursor_x, 50.0f);
    EXPECT_FLOAT_EQ(r->gfx_cursor_y, 20.0f);
    EXPECT_EQ(r->draw_angle, 0.0);

    rt_cls(0, 0, CLS_METHOD); // method 0: the whole page
    EXPECT_EQ(r->pixels[0], 0);
    EXPECT_EQ(r->pixels[199 * 320 + 319], 0);
}

TEST_F(cls_graphics, window_units_and_method_2_pixel_rows)
{
    mode13_page_make();
    image_slot *r = write_page.record;
    // WINDOW (0, 0)-(32, 20) over the whole page: 10 pixels a unit.
    r->coord_mode = 2;
    r->scale_x = r->scale_y = 10.0f;
    rt_cls(0, 0, 0);
    EXPECT_FLOAT_EQ(r->gfx_cursor_x, 16.0f);
    EXPECT_FLOAT_EQ(r->gfx_cursor_y, 10.0f);

    std::fill(r->pixels, r->pixels + 320 * 200, uint8_t(9));
    rt_view_print(3, 4, true);
    r->gfx_cursor_x = 1.0f;
    rt_cls(2, 5, CLS_METHOD | CLS_COLOR);
    EXPECT_EQ(r->pixels[15 * 320], 9);
    EXPECT_EQ(r->pixels[16 * 320], 5);
    EXPECT_EQ(r->pixels[31 * 320 + 319], 5);
    EXPECT_EQ(r->pixels[32 * 320], 9);
    EXPECT_FLOAT_EQ(r->gfx_cursor_x, 1.0f);
}

TEST_F(cls_graphics, true_colour_page_is_cleared_without_blending)
{
    int32_t handle = image_new(8, 8, 32, true);
    write_page_set(handle);
    image_slot *r = write_page.record;
    pixel32(r, 3, 3) = 0xFF123456;
    rt_cls(0, 0x40FF0000, CLS_COLOR);
    EXPECT_EQ(pixel32(r, 3, 3), 0x40FF0000u);
    EXPECT_EQ(r->blend_off, 0);
}

} // namespace
