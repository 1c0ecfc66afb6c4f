// The display callback: everything the window shows is drawn here, on the
// main thread, about 60 times a second.
//
// A timer posts a redisplay; the callback takes the newest ready frame from
// the frame ring, makes the window follow the frame's size, serves full-screen
// requests, fits the frame into the window (viewport.h), draws the layers
// (software screen, hardware command layers, bars) and swaps buffers unless
// the program is paused.
//
// Full screen: state 0 windowed, 1 stretched, 2 aspect kept. A request (-1
// none, 0 leave, 1 stretched, 2 aspect kept) waits while a reshape of the
// window that this code asked for is in progress. That wait ends at the next
// reshape report, at once when the window already has the size asked for, or
// after RESHAPE_TIMEOUT_MS, so a window manager that refuses a size cannot
// hold full screen back for ever. A request also waits for the window's
// first picture: a window manager may take the window over only then (one
// on a Wayland desktop does), and must find it as a plain window of its
// fixed size, which it may float, not one already full screen.
//
// Threads: the program thread writes the request words (full_screen_set,
// resize settings) and reads the state and the resize report; the main thread
// owns everything else here.
//
// Order of calls: display_state_reset at start-up; once the window exists the
// window layer registers glut_display_callback, glut_reshape_callback and
// arms glut_timer_callback after 8 ms.
#pragma once

#include "display/viewport.h"

#include <atomic>
#include <cstdint>

// --- Words shared with the program thread ----------------------------------

extern std::atomic<int32_t> full_screen_request; // -1 none, 0 leave, 1 stretched, 2 aspect
extern std::atomic<int32_t> full_screen_state;   // 0 windowed, 1 stretched, 2 aspect kept
extern std::atomic<int32_t> full_screen_smooth;  // 1: linear filtering in full screen
extern std::atomic<int32_t> resize_denied;       // 1: the window keeps the frame's size
extern std::atomic<int32_t> stretch_mode;        // 0 none, 1 stretch, 2 smooth stretch
// -1 after each reshape (taken by resize_pending_query), with its size.
extern std::atomic<int32_t> resize_pending;
extern std::atomic<int32_t> resize_width;
extern std::atomic<int32_t> resize_height;

// --- Main thread state -------------------------------------------------------

constexpr int64_t RESHAPE_TIMEOUT_MS = 1000;
// Asks in a row for a windowed size that the window does not take, before it
// keeps the size the window manager gives it.
constexpr int32_t WINDOW_SIZE_ASKS = 3;

struct display_window_state {
    window_size window{640, 400};   // last size reported by the reshape callback
    window_size previous{640, 400}; // the one before
    bool force_redraw = false;      // draw even without a new frame
    bool reshape_in_progress = true;
    bool reshape_target_known = false; // false until this code asks for a size
    window_size reshape_target{640, 400};
    int64_t reshape_started_ms = 0;
    float frame_aspect = 1.6f;
    float last_window_aspect = 1.6f;
    window_size last_frame{640, 400};
    // The size the windowed window is to have, and how many times in a row
    // it was asked for without the window taking it.
    window_size wanted{0, 0};
    int32_t wanted_asks = 0;
    int32_t followed_settings = -1; // stretch mode and resize denial as last followed
    bool full_screen_left = false;  // the window manager ended full screen
    uint64_t last_drawn_frame_order = 0;
    uint64_t last_shown_slot_order = 0; // order of the frame drawn last, 0 none
    // What the last drawing showed besides the frame, so that a still screen
    // is not drawn again: the hardware commands queued by then, whether its
    // pass ran any (the next frame order then shows none), the layer order,
    // and whether the swap was held back by a pause.
    uint64_t drawn_appended_count = 0;
    bool drawn_commands = false;
    int32_t drawn_layer_order[4] = {0, 0, 0, 0};
    bool swap_held = false;
    bool picture_drawn = false; // the window has drawn its first picture
    bool in_callback = false;
};
extern display_window_state display_window;

// Puts every word of this module back to its start value; `now_ms` starts the
// reshape time-out that also covers the window's first appearance.
void display_state_reset(int64_t now_ms);

// --- Program thread ---------------------------------------------------------

// Full-screen request by mode: 0 stretched, 1 leave, 2 stretched, 3 aspect
// kept; other modes ask for nothing. Bit 0 of flags turns smoothing on. The
// next frame is rebuilt in any case.
void full_screen_set(int32_t mode, int32_t flags);
// Any thread: stores a request (0 leave, 1 stretched, 2 aspect kept) for the
// program and for Alt+Enter alike. The last request wins: one equal to the
// state cancels a pending one, any other replaces it.
void full_screen_request_put(int32_t request);
// The pending request when there is one, else the state.
int32_t full_screen_get();

// --- Main thread --------------------------------------------------------------

// What the window must do for a frame.
struct window_actions {
    bool reshape = false; // resize the window to `size`
    window_size size{0, 0};
    bool full_screen = false; // enter full screen
    bool redisplay = false;   // post another redisplay
};

// Makes the window follow a frame of the given size and serves a pending
// full-screen request (the callback's window steps).
window_actions display_window_follow(window_size frame, int64_t now_ms);

// The window manager took the window out of full screen (its own key, a
// menu): the state becomes windowed, as after a request to leave, and the
// window is asked for its windowed size anew.
void display_full_screen_left();

// Records a reshape report of the window.
void display_reshape_note(int32_t width, int32_t height);

// Takes an Alt+Enter press counted by the keyboard and moves full screen one
// step on.
void display_alt_enter_serve();

// The viewport for a frame of the given size in the current window.
render_viewport display_viewport_of(window_size frame);

// True when a draw now would show something the window does not show yet: a
// newer frame, hardware commands for a frame order not drawn, a changed layer
// order, a reshape, a full-screen request, or a swap held back by a pause that
// has ended. The redisplay timer posts a redisplay only then; every display
// callback draws, so an expose from the window system is always served.
bool display_redraw_due();
// What a drawing showed: the frame's order, the frame-order bound, the
// appended-command count read before the pass, the commands it ran and
// whether it swapped. The display callback notes every drawing.
void display_drawn_note(uint64_t shown_order, uint64_t bound, uint64_t appended, uint32_t commands,
                        bool swapped);

// Toolkit callbacks.
void glut_display_callback();
void glut_reshape_callback(int width, int height);
void glut_timer_callback(int value);
// Posts a redisplay and re-arms itself after `value` ms; nothing arms it here.
void redisplay_timer_tick(int value);
