// The bamboo forest's pictures: the forest view shown in the rooms and the
// seven obstacles that block some passages.
//
// Each is 10 rows of 27 code-page-437 characters, one PRINTed string per
// screen row, inside a frame: a row of lower half blocks, eight rows between a
// left and a right half block, a row of upper half blocks. No picture sets a
// colour.
#pragma once

#include "game/pictures_cards_herbs.h"

extern const char *const forest_view_rows[PICTURE_ROWS];
extern const char *const obstacle_boulder_rows[PICTURE_ROWS];
extern const char *const obstacle_sink_hole_rows[PICTURE_ROWS];
extern const char *const obstacle_bear_carcass_rows[PICTURE_ROWS];
extern const char *const obstacle_log_rows[PICTURE_ROWS];
extern const char *const obstacle_spider_web_rows[PICTURE_ROWS];
extern const char *const obstacle_termite_mound_rows[PICTURE_ROWS];
extern const char *const obstacle_briar_patch_rows[PICTURE_ROWS];

// ---- GOSUB routines ----------------------------------------------------------
//
// Each ends with RETURN. draw_forest_view prints its rows from row 1 of a
// screen its caller has just cleared; an obstacle routine clears the screen
// itself (LOCATE row 1, CLS). Both then print the ten rows and an empty line,
// leaving the cursor on row 12, column 1.

class basic_procedure;

void draw_forest_view(basic_procedure &p);
void draw_obstacle_boulder(basic_procedure &p);
void draw_obstacle_sink_hole(basic_procedure &p);
void draw_obstacle_bear_carcass(basic_procedure &p);
void draw_obstacle_log(basic_procedure &p);
void draw_obstacle_spider_web(basic_procedure &p);
void draw_obstacle_termite_mound(basic_procedure &p);
void draw_obstacle_briar_patch(basic_procedure &p);
