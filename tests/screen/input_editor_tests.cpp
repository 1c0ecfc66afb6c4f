#include "input_support.h"

#include "core/control_words.h"
#include "core/number_scan.h"
#include "core/rnd.h"
#include "core/strings.h"
#include "display/key_table.h"
#include "display/window_state.h"
#include "screen/image_slots.h"
#include "screen/screen_modes.h"

namespace
{

constexpr uint32_t INTEGER = 16;
constexpr uint32_t LONG = 32;
constexpr uint32_t STRING = INPUT_TYPE_STRING;
constexpr uint32_t LINE_INPUT = INPUT_TYPE_STRING | INPUT_TYPE_LINE;

using input_editor = input_test;

TEST_F(input_editor, integer_takes_its_range_and_refuses_what_leaves_it)
{
    say("? ", false);
    int16_t n = 99;
    keys("327670");
    then([&] {
        EXPECT_EQ(n, 32767);
        EXPECT_EQ(row_text(write_page.record, 1).substr(0, 8), "? 32767 ");
        EXPECT_EQ(cursor(), std::make_pair(1, 8));
    });
    key(8);
    keys("--");
    then([&] { EXPECT_EQ(n, 3276); });
    key(8), key(8), key(8), key(8);
    keys("-32768\r");
    input_one(&n, INTEGER);
    EXPECT_EQ(n, -32768);
    EXPECT_EQ(row_text(write_page.record, 1).substr(0, 9), "? -32768 ");
    EXPECT_EQ(cursor(), std::make_pair(2, 1));

    int32_t m = 7;
    keys("05\r");
    input_one(&m, LONG, 0);
    EXPECT_EQ(m, 0); // no leading zero: the 5 was taken back
    EXPECT_EQ(row_text(write_page.record, 2).substr(0, 2), "0 ");
    EXPECT_EQ(cursor(), std::make_pair(2, 2));
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(input_editor, refused_letter_leaves_the_page_as_it_was)
{
    say("Number", false);
    int16_t n = 0;
    std::string before;
    keys("12");
    then([&] { before = page_bytes_of(write_page.record); });
    keys("x");
    key(KEY_F1); // extended keys are ignored
    then([&] {
        EXPECT_EQ(page_bytes_of(write_page.record), before);
        EXPECT_EQ(cursor(), std::make_pair(1, 9));
        EXPECT_EQ(n, 12);
    });
    keys("\r");
    input_one(&n, INTEGER);
    EXPECT_EQ(n, 12);
}

TEST_F(input_editor, string_refuses_a_comma_and_takes_a_quoted_field_without_quotes)
{
    string_descriptor *s = string_var("old");
    keys("a,b");
    then([&] {
        EXPECT_EQ(text_of(s), "ab");
        EXPECT_EQ(row_text(write_page.record, 1).substr(0, 3), "ab ");
    });
    key(8), key(8);
    keys("\"x, y\"z ,\r"); // nothing but a comma may follow the closing quote
    input_one(s, STRING);
    EXPECT_EQ(text_of(s), "x, y");
    EXPECT_EQ(row_text(write_page.record, 1).substr(0, 8), "\"x, y\"  ");

    keys("\"a\",b\r"); // LINE INPUT takes commas and quotes as typed
    input_one(s, LINE_INPUT);
    EXPECT_EQ(text_of(s), "\"a\",b");
}

TEST_F(input_editor, backspace_tab_and_the_line_limit)
{
    string_descriptor *s = string_var("old");
    key(8); // nothing to remove
    keys("abc\t");
    then([&] { EXPECT_EQ(text_of(s), "abc     "); });
    keys("d");
    key(8), key(8);
    keys("\r");
    input_one(s, STRING, 0);
    EXPECT_EQ(text_of(s), "abc    ");
    EXPECT_EQ(cursor(), std::make_pair(1, 8));

    // Tab blanks go through the checks like typed ones.
    int16_t n = 0;
    keys("12\t3\r");
    input_one(&n, INTEGER);
    EXPECT_EQ(n, 123);

    keys(std::string(300, 'q') + "\r");
    input_one(s, STRING);
    EXPECT_EQ(text_of(s), std::string(255, 'q'));
    // Printed from row 2, column 1: three full rows and 15 characters.
    EXPECT_EQ(row_text(write_page.record, 5).substr(0, 16), std::string(15, 'q') + " ");
}

TEST_F(input_editor, fields_fill_their_targets_and_the_rest_are_cleared)
{
    int16_t a = 5;
    double b = 5;
    string_descriptor *c = string_var("kept?");
    input_target_set(1, &a, INTEGER);
    input_target_set(2, &b, NUMERIC_TYPE_FLOAT | 64);
    input_target_set(3, c, STRING);
    keys("1,2.5,hi,");
    then([&] {
        EXPECT_EQ(a, 1);
        EXPECT_EQ(b, 2.5);
        EXPECT_EQ(text_of(c), "hi");
    });
    // Back to one field: the others hold cleared values, as the line does.
    for (int i = 0; i < 7; i++)
        key(8);
    keys("\r");
    rt_input(3, 1);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 0.0);
    EXPECT_EQ(text_of(c), "");

    // A fixed-length string is blank-filled and takes no longer field.
    char cells[3] = {'x', 'y', 'z'};
    string_descriptor *fixed = string_over_memory(cells, 3, false);
    fixed->fixed = 1;
    keys("abcd\r");
    input_one(fixed, STRING);
    EXPECT_EQ(std::string(cells, 3), "abc");
    keys("\r");
    input_one(fixed, STRING);
    EXPECT_EQ(std::string(cells, 3), "   ");
}

TEST_F(input_editor, program_end_during_input_returns_with_the_last_valid_value)
{
    auto_display = 0;
    frame_builder_started = true; // a builder that will never answer
    const uint32_t read_slot = read_page.slot;
    const uint32_t slots_before = slots_used;
    int32_t n = 0;
    keys("42x");
    then([] { exit_acknowledged = 1; });
    input_one(&n, LONG);
    EXPECT_EQ(n, 42);
    EXPECT_EQ(cursor(), std::make_pair(1, 3)); // no new line
    EXPECT_EQ(read_page.slot, read_slot);
    EXPECT_EQ(write_page.record->cursor_shown, 0);
    // Both snapshots are free again: the next two images reuse their slots.
    const uint32_t reused = image_slot_alloc();
    EXPECT_LT(reused, slots_before + 2);
}

TEST_F(input_editor, display_mode_and_page_settings_come_back)
{
    write_page.record->cursor_shown = 0;
    auto_display = 0;
    int16_t n = 0;
    then([] {
        EXPECT_EQ(auto_display.load(), 1);
        EXPECT_EQ(write_page.record->cursor_shown, 1);
    });
    keys("\r");
    input_one(&n, INTEGER);
    // No frame builder runs: the switch back is asked for, not waited for.
    EXPECT_EQ(auto_display.load(), -1);
    EXPECT_EQ(write_page.record->cursor_shown, 0);

    // A hidden window builds no frames either.
    auto_display = 0;
    frame_builder_started = true;
    window_hidden = 1;
    keys("\r");
    input_one(&n, INTEGER);
    EXPECT_EQ(auto_display.load(), -1);
    window_hidden = 0;
}

TEST_F(input_editor, graphics_page_cursor_is_drawn_while_waiting_and_removed)
{
    mode13_page_make();
    image_slot *r = write_page.record;
    say("AB", false);
    const std::string before = page_bytes_of(r);
    // Column 3 of row 1: pixels 16-23 of rows 0-7 inverted with colour 15.
    then([&] {
        EXPECT_EQ(r->pixels[16], 15);
        EXPECT_EQ(r->pixels[7 * 320 + 23], 15);
        EXPECT_EQ(r->pixels[8 * 320 + 16], 0);
        EXPECT_EQ(r->pixels[24], 0);
    });
    keys("\r");
    int16_t n = 0;
    input_one(&n, INTEGER, 0);
    EXPECT_EQ(page_bytes_of(r), before);
}

TEST_F(input_editor, randomize_without_a_seed_reads_it_with_the_editor)
{
    input_editor_install();
    keys("-1\r");
    rt_randomize(0, 0);
    EXPECT_EQ(rnd_state, (rnd_start_value & 0xFF) | 0xFFFF00u);
    EXPECT_EQ(row_text(write_page.record, 1).substr(0, 41),
              "Random-number seed (-32768 to 32767)? -1 ");
    EXPECT_EQ(cursor(), std::make_pair(2, 1));
    randomize_prompt_hook_set(nullptr);
    rnd_reset();
}

TEST_F(input_editor, bad_target_tables_are_refused)
{
    int16_t n = 0;
    input_target_set(1, &n, 12); // no integer has 12 bits
    EXPECT_EQ(error_of([&] { rt_input(1, 1); }), 5u);
    EXPECT_EQ(error_of([&] { rt_input(0, 1); }), 5u);
    EXPECT_EQ(error_of([&] { rt_input(1000, 1); }), 5u);
}

} // namespace
