#include "screen_support.h"

#include "core/strings.h"
#include "core/traps.h"
#include "screen/key_bar.h"
#include "screen/screen_modes.h"

#include <string>
#include <vector>

namespace {

class key_bar : public screen_test {
protected:
    void define(int32_t n, std::string text)
    {
        string_descriptor d{};
        d.chr = reinterpret_cast<uint8_t *>(text.data());
        d.len = int32_t(text.size());
        rt_key_define(n, &d);
    }
    // The characters of the last row of page 0.
    std::string last_row()
    {
        image_slot *p0 = page_record(0);
        std::string s;
        for (int col = 1; col <= p0->width; col++)
            s += char(cell_at(p0, p0->height, col) & 0xFF);
        return s;
    }
};

TEST_F(key_bar, redraw_requests_leave_the_row_alone_while_the_bar_is_off)
{
    image_slot *p0 = page_record(0);
    reinterpret_cast<uint16_t *>(p0->pixels)[24 * 80] = 0x0741;
    rt_screen(0, 0, 1, 0, 0, SCREEN_ACTIVE_GIVEN);
    key_bar_redraw = 1;
    key_bar_draw();
    rt_key_off();
    EXPECT_EQ(cell_at(p0, 25, 1), 0x0741);
}

TEST_F(key_bar, key_on_draws_eight_cell_labels_on_80_columns)
{
    define(1, "LIST");
    define(2, std::string("RUN\r"));
    define(10, "TENTENTEN");
    image_slot *p0 = page_record(0);
    p0->cursor_col = 5;
    p0->cursor_row = 3;
    EXPECT_EQ(error_of([&] { rt_key_on(); }), 0u);
    std::string row = last_row();
    EXPECT_EQ(row.substr(0, 8), "1)LIST  ");
    EXPECT_EQ(row.substr(8, 6), std::string("2)RUN") + char(27));
    EXPECT_EQ(row.substr(16, 2), "3)");
    EXPECT_EQ(row.substr(72, 8), "10)TENTE");
    EXPECT_EQ(cell_at(p0, 25, 1), 0x0700 | '1');
    EXPECT_EQ(cell_at(p0, 25, 3), 0x7000 | 'L'); // reverse colours
    EXPECT_EQ(p0->cursor_col, 5);
    EXPECT_EQ(p0->cursor_row, 3);
    rt_key_off();
    EXPECT_EQ(last_row(), std::string(80, ' '));
}

TEST_F(key_bar, redraw_after_a_label_change_and_on_a_graphics_page)
{
    rt_key_on();
    define(3, "ABC");
    EXPECT_EQ(last_row().substr(16, 5), "3)ABC");
    rt_screen(13, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    image_slot *p0 = page_record(0);
    // Label "1)" at the start of row 25 (y 192): the digit's pixels are set.
    int set = 0;
    for (int y = 192; y < 200; y++)
        for (int x = 0; x < 8; x++)
            set += p0->pixels[y * 320 + x] != 0;
    EXPECT_GT(set, 0);
}

TEST_F(key_bar, key_definitions)
{
    EXPECT_EQ(error_of([&] { define(1, std::string(16, 'x')); }), 5u);
    define(31, std::string(15, 'y'));
    string_descriptor *label = key_trap_table[31].label.load();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->len, 15);
    EXPECT_EQ(label->chr[14], 'y');
    define(31, "z");
    EXPECT_EQ(key_trap_table[31].label.load()->len, 1);
    EXPECT_EQ(label->chr[14], 'y'); // the label before stays readable
    define(31, "");
    EXPECT_EQ(key_trap_table[31].label.load(), nullptr);
    define(15, std::string("\x04\x1E"));
    EXPECT_EQ(key_trap_table[15].shift_flags.load(), 4);
    EXPECT_EQ(key_trap_table[15].scan_code.load(), 0x1E);
    EXPECT_EQ(error_of([&] { define(16, "x"); }), 5u);
    EXPECT_EQ(key_trap_table[16].scan_code.load(), 0);
    key_trap_table[15].scan_code = 0;
    key_trap_table[15].shift_flags = 0;
    EXPECT_EQ(error_of([&] { define(11, "no"); }), 5u);
    EXPECT_EQ(error_of([&] { define(0, "no"); }), 5u);
}

TEST_F(key_bar, key_list_prints_aligned_lines)
{
    static std::vector<std::string> lines;
    lines.clear();
    key_list_print = [](const uint8_t *text, int32_t length, bool newline) {
        EXPECT_TRUE(newline);
        lines.emplace_back(reinterpret_cast<const char *>(text), size_t(length));
    };
    define(1, "A\tB");
    define(31, "Z"); // F12
    rt_key_list();
    key_list_print = nullptr;
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], "F1)  A B");
    EXPECT_EQ(lines[8], "F9)  ");
    EXPECT_EQ(lines[9], "F10) ");
    EXPECT_EQ(lines[11], "F12) Z");
}

} // namespace
