// X's input method for the window (main thread only).
#pragma once

#include <X11/Xlib.h>

#include <string>

// Opens the input method and an input context for the window on its
// connection. False when none opens: keys are then looked up without one.
bool text_input_open(Display *display, Window window);

// What a key event types.
struct key_typed {
    bool swallowed; // a press the input method kept (a dead key): no key at all
    bool composed;  // the character the input method composed, ending with this press
    KeySym keysym;  // the key's symbol, or the composed character's
    std::u32string text;
};

// A key press goes through the input method first; a release, and any key
// without an input method, is looked up as it is. The event's display
// connection is the window's.
key_typed text_input_lookup(const XKeyEvent &event);
