// The key table, built at compile time from the PC keyboard's BIOS codes.
#include "display/key_table.h"

#include <array>

namespace
{

using table = std::array<key_table_row, KEY_TABLE_ROWS>;

constexpr int32_t EXTENDED_ROWS = 256;
constexpr int32_t PAD_ROWS = 512;

// A character key: its character, make code, and the Shift, Ctrl and Alt
// values where they differ from the character itself (shift 0 = itself).
struct char_key {
    uint8_t ch;
    uint8_t make;
    int32_t shift;
    int32_t ctrl;
    int32_t alt;
};

// Make codes of "a" to "z".
constexpr uint8_t letter_make[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                     49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};

constexpr char_key control_keys[] = {
    {8, 14, 8, 127, 3584},   // backspace
    {9, 15, 3840, 37888, 0}, // tab
    {13, 28, 13, 10, 0},     // Enter
    {27, 1, 27, 27, 0},      // Esc
    {32, 57, 32, 32, 0},     // space
};

// Punctuation keys: both characters of a key share its make, Ctrl and Alt.
struct punct_key {
    uint8_t plain;
    uint8_t shifted;
    uint8_t make;
    int32_t ctrl;
    int32_t alt;
};
constexpr punct_key punct_keys[] = {
    {'-', '_', 12, 31, 33280}, {'=', '+', 13, 0, 33536},   {'[', '{', 26, 27, 6656},
    {']', '}', 27, 29, 6912},  {'\\', '|', 43, 28, 11008}, {';', ':', 39, 0, 9984},
    {'\'', '"', 40, 0, 10240}, {'`', '~', 41, 0, 10496},   {',', '<', 51, 0, 13056},
    {'.', '>', 52, 0, 13312},  {'/', '?', 53, 0, 13568},
};

// The digit row: "1"-"9", "0" and their Shift characters.
constexpr char digits[] = "1234567890";
constexpr char digit_shifted[] = "!@#$%^&*()";

// Keys without a character: scan, make, plain, Shift, Ctrl, Alt.
struct scan_key {
    int32_t scan;
    int32_t make;
    int32_t plain, shift, ctrl, alt;
};
constexpr scan_key navigation_keys[] = {
    {71, 71, 18176, 18176, 30464, 38656},  // Home
    {72, 72, 18432, 18432, 36096, 38912},  // Up
    {73, 73, 18688, 18688, 33792, 39168},  // Page Up
    {75, 75, 19200, 19200, 29440, 39680},  // Left
    {77, 77, 19712, 19712, 29696, 40192},  // Right
    {79, 79, 20224, 20224, 29952, 40704},  // End
    {80, 80, 20480, 20480, 37120, 40960},  // Down
    {81, 81, 20736, 20736, 30208, 41216},  // Page Down
    {82, 82, 20992, 20992, 37376, 41472},  // Insert
    {83, 83, 21248, 21248, 37632, 41728},  // Delete
    {133, 87, 34048, 34048, 35072, 35584}, // F11
    {134, 88, 34304, 34304, 35328, 35840}, // F12
};

// Keypad rows 512-527: make, plain, Shift, Ctrl, Alt; digit rows also give
// the character with Num Lock and the plain value with Num Lock and Shift.
struct pad_key {
    int32_t make;
    int32_t plain, shift, ctrl, alt;
};
constexpr pad_key pad_keys[16] = {
    {82, 20992, '0', 37376, 0},   {79, 20224, '1', 29952, 0},   {80, 20480, '2', 37120, 0},
    {81, 20736, '3', 30208, 0},   {75, 19200, '4', 29440, 0},   {76, 19456, '5', 36608, 0},
    {77, 19712, '6', 29696, 0},   {71, 18176, '7', 30464, 0},   {72, 18432, '8', 36096, 0},
    {73, 18688, '9', 33792, 0},   {83, 21248, '.', 37632, 0},   {53, '/', '/', 38144, 41984},
    {55, '*', '*', 38400, 14080}, {74, '-', '-', 36352, 18944}, {78, '+', '+', 36864, 19968},
    {28, 13, 13, 10, 42496},
};
constexpr int32_t PAD_DIGIT_ROWS = 11; // 0-9 and "."

constexpr void set_values(key_table_row &r, int32_t make, int32_t plain, int32_t shift,
                          int32_t ctrl, int32_t alt)
{
    r.col[KEY_COL_MAKE] = make;
    r.col[KEY_COL_PLAIN] = plain;
    r.col[KEY_COL_SHIFT] = shift;
    r.col[KEY_COL_CTRL] = ctrl;
    r.col[KEY_COL_ALT] = alt;
}

// Rows 0-255: every character is its own plain and Shift value; the keys of
// the PC keyboard add their make code, Ctrl and Alt values.
constexpr void fill_character_rows(table &t)
{
    for (int32_t c = 0; c < 256; c++) {
        t[c].col[KEY_COL_CODE] = c;
        t[c].col[KEY_COL_PLAIN] = c;
        t[c].col[KEY_COL_SHIFT] = c;
    }
    for (int32_t i = 0; i < 26; i++) {
        for (int32_t c : {'a' + i, 'A' + i}) {
            t[c].col[KEY_COL_CODE] = 'a' + i;
            set_values(t[c], letter_make[i], c, c, i + 1, letter_make[i] * 256);
        }
    }
    for (const char_key &k : control_keys)
        set_values(t[k.ch], k.make, k.ch, k.shift, k.ctrl, k.alt);
    for (int32_t i = 0; i < 10; i++) {
        const int32_t make = i + 2, alt = (120 + i) * 256;
        const int32_t ctrl = digits[i] == '2' ? 768 : digits[i] == '6' ? 30 : 0;
        for (int32_t c : {int32_t(digits[i]), int32_t(digit_shifted[i])})
            set_values(t[c], make, c, c, ctrl, alt);
    }
    for (const punct_key &k : punct_keys)
        for (int32_t c : {int32_t(k.plain), int32_t(k.shifted)})
            set_values(t[c], k.make, c, c, k.ctrl, k.alt);
}

// Rows 256-511: the scan x 256 code in column 0; the function and navigation
// keys their values.
constexpr void fill_extended_rows(table &t)
{
    for (int32_t scan = 0; scan < 256; scan++)
        t[EXTENDED_ROWS + scan].col[KEY_COL_CODE] = scan * 256;
    for (int32_t i = 0; i < 10; i++) {
        const int32_t scan = 59 + i;
        set_values(t[EXTENDED_ROWS + scan], scan, scan * 256, (84 + i) * 256, (94 + i) * 256,
                   (104 + i) * 256);
    }
    for (const scan_key &k : navigation_keys)
        set_values(t[EXTENDED_ROWS + k.scan], k.make, k.plain, k.shift, k.ctrl, k.alt);
}

constexpr void fill_pad_rows(table &t)
{
    for (int32_t i = 0; i < 16; i++) {
        key_table_row &r = t[PAD_ROWS + i];
        const pad_key &k = pad_keys[i];
        r.col[KEY_COL_CODE] = KEY_PAD_0 + i;
        set_values(r, k.make, k.plain, k.shift, k.ctrl, k.alt);
        if (i < PAD_DIGIT_ROWS) {
            r.col[KEY_COL_NUM_LOCK] = k.shift;
            r.col[KEY_COL_NUM_LOCK_SHIFT] = k.plain;
        }
    }
}

constexpr table build_key_table()
{
    table t{};
    fill_character_rows(t);
    fill_extended_rows(t);
    fill_pad_rows(t);
    return t;
}

constexpr table rows = build_key_table();

// A few rows checked while compiling.
static_assert(rows['A'].col[KEY_COL_CODE] == 'a' && rows['A'].col[KEY_COL_ALT] == 7680);
static_assert(rows[9].col[KEY_COL_SHIFT] == 3840 && rows[9].col[KEY_COL_CTRL] == 37888);
static_assert(rows[315].col[KEY_COL_PLAIN] == 15104 && rows[324].col[KEY_COL_ALT] == 28928);
static_assert(rows[527].col[KEY_COL_ALT] == 42496 && rows[512].col[KEY_COL_NUM_LOCK] == '0');

// Keypad 0-9, ".", "/", "*", "-", "+", Enter as the ring records them.
constexpr int32_t pad_ring_codes[16] = {'0', '1', '2', '3', '4', '5', '6', '7',
                                        '8', '9', '.', '/', '*', '-', '+', KEY_ENTER};
// The keypad with Num Lock off: Insert, End, Down, Page Down, Left, centre,
// Right, Home, Up, Page Up, Delete.
constexpr int32_t nav_pad_codes[11] = {KEY_INSERT, KEY_END,     KEY_DOWN,  KEY_PAGE_DOWN,
                                       KEY_LEFT,   KEY_CENTRE,  KEY_RIGHT, KEY_HOME,
                                       KEY_UP,     KEY_PAGE_UP, KEY_DELETE};

// Modifier and lock keys 100300-100308 and their fixed make codes.
constexpr uint8_t modifier_make[9] = {69, 58, 70, 54, 42, 29, 29, 56, 56};

// X key codes are the Linux input codes + 8; input codes 1-88 are the PC
// scan codes themselves. The extended keys above them, by input code.
struct x_extended_key {
    uint16_t input_code;
    uint16_t button;
};
constexpr x_extended_key x_extended_keys[] = {
    {96, 0x11C},  {97, 0x11D},  {98, 0x135},  {99, 0x137},  {100, 0x138},
    {102, 0x147}, {103, 0x148}, {104, 0x149}, {105, 0x14B}, {106, 0x14D},
    {107, 0x14F}, {108, 0x150}, {109, 0x151}, {110, 0x152}, {111, 0x153},
    {119, 0x045}, {125, 0x15B}, {126, 0x15C}, {127, 0x15D},
};
constexpr uint32_t X_KEYCODE_OFFSET = 8;
constexpr uint32_t INPUT_CODE_NUM_LOCK = 69;
constexpr uint32_t INPUT_CODE_PAUSE_SCAN = 0x45;

} // namespace

