// The sequential readers that read a serial port by its own rules: a port has
// no length and no position to go back to, so INPUT$ reads by count and the
// BINARY form of LINE INPUT # reads up to the line feed byte by byte. Both
// wait as every read of the port does (its DS time).
#pragma once

#include <cstdint>

struct string_descriptor;

// INPUT$(count, #n) on a BINARY port: up to count bytes, fewer when the
// time ran out (then the end flag is set); a temporary string.
string_descriptor *com_input_str(int32_t handle, int32_t count);

// LINE INPUT # on a BINARY port: the bytes before the next line feed, without
// a CR before it; a line cut short by the time-out is returned as it came.
// Error 62 when nothing at all arrives.
void com_line_input_binary(int32_t handle, string_descriptor *dest);
