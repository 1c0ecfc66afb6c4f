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
