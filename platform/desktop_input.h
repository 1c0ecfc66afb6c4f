// Synthetic input to the desktop: pointer clicks and key strokes delivered as
// if the user made them, to whatever window has the pointer or the focus.
//
// On X11 through the XTEST extension, on a connection of its own for each
// call, so any thread may call these. Without a display or the extension
// nothing is sent.
#pragma once

#include <cstddef>
#include <cstdint>

// One key stroke: the key down, then up.
struct desktop_key_stroke {
    uint32_t keysym; // X key symbol
    bool ctrl;       // Ctrl held around the key
    bool shift;      // Shift held around the key; the layout may ask for it too
};

// Moves the pointer to a screen position (clamped to the screen) and clicks
// the left button there.
void desktop_pointer_click(int32_t x_px, int32_t y_px);

// Sends the strokes in order. A symbol the keyboard has no key for is
// skipped; Shift is added for a symbol the layout reaches only with Shift.
void desktop_keys_type(const desktop_key_stroke *strokes, size_t count);
