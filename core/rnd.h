// RANDOMIZE and RND: a 24-bit linear congruential generator.
//
// The state steps as state * 16598013 + 12820163, kept to 24 bits, and RND is
// the state divided by 2^24. RANDOMIZE puts a 16-bit seed into bits 8 to 23 of
// the state. Program thread only.
#pragma once

#include <cstdint>

// The generator state; 0x50000 at start.
extern uint32_t rnd_state;

// The state at start; RANDOMIZE USING starts from it.
constexpr uint32_t rnd_start_value = 0x50000;

// Flags of rt_randomize.
constexpr uint32_t RANDOMIZE_SEED_GIVEN = 1;
constexpr uint32_t RANDOMIZE_USING = 2;

// RANDOMIZE without a seed asks the user for one: the hook shows the prompt
// and reads a number with the INPUT editor, returning it (only its low 16 bits
// are used). With no hook set nothing is read and the number is 0.
using randomize_prompt_fn = int32_t (*)(const char *prompt);
void randomize_prompt_hook_set(randomize_prompt_fn fn);

// RANDOMIZE [USING] [seed]; flags as above.
void rt_randomize(double seed, uint32_t flags);

// RND [(n)]: a negative n reseeds from its bits first; 0 repeats the last
// number; any other n (and no argument) steps the generator.
float rt_rnd(float n, bool given);

// Back to the start state (tests).
void rnd_reset();

// Test seam: when the environment variable RT_RANDOMIZE_STATE holds a number
// from 0 to 0xFFFFFF (decimal, or hexadecimal after 0x), every RANDOMIZE ends
// by setting the whole state to it, so a program seeded from TIMER deals the
// same numbers on every run. The variable is read once, at the first
// RANDOMIZE; a value that is not such a number is ignored with a note on
// standard error. Unset or empty, RANDOMIZE is unchanged.
constexpr const char *RANDOMIZE_STATE_VARIABLE = "RT_RANDOMIZE_STATE";
// Reads the variable again at the next RANDOMIZE (tests).
void randomize_state_override_reload();
