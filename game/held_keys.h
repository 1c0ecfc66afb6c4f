// The game's held-key function: which keys are held down, learnt from the
// keyboard port.
//
// Each call reads one PC scan code from port &H60 (the next queued code, or
// the last one again when none is queued) and records a make code as held and
// a break code (scan code + 128) as released, then answers for the key asked
// about. The swamp quest calls it every frame for W, S, A and D, and once
// with 0 after each move only to take in one more code.
//
// Program thread only.
#pragma once

#include "core/array_descriptor.h"

#include <cstdint>

// held_keys(0 TO 127): -1 while the key with that scan code is held, else 0.
extern array_descriptor held_keys;
// -1 once held_keys has been dimensioned, 0 before.
extern int16_t held_keys_ready;

// -1 when the key with scan code `code` (0..127) is held, else 0. Error 9 for
// a code outside 0..127 (the answer is then element 0's). Returns 0 at once
// while an error is pending.
int16_t game_key_held(int16_t &code);

// Releases the elements and clears the ready flag (tests).
void held_keys_reset();
