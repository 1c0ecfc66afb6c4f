#include "screen_support.h"

#include "core/dos_memory.h"
#include "screen/fonts.h"
#include "screen/images.h"
#include "screen/palettes.h"
#include "screen/screen_modes.h"

#include <cstdint>

namespace {

constexpr uint32_t MODE = SCREEN_MODE_GIVEN;
constexpr uint32_t B800 = 0xB8000;

class screen_modes : public screen_test {
protected:
    void screen(int32_t mode) { rt_screen(mode, 0, 0, 0, 0, MODE); }
    uint8_t *text_memory() { return emulated_dos_memory + B800; }
};

TEST_F(screen_modes, start_up_screen)
{
    image_slot *p0 = page_record(0);
    EXPECT_EQ(p0->width, 80);
    EXPECT_EQ(p0->height, 25);
    EXPECT_EQ(p0->font, 16u);
    EXPECT_EQ(p0->pixels, text_memory());
    EXPECT_EQ(page_record(1)->pixels, text_memory() + 4096);
    EXPECT_EQ(page_table_count, 8u);
    EXPECT_EQ(default_screen_untouched, 1u);
    EXPECT_EQ(image_slot_live(0), nullptr);
    EXPECT_EQ(image_slot_live(1), nullptr);
}

TEST_F(screen_modes, the_games_set_up)
{
    screen(0);
    rt_width(0, 66, 37, 1 | 2);
    image_font_set(8, 0, false);
    ASSERT_EQ(error_pending_take(), 0u);
    const uint32_t page_bytes = 66 * 37 * 2;
    for (uint32_t p = 0; p < 8; p++) {
        image_slot *r = page_record(p);
        EXPECT_EQ(r->width, 66) << p;
        EXPECT_EQ(r->height, 37) << p;
        EXPECT_EQ(r->font, 8u) << p;
        EXPECT_EQ(r->pixels, text_memory() + p * page_bytes) << p;
        EXPECT_EQ(r->cursor_col, 1);
        EXPECT_EQ(r->cursor_row, 1);
        EXPECT_EQ(r->view_print_top, 1);
        EXPECT_EQ(r->view_print_bottom, 36);
        EXPECT_TRUE(r->flags & IMAGE_FLAG_SCREEN_PAGE);
        for (int row = 1; row <= 37; row++)
            for (int col = 1; col <= 66; col++)
                ASSERT_EQ(cell_at(r, row, col), 0x0720);
    }
    EXPECT_EQ(page_table_count, 8u);
    EXPECT_EQ(default_screen_untouched, 0u);
    const uint32_t colours[5] = {0xFFAAAAAA, 0xFF64DCDC, 0xFF64DC64, 0xFFDC64DC, 0xFFDCAA64};
    for (int i = 0; i < 5; i++)
        palette_entry_set(i + 1, colours[i], 0, false);
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(palette_entry_get(i + 1, 0, false), colours[i]);
        EXPECT_EQ(palette_entry_get(i + 1, 4, true), colours[i]); // shared by every page
    }
    EXPECT_EQ(palette_entry_get(9, 0, false), 0xFF5555FFu);
}

TEST_F(screen_modes, screen_0_twice_changes_nothing)
{
    image_slot *p0 = page_record(0);
    uint32_t slot = page_table[0];
    frame_previous_valid = 1;
    screen(0);
    EXPECT_EQ(page_table[0], slot);
    EXPECT_EQ(page_record(0), p0);
    EXPECT_EQ(frame_previous_valid.load(), 1u);
    EXPECT_EQ(default_screen_untouched, 1u);
}

TEST_F(screen_modes, width_40_makes_2048_byte_pages)
{
    rt_width(0, 40, 0, 1);
    for (uint32_t p = 0; p < 8; p++) {
        EXPECT_EQ(page_record(p)->width, 40);
        EXPECT_EQ(page_record(p)->font, 17u);
        EXPECT_EQ(page_record(p)->pixels, text_memory() + p * 2048);
    }
    rt_width(0, 80, 50, 1 | 2);
    EXPECT_EQ(page_record(0)->font, 8u);
    EXPECT_EQ(page_record(1)->pixels, text_memory() + 8000); // 8 x 8,000 bytes all fit
    rt_width(0, 0, 43, 2);
    EXPECT_EQ(page_record(0)->font, 14u);
    rt_width(0, 132, 60, 1 | 2); // 15,840-byte pages: 4 in text memory
    EXPECT_EQ(page_record(3)->pixels, text_memory() + 3 * 15840);
    EXPECT_FALSE(page_record(3)->flags & IMAGE_FLAG_OWNS_PIXELS);
    EXPECT_TRUE(page_record(4)->flags & IMAGE_FLAG_OWNS_PIXELS);
    EXPECT_EQ(cell_at(page_record(7), 60, 132), 0x0720);
}

