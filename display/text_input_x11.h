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
    std::u32string before; // typed at once before the key: see text_input_lookup
};

// A key press goes through the input method first; a release, and any key
// without an input method, is looked up as it is. The event's display
// connection is the window's.
//
// A press that breaks off the sequence under way (one that does not go on
// with it and does not end it), which the input method would drop with the
// sequence, is the key as it is with no sequence under way; when it types a
// character of its own (not with Ctrl or Alt, not a keypad key nor a control
// character; a dead key does) the accents of the sequence's dead keys, in
// their spacing forms, come before it.
key_typed text_input_lookup(const XKeyEvent &event);

// Ends the sequence under way, if any (the window lost the keyboard focus):
// the keys kept for it give nothing, and the next key starts anew.
void text_input_sequence_end();
