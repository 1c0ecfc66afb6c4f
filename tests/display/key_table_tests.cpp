#include "display/key_table.h"

#include <gtest/gtest.h>

namespace
{

// The row of a code and its columns plain, Shift, Ctrl, Alt.
struct row_case {
    int32_t code;
    int32_t make, plain, shift, ctrl, alt;
};

TEST(KeyTable, RowsAsThePcKeyboardGivesThem)
{
    const row_case cases[] = {
        {8, 14, 8, 8, 127, 3584},
        {13, 28, 13, 13, 10, 0},
        {'A', 30, 'A', 'A', 1, 7680},
        {'z', 44, 'z', 'z', 26, 11264},
        {'0', 11, '0', '0', 0, 129 * 256},
        {')', 11, ')', ')', 0, 129 * 256},
        {'@', 3, '@', '@', 768, 30976},
        {'^', 7, '^', '^', 30, 32000},
        {'|', 43, '|', '|', 28, 11008},
        {'?', 53, '?', '?', 0, 13568},
        {KEY_F1 + 9 * 256, 68, 17408, 23808, 26368, 28928},
        {KEY_F11, 87, 34048, 34048, 35072, 35584},
        {KEY_PAGE_DOWN, 81, 20736, 20736, 30208, 41216},
        {KEY_PAD_0 + 5, 76, 19456, '5', 36608, 0},
        {KEY_PAD_0 + 12, 55, '*', '*', 38400, 14080},
    };
    for (const row_case &c : cases) {
        SCOPED_TRACE(c.code);
        const int32_t row = key_table_row_of(c.code);
        ASSERT_GE(row, 0);
        const key_table_row &r = key_table_row_at(row);
        EXPECT_EQ(r.col[KEY_COL_MAKE], c.make);
        EXPECT_EQ(r.col[KEY_COL_PLAIN], c.plain);
        EXPECT_EQ(r.col[KEY_COL_SHIFT], c.shift);
        EXPECT_EQ(r.col[KEY_COL_CTRL], c.ctrl);
        EXPECT_EQ(r.col[KEY_COL_ALT], c.alt);
    }
}

TEST(KeyTable, RowIndexingAndKeypadColumns)
{
    EXPECT_EQ(key_table_row_of(255), 255);
    EXPECT_EQ(key_table_row_of(KEY_HOME), 327);
    EXPECT_EQ(key_table_row_of(KEY_PAD_LAST), 527);
    EXPECT_EQ(key_table_row_of(KEY_NAV_PAD_FIRST + 10), 522);
    EXPECT_EQ(key_table_row_of(300), -1);
    EXPECT_EQ(key_table_row_of(KEY_BREAK), -1);
    EXPECT_EQ(key_table_row_at(332).col[KEY_COL_PLAIN], 0); // centre: no values
    EXPECT_EQ(key_table_row_at(332).col[KEY_COL_CODE], KEY_CENTRE);
    EXPECT_EQ(key_table_row_at('Q').col[KEY_COL_CODE], 'q');
    const key_table_row &pad0 = key_table_row_at(512);
    EXPECT_EQ(pad0.col[KEY_COL_NUM_LOCK], '0');
    EXPECT_EQ(pad0.col[KEY_COL_NUM_LOCK_SHIFT], KEY_INSERT);
    EXPECT_TRUE(key_table_row_is_pad_digit(522));
    EXPECT_FALSE(key_table_row_is_pad_digit(523));
}

TEST(KeyTable, RingCodesMakeCodesAndExtendedKeys)
{
    bool keypad = false;
    EXPECT_EQ(key_ring_code(KEY_PAD_0 + 3, &keypad), '3');
    EXPECT_TRUE(keypad);
    EXPECT_EQ(key_ring_code(KEY_PAD_LAST, &keypad), KEY_ENTER);
    EXPECT_EQ(key_ring_code(KEY_NAV_PAD_FIRST + 5, &keypad), KEY_CENTRE);
    EXPECT_EQ(key_ring_code(KEY_NAV_PAD_FIRST + 10, &keypad), KEY_DELETE);
    EXPECT_TRUE(keypad);
    EXPECT_EQ(key_ring_code('3', &keypad), '3');
    EXPECT_FALSE(keypad);

    EXPECT_EQ(key_make_code(KEY_SHIFT_LEFT), 42);
    EXPECT_EQ(key_make_code(KEY_ALT_RIGHT), 56);
    EXPECT_EQ(key_make_code(KEY_SCROLL_LOCK), 70);
    EXPECT_EQ(key_make_code(KEY_CENTRE), 0); // its row has no values
    EXPECT_EQ(key_make_code(130), 0);
    EXPECT_EQ(key_make_code(KEY_NAV_PAD_FIRST + 7), 71);

    EXPECT_TRUE(key_is_extended(KEY_PAD_0 + 11)); // keypad "/"
    EXPECT_TRUE(key_is_extended(KEY_CTRL_RIGHT));
    EXPECT_FALSE(key_is_extended(KEY_CTRL_LEFT));
    EXPECT_FALSE(key_is_extended(KEY_PAD_0 + 7));
}

TEST(KeyTable, XKeyCodesAsPcButtons)
{
    EXPECT_EQ(key_pc_button_of_x_keycode(38), 30);     // a
    EXPECT_EQ(key_pc_button_of_x_keycode(96), 88);     // F12
    EXPECT_EQ(key_pc_button_of_x_keycode(105), 0x11D); // right Ctrl
    EXPECT_EQ(key_pc_button_of_x_keycode(111), 0x148); // Up
    EXPECT_EQ(key_pc_button_of_x_keycode(77), 0x145);  // Num Lock
    EXPECT_EQ(key_pc_button_of_x_keycode(127), 0x45);  // Pause
    EXPECT_EQ(key_pc_button_of_x_keycode(8), 0);
    EXPECT_EQ(key_pc_button_of_x_keycode(250), 0);
}

} // namespace
