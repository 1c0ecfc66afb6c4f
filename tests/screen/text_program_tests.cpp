// Statement sequences of ported programs through the text output engine.
#include "text_support.h"

#include "core/string_builtins.h"
#include "core/strings.h"
#include "screen/screen_modes.h"
#include "screen/text_output.h"

#include <string>

namespace
{

using text_program = text_test;

// One PRINT item as compiled code prints it: fit, then print.
void item(string_descriptor *s, bool newline = false)
{
    print_make_fit(s);
    rt_print(s, newline ? PRINT_NEWLINE : PRINT_STAY);
}

TEST_F(text_program, menu_on_the_80_column_text_screen)
{
    rt_screen(0, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    rt_width(0, 80, 25, 3);
    rt_color(14, 1, 0, 3);
    rt_cls(0, 0, 0);
    ASSERT_EQ(error_pending_take(), 0u);
    image_slot *r = write_page.record;
    EXPECT_EQ(cell_at(r, 25, 80), 0x1E20);
    EXPECT_EQ(cursor(), std::make_pair(1, 1));
    // PRINT "a"; TAB(20); "b"
    item(temp_of("a"));
    item(rt_tab(20));
    item(temp_of("b"), true);
    EXPECT_EQ(row_text(r, 1).substr(0, 20), "a                  b");
    EXPECT_EQ(cell_at(r, 1, 20), 0x1E00 | 'b');
    // PRINT 1, -2, 3 (numbers: leading blank or sign, trailing blank)
    auto num = [](int v) { return string_concat(rt_str_str_single(float(v)), temp_of(" ")); };
    item(num(1));
    rt_print_comma();
    item(num(-2));
    rt_print_comma();
    item(num(3), true);
    EXPECT_EQ(row_text(r, 2).substr(0, 32), " 1            -2             3  ");
    EXPECT_EQ(cursor(), std::make_pair(3, 1));
    // Commas across the zone ends of an 80-column line: 57 is the last
    // zone that holds 14 columns, so from 60 the blanks run to column 80.
    rt_locate(3, 44, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    rt_print_comma();
    EXPECT_EQ(cursor(), std::make_pair(3, 57));
    rt_locate(3, 60, 0, 0, 0, LOCATE_COLUMN);
    rt_print_comma();
    EXPECT_EQ(cursor(), std::make_pair(3, 80));
    item(temp_of("z"));
    EXPECT_EQ(rt_pos(), 1);
    rt_print_comma();
    EXPECT_EQ(cursor(), std::make_pair(4, 15));
    // LOCATE without row or without column.
    rt_locate(7, 0, 0, 0, 0, LOCATE_ROW);
    EXPECT_EQ(cursor(), std::make_pair(7, 15));
    rt_locate(0, 5, 0, 0, 0, LOCATE_COLUMN);
    EXPECT_EQ(cursor(), std::make_pair(7, 5));
    // A line that ends exactly in column 80.
    rt_locate(10, 1, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    item(temp_of(std::string(80, '=')));
    EXPECT_EQ(rt_csrlin(), 11);
    EXPECT_EQ(rt_pos(), 1);
    item(temp_of("next"), true);
    EXPECT_EQ(row_text(r, 11).substr(0, 4), "next");
    EXPECT_EQ(cursor(), std::make_pair(12, 1));
    rt_locate(24, 1, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    item(temp_of(std::string(80, '#')));
    EXPECT_EQ(rt_csrlin(), 24);
    EXPECT_EQ(rt_pos(), 1);
    EXPECT_EQ(row_text(r, 23).substr(0, 1), " ");
    item(temp_of("more"), true); // scrolls before and after
    EXPECT_EQ(row_text(r, 22), std::string(80, '#'));
    EXPECT_EQ(row_text(r, 23).substr(0, 5), "more ");
    EXPECT_EQ(row_text(r, 24), std::string(80, ' '));
    EXPECT_EQ(cursor(), std::make_pair(24, 1));
    // VIEW PRINT 5 TO 20: scrolling stays inside, CLS 2 clears it.
    rt_view_print(5, 20, true);
    EXPECT_EQ(cursor(), std::make_pair(5, 1));
    for (int i = 0; i < 17; i++)
        item(temp_of("line" + std::to_string(i)), true);
    EXPECT_EQ(row_text(r, 4).substr(0, 1), " ");
    EXPECT_EQ(row_text(r, 5).substr(0, 6), "line2 ");
    EXPECT_EQ(row_text(r, 19).substr(0, 6), "line16");
    EXPECT_EQ(row_text(r, 20), std::string(80, ' '));
    EXPECT_EQ(cursor(), std::make_pair(20, 1));
    EXPECT_EQ(row_text(r, 21), std::string(80, ' '));
    rt_cls(2, 0, CLS_METHOD);
    EXPECT_EQ(row_text(r, 5), std::string(80, ' '));
    EXPECT_EQ(row_text(r, 19), std::string(80, ' '));
    EXPECT_EQ(row_text(r, 23).substr(0, 4), "more");
    EXPECT_EQ(cursor(), std::make_pair(5, 1));
    EXPECT_EQ(error_pending_take(), 0u);
    // WIDTH 40 and back.
    rt_width(0, 40, 0, 1);
    EXPECT_EQ(write_page.record->width, 40);
    EXPECT_EQ(write_page.record->font, 17u);
    rt_width(0, 80, 0, 1);
    r = write_page.record;
    EXPECT_EQ(r->width, 80);
    EXPECT_EQ(r->height, 25);
    EXPECT_EQ(r->font, 16u);
    EXPECT_EQ(r->view_print_bottom, 24);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(text_program, text_on_the_640_by_480_graphics_screen)
{
    rt_screen(12, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    image_slot *r = write_page.record;
    rt_color(14, 0, 0, 1);
    rt_locate(30, 80, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    EXPECT_EQ(error_pending_take(), 0u);
    item(temp_of("X"));
    EXPECT_EQ(rt_pos(), 1);
    EXPECT_EQ(rt_csrlin(), 29);
    rt_locate(29, 79, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    item(temp_of("ab"), true);
    EXPECT_EQ(cursor(), std::make_pair(29, 1));
    EXPECT_EQ(rt_screen_function(28, 79, 0), 'a');
    EXPECT_EQ(rt_screen_function(28, 80, 1), 14);
    EXPECT_EQ(rt_screen_function(30, 80, 0), 'X');
    rt_locate(31, 1, 0, 0, 0, LOCATE_ROW);
    EXPECT_EQ(error_pending_take(), 5u);
    // VIEW PRINT 3 TO 4 scrolls pixel rows 32-63 only; CLS 2 clears them.
    rt_view_print(3, 4, true);
    item(temp_of("one"), true);
    item(temp_of("two"), true);
    item(temp_of("three"), true);
    EXPECT_EQ(rt_screen_function(3, 1, 0), 't');
    EXPECT_EQ(rt_screen_function(3, 2, 1), 14);
    EXPECT_EQ(rt_screen_function(3, 3, 0), 'r');
    EXPECT_EQ(rt_screen_function(28, 79, 0), 'a');
    EXPECT_EQ(cursor(), std::make_pair(4, 1));
    rt_color(0, 2, 0, 2);
    item(temp_of(""), true); // the freed row takes the background colour
    EXPECT_EQ(r->pixels[3 * 16 * 640 + 5], 2);
    EXPECT_EQ(rt_screen_function(2, 1, 0), 32);
    rt_cls(2, 0, CLS_METHOD);
    EXPECT_EQ(r->pixels[2 * 16 * 640 + 5], 2);
    EXPECT_EQ(r->pixels[5 * 16 * 640 + 5], 0);
    rt_cls(0, 9, CLS_COLOR);
    EXPECT_EQ(r->pixels[0], 9);
    EXPECT_EQ(error_of([] { rt_cls(0, 16, CLS_COLOR); }), 5u);
    EXPECT_EQ(error_of([] { rt_color(16, 0, 0, 1); }), 5u);
    // WIDTH 40 leaves graphics for a 40 x 25 text screen.
    rt_width(0, 40, 0, 1);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(write_page.record->mode, 0);
    EXPECT_EQ(write_page.record->width, 40);
    EXPECT_EQ(write_page.record->height, 25);
    EXPECT_EQ(write_page.record->font, 17u);
}

} // namespace
