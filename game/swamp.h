// The swamp crossing: PIG's quest for the Mugwort.
//
// A real-time scene at 20 frames a second: the player steers the pig sprite
// with W, A, S and D held (read through game_key_held) across the walled
// field from its left edge to its right while hornets fly at random. Touching
// a hornet starts the quest again. Five crossings with one to five hornets,
// then the pig walks past the smoking nest by itself and wins the herb, then
// four crossings without hornets lead back to the menu. Esc leaves at once.
//
// Statements are numbered by their source lines, 3300 to 3563: the start
// (3300-3319), the frame loop (3320-3371), then the GOSUB routines
// swamp_hornet_redraw (3380), swamp_pig_step (3400), draw_swamp_field (3470),
// draw_pig (3500), draw_pig_right (3505), draw_pig_left (3518), draw_hornet
// (3531), swamp_hornets_reset (3534) and draw_hornet_nest (3555). The GOSUB
// sites take the 29 return points after the Mouse talk's, below those of the
// card game and the forest.
#pragma once

#include "core/basic.h"
#include "game/scenes.h"

// The quest, entered from the menu after its wipe and COLOR 4. Returns the
// menu entry: after Esc, or after the last crossing.
scene swamp_quest(basic_procedure &p);

// The frame's sting test: the 16 outline cells around the pig read from the
// screen into pig_border_cells, then scanned for a hornet's character; true
// on the first found (the tune of the sting has then started).
bool swamp_pig_stung(basic_procedure &p);

// One frame of hornet flight for hornets 1 to swamp_stage.
void swamp_hornets_fly(basic_procedure &p);

// GOSUB routines. swamp_pig_step answers true when the quest has been left
// from inside it (the last crossing): its own return point is then taken off
// the GOSUB stack and every caller returns to the menu entry.
bool swamp_pig_step(basic_procedure &p);
void swamp_hornet_redraw(basic_procedure &p);
void draw_swamp_field(basic_procedure &p);
void draw_pig(basic_procedure &p);
void draw_pig_right(basic_procedure &p);
void draw_pig_left(basic_procedure &p);
void draw_hornet(basic_procedure &p);
void swamp_hornets_reset(basic_procedure &p);
void draw_hornet_nest(basic_procedure &p);
