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

#include <cstdint>

// A one-dimensional INTEGER array as the compiled program keeps it.
struct int16_array {
    int16_t *data;
    uint32_t flags; // ARRAY_* bits
    int32_t lower_bound;
    int32_t count;
    int32_t dimensions;
};
constexpr uint32_t ARRAY_ALLOCATED = 1;
constexpr uint32_t ARRAY_STATIC = 2;
constexpr uint32_t ARRAY_IN_DOS_MEMORY = 4;

// held_keys(0 TO 127): -1 while the key with that scan code is held, else 0.
extern int16_array held_keys;
// -1 once held_keys has been dimensioned, 0 before.
extern int16_t held_keys_ready;

// -1 when the key with scan code `code` (0..127) is held, else 0. Error 9 for
// a code outside 0..127 (the answer is then element 0's). Returns 0 at once
// while an error is pending.
int16_t game_key_held(int16_t &code);

// Releases the array and clears the ready flag (tests and a new run).
void held_keys_reset();
