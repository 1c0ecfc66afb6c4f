// DRAW: a command string of the graphics macro language drawn as connected
// line segments on the write page.
//
// The pen works in physical pixels of the write page and moves in unit steps
// along eight directions (U D L R E F G H) or to a point (M); the steps are
// turned by the page's DRAW angle (A, TA), corrected for the mode's pixel
// aspect, and multiplied by its DRAW scale (S). B draws nothing with the next
// move, N leaves the pen where it was, C sets the colour, P paints at the pen
// and X runs a string held in the DOS string area. Numeric arguments are
// decimal numbers with optional signs and one point, or "=" references to a
// value in the DOS string area.
//
// Angle, scale and colour stay in the page between statements; the pen goes
// back into the page's graphics cursor at the end. At an error (5 for a bad
// command or argument, 6 for strings run too deeply) DRAW stops: segments
// drawn so far and angle, scale and colour changes stay, and the graphics
// cursor keeps the value it had before the statement. Program thread only.
#pragma once

#include <cstdint>

struct string_descriptor;

// Runs the command string on the write page. Does nothing while an error is
// pending; error 5 on a text page. The string is not released.
void rt_draw(const string_descriptor *commands);

// A command string being read: its bytes, length and read position.
struct draw_cursor {
    const uint8_t *source;
    int64_t length;
    int64_t position;
};

// One numeric argument: the value (0 when there is none), whether the text
// read forms no complete number (invalid) and whether nothing was read
// (empty).
struct draw_number {
    double value;
    bool invalid;
    bool empty;
};

// Reads a numeric argument at the cursor's position and leaves the position
// on the first byte not consumed. Blanks and tabs are skipped anywhere in a
// decimal number; a reference ("=", a type byte, a 16-bit offset) is taken
// only as the argument's first byte.
draw_number draw_number_read(draw_cursor *at);

// How many strings X may suspend before error 6.
constexpr uint32_t DRAW_NESTING_LIMIT = 8192;
