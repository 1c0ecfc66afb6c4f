// The routines every scene uses: the screen wipe that ends almost every
// scene, the splash at start, the INPUT statement of the dialogue prompts and
// the pause of the loops that poll key_hit_next.
#pragma once

#include "core/basic.h"
#include "core/strings.h"

#include <cstdint>

// The splash logo: 18 rows of 16 cells of character 219 and blanks, drawn
// with its top-left cell at (7, 25); and the caption under it.
constexpr int32_t SPLASH_LOGO_ROWS = 18;
extern const char *const splash_logo_rows[SPLASH_LOGO_ROWS];
extern const char *const splash_caption;

// GOSUB routine: blanks columns 1 to 64 of rows 33 up to 1 in the current
// colours, one row every 0.025 s, then clears every key buffer. Rows 34 to 37
// and columns 65 and 66 stay; the cursor ends on row 2, column 1.
void screen_wipe(basic_procedure &p);

// GOSUB routine: the logo with its blink and tune, the caption, and a wipe.
void show_splash(basic_procedure &p);

// The body of an INPUT statement with a prompt and one string target: the
// prompt at the cursor without a line end, then the line editor; the line
// ends after Enter. When the program is being ended while the editor waits,
// the program thread goes no further.
void basic_input(string_descriptor *prompt, string_descriptor *target);

// One pass of a loop that polls key_hit_next without a frame limit: sleeps
// until a key hit or an event (at most 10 ms) and makes the event check, so
// the loop never keeps a core busy and a close request or the Pause key is
// served at once.
void key_poll_pause(uint32_t line);
