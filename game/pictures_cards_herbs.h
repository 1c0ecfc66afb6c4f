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
