// Keyboard input.
//
// The window layer calls the entry points below on the main thread with the
// toolkit's key codes; they become the runtime's key codes (display/
// key_table.h) and go to one key-down and one key-up handler. The handlers
// keep the set of held keys, serve Break, Pause and Alt+Enter, fire key traps
// and type soft-key strings, and feed four consumers:
// - the key-hit ring (key_hit_next): 8,191 waiting entries, the oldest dropped
//   when full; a release is the negated code;
// - the emulated BIOS keyboard buffer at 0040:001A-003D (INKEY$): 15 entries
//   of character and scan byte; when it is full the new key is dropped;
// - the scan-code queue behind port &H60 (make and break codes);
// - the BIOS keyboard flag bytes at 0040:0017, 0040:0018 and 0040:0096.
//
// Threads: only the main thread writes the held-key set, the rings, the BIOS
// buffer's tail and the scan-code queue. The program thread reads them and
// moves only its own read positions. The runtime loop thread reads the
// system's lock keys and posts them (lock_keys_sync); the main thread applies
// them in key_main_thread_poll. Every table has a fixed size, so nothing a
// reader uses is ever moved.
//
// Order of calls at start-up: keyboard_reset (after the DOS memory is
// zeroed), then keyboard_startup with the system's key state.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

struct string_descriptor;
struct system_key_state;
struct system_lock_states;

// --- Window layer entry points (main thread) --------------------------------
//
// physical_key is the window system's number of the key that moved (the X
// key code), 0 when unknown. A release releases the code its key's press
// produced, even when Shift or Ctrl changed in between.

// The toolkit's modifier bits, and the Num Lock state of a key event.
constexpr uint32_t KEY_MOD_SHIFT = 1;
constexpr uint32_t KEY_MOD_CTRL = 2;
constexpr uint32_t KEY_MOD_ALT = 4;
constexpr uint32_t KEY_MOD_NUM_LOCK = 8;

// A character key (the toolkit's keyboard and keyboard-up callbacks). With
// Ctrl held the control characters of letters become the letters again
// (upper case with Shift); 127 is Delete.
void glut_key_translate(uint8_t key, uint32_t modifiers, bool down, uint32_t physical_key);

// A character key with the X key symbol of its event and the character X
// made of it (the toolkit's keyboard callbacks). A symbol of the key table
// gives the key's code (display/key_symbols.h), whatever character X made:
// Ctrl+3 is "3" with Ctrl, keypad 0 a keypad key. Other symbols (characters
// of other layouts) keep X's character, as glut_key_translate takes it; a 0
// there is a key that arrived with code 0. A keypad key brings the held Num
// Lock in step with the event's KEY_MOD_NUM_LOCK first.
void x_key_translate(uint8_t key, uint32_t keysym, uint32_t modifiers, bool down,
                     uint32_t physical_key);

// A key with the text X's input method typed for it: a symbol of the key
// table goes as in x_key_translate; otherwise the text does, a character
// above 127 by key_press_unicode / key_release_unicode and others as
// glut_key_translate takes them. A text of several characters types all but
// its last at once; the last is the key's. With no text, the toolkit's
// character `key` goes as glut_key_translate takes it, and with none (-1)
// only a release of what the key pressed.
void x_text_key_translate(int32_t key, uint32_t keysym, std::u32string_view text,
                          uint32_t modifiers, bool down, uint32_t physical_key);

// Characters typed at once, each pressed and released, as a text's
// characters before its last are in x_text_key_translate.
void x_text_type(std::u32string_view text, uint32_t modifiers);

// A press the input method kept for a character to come (a dead key): it
// gives nothing, nor does its release; a code the key held is let go.
void key_press_swallowed(uint32_t physical_key);

// A key without a character (the toolkit's special and special-up callbacks):
// F1-F12, the arrows and navigation keys, keypad Delete and centre, Shift,
// Ctrl and Alt. Other keys are ignored.
void glut_special_key_translate(int32_t key, bool down, uint32_t physical_key);

// The same with the X key symbol of its event: a symbol of the key table goes
// as in x_key_translate (the keypad with Num Lock off as 200000-200010), any
// other as glut_special_key_translate.
void x_special_key_translate(int32_t key, uint32_t keysym, uint32_t modifiers, bool down,
                             uint32_t physical_key);

// A key the toolkit does not report, by its X key symbol: Shift+Tab
// (ISO_Left_Tab) is Tab, and Pause, Break, Scroll Lock and SysReq. Returns
// false for any other symbol.
bool key_x_keysym_event(uint32_t keysym, uint32_t modifiers, bool down, uint32_t physical_key);

