// The system's lock-key states and held modifier keys, as the desktop sees
// them, independent of the program's window.
//
// Read through an own connection to the display (never the window's), so any
// one thread at a time may call these. With no display every state is off.
#pragma once

struct system_lock_states {
    bool caps_lock_on = false;
    bool num_lock_on = false;
    bool scroll_lock_on = false;
};

struct system_key_state {
    system_lock_states locks;
    bool scroll_lock_down = false;
    bool shift_left_down = false, shift_right_down = false;
    bool ctrl_left_down = false, ctrl_right_down = false;
    bool alt_left_down = false, alt_right_down = false;
};

// The three lock indicators.
system_lock_states system_lock_states_read();

// The lock indicators and which of Scroll Lock, Shift, Ctrl and Alt are down.
system_key_state system_key_state_read();

typedef struct _XDisplay Display;

// The key codes of the held keys that system_key_state tells apart (0 where
// the keyboard has none), found once on a display; the keys down in a keymap
// (XQueryKeymap's or a KeymapNotify event's 32 bytes, a bit a key code) are
// then read without a call to the display.
struct system_key_codes {
    unsigned char scroll_lock, shift_left, shift_right, ctrl_left, ctrl_right, alt_left, alt_right;
};
system_key_codes system_key_codes_find(Display *display);

// Whether key code is down in keys.
bool system_key_down(const char keys[32], unsigned char code);

// Which of those keys are down in keys; the lock states are left off.
system_key_state system_keys_held(const system_key_codes &codes, const char keys[32]);