TEST_F(screen_modes, width_errors)
{
    rt_width(2, 100, 0, 1);
    EXPECT_EQ(printer_width, 100);
    struct {
        int32_t device, cols, rows;
        uint32_t passed;
    } bad[] = {{0, 0, 0, 0}, {0, 0, 10, 1 | 2}, {1, 80, 0, 1}, {2, 256, 0, 1}};
    for (auto b : bad)
        EXPECT_EQ(error_of([&] { rt_width(b.device, b.cols, b.rows, b.passed); }), 5u)
            << b.device << " " << b.cols << "," << b.rows;
    EXPECT_EQ(page_record(0)->width, 80);
}

TEST_F(screen_modes, text_pages_share_page_0s_palette)
{
    screen(12);
    screen(0);
    uint32_t *shared = page_record(0)->palette;
    EXPECT_TRUE(page_record(0)->flags & IMAGE_FLAG_OWNS_PALETTE);
    for (uint32_t p = 1; p < 8; p++) {
        EXPECT_EQ(page_record(p)->palette, shared);
        EXPECT_FALSE(page_record(p)->flags & IMAGE_FLAG_OWNS_PALETTE);
    }
    rt_palette(1, 4, true);
    EXPECT_EQ(palette_entry_get(1, 7, true), default_palette_64[4]);
}

TEST_F(screen_modes, mode_changes_build_the_designed_pages)
{
    struct { int32_t mode, w, h, font; } cases[] = {
        {1, 320, 200, 8}, {2, 640, 200, 8}, {7, 320, 200, 8}, {8, 640, 200, 8},
        {9, 640, 350, 14}, {10, 640, 350, 14}, {11, 640, 480, 16}, {12, 640, 480, 16},
        {13, 320, 200, 8}};
    for (auto c : cases) {
        screen(c.mode);
        ASSERT_EQ(error_pending_take(), 0u) << c.mode;
        image_slot *r = page_record(0);
        EXPECT_EQ(r->width, c.w) << c.mode;
        EXPECT_EQ(r->height, c.h) << c.mode;
        EXPECT_EQ(int32_t(r->font), c.font) << c.mode;
        EXPECT_EQ(write_page.record, r);
        EXPECT_EQ(display_page_record.load(), r);
    }
    EXPECT_EQ(page_record(0)->pixels, emulated_dos_memory + 0xA0000);
    for (int32_t bad : {3, 4, 6, 14, 32, 256})
        EXPECT_EQ(error_of([&] { screen(bad); }), 5u) << bad;
    EXPECT_EQ(page_record(0)->mode, 13);
}

TEST_F(screen_modes, graphics_grid_picks_the_text_font)
{
    rt_width(0, 80, 43, 1 | 2);
    screen(9);
    EXPECT_EQ(page_record(0)->font, 8u);
    screen(0);
    EXPECT_EQ(page_record(0)->height, 43); // 640 / 8 by 350 / 8: the 80 x 43 grid
    EXPECT_EQ(page_record(0)->font, 8u);
}