// A character from the input method: code-page characters by their code,
// full-width forms as ASCII, anything else as u | 0x40000000.
void key_press_unicode(uint32_t u, uint32_t physical_key);
void key_release_unicode(uint32_t u, uint32_t physical_key);

// The window hook's key event: Pause (100019) or Break (100318); value below
// 1 releases, else presses. Returns 0, or -1 for any other code.
int32_t window_key_hook_event(int32_t code, int32_t value);

// The window lost the keyboard focus: every key held through the window is
// released (its release would never arrive). Lock states stay. The input
// device table's keyboard, fed as key messages arrive, is let go as the loss
// arrives (device_keyboard_release_all).
void key_focus_lost();
// The window has the keyboard focus again: the modifier keys (Shift, Ctrl,
// Alt) down in `state` that are not held are pressed, as if just pressed;
// the others stay as they are. Lock states follow the system's on their own.
void key_focus_regained(const system_key_state &state);

// Applies the lock-key states the runtime loop posted. Called from the main
// thread's timer callback.
void key_main_thread_poll();

// --- Handlers (main thread) -------------------------------------------------

void keyboard_key_down_event(int32_t code);
void keyboard_key_up_event(int32_t code);

// --- Held-key set -----------------------------------------------------------

constexpr uint32_t HELD_KEY_CAPACITY = 256;

// Whether the code is held, or an alias of it: "0"-"9", ".", "/", "*", "-",
// "+" and Enter also match their keypad keys, the navigation keys their
// keypad keys with Num Lock off. Any thread.
bool key_is_down(int32_t code);

// Main thread: adds a code once (with the current key_companion_value, which
// is then cleared), or removes it. When the set is full the code is not added.
void key_held_add(int32_t code);
void key_held_remove(int32_t code);
// Main thread: releases (through the key-up handler) the held key whose
// companion value matches.
void key_held_release_by_value(uint32_t value);

// Program thread: -1 when the key is held, else 0; a code below 1 raises
// error 5.
int32_t key_down_query(int32_t code);

// Rewrites the three BIOS keyboard flag bytes from the held-key set.
void bios_keyboard_flags_update();

// --- Program thread reads ---------------------------------------------------

constexpr uint32_t KEY_HIT_RING_SLOTS = 8192; // holds 8,191 waiting entries

// The oldest key-hit entry's code, removed; 0 when none waits.
int32_t key_hit_next();

// INKEY$: one BIOS buffer entry as a temporary string: one character, or
// CHR$(0) and the scan byte for an extended key; empty when none waits or an
// error is pending.
string_descriptor *rt_inkey_str();

// Empties key buffers (bit 0 of given_mask: n given): 1 the BIOS buffer, 2 the
// key-hit ring, 3 the scan-code queue, none all of them. n outside 1-3 raises
// error 5. Nothing while an error is pending.
void key_buffers_clear(int32_t n, uint32_t given_mask);

// --- Alt+Enter --------------------------------------------------------------

// Counted by the key-down handler for Alt+Enter; the display code takes it on
// the main thread and moves full screen one step on with
// full_screen_alt_enter_next, then has the next frame rebuilt.
extern std::atomic<uint32_t> alt_enter_requests;
// True (and one request taken) when Alt+Enter was pressed since the last call.
bool alt_enter_request_take();

struct full_screen_choice {
    int32_t mode; // 0 windowed, 1 stretched, 2 aspect kept
    bool smooth;
};
// The step of Alt+Enter from the current mode (the pending request, else the
// state) and smooth flag: 0, 1, 1 smooth, 2, 2 smooth, back to 0.
full_screen_choice full_screen_alt_enter_next(int32_t current, bool smooth);

// --- Lock keys and start-up -------------------------------------------------

// Start-up (main thread, before the other threads): presses the lock and
// modifier keys the system has down or on, sets the Scroll Lock state, updates
// the flag bytes and empties the key-hit ring.
void keyboard_startup(const system_key_state &state);

// Runtime loop thread: reads the system's lock keys and posts them.
void lock_keys_sync();
// Posts the system's lock states to the main thread, which brings the held
// keys in step with the newest states posted.
void lock_keys_post(const system_lock_states &states);

// Empties every table and buffer (BIOS buffer head and tail 30, the scan-code
// queue reset) and rewrites the flag bytes from the empty held-key set. Start-up and tests; no
// other thread may use the keyboard meanwhile.
void keyboard_reset();
