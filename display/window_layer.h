// The window layer: the program's one window, its OpenGL context and its
// event loop, behind a face that names no toolkit.
//
// Beyond what the toolkit offers, the layer gives the runtime:
// - a border the user cannot drag unless window_resizable_flag says so (the
//   program itself still resizes the window);
// - the first look at key and client messages: every key message feeds the
//   keyboard device (window_proc_key_hook), and the close button becomes a
//   close request (window_proc_event_hook) while the window stays;
// - Pause, Break, Scroll Lock, SysReq and Shift+Tab, which the toolkit does
//   not report, as key events;
// - relative mouse motion from the raw pointer device.
//
// Threads: every function here runs on the main thread, the only thread that
// talks to the window's display connection. Other threads ask for window
// changes through window_requests.h.
//
// Order of calls: window_layer_create, then window_layer_run, which never
// returns; the other calls from the callbacks it runs. glut_callbacks_register
// only once the window exists.
#pragma once

#include <cstdint>

// Creates the window (double-buffered RGBA with depth, the given size and
// title) and makes its context current. False when the display cannot be
// opened or the display mode cannot be had.
bool window_layer_create(int *argc, char **argv, const char *title, int32_t width, int32_t height);

// Registers the eleven window callbacks (glut_callbacks_register) and runs
// the event loop.
[[noreturn]] void window_layer_run();

// Registers, in this order: the display callback, the redisplay timer (first
// after 8 ms), keyboard and keyboard-up, special and special-up, mouse,
// motion, passive motion (the motion handler again), reshape and wheel
// callbacks. Calling it again registers the same callbacks again.
void glut_callbacks_register();

void window_layer_reshape(int32_t width, int32_t height);
void window_layer_full_screen();
void window_layer_post_redisplay();
void window_layer_swap_buffers();
void window_layer_timer_arm(uint32_t delay_ms, void (*callback)(int), int value);
void window_layer_title_set(const char *title);
void window_layer_move(int32_t x, int32_t y);
void window_layer_show();
// Shows the window with its frame's top-left corner at (x, y), where a window
// manager would otherwise place it afresh.
void window_layer_show_at(int32_t x, int32_t y);
void window_layer_hide();
// A toolkit cursor number (101 none).
void window_layer_cursor_set(int32_t cursor);

// Where the window is and how large the screen is. The frame's top left is
// (x - border_width, y - border_width - header_height).
struct window_geometry {
    int32_t x, y;          // client area on the screen
    int32_t border_width;  // side border of the window manager's frame
    int32_t header_height; // title bar height, below the frame's top border
    int32_t width, height; // client area
    int32_t screen_width, screen_height;
};
window_geometry window_layer_geometry();

// Calls `seen` with each place the window's frame was moved to since the last
// call, oldest first, as the window system reported the moves.
void window_layer_moves_take(void (*seen)(int32_t x, int32_t y));

// The main thread's regular work between frames: takes relative motion from
// the raw pointer device and key events the toolkit did not report, puts
// the window back in its place once a window manager has shown it again or
// let it leave full screen, sets a full-screen window that no longer covers
// its monitor back, leaves full screen when the window manager ended it, and,
// with no window manager, follows the screen changing size: a full-screen
// window takes its monitor's new rectangle, a window left off the screen
// comes back onto it.
void window_layer_poll();