TEST_F(screen_modes, active_and_visual_pages)
{
    uint32_t p0 = page_table[0];
    rt_screen(0, 0, 2, 0, 0, SCREEN_ACTIVE_GIVEN);
    EXPECT_EQ(write_page.slot, page_table[2]);
    EXPECT_EQ(read_page.slot, page_table[2]);
    EXPECT_EQ(display_page_slot.load(), page_table[2]); // visual follows active
    rt_screen(0, 0, 1, 0, 0, SCREEN_ACTIVE_GIVEN | SCREEN_VISUAL_GIVEN);
    EXPECT_EQ(write_page.slot, page_table[1]);
    EXPECT_EQ(display_page_slot.load(), p0);
    EXPECT_EQ(default_screen_untouched, 0u);
    EXPECT_EQ(error_of([] { rt_screen(0, 0, -1, 0, 0, SCREEN_ACTIVE_GIVEN); }), 5u);
    EXPECT_EQ(
        error_of([] { rt_screen(0, 0, 1, -1, 0, SCREEN_ACTIVE_GIVEN | SCREEN_VISUAL_GIVEN); }), 5u);
    EXPECT_EQ(write_page.slot, page_table[1]);
}

TEST_F(screen_modes, graphics_state_follows_the_active_page)
{
    screen(12);
    image_slot *p0 = write_page.record;
    p0->clip_x1 = 5;
    p0->coord_mode = 1;
    p0->view_offset_x = 5;
    rt_screen(0, 0, 1, 0, 0, SCREEN_ACTIVE_GIVEN);
    EXPECT_EQ(write_page.record->clip_x1, 5);
    EXPECT_EQ(write_page.record->coord_mode, 1);
    EXPECT_EQ(previous_active_page, 1);
}

TEST_F(screen_modes, an_image_made_the_screen_survives_the_next_mode)
{
    int32_t h = image_new(100, 50, 32, true);
    uint32_t slot = uint32_t(-h);
    rt_screen(h, 0, 0, 0, 0, MODE);
    EXPECT_EQ(page_table[0], slot);
    EXPECT_EQ(screen_adopted_image, 1u);
    EXPECT_EQ(write_page.slot, slot);
    EXPECT_TRUE(image_slot_get(slot)->flags & IMAGE_FLAG_SCREEN_PAGE);
    EXPECT_EQ(error_of([&] { image_free(h, true); }), 5u);
    screen(0);
    EXPECT_NE(page_table[0], slot);
    EXPECT_NE(image_slot_live(slot), nullptr);
    EXPECT_FALSE(image_slot_get(slot)->flags & IMAGE_FLAG_SCREEN_PAGE);
    EXPECT_EQ(error_of([&] { image_free(h, true); }), 0u);
    EXPECT_EQ(error_of([] { rt_screen(-77777, 0, 0, 0, 0, MODE); }), 258u);
}

TEST_F(screen_modes, width_on_an_image_screen_resizes_it)
{
    int32_t h = image_new(100, 50, 32, true);
    rt_screen(h, 0, 0, 0, 0, MODE);
    image_slot *r = write_page.record;
    r->fore_color = 0xFF00FF00;
    rt_width(0, 20, 4, 1 | 2);
    EXPECT_EQ(r->width, 160);
    EXPECT_EQ(r->height, 64);
    EXPECT_EQ(r->fore_color, 0xFF00FF00u);
    EXPECT_EQ(r->clip_x2, 159);
    EXPECT_EQ(pixel32(r, 159, 63), 0u);
    EXPECT_EQ(error_of([] { rt_width(0, 10000, 0, 1); }), 5u);
}

TEST_F(screen_modes, width_on_another_write_page_keeps_its_palette_alive)
{
    screen(12);
    rt_screen(0, 0, 3, 0, 0, SCREEN_ACTIVE_GIVEN);
    image_slot *wp = write_page.record;
    ASSERT_EQ(wp->palette, page_record(0)->palette);
    page_record(0)->palette[100] = 0xFF0A0B0C; // beyond the entries a reset restores
    wp->fore_color = 9;
    rt_width(0, 80, 60, 1 | 2); // font 8: every other page goes
    ASSERT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(wp->font, 8u);
    EXPECT_EQ(wp->fore_color, 9u);
    EXPECT_EQ(page_table[0], write_page.slot);
    EXPECT_EQ(page_table_count, 1u);
    EXPECT_EQ(previous_active_page, 0);
    EXPECT_EQ(display_page_slot.load(), write_page.slot);
    EXPECT_TRUE(wp->flags & IMAGE_FLAG_OWNS_PALETTE);
    EXPECT_EQ(wp->palette[100], 0xFF0A0B0Cu); // ASan: the palette is live memory
    image_slot *p1 = page_record(1);
    EXPECT_EQ(p1->palette, wp->palette);
    EXPECT_EQ(error_of([&] { screen(13); }), 0u); // frees the page and its palette exactly once
}

