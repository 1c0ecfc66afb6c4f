// The input device table: a uniform view of the keyboard (device 1) and the
// mouse (device 2), each with a queue of state snapshots, so that a program
// can poll for the next device that changed and read its buttons, axes and
// wheels. Controllers (type 1) belong to the model and to STICK and STRIG, but
// none is ever added.
//
// A queue entry is one byte per button (1 down), one f32 per axis and per
// wheel, then the u64 event number. Entry 0 is the previous state, entry 1
// the current state, entries 2 and on are pending events, oldest first; the
// newest entry is the live state.
//
// Threads: the main thread appends events (the window layer's first look at
// key messages, the mouse callbacks); the program thread reads and drops
// entries. Each queue is a ring of fixed size (the keyboard 256 entries, the
// mouse 1,024); a full queue drops its oldest entry. The program thread reads
// from its own copies of entries 0 and 1, taken when it moves the queue on.
//
// Order of calls: devices_static_init (zeroed table), devices_startup (fills
// devices 1 and 2).
#pragma once

#include <cstdint>

struct string_descriptor;

constexpr int32_t DEVICE_TABLE_RECORDS = 1001; // used from index 1
constexpr int32_t DEVICE_KEYBOARD = 1;
constexpr int32_t DEVICE_MOUSE = 2;

constexpr int32_t DEVICE_TYPE_CONTROLLER = 1;
constexpr int32_t DEVICE_TYPE_KEYBOARD = 2;
constexpr int32_t DEVICE_TYPE_MOUSE = 3;

constexpr uint32_t KEYBOARD_QUEUE_CAPACITY = 256;
constexpr uint32_t MOUSE_QUEUE_CAPACITY = 1024;

// Empties the table: no devices, no current device, event counter 0.
void devices_static_init();
// Start-up: device 1 keyboard (512 buttons), device 2 mouse (3 buttons, 2
// axes, 3 wheels), each with two zeroed entries. No other thread may use the
// table meanwhile.
void devices_startup();

// --- Main thread: events ----------------------------------------------------

// A key message: button = PC scan code, plus 256 for extended keys (0-511).
// Nothing happens when the button is already in that state (auto-repeat).
void device_keyboard_button_event(int32_t button, bool down);
// The window lost the keyboard focus: every key the keyboard device holds
// goes up, one event each (their releases would never arrive).
void device_keyboard_release_all();
// Mouse buttons 1-3.
void device_mouse_button_event(int32_t button, bool down);
// The mouse position as axes from -1 (left, top) to 1 (right, bottom).
void device_mouse_axes_event(float x_axis, float y_axis);

// --- Program thread: queries ------------------------------------------------
//
// given_mask: bit 0 set when the optional argument was given. Queries without
// a current device, or with an index outside the devices or the device's
// buttons, axes or wheels, raise error 5 and give 0.

int32_t device_count();
// The name of device n (default the current device); "" after error 5.
string_descriptor *device_name_str(int32_t n, uint32_t given_mask);
// Without n: makes the device whose next pending event is oldest current,
// moves its queue on and returns its number (0 when no events wait). With n:
// makes device n current; -1 when it moved its queue on, else 0.
int32_t device_next_input(int32_t n, uint32_t given_mask);
// -1 when button b (default 1) is down in the current state.
int32_t device_button_state(int32_t b, uint32_t given_mask);
// -1 when button b went down between the previous and current state, 1 when
// it went up, else 0.
int32_t device_button_change(int32_t b, uint32_t given_mask);
double device_axis_value(int32_t a, uint32_t given_mask);
double device_wheel_value(int32_t w, uint32_t given_mask);
int32_t device_button_count(int32_t n, uint32_t given_mask);
int32_t device_axis_count(int32_t n, uint32_t given_mask);
int32_t device_wheel_count(int32_t n, uint32_t given_mask);

// STICK(n[, pair]): 1 to 254 from a controller axis, 128 when there is none.
int32_t rt_stick(int32_t n, int32_t pair, uint32_t given_mask);
// STRIG(n[, pair]): a controller button held (odd n) or pressed since the last
// look (even n): -1 or 0.
int32_t rt_strig(int32_t n, int32_t pair, uint32_t given_mask);
