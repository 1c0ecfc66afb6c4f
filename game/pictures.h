// The title, menu and story pictures.
//
// Every picture is a GOSUB routine that PRINTs fixed rows of code-page-437
// characters, each followed by a line end, in the current colours. A picture
// starts on the cursor's row unless it places itself with LOCATE. The story
// scenes open and close the speakers' mouths over these pictures and the menu
// changes its faces over them, so the faces sit exactly where those scenes
// expect them:
//   home:     TARVO's mouth (16, 29)
//   forest:   PIG (16, 12), FOX (16, 27), ECHIDNA (17, 40), TARVO (16, 54)
//   clearing: TARVO (16, 22), FOX (16, 30), PIG (16, 43), ECHIDNA (17, 53),
//             TARVO's eyes (15, 20)-(15, 22)
#pragma once

#include "core/basic.h"

#include <cstddef>

// The title's block lettering: "TARVO ZUDUZ" from column 6 in shades from dark
// to light, and two further lines from columns 10 and 19.
extern const char *const title_name_rows[5];
extern const char *const title_herbs_rows[5];
extern const char *const title_quest_rows[5];

// The four friends' faces on rows 9 to 14.
constexpr int32_t MENU_PICTURE_ROW = 9;
extern const char *const menu_picture_rows[6];

// The story pictures' rows, drawn after five empty lines (rows 6 onwards).
constexpr int32_t STORY_PICTURE_FIRST_ROW = 6;
extern const char *const story_home_rows[14];
extern const char *const story_forest_rows[17];
extern const char *const story_clearing_rows[17];

// GOSUB routines. draw_title_picture draws 27 rows from the cursor's row (the
// menu faces among them); draw_menu_picture places itself on rows 9 to 14;
// the story pictures draw five empty lines, their rows and three empty lines.
void draw_title_picture(basic_procedure &p);
void draw_menu_picture(basic_procedure &p);
void draw_story_home(basic_procedure &p);
void draw_story_forest(basic_procedure &p);
void draw_story_clearing(basic_procedure &p);