TEST_F(screen_modes, width_on_graphics_pages)
{
    screen(12);
    rt_width(0, 80, 30, 1 | 2);
    EXPECT_EQ(page_record(0)->font, 16u); // already fits: nothing
    rt_width(0, 80, 60, 1 | 2);
    EXPECT_EQ(page_record(0)->font, 8u);
    screen(9);
    rt_width(0, 0, 43, 2);
    EXPECT_EQ(page_record(0)->font, 8u);
    rt_width(0, 0, 25, 2); // 350 = 25 x 14
    EXPECT_EQ(page_record(0)->font, 14u);
    screen(13);
    rt_width(0, 40, 0, 1); // 320 = 40 x 8 with font 8: nothing
    EXPECT_EQ(page_record(0)->mode, 13);
    rt_width(0, 80, 25, 1 | 2); // no fit: a text screen
    EXPECT_EQ(page_record(0)->mode, 0);
    EXPECT_EQ(page_record(0)->width, 80);
    screen(13);
    EXPECT_EQ(error_of([] { rt_width(0, 66, 0, 1); }), 5u);
}

TEST_F(screen_modes, color_per_mode)
{
    EXPECT_EQ(error_of([] { rt_color(31, 9, 4, 1 | 2 | 4); }), 0u);
    EXPECT_EQ(write_page.record->fore_color, 31u);
    EXPECT_EQ(write_page.record->back_color, 1u);
    EXPECT_EQ(error_of([] { rt_color(32, 0, 0, 1); }), 5u);
    EXPECT_EQ(error_of([] { rt_color(0, 16, 0, 2); }), 5u);
    EXPECT_EQ(error_of([] { rt_color(uint32_t(-1), 0, 0, 1); }), 5u);
    EXPECT_EQ(write_page.record->fore_color, 31u);

    screen(1);
    rt_color(4, 1, 0, 1 | 2);
    EXPECT_EQ(write_page.record->fore_color, 3u);
    EXPECT_EQ(write_page.record->palette[0], default_palette_256[4]);
    EXPECT_EQ(write_page.record->palette[1], default_palette_256[3]);
    EXPECT_EQ(write_page.record->palette[3], default_palette_256[7]);
    rt_color(0, 2, 0, 2);
    EXPECT_EQ(write_page.record->palette[2], default_palette_256[4]);
    EXPECT_EQ(error_of([] { rt_color(1, 0, 0, 1 | 4); }), 5u);

    screen(9);
    rt_color(14, 63, 0, 1 | 2);
    EXPECT_EQ(write_page.record->fore_color, 14u);
    EXPECT_EQ(write_page.record->palette[0], default_palette_64[63]);
    EXPECT_EQ(error_of([] { rt_color(0, 64, 0, 2); }), 5u);

    screen(10);
    rt_color(3, 8, 0, 1 | 2);
    EXPECT_EQ(write_page.record->palette[4], 8u);
    EXPECT_EQ(error_of([] { rt_color(4, 0, 0, 1); }), 5u);

    screen(2);
    rt_color(1, 15, 0, 1 | 2);
    EXPECT_EQ(write_page.record->palette[0], default_palette_256[15]);
    EXPECT_EQ(error_of([] { rt_color(2, 0, 0, 1); }), 5u);

    screen(13);
    rt_color(255, 200, 0, 1 | 2);
    EXPECT_EQ(write_page.record->back_color, 200u);
    EXPECT_EQ(error_of([] { rt_color(256, 0, 0, 1); }), 5u);

    int32_t tc = image_new(2, 2, 32, true);
    write_page_set(tc);
    rt_color(0x80FF0000, 0x12345678, 0, 1 | 2);
    EXPECT_EQ(write_page.record->fore_color, 0x80FF0000u);
    EXPECT_EQ(write_page.record->back_color, 0x12345678u);
}

