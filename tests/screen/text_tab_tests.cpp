#include "text_support.h"

#include "core/strings.h"
#include "screen/text_output.h"

#include <string>

namespace {

using tab_spc = text_test;

// The text of a temporary, which is freed.
std::string take(string_descriptor *s)
{
    std::string text(reinterpret_cast<const char *>(s->chr), size_t(s->len));
    string_free(s);
    return text;
}

std::string blanks(size_t n) { return std::string(n, ' '); }

TEST_F(tab_spc, tab_reaches_its_column_or_starts_a_new_line)
{
    game_page_make();
    rt_locate(1, 5, 0, 0, 0, LOCATE_COLUMN);
    EXPECT_EQ(take(rt_tab(10)), blanks(5));
    EXPECT_EQ(take(rt_tab(5)), "");
    EXPECT_EQ(take(rt_tab(3)), "\r" + blanks(2));
    EXPECT_EQ(take(rt_tab(0)), "\r");          // below 1 counts as 1
    EXPECT_EQ(take(rt_tab(66 + 10)), blanks(5)); // modulo the columns
    rt_locate(1, 1, 0, 0, 0, LOCATE_COLUMN);
    say(std::string(66, 'x'), false);          // a pending wrap: column 1 next
    EXPECT_EQ(take(rt_tab(4)), blanks(3));
}

TEST_F(tab_spc, spc_skips_columns_and_wraps_what_does_not_fit)
{
    game_page_make();
    rt_locate(1, 60, 0, 0, 0, LOCATE_COLUMN);
    EXPECT_EQ(take(rt_spc(7)), blanks(7)); // room: 60..66
    EXPECT_EQ(take(rt_spc(10)), "\r" + blanks(3));
    EXPECT_EQ(take(rt_spc(66 + 2)), blanks(2));
    EXPECT_EQ(take(rt_spc(-4)), "");
}

TEST_F(tab_spc, files_have_no_line_end_and_use_their_own_column)
{
    EXPECT_EQ(take(rt_tab_file(200, 150)), blanks(50));
    EXPECT_EQ(take(rt_tab_file(3, 10)), "\r\n" + blanks(2));
    EXPECT_EQ(take(rt_spc_file(300)), blanks(300));
}

TEST_F(tab_spc, lprint_measures_on_the_printer_page)
{
    printer_page_print(temp_of("abcd"), PRINT_STAY);
    EXPECT_EQ(take(rt_tab_lprint(10)), blanks(5));
    EXPECT_EQ(take(rt_spc_lprint(85)), blanks(5));
    EXPECT_EQ(write_page.record, page_record(0));
}

TEST_F(tab_spc, arguments_out_of_range_raise_error_7)
{
    for (int32_t n : {32768, -32769}) {
        EXPECT_EQ(take(rt_tab(n)), "");
        EXPECT_EQ(error_pending_take(), 7u);
        EXPECT_EQ(take(rt_spc_file(n)), "");
        EXPECT_EQ(error_pending_take(), 7u);
    }
    rt_locate(1, 2, 0, 0, 0, LOCATE_COLUMN);
    EXPECT_EQ(take(rt_tab(-32768)), "\r");
    EXPECT_EQ(take(rt_spc(32767)), blanks(32767 % 80));
    error_raise(9);
    EXPECT_EQ(take(rt_spc(3)), "");
    EXPECT_EQ(error_pending_take(), 9u);
}

} // namespace
