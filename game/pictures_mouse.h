// The Mouse scene pictures: ten rows of 27 columns in a half-block frame
// (220 above, 221 and 222 at the sides, 223 below), each showing one animal
// or two.
//
// draw_mouse_picture stands at the top of every screen of the Mouse
// conversation: the FOX on the left facing the Mouse, who stands in rows 7 to
// 9, columns 15 to 19. The three portraits show TARVO, a striped animal with
// pointed ears and a tail, and ECHIDNA, each alone in the same frame; the game
// keeps them although no scene shows them.
//
// Every routine PRINTs its ten rows from the cursor, each with a line end,
// and RETURNs; none moves the cursor first or clears anything. After a CLS the
// picture fills rows 1 to 10 and leaves the cursor on row 11, column 1.
#pragma once

#include "core/basic.h"

#include <cstdint>

constexpr int32_t MOUSE_PICTURE_ROWS = 10;
constexpr int32_t MOUSE_PICTURE_COLUMNS = 27;

// Where the Mouse stands in draw_mouse_picture.
constexpr int32_t MOUSE_FIRST_ROW = 7;
constexpr int32_t MOUSE_LAST_ROW = 9;
constexpr int32_t MOUSE_FIRST_COLUMN = 15;
constexpr int32_t MOUSE_COLUMNS = 5;

extern const char *const mouse_picture_rows[MOUSE_PICTURE_ROWS];
extern const char *const tarvo_portrait_rows[MOUSE_PICTURE_ROWS];
extern const char *const striped_portrait_rows[MOUSE_PICTURE_ROWS];
extern const char *const echidna_portrait_rows[MOUSE_PICTURE_ROWS];

// GOSUB routines.
void draw_mouse_picture(basic_procedure &p);
void draw_tarvo_portrait(basic_procedure &p);
void draw_striped_portrait(basic_procedure &p);
void draw_echidna_portrait(basic_procedure &p);