// COLOR in modes 7, 8, 11, 12 and 256: the top of each accepted range is
// taken, one past it (and a negative value, and a border) is error 5 and
// changes nothing, not even the half of the statement that was in range.
TEST_F(screen_modes, color_ranges_of_the_other_modes)
{
    enum effect { BACK_IN_ENTRY_0, BACK_STORED };
    struct {
        int32_t mode;
        uint32_t fore_max, back_max;
        effect back;
    } cases[] = {{7, 15, 15, BACK_IN_ENTRY_0},
                 {8, 15, 15, BACK_IN_ENTRY_0},
                 {11, 1, 1, BACK_STORED},
                 {12, 15, 15, BACK_STORED},
                 {256, 255, 255, BACK_STORED}};
    for (auto c : cases) {
        if (c.mode == 256)
            write_page_set(image_new(4, 4, 256, true));
        else
            screen(c.mode);
        image_slot *r = write_page.record;
        rt_color(c.fore_max, c.back_max, 0, 1 | 2);
        ASSERT_EQ(error_pending_take(), 0u) << c.mode;
        EXPECT_EQ(r->fore_color, c.fore_max) << c.mode;
        if (c.back == BACK_IN_ENTRY_0)
            EXPECT_EQ(r->palette[0], default_palette_256[c.back_max]) << c.mode;
        else
            EXPECT_EQ(r->back_color, c.back_max) << c.mode;

        uint32_t entry0 = r->palette[0], back = r->back_color;
        struct {
            uint32_t fore, back, passed;
        } bad[] = {{c.fore_max + 1, 0, 1},
                   {0, c.back_max + 1, 1 | 2},
                   {uint32_t(-1), 0, 1},
                   {0, uint32_t(-1), 2},
                   {0, 0, 1 | 4}};
        for (auto b : bad) {
            rt_color(b.fore, b.back, 0, b.passed);
            EXPECT_EQ(error_pending_take(), 5u) << c.mode << " " << b.fore << "," << b.back;
            EXPECT_EQ(r->fore_color, c.fore_max) << c.mode;
            EXPECT_EQ(r->palette[0], entry0) << c.mode;
            EXPECT_EQ(r->back_color, back) << c.mode;
        }
    }
}

// PALETTE in modes 1, 7, 8 (16-colour entries) and 11, 256 (6-bit components):
// the highest attribute is set, one past it, a negative attribute or a colour
// out of range is error 5 and leaves the entry alone.
TEST_F(screen_modes, palette_in_the_other_modes)
{
    const uint32_t rgb6 = 0x3F2A15, rgb8 = 0x0055AAFF; // blue 63, green 42, red 21
    struct {
        int32_t mode, top;
        int32_t colour;
        uint32_t entry;
        int32_t bad_colour;
    } cases[] = {{1, 15, 15, default_palette_256[15], 16},
                 {7, 15, 14, default_palette_256[14], 16},
                 {8, 15, 9, default_palette_256[9], 16},
                 {11, 1, rgb6, rgb8, 0x000040},
                 {256, 255, rgb6, rgb8, 0x400000}};
    for (auto c : cases) {
        if (c.mode == 256)
            write_page_set(image_new(4, 4, 256, true));
        else
            screen(c.mode);
        uint32_t *palette = write_page.record->palette;
        rt_palette(c.top, c.colour, true);
        ASSERT_EQ(error_pending_take(), 0u) << c.mode;
        EXPECT_EQ(palette[c.top], c.entry) << c.mode;

        uint32_t before_0 = palette[0], before_top = palette[c.top];
        for (auto b : {std::pair{c.top + 1, 0}, {-1, 0}, {0, c.bad_colour}, {0, -1}})
            EXPECT_EQ(error_of([&] { rt_palette(b.first, b.second, true); }), 5u)
                << c.mode << " " << b.first << "," << b.second;
        EXPECT_EQ(palette[0], before_0) << c.mode;
        EXPECT_EQ(palette[c.top], before_top) << c.mode;
    }
}

