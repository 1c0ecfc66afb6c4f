// The runtime's side of the window layer: what the layer asks of the runtime
// and what it hands over while it creates and runs the window.
//
// Main thread only, except window_handle, which any thread may read once the
// window exists.
#pragma once

#include <cstdint>

// 1 when the user may drag the window's border; 0 in this system.
int32_t window_resizable_flag();

// The native handle of the program's window (the X window), stored by the
// layer right after the window exists.
void window_handle_store(uint64_t handle);
uint64_t window_handle();

// The first look at a key message, before the toolkit handles it: a key went
// down or up. `pc_button` is the PC scan code, plus 256 for extended keys
// (0-511); it feeds the keyboard device of the input device table, which
// ignores a button already in that state (auto-repeat).
void window_proc_key_hook(int32_t pc_button, bool down);

// Events of the window that the toolkit does not report:
constexpr int32_t WINDOW_EVENT_CLOSE = 1;      // close button: a close request
constexpr int32_t WINDOW_EVENT_KEY = 2;        // code 100019 Pause or 100318 Break; value < 1 up
constexpr int32_t WINDOW_EVENT_RAW_MOTION = 3; // code dx, value dy
// Returns 0 when the event was taken, -1 for an unknown event or key.
int32_t window_proc_event_hook(int32_t what, int32_t code, int32_t value);
