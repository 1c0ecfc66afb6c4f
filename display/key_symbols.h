// The keys of the key table by their X key symbols.
//
// A key's symbol, as X gives it for the key event (the level Shift, Caps Lock
// and Num Lock chose), names the key table's row; Ctrl and Alt do not change
// it. So Ctrl+3 is the "3" key with Ctrl, not the control character X makes
// of it, and the keypad's symbols tell its keys from the main block's.
#pragma once

#include <cstdint>

// The runtime key code of the key a symbol names:
// - the characters of the PC keyboard's main block ("a", "#", "[" ...) are
//   their own codes; a letter with Ctrl is lower case unless Shift is held,
//   whatever Caps Lock says;
// - Backspace, Tab (Shift+Tab too), Enter and Esc are 8, 9, 13 and 27;
//   Delete, F1-F12 and the grey navigation keys are scan x 256;
// - keypad 0-9 and "." are 100256-100266 when the event's Num Lock
//   (KEY_MOD_NUM_LOCK) is on, 200000-200010 when it is off, whichever of
//   their two symbols X gave, except that with Num Lock on and Shift the
//   navigation symbol X gives is the navigation key; keypad "/", "*", "-",
//   "+" and Enter are 100267-100271.
// 0 for any other symbol: characters of other layouts and the like, which
// keep the character X made of them. modifiers: KEY_MOD_* bits.
int32_t key_code_of_x_symbol(uint32_t keysym, uint32_t modifiers);

// True for the codes of the keypad keys (100256-100271, 200000-200010).
bool key_code_is_keypad(int32_t code);
