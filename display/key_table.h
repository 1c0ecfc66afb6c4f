// The runtime's key codes and the key table.
//
// Key codes: characters are 1-255 (code page 437); keys without a character
// are their PC scan code x 256 (F1 15104, Delete 21248); keypad, modifier and
// lock keys are 100000 + n; the keypad with Num Lock off is 200000-200010;
// 200011-200013 are states. A release is stored as the negated code.
//
// The key table gives every key its PC make code and the BIOS keyboard value
// it produces plain, with Shift, Ctrl or Alt and, for the keypad, with Num
// Lock. A value of 256 or more is an extended key (character 0, scan =
// value / 256); 0 means the combination produces nothing.
//
// Rows 0-255 are indexed by character, rows 256-511 by 256 + the scan byte of
// a scan x 256 code, rows 512-527 by the keypad codes (100256-100271, and
// 200000-200010 for the keypad with Num Lock off). The table is constant.
#pragma once

#include <cstdint>

// Keys with fixed meanings.
constexpr int32_t KEY_TAB = 9;
constexpr int32_t KEY_ENTER = 13;
constexpr int32_t KEY_HOME = 18176;
constexpr int32_t KEY_UP = 18432;
constexpr int32_t KEY_PAGE_UP = 18688;
constexpr int32_t KEY_LEFT = 19200;
constexpr int32_t KEY_CENTRE = 19456;
constexpr int32_t KEY_RIGHT = 19712;
constexpr int32_t KEY_END = 20224;
constexpr int32_t KEY_DOWN = 20480;
constexpr int32_t KEY_PAGE_DOWN = 20736;
constexpr int32_t KEY_INSERT = 20992;
constexpr int32_t KEY_DELETE = 21248;
constexpr int32_t KEY_F1 = 15104;
constexpr int32_t KEY_F11 = 34048;
constexpr int32_t KEY_F12 = 34304;

constexpr int32_t KEY_PAUSE = 100019;
constexpr int32_t KEY_PAD_0 = 100256; // keypad 0-9, then . / * - + Enter
constexpr int32_t KEY_PAD_LAST = 100271;
constexpr int32_t KEY_CTRL_BREAK = 100296; // acts as Break with Ctrl held
constexpr int32_t KEY_NUM_LOCK = 100300;   // held = Num Lock on
constexpr int32_t KEY_CAPS_LOCK = 100301;  // held = Caps Lock on
constexpr int32_t KEY_SCROLL_LOCK = 100302;
constexpr int32_t KEY_SHIFT_RIGHT = 100303;
constexpr int32_t KEY_SHIFT_LEFT = 100304;
constexpr int32_t KEY_CTRL_RIGHT = 100305;
constexpr int32_t KEY_CTRL_LEFT = 100306;
constexpr int32_t KEY_ALT_RIGHT = 100307;
constexpr int32_t KEY_ALT_LEFT = 100308;
constexpr int32_t KEY_SYSREQ = 100317;
constexpr int32_t KEY_BREAK = 100318;
constexpr int32_t KEY_NAV_PAD_FIRST = 200000; // keypad with Num Lock off
constexpr int32_t KEY_NAV_PAD_LAST = 200010;
constexpr int32_t KEY_SCROLL_LOCK_ON = 200011;
constexpr int32_t KEY_INSERT_MODE_ON = 200012;
constexpr int32_t KEY_CODE_ZERO = 200013; // a key that arrived with code 0

constexpr int32_t KEY_TABLE_ROWS = 528;
constexpr int32_t KEY_TABLE_COLUMNS = 10;

// Columns of a row.
constexpr int32_t KEY_COL_CODE = 0;
constexpr int32_t KEY_COL_MAKE = 1;
constexpr int32_t KEY_COL_PLAIN = 2;
constexpr int32_t KEY_COL_SHIFT = 3;
constexpr int32_t KEY_COL_CTRL = 4;
constexpr int32_t KEY_COL_ALT = 5;
constexpr int32_t KEY_COL_NUM_LOCK = 6;       // keypad digit rows
constexpr int32_t KEY_COL_NUM_LOCK_SHIFT = 9; // keypad digit rows

struct key_table_row {
    int32_t col[KEY_TABLE_COLUMNS];
};

// Row r (0 to KEY_TABLE_ROWS - 1).
const key_table_row &key_table_row_at(int32_t row);

// The row of a key code, or -1 for codes without one.
int32_t key_table_row_of(int32_t code);

// True for the keypad rows of 0-9 and "." (the ones Num Lock changes).
bool key_table_row_is_pad_digit(int32_t row);

// The code a key puts into the key-hit ring: keypad keys become their plain
// codes ("0"-"9", ".", "/", "*", "-", "+", Enter; with Num Lock off the
// navigation codes). *keypad is set for keypad keys.
int32_t key_ring_code(int32_t code, bool *keypad);

// The PC make code of a key (the key table's column 1, or the fixed code of a
// modifier or lock key), 0 when it has none.
uint8_t key_make_code(int32_t code);

// True for the PC's extended keys: the navigation block, keypad "/" and Enter,
// right Ctrl and right Alt.
bool key_is_extended(int32_t code);

// The PC button of an X key code as the input device table numbers it: the
// scan code, plus 256 for extended keys (0-511). 0 for keys the PC keyboard
// does not have.
int32_t key_pc_button_of_x_keycode(uint32_t x_keycode);
