// The pictures of the card game and the four herbs.
//
// Rows of code-page-437 characters, one PRINTed string per screen row. The
// cards are 10 rows of 7 columns whose half-block frame faces inwards (222 on
// the left, 221 on the right); the Vole and the framed herbs are 10 rows of 27
// columns whose frame faces outwards (221 left, 222 right). The Mugwort is six
// rows of 9 columns without a frame, drawn over the swamp.
#pragma once

#include <cstdint>

constexpr int32_t PICTURE_ROWS = 10;
constexpr int32_t CARD_COLUMNS = 7;
constexpr int32_t FRAMED_PICTURE_COLUMNS = 27;

// Card faces by card code (1 Tree, 2 Water, 3 Fire) and the card back.
extern const char *const card_tree_rows[PICTURE_ROWS];
extern const char *const card_water_rows[PICTURE_ROWS];
extern const char *const card_fire_rows[PICTURE_ROWS];
extern const char *const card_back_rows[PICTURE_ROWS];

extern const char *const vole_picture_rows[PICTURE_ROWS];

extern const char *const herb_pennyroyal_rows[PICTURE_ROWS];
extern const char *const herb_cotton_root_rows[PICTURE_ROWS];
extern const char *const herb_angelica_rows[PICTURE_ROWS];

// The Mugwort stands at rows 14 to 19, column 28.
constexpr int32_t MUGWORT_ROWS = 6;
constexpr int32_t MUGWORT_COLUMNS = 9;
constexpr int32_t MUGWORT_FIRST_ROW = 14;
constexpr int32_t MUGWORT_COLUMN = 28;
extern const char *const herb_mugwort_rows[MUGWORT_ROWS];

// ---- GOSUB routines ----------------------------------------------------------
//
// Each ends with RETURN. The card routines draw at (card_row, card_column);
// the framed pictures without a LOCATE of their own print from the cursor,
// which their callers have put at row 1, column 1 with CLS, and leave it at
// row 11, column 1. Every herb routine ends with the herb tune, which names no
// PLAY mode, so it sounds in whatever mode and tempo earlier tunes left.

class basic_procedure;

// card_row = 9 (19), then the face of vole_cards(card_index)
// (player_cards(card_index)): Tree, Water or Fire by its code; any other code
// draws nothing.
void draw_vole_card(basic_procedure &p);
void draw_player_card(basic_procedure &p);
// card_column = 16, 9 or 2 for a round of 5, 7 or 9 cards; any other count
// leaves it as it is.
void set_card_start_column(basic_procedure &p);
// COLOR 2; the points lines of Tarvo (row 32) and the Vole (row 5) from
// column 23; in variations 2 and 3 the five streak marks on row 34, and in
// variation 3 COLOR 18 at the end, so what is drawn next blinks.
void draw_points(basic_procedure &p);
void draw_card_tree(basic_procedure &p);
void draw_card_water(basic_procedure &p);
void draw_card_fire(basic_procedure &p);
void draw_card_back(basic_procedure &p);
void draw_vole_picture(basic_procedure &p);
// LOCATE row 1, CLS, then the picture from row 1.
void draw_herb_pennyroyal(basic_procedure &p);
void draw_herb_cotton_root(basic_procedure &p);
// Rows 14 to 19 at column 28, over what the screen holds.
void draw_herb_mugwort(basic_procedure &p);
void draw_herb_angelica(basic_procedure &p);
