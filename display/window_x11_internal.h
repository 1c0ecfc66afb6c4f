// What the X11 window layer's files share among themselves. Main thread only.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>

// The window's class (WM_CLASS) in the usual form: the program's file name
// as the instance, the same name with its first letter capitalised as the
// class ("tarvo", "Tarvo").
struct window_class {
    std::string instance, class_name;
};
window_class window_class_of(const char *program_path);

// Between these two calls the toolkit makes the window: its standard
// properties get the fixed size (unless the window is resizable) and the
// class before the window is first mapped.
void window_creation_begin(int32_t width, int32_t height, const window_class &names);
void window_creation_end();
// Reads what the server has sent without waiting; true when a queued event
// passes the test. Takes no event from the queue.
using event_predicate = Bool (*)(Display *, XEvent *, XPointer);
bool event_queued(Display *display, event_predicate predicate, XPointer arg);

// The window being made, once the toolkit has written its properties (just
// before its first map); 0 at other times.
Window window_creation_window();
// Where the toolkit's wait for the new window's first map ended without it:
// asks for the map again every half second (called from the loop) until the
// window is first mapped (window_events_install's hook sees the map as it
// comes and forgets), or no more once the program shows or hides the window
// itself (forget).
void window_first_map_poll(Display *display);
void window_first_map_forget();

// The title and icon name as UTF-8 (_NET_WM_NAME, _NET_WM_ICON_NAME) from a
// Latin-1 title; the toolkit sets the Latin-1 WM_NAME and WM_ICON_NAME.
void window_names_set(Display *display, Window window, const char *title);

// The conversation with the window manager (window_manager_x11.cpp).
// window_manager_attach begins it once the toolkit has made the window: the
// window's moves, sizes and state changes are noted as its events tell
// them, and the size hints fix the window's size.
void window_manager_attach(Display *display, Window window, int32_t width, int32_t height);
// Before the window takes a size the program gives: it leaves full screen
// and a maximised state, and the size hints fix the new size.
void window_size_given(int32_t width, int32_t height);
// Before a hidden window is shown at a place: it is moved there, and its
// size hints name the place as the user's choice. After the show: the frame
// is kept there once a window manager has placed the window afresh.
void window_place_given(int32_t x, int32_t y);
void window_place_keep(int32_t x, int32_t y);
// The regular work between frames: a place being kept, full screen held (or
// left when the window manager ended it), and the screen's size followed.
void window_manager_poll();

// Installs the first look at key, focus and client messages on the window's
// connection (the toolkit's own), and Windows-style key repeat.
void window_events_install(Display *display, Window window);

// The key event the toolkit reports now, found among the key events seen
// first and handed to the keyboard with its X key code, key symbol,
// modifiers (Num Lock included) and the text the input method makes of it.
// Events before it that the toolkit did not report are served on the way
// (Pause, Break, Scroll Lock, SysReq, Shift+Tab, dead keys). A character key
// is matched by the character X made of the event, as the toolkit does, a
// special key by the toolkit's special-key number. False when no seen event
// matches.
bool window_key_char_event(uint8_t character, bool down);
bool window_key_special_event(int32_t special_key, bool down);

// Serves key events the toolkit did not report and a loss of the keyboard
// focus; takes relative motion from the raw pointer device.
void window_events_poll();

// Starts relative motion from the raw pointer device on a connection of its
// own (the first time the pointer moves over the window).
void window_raw_motion_start();

// The toolkit's registration calls, one per callback, as glut_callbacks_register
// makes them. Tests put recording functions in their place to see what is
// registered without a display; null restores the toolkit's own.
struct toolkit_callback_registrar {
    void (*display)(void (*callback)());
    void (*timer)(unsigned int delay_ms, void (*callback)(int), int value);
    void (*keyboard)(void (*callback)(unsigned char, int, int));
    void (*keyboard_up)(void (*callback)(unsigned char, int, int));
    void (*special)(void (*callback)(int, int, int));
    void (*special_up)(void (*callback)(int, int, int));
    void (*mouse)(void (*callback)(int, int, int, int));
    void (*motion)(void (*callback)(int, int));
    void (*passive_motion)(void (*callback)(int, int));
    void (*reshape)(void (*callback)(int, int));
    void (*wheel)(void (*callback)(int, int, int, int));
};
void toolkit_callback_registrar_set(const toolkit_callback_registrar *replacement);
