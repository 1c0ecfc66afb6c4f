// Window control services: small operations a program calls to control its
// window and its surroundings - the title, automatic or manual display, the
// close request, the clipboard, the window's position and visibility, resize
// settings, the console, synthetic desktop input and a debug log.
//
// All run on the program thread. What needs the window is queued for the
// main thread (window_requests.h); what the runtime loop or the display
// callback read are atomic words.
#pragma once

#include "platform/desktop_input.h"

#include <cstdint>
#include <vector>

struct string_descriptor;

// The window title (up to the text's first CHR$(0)). Nothing while an error
// is pending.
void window_title_set(string_descriptor *text);

// Automatic display: the runtime loop builds frames.
void display_auto_set();
// Displays now: switches to manual display the first time (waiting until the
// frame builder has taken the switch), afterwards builds a frame at once.
// Nothing while the window is hidden.
void display_now();
// Waits until the frame builder has finished its next frame; in manual
// display builds one at once.
void display_frame_wait();

// The close requests since the last call (bit 0 close button, bit 1 Break),
// cleared. From the first call on, the program handles exit requests itself.
int32_t exit_request_take();

void clipboard_set(string_descriptor *text);
// A temporary string.
string_descriptor *clipboard_get_str();

// The window's outer top-left corner on the desktop; wait for the window.
int32_t window_desktop_x();
int32_t window_desktop_y();
// passed 2 moves the window to (x, y), 1 centres it on the screen, 0 and 3
// raise error 5. Nothing in full screen or while an error is pending; waits
// for the window.
void window_move(int32_t x, int32_t y, uint32_t passed);
void window_show();
void window_hide();

// Mode 1 lets the user resize the window, 2 keeps it at the frame's size;
// how: 0 no stretching, 1 stretch the frame to the window, 2 smooth stretch.
void resize_mode_set(int32_t mode, int32_t how);
// -1 once after each reshape while resizing is allowed, else 0.
int32_t resize_pending_query();
int32_t resize_width_get();
int32_t resize_height_get();

// The console: the process's own standard streams.
void console_option_set(bool has_console);
int32_t console_handle_get();
void console_window_show(int32_t on);
void console_title_set(string_descriptor *text);

// Synthetic desktop input: a left click at a screen position, and a text
// typed as key strokes.
void desktop_mouse_click(int32_t x, int32_t y);
void desktop_type_text(string_descriptor *text);
// The key strokes of a text: 9 Tab, 8 Backspace, 13 Enter; other codes 1-26
// as Ctrl with the letter; 0 and a scan byte as that extended key (15
// Shift+Tab, 71 Home, 72 Up, 73 Page Up, 75 Left, 77 Right, 79 End, 80 Down,
// 81 Page Down, 82 Insert, 83 Delete; others send nothing); 32-126 as the
// character; anything else sends nothing.
std::vector<desktop_key_stroke> desktop_text_strokes(const uint8_t *text, int32_t length);

// Debug log "log.txt" in the current directory, created afresh on first use.
void debug_log_text(string_descriptor *text);
void debug_log_number(int32_t n);

// Puts the words of these services back to their start values (tests).
void window_services_reset();
