// The swamp crossing apart from the screen statements: where hornets may fly
// and where they are held, which cells around the pig count as a sting, where
// a crossing happens, and the pictures of the field, the pig, the hornet and
// the nest as code-page-437 bytes.
//
// Rows and columns are 1-based cells of the 66 x 37 text screen. The numbers
// are SINGLE values, as the game keeps them, and are compared with float
// constants. Program thread only.
#pragma once

#include "game/game_state.h"

#include <array>
#include <cstdint>

// ---- Field limits and hornet flight -----------------------------------------

// The four bounds as the quest holds them in swamp_row_min and friends.
struct swamp_limits {
    float row_min, row_max, col_min, col_max;
};
swamp_limits swamp_limits_now();

constexpr int32_t HORNET_UP = 1, HORNET_DOWN = 2, HORNET_RIGHT = 3, HORNET_LEFT = 4;

// The direction INT(RND * 4) + 1 for a value of RND.
float hornet_direction_from(float rnd);

// Moves a hornet one cell in direction dir when it may fly that way: up and
// down while its row lies strictly inside the field's rows, right and left
// while its column lies strictly between col_min + 8 and col_max. Returns
// whether it moved (a blocked hornet stays and is not redrawn).
bool hornet_step(float dir, float &row, float &col, const swamp_limits &limits);

// The clamp of a moved hornet: a row on the top or bottom bound goes back to
// 12 or 25, a column on the left or right bound to 17 or 56. Hornets thus
// stay in rows 12..25 and columns 17..56.
void hornet_clamp(float &row, float &col, const swamp_limits &limits);
// One of the four clamp tests, 0 to 3 in the order top, bottom, left, right.
constexpr int32_t HORNET_CLAMP_TESTS = 4;
void hornet_clamp_test(int32_t test, float &row, float &col, const swamp_limits &limits);

// Start cells of hornets 1 to 5.
struct swamp_cell {
    float row, col;
};
extern const std::array<swamp_cell, 5> hornet_start_cells;

// ---- The pig ----------------------------------------------------------------

// The 16 outline cells of the 6 x 6 sprite read for stings, as offsets from
// its top-left cell, in scan order; the corners and the inside are not read.
struct cell_offset {
    int32_t row, col;
};
extern const std::array<cell_offset, 16> pig_border_offsets;

// The three characters of a hornet: 233, 21, 175.
bool hornet_code(int32_t code);

// Whether the pig stands at the right wall in the open lanes: column 54 and
// row 15, 16 or 17.
bool pig_at_crossing(float row, float col);

// The column of the stage mark on row 9: stage * 3 + 17.
float stage_mark_column(float stage);

// ---- Pictures (code-page-437 bytes) -------------------------------------------

constexpr int32_t SWAMP_FIELD_WIDTH = 60;
constexpr int32_t SWAMP_FIELD_TOP = 9;     // the stage track
constexpr int32_t SWAMP_FIELD_BOTTOM = 27; // the lower wall

// Row 9 to 27 of the field, 60 characters each.
const uint8_t *swamp_field_row(int32_t row);

// Six rows of six characters each, facing right and facing left.
extern const std::array<const char *, 6> pig_right_rows;
extern const std::array<const char *, 6> pig_left_rows;

// The hornet's three characters.
extern const char hornet_picture[4];

// One picture of the nest: three rows of five characters at rows 11 to 13,
// column 30, and whether the smoke-bomb tune starts with it.
struct hornet_nest_frame {
    std::array<const char *, 3> rows;
    bool tune;
};
// The picture for the pig's column during the smoke-bomb walk, or null for
// columns 30, 31 and 32, where nothing is drawn.
const hornet_nest_frame *hornet_nest_frame_for(float pig_col);
