#include "text_support.h"

#include "core/strings.h"
#include "platform/clock.h"
#include "screen/fonts.h"
#include "screen/images.h"
#include "screen/key_bar.h"
#include "screen/screen_modes.h"
#include "screen/text_output.h"

#include <atomic>
#include <string>

namespace {

using print_text = text_test;

const std::string FULL_LINE(66, 'x');

// Puts a distinct character in column 1 of every row of the game page.
void rows_mark(image_slot *r)
{
    auto *cells = reinterpret_cast<uint16_t *>(r->pixels);
    for (int32_t row = 1; row <= r->height; row++)
        cells[(row - 1) * r->width] = uint16_t(0x0700 | ('A' + row - 1));
}

TEST_F(print_text, full_game_line_with_semicolon_defers_the_wrap_to_the_next_print)
{
    game_page_make();
    rt_locate(5, 1, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    say(FULL_LINE, false);
    image_slot *r = write_page.record;
    EXPECT_EQ(cursor(), std::make_pair(5, 66));
    EXPECT_EQ(r->pending_wrap, 1);
    say("A", false);
    EXPECT_EQ(row_text(r, 6).substr(0, 2), "A ");
    EXPECT_EQ(cursor(), std::make_pair(6, 2));
    EXPECT_EQ(r->pending_wrap, 0);

    // An empty PRINT with newline ends the pending line once, not twice.
    rt_locate(8, 1, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    say(FULL_LINE, false);
    say("", true);
    EXPECT_EQ(cursor(), std::make_pair(9, 1));
    // An empty PRINT without newline keeps the wrap pending.
    say(FULL_LINE, false);
    say("", false);
    EXPECT_EQ(r->pending_wrap, 1);
}

TEST_F(print_text, full_game_line_with_newline_advances_one_line)
{
    game_page_make();
    rt_locate(3, 1, 0, 0, 0, LOCATE_ROW);
    say(FULL_LINE, true);
    EXPECT_EQ(cursor(), std::make_pair(4, 1));
    say(std::string(67, 'y'), true);
    EXPECT_EQ(row_text(write_page.record, 5)[0], 'y');
    EXPECT_EQ(cursor(), std::make_pair(6, 1));
    // Only the text's last character may hold the wrap back.
    say(std::string(65, 'z') + "12", false);
    EXPECT_EQ(row_text(write_page.record, 6).substr(64, 2), "z1");
    EXPECT_EQ(row_text(write_page.record, 7)[0], '2');
    EXPECT_EQ(cursor(), std::make_pair(7, 2));
}

TEST_F(print_text, print_on_region_bottom_scrolls_rows_2_to_36_and_keeps_row_37)
{
    game_page_make();
    image_slot *r = write_page.record;
    rows_mark(r);
    rt_color(14, 1, 0, 3);
    rt_locate(36, 1, 0, 0, 0, LOCATE_ROW);
    say("NEW", true);
    EXPECT_EQ(cursor(), std::make_pair(36, 1));
    EXPECT_EQ(row_text(r, 1)[0], 'B');
    EXPECT_EQ(row_text(r, 34)[0], 'A' + 34);
    EXPECT_EQ(row_text(r, 35).substr(0, 4), "NEW ");
    EXPECT_EQ(cell_at(r, 35, 1), 0x1E00 | 'N');
    EXPECT_EQ(row_text(r, 36), std::string(66, ' '));
    EXPECT_EQ(cell_at(r, 36, 66), 0x1E20); // blanks in the current colours
    EXPECT_EQ(row_text(r, 37)[0], 'A' + 36);

    // A line end on row 37, outside the region, scrolls the region too and
    // leaves the cursor on the region's last row; row 37 keeps its text.
    rt_locate(37, 1, 0, 0, 0, LOCATE_ROW);
    say("Z", true);
    EXPECT_EQ(cursor(), std::make_pair(36, 1));
    EXPECT_EQ(row_text(r, 37)[0], 'Z');
    EXPECT_EQ(row_text(r, 35).substr(0, 3), "   ");
}

TEST_F(print_text, tab_character_moves_to_the_next_stop_of_eight)
{
    game_page_make();
    say("\t", false);
    EXPECT_EQ(cursor().second, 9);
    say("\t", false);
    EXPECT_EQ(cursor().second, 17);
    say("ab\tc", false);
    EXPECT_EQ(cursor().second, 26);
    // Near the end of the line the blanks wrap to column 1 of the next row.
    rt_locate(2, 65, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    say("\t", true);
    EXPECT_EQ(cursor(), std::make_pair(3, 1));
}

TEST_F(print_text, line_control_characters_act_and_draw_nothing)
{
    game_page_make();
    image_slot *r = write_page.record;
    rt_locate(4, 10, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    say("a\rb\nc", false);
    EXPECT_EQ(row_text(r, 4).substr(8, 3), " a ");
    EXPECT_EQ(row_text(r, 5)[0], 'b');
    EXPECT_EQ(row_text(r, 6)[0], 'c');
    say("\r\n", true); // each acts, then the line end: three new lines
    EXPECT_EQ(cursor(), std::make_pair(9, 1));

    rt_view_print(3, 20, true);
    rt_locate(7, 9, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    say("\x0b", false); // home: column 1 of the region's first row
    EXPECT_EQ(cursor(), std::make_pair(3, 1));

    rt_locate(10, 1, 0, 0, 0, LOCATE_ROW);
    say("keep", false);
    say("\x0c", false); // form feed clears like CLS
    EXPECT_EQ(row_text(r, 10).substr(0, 4), "    ");
    EXPECT_EQ(cursor(), std::make_pair(3, 1));
}

TEST_F(print_text, cursor_control_characters_stay_inside_the_region)
{
    game_page_make();
    rt_view_print(5, 10, true);
    struct {
        int32_t row, col;
        const char *codes;
        int32_t to_row, to_col;
    } moves[] = {
        {5, 66, "\x1c", 6, 1},    // right from the last column: next row
        {10, 66, "\x1c", 10, 66}, // but not from the region's last row
        {6, 1, "\x1d", 5, 66},    // left from column 1: end of the row above
        {5, 1, "\x1d", 5, 1},     // not from the region's first row
        {5, 3, "\x1e", 5, 3},     // up stops at the top
        {5, 3, "\x1f\x1f", 7, 3},
        {10, 3, "\x1f", 10, 3},     // down stops at the bottom, without scrolling
        {37, 4, "\x1e\x1f", 37, 4}, // below the region neither moves
    };
    for (const auto &m : moves) {
        rt_locate(m.row, m.col, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
        say(m.codes, false);
        EXPECT_EQ(cursor(), std::make_pair(m.to_row, m.to_col))
            << "from " << m.row << "," << m.col << " code " << int(m.codes[0]);
    }
    EXPECT_EQ(row_text(write_page.record, 5), std::string(66, ' '));
}

std::atomic<int64_t> fake_now_ms{0};
int64_t fake_now() { return fake_now_ms.load(); }
void fake_sleep(uint32_t ms) { fake_now_ms += ms; }

TEST_F(print_text, bell_waits_a_quarter_second_and_draws_nothing)
{
    const clock_seam seam{fake_now, fake_sleep};
    clock_seam_set(&seam);
    fake_now_ms = 1000;
    say("a\x07" "b", false);
    clock_seam_set(nullptr);
    EXPECT_GE(fake_now_ms.load(), 1250);
    EXPECT_LT(fake_now_ms.load(), 1300);
    EXPECT_EQ(row_text(write_page.record, 1).substr(0, 3), "ab ");
}

TEST_F(print_text, other_codes_and_every_code_in_glyph_mode_are_drawn)
{
    game_page_make();
    image_slot *r = write_page.record;
    // The game's pictures use 3, 4, 22 and 127 as glyphs.
    say(std::string("\x03\x04\x16\x7f\x08\x00\x1b", 7), false);
    EXPECT_EQ(row_text(r, 1).substr(0, 7), std::string("\x03\x04\x16\x7f\x08\x00\x1b", 7));
    EXPECT_EQ(cursor(), std::make_pair(1, 8));

    print_control_chars_set(2);
    rt_locate(2, 1, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    say("\x07\t\n\x0b\x0c\r\x1c\x1d\x1e\x1f", false);
    EXPECT_EQ(row_text(r, 2).substr(0, 10), "\x07\t\n\x0b\x0c\r\x1c\x1d\x1e\x1f");
    print_control_chars_set(1);
    say("\r", false);
    EXPECT_EQ(cursor(), std::make_pair(3, 1));

    key_bar_drawing = 1;
    say("\t", false);
    key_bar_drawing = 0;
    EXPECT_EQ(cell_at(r, 3, 1) & 0xFF, 9);
}

TEST_F(print_text, make_fit_starts_a_new_line_only_for_items_that_would_not_fit)
{
    game_page_make();
    string_descriptor *ten = temp_of("0123456789");
    rt_locate(4, 57, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    print_make_fit(ten); // 57 + 10 - 1 = 66 fits
    EXPECT_EQ(cursor(), std::make_pair(4, 57));
    rt_locate(4, 58, 0, 0, 0, LOCATE_COLUMN);
    print_make_fit(ten);
    EXPECT_EQ(cursor(), std::make_pair(5, 1));
    string_descriptor *long_text = temp_of(std::string(100, 'z'));
    print_make_fit(long_text); // column 1: never
    EXPECT_EQ(cursor(), std::make_pair(5, 1));
    say(FULL_LINE, false);
    print_make_fit(ten); // a pending wrap is left to PRINT
    EXPECT_EQ(cursor(), std::make_pair(5, 66));
    string_free(ten);
    string_free(long_text);
}

TEST_F(print_text, comma_moves_to_fourteen_column_zones)
{
    game_page_make();
    rt_print_comma();
    EXPECT_EQ(cursor().second, 15);
    say("abc", false);
    rt_print_comma();
    EXPECT_EQ(cursor().second, 29);
    // The last zone start that leaves 13 columns on 66 is 43; past it the
    // blanks run to the last column.
    rt_locate(1, 30, 0, 0, 0, LOCATE_COLUMN);
    rt_print_comma();
    EXPECT_EQ(cursor().second, 43);
    rt_print_comma();
    EXPECT_EQ(cursor(), std::make_pair(1, 66));
    rt_print_comma(); // from the last column: one blank, then a pending wrap
    EXPECT_EQ(write_page.record->pending_wrap, 1);
    rt_print_comma();
    EXPECT_EQ(cursor(), std::make_pair(2, 15));
}

TEST_F(print_text, print_consumes_temporaries_and_does_nothing_while_an_error_is_pending)
{
    uint32_t before = string_temp_count;
    rt_print(temp_of("HI"), PRINT_STAY);
    EXPECT_EQ(string_temp_count, before);
    EXPECT_EQ(row_text(write_page.record, 1).substr(0, 3), "HI ");
    error_raise(5);
    rt_print(temp_of("NO"), PRINT_NEWLINE);
    rt_print_comma();
    EXPECT_EQ(string_temp_count, before);
    EXPECT_EQ(cursor(), std::make_pair(1, 3));
    error_pending_take();
}

TEST_F(print_text, console_page_writes_to_standard_output)
{
    write_page.record->console = 1;
    testing::internal::CaptureStdout();
    say("hello", true);
    say("a", false);
    rt_print_comma();
    std::string out = testing::internal::GetCapturedStdout();
    write_page.record->console = 0;
    EXPECT_EQ(out, "hello\na ");
    EXPECT_EQ(cursor(), std::make_pair(1, 1));
}

TEST_F(print_text, key_list_prints_its_lines_through_print)
{
    rt_key_list();
    EXPECT_EQ(row_text(write_page.record, 1).substr(0, 6), "F1)   ");
    EXPECT_EQ(row_text(write_page.record, 12).substr(0, 5), "F12) ");
    EXPECT_EQ(cursor(), std::make_pair(13, 1));
}

// ---- Graphics pages -----------------------------------------------------------

using print_graphics = text_test;

// Whether the 8 x h cell at (x0, y0) shows glyph `code` of font `font` in
// `fore` on `back`.
bool cell_shows(const image_slot *r, int32_t x0, int32_t y0, uint8_t code, uint32_t font,
                uint32_t fore, uint32_t back)
{
    const uint8_t *glyph = font_glyph(font, code);
    int32_t h = int32_t(font_height_of(font));
    for (int32_t y = 0; y < h; y++)
        for (int32_t x = 0; x < 8; x++) {
            uint32_t want = glyph[y * 8 + x] ? fore : back;
            if (r->pixels[(y0 + y) * r->width + x0 + x] != want)
                return false;
        }
    return true;
}

TEST_F(print_graphics, glyphs_use_the_page_font_colours_and_print_mode)
{
    mode13_page_make();
    image_slot *r = write_page.record;
    rt_color(14, 1, 0, 3);
    rt_locate(2, 3, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    say("AB", false);
    EXPECT_TRUE(cell_shows(r, 16, 8, 'A', 8, 14, 1));
    EXPECT_TRUE(cell_shows(r, 24, 8, 'B', 8, 14, 1));
    EXPECT_EQ(cursor(), std::make_pair(2, 5));

    r->print_mode = 1; // glyph pixels only: the background stays
    rt_locate(3, 1, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    say("A", false);
    EXPECT_TRUE(cell_shows(r, 0, 16, 'A', 8, 14, 0));

    // 40 columns of font 8: the 40th character leaves a pending wrap.
    rt_locate(5, 1, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    say(std::string(40, '#'), false);
    EXPECT_EQ(cursor(), std::make_pair(5, 40));
    EXPECT_EQ(r->pending_wrap, 1);
}

TEST_F(print_graphics, scrolling_moves_pixel_rows_and_fills_with_the_back_colour)
{
    mode13_page_make();
    image_slot *r = write_page.record;
    for (int32_t y = 0; y < 200; y++)
        for (int32_t x = 0; x < 320; x++)
            r->pixels[y * 320 + x] = uint8_t(y);
    rt_color(15, 3, 0, 3);
    rt_locate(24, 1, 0, 0, 0, LOCATE_ROW);
    say("", true);
    EXPECT_EQ(cursor(), std::make_pair(24, 1));
    EXPECT_EQ(r->pixels[0], 8);                 // row 2 moved up
    EXPECT_EQ(r->pixels[183 * 320 + 5], 191);   // row 24's last pixel row moved up
    EXPECT_EQ(r->pixels[184 * 320 + 319], 3);   // the new row: back colour
    EXPECT_EQ(r->pixels[191 * 320 + 100], 3);
    EXPECT_EQ(r->pixels[192 * 320 + 7], 192);   // row 25 untouched
}

TEST_F(print_graphics, true_colour_page_blends_glyphs_and_scrolls_word_by_word)
{
    int32_t handle = image_new(16, 16, 32, true);
    write_page_set(handle);
    ASSERT_EQ(error_pending_take(), 0u);
    image_slot *r = write_page.record;
    r->font = 8; // two rows of two cells
    r->view_print_bottom = 2;
    r->fore_color = 0x80FF0000;
    r->back_color = 0xFF0000FF;
    pixel32(r, 0, 0) = 0xFF00FF00;
    say("\xdb", false); // a full block: every pixel is glyph
    EXPECT_EQ(pixel32(r, 0, 0) & 0xFFFFFF, 0x7F7F00u);
    r->fore_color = 0xFFFFFFFF;
    rt_locate(2, 1, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    say("\xdb", true);
    EXPECT_EQ(pixel32(r, 3, 3), 0xFFFFFFFFu);  // moved up from row 2
    EXPECT_EQ(pixel32(r, 3, 12), 0xFF0000FFu); // the new row
}

TEST_F(print_graphics, double_width_font_draws_each_glyph_pixel_twice)
{
    mode13_page_make();
    image_font_set(9, 0, false);
    ASSERT_EQ(error_pending_take(), 0u);
    image_slot *r = write_page.record;
    say("A", false);
    EXPECT_EQ(cursor().second, 2);
    const uint8_t *glyph = font_glyph(8, 'A');
    for (int32_t y = 0; y < 8; y++)
        for (int32_t x = 0; x < 16; x++)
            ASSERT_EQ(r->pixels[y * 320 + x], glyph[y * 8 + x / 2] ? 15 : 0) << x << "," << y;
    say(std::string(19, 'x'), false); // 20 columns of 16 pixels
    EXPECT_EQ(r->pending_wrap, 1);
}

} // namespace