const key_table_row &key_table_row_at(int32_t row)
{
    return rows[row];
}

int32_t key_table_row_of(int32_t code)
{
    if (code >= 0 && code <= 255)
        return code;
    if (code >= 256 && code <= 65535 && code % 256 == 0)
        return EXTENDED_ROWS + code / 256;
    if (code >= KEY_PAD_0 && code <= KEY_PAD_LAST)
        return PAD_ROWS + (code - KEY_PAD_0);
    if (code >= KEY_NAV_PAD_FIRST && code <= KEY_NAV_PAD_LAST)
        return PAD_ROWS + (code - KEY_NAV_PAD_FIRST);
    return -1;
}

bool key_table_row_is_pad_digit(int32_t row)
{
    return row >= PAD_ROWS && row < PAD_ROWS + PAD_DIGIT_ROWS;
}

int32_t key_ring_code(int32_t code, bool *keypad)
{
    *keypad = true;
    if (code >= KEY_PAD_0 && code <= KEY_PAD_LAST)
        return pad_ring_codes[code - KEY_PAD_0];
    if (code >= KEY_NAV_PAD_FIRST && code <= KEY_NAV_PAD_LAST)
        return nav_pad_codes[code - KEY_NAV_PAD_FIRST];
    *keypad = false;
    return code;
}

