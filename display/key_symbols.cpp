// The keys of the key table by their X key symbols.
#include "display/key_symbols.h"

#include "display/key_table.h"
#include "display/keyboard.h"

#include <X11/keysym.h>

#include <iterator>

namespace
{

struct symbol_key {
    uint32_t keysym;
    int32_t code;
};

// Keys without a character of their own, and the keypad.
constexpr symbol_key symbol_keys[] = {
    {XK_BackSpace, 8},
    {XK_Tab, KEY_TAB},
    {XK_ISO_Left_Tab, KEY_TAB},
    {XK_Return, KEY_ENTER},
    {XK_Escape, 27},
    {XK_Delete, KEY_DELETE},
    {XK_F11, KEY_F11},
    {XK_F12, KEY_F12},
    {XK_Home, KEY_HOME},
    {XK_Up, KEY_UP},
    {XK_Prior, KEY_PAGE_UP},
    {XK_Left, KEY_LEFT},
    {XK_Right, KEY_RIGHT},
    {XK_End, KEY_END},
    {XK_Down, KEY_DOWN},
    {XK_Next, KEY_PAGE_DOWN},
    {XK_Insert, KEY_INSERT},
    {XK_KP_Divide, KEY_PAD_0 + 11},
    {XK_KP_Multiply, KEY_PAD_0 + 12},
    {XK_KP_Subtract, KEY_PAD_0 + 13},
    {XK_KP_Add, KEY_PAD_0 + 14},
    {XK_KP_Enter, KEY_PAD_LAST},
};

// The keypad keys 0-9 and "." by both their symbols: X gives the navigation
// symbol with Num Lock off, and with Num Lock on and Shift.
struct pad_key {
    uint32_t digit, navigation;
};
constexpr pad_key pad_keys[] = {
    {XK_KP_0, XK_KP_Insert}, {XK_KP_1, XK_KP_End},          {XK_KP_2, XK_KP_Down},
    {XK_KP_3, XK_KP_Next},   {XK_KP_4, XK_KP_Left},         {XK_KP_5, XK_KP_Begin},
    {XK_KP_6, XK_KP_Right},  {XK_KP_7, XK_KP_Home},         {XK_KP_8, XK_KP_Up},
    {XK_KP_9, XK_KP_Prior},  {XK_KP_Decimal, XK_KP_Delete},
};

// The code of keypad 0-9 or "." by the event's Num Lock state; 0 for other
// symbols. With Num Lock off Shift does not pick the code: the key table's
// Shift column does what Shift does on the keypad. With Num Lock on and Shift
// the key is the navigation key its symbol names; the table's Num Lock and
// Shift column gives its BIOS value.
int32_t pad_key_code(uint32_t keysym, uint32_t modifiers)
{
    const bool num_lock = modifiers & KEY_MOD_NUM_LOCK;
    const bool shift = modifiers & KEY_MOD_SHIFT;
    for (int32_t i = 0; i < int32_t(std::size(pad_keys)); i++) {
        const bool navigation = pad_keys[i].navigation == keysym;
        if (pad_keys[i].digit == keysym || navigation)
            return (num_lock && !(shift && navigation) ? KEY_PAD_0 : KEY_NAV_PAD_FIRST) + i;
    }
    return 0;
}

bool is_letter(uint32_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A letter typed with Ctrl: upper case with Shift, else lower case.
int32_t ctrl_letter(uint32_t c, uint32_t modifiers)
{
    const uint32_t lower = c | 0x20;
    return int32_t((modifiers & KEY_MOD_SHIFT) ? lower - 0x20 : lower);
}

} // namespace

int32_t key_code_of_x_symbol(uint32_t keysym, uint32_t modifiers)
{
    if (keysym >= XK_space && keysym <= XK_asciitilde) {
        if (is_letter(keysym) && (modifiers & KEY_MOD_CTRL))
            return ctrl_letter(keysym, modifiers);
        return int32_t(keysym);
    }
    if (keysym >= XK_F1 && keysym <= XK_F10)
        return KEY_F1 + int32_t(keysym - XK_F1) * 256;
    if (const int32_t code = pad_key_code(keysym, modifiers))
        return code;
    for (const symbol_key &k : symbol_keys)
        if (k.keysym == keysym)
            return k.code;
    return 0;
}

bool key_code_is_keypad(int32_t code)
{
    return (code >= KEY_PAD_0 && code <= KEY_PAD_LAST) ||
           (code >= KEY_NAV_PAD_FIRST && code <= KEY_NAV_PAD_LAST);
}
