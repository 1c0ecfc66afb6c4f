// The value box and the run-state reset. Program thread only.
#pragma once

#include <cstdint>

// Shows STR$ of the value in a system-modal box captioned "showvalue" and
// waits until it is closed.
void debug_showvalue(int64_t value);

// Puts the run state back to its start values: key traps off, SCREEN 0 on
// pages 0 and 0, WIDTH 80, 25, the mode's default palette, colours 7 on 0,
// and RND from the start of its sequence.
void screen_reset_text();