uint8_t key_make_code(int32_t code)
{
    if (code >= KEY_NUM_LOCK && code <= KEY_ALT_LEFT)
        return modifier_make[code - KEY_NUM_LOCK];
    const int32_t row = key_table_row_of(code);
    if (row < 0)
        return 0;
    if (row >= EXTENDED_ROWS && rows[row].col[KEY_COL_PLAIN] == 0)
        return 0;
    return uint8_t(rows[row].col[KEY_COL_MAKE]);
}

bool key_is_extended(int32_t code)
{
    switch (code) {
    case KEY_LEFT:
    case KEY_UP:
    case KEY_RIGHT:
    case KEY_DOWN:
    case KEY_INSERT:
    case KEY_HOME:
    case KEY_PAGE_UP:
    case KEY_DELETE:
    case KEY_END:
    case KEY_PAGE_DOWN:
    case KEY_PAD_0 + 11: // keypad "/"
    case KEY_PAD_LAST:   // keypad Enter
    case KEY_CTRL_RIGHT:
    case KEY_ALT_RIGHT:
        return true;
    default:
        return false;
    }
}

int32_t key_pc_button_of_x_keycode(uint32_t x_keycode)
{
    if (x_keycode <= X_KEYCODE_OFFSET)
        return 0;
    const uint32_t input = x_keycode - X_KEYCODE_OFFSET;
    // Num Lock is the extended form of the scan code Pause uses.
    if (input == INPUT_CODE_NUM_LOCK)
        return 0x100 | INPUT_CODE_PAUSE_SCAN;
    if (input <= 88)
        return int32_t(input);
    for (const x_extended_key &k : x_extended_keys)
        if (k.input_code == input)
            return k.button;
    return 0;
}