TEST_F(screen_modes, palette_arithmetic)
{
    screen(13);
    rt_palette(200, 0x3F2A15, true); // blue 63, green 42, red 21
    EXPECT_EQ(write_page.record->palette[200], 0x0055AAFFu);
    EXPECT_EQ(error_of([] { rt_palette(1, 0x000040, true); }), 5u);
    EXPECT_EQ(error_of([] { rt_palette(256, 0, true); }), 5u);
    rt_palette(0, 0, false);
    EXPECT_EQ(write_page.record->palette[200], default_palette_256[200]);

    screen(12);
    EXPECT_EQ(error_of([] { rt_palette(16, 0, true); }), 5u);
    screen(10);
    rt_palette(3, 8, true);
    EXPECT_EQ(write_page.record->palette[7], 8u);
    screen(0);
    rt_palette(15, 6, true);
    EXPECT_EQ(write_page.record->palette[15], default_palette_64[6]);
    EXPECT_EQ(error_of([] { rt_palette(0, 64, true); }), 5u);
    screen(2);
    EXPECT_EQ(error_of([] { rt_palette(2, 1, true); }), 5u);
    write_page_set(image_new(2, 2, 32, true));
    EXPECT_EQ(error_of([] { rt_palette(0, 0, true); }), 5u);
}

TEST_F(screen_modes, palette_using)
{
    int32_t values[16];
    for (int i = 0; i < 16; i++)
        values[i] = i == 3 ? -1 : 63 - i;
    uint32_t before3 = write_page.record->palette[3];
    EXPECT_EQ(error_of([&] { rt_palette_using(values, 16, 32); }), 0u);
    EXPECT_EQ(write_page.record->palette[0], default_palette_64[63]);
    EXPECT_EQ(write_page.record->palette[3], before3);
    int16_t short_values[16] = {};
    short_values[2] = -2;
    EXPECT_EQ(error_of([&] { rt_palette_using(short_values, 16, 16); }), 5u);
    EXPECT_EQ(write_page.record->palette[1], default_palette_64[0]); // applied before the stop
    EXPECT_EQ(write_page.record->palette[2], default_palette_64[61]);
    EXPECT_EQ(error_of([&] { rt_palette_using(values, 15, 32); }), 5u);
    screen(13);
    EXPECT_EQ(error_of([&] { rt_palette_using(short_values, 256, 16); }), 5u);
}

TEST_F(screen_modes, pcopy)
{
    image_slot *p0 = page_record(0), *p2 = page_record(2);
    reinterpret_cast<uint16_t *>(p0->pixels)[0] = 0x1E41;
    rt_pcopy(0, 2);
    EXPECT_EQ(cell_at(p2, 1, 1), 0x1E41);
    EXPECT_EQ(error_of([] { rt_pcopy(2, 2); }), 0u);
    rt_width(0, 66, 37, 1 | 2);
    int32_t other = image_new(80, 25, 0, true);
    EXPECT_EQ(error_of([&] { rt_pcopy(0, other); }), 5u);
    EXPECT_EQ(error_of([] { rt_pcopy(-12345, 0); }), 5u);
    int32_t a = image_new(8, 8, 13, true), b = image_new(8, 8, 12, true);
    EXPECT_EQ(error_of([&] { rt_pcopy(a, b); }), 5u); // 256 colours into 16: refused
    image_slot_get(uint32_t(-b))->pixels[0] = 7;
    rt_pcopy(b, a);
    EXPECT_EQ(image_slot_get(uint32_t(-a))->pixels[0], 7);
}

TEST_F(screen_modes, default_colors_by_mode)
{
    struct { int32_t mode; uint32_t fore; } cases[] = {{0, 7}, {1, 3}, {10, 3}, {2, 1}, {11, 1}, {13, 15}};
    for (auto c : cases) {
        screen(c.mode);
        write_page.record->fore_color = 99;
        page_default_colors();
        EXPECT_EQ(write_page.record->fore_color, c.fore);
        EXPECT_EQ(write_page.record->draw_color, c.fore);
    }
    write_page_set(image_new(2, 2, 32, true));
    page_default_colors();
    EXPECT_EQ(write_page.record->back_color, 0xFF000000u);
}

TEST_F(screen_modes, nothing_happens_while_an_error_is_pending)
{
    error_raise(53);
    screen(13);
    rt_width(0, 40, 25, 1 | 2);
    rt_color(1, 1, 0, 1 | 2);
    EXPECT_EQ(error_pending_take(), 53u);
    EXPECT_EQ(page_record(0)->mode, 0);
    EXPECT_EQ(page_record(0)->width, 80);
    EXPECT_EQ(page_record(0)->fore_color, 7u);
}

} // namespace
