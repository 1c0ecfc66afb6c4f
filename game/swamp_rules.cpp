#include "game/swamp_rules.h"

#include <cmath>

// ---- Field limits and hornet flight -----------------------------------------

swamp_limits swamp_limits_now()
{
    return {swamp_row_min, swamp_row_max, swamp_col_min, swamp_col_max};
}

float hornet_direction_from(float rnd)
{
    return std::floor(rnd * 4.0f) + 1.0f;
}

bool hornet_step(float dir, float &row, float &col, const swamp_limits &limits)
{
    bool row_free = limits.row_min < row && row < limits.row_max;
    bool col_free = limits.col_min + 8.0f < col && col < limits.col_max;
    if (dir == 1.0f && row_free)
        row -= 1.0f;
    else if (dir == 2.0f && row_free)
        row += 1.0f;
    else if (dir == 3.0f && col_free)
        col += 1.0f;
    else if (dir == 4.0f && col_free)
        col -= 1.0f;
    else
        return false;
    return true;
}

void hornet_clamp_test(int32_t test, float &row, float &col, const swamp_limits &limits)
{
    if (test == 0 && row == limits.row_min)
        row = 12.0f;
    else if (test == 1 && row == limits.row_max)
        row = 25.0f;
    else if (test == 2 && col == limits.col_min + 8.0f)
        col = 17.0f;
    else if (test == 3 && col == limits.col_max)
        col = 56.0f;
}

void hornet_clamp(float &row, float &col, const swamp_limits &limits)
{
    for (int32_t test = 0; test < HORNET_CLAMP_TESTS; ++test)
        hornet_clamp_test(test, row, col, limits);
}

const std::array<swamp_cell, 5> hornet_start_cells = {{
    {25.0f, 30.0f},
    {12.0f, 30.0f},
    {25.0f, 50.0f},
    {12.0f, 50.0f},
    {18.0f, 40.0f},
}};

// ---- The pig ----------------------------------------------------------------

const std::array<cell_offset, 16> pig_border_offsets = {{
    {0, 1},
    {1, 0},
    {2, 0},
    {3, 0},
    {4, 0},
    {5, 1},
    {0, 4},
    {1, 5},
    {2, 5},
    {3, 5},
    {4, 5},
    {5, 4},
    {0, 2},
    {0, 3},
    {5, 2},
    {5, 3},
}};

bool hornet_code(int32_t code)
{
    return code == 233 || code == 21 || code == 175;
}

bool pig_at_crossing(float row, float col)
{
    return col == 54.0f && (row == 15.0f || row == 16.0f || row == 17.0f);
}

float stage_mark_column(float stage)
{
    return stage * 3.0f + 17.0f;
}

// ---- Pictures ---------------------------------------------------------------

namespace
{

using field_row = std::array<uint8_t, SWAMP_FIELD_WIDTH>;

// One row of the field: the stage track, the two walls, the walled rows and
// the open lanes between them.
constexpr field_row field_row_make(int32_t row)
{
    field_row cells{};
    for (auto &c : cells)
        c = ' ';
    auto at = [&](int32_t col) -> uint8_t & { return cells[size_t(col - 1)]; };
    if (row == 9) {
        for (int32_t col = 20; col <= 47; col += 3)
            at(col) = 250;
    } else if (row == 10 || row == 27) {
        for (int32_t col = 7; col <= 60; ++col)
            at(col) = row == 10 ? 220 : 223;
    } else if (row <= 14 || row >= 23) {
        at(7) = 221;
        at(60) = 222;
    }
    return cells;
}

constexpr std::array<field_row, SWAMP_FIELD_BOTTOM - SWAMP_FIELD_TOP + 1> field_rows = [] {
    std::array<field_row, SWAMP_FIELD_BOTTOM - SWAMP_FIELD_TOP + 1> rows{};
    for (int32_t row = SWAMP_FIELD_TOP; row <= SWAMP_FIELD_BOTTOM; ++row)
        rows[size_t(row - SWAMP_FIELD_TOP)] = field_row_make(row);
    return rows;
}();

// The nest by the pig's column: closed, lit, burning, smoke rising, gone.
const hornet_nest_frame nest_closed{{" ___ ", "(_-_)", " \\o/ "}, false};
const hornet_nest_frame nest_lit{{" ___ ", "(_\xb0_)", " \\o/ "}, true};
const hornet_nest_frame nest_burning{{" _\xb0_ ", "(\xb0\xb0\xb0)", " \\\xb0/ "}, false};
const hornet_nest_frame nest_smoke{{" \xb0\xb0\xb0 ", "\xb0\xb0\xb0\xb0\xb0", " \xb0\xb0\xb0 "},
                                   false};
const hornet_nest_frame nest_smoke_thin{{"  \xb0  ", " \xb0\xb0\xb0 ", "  \xb0  "}, false};
const hornet_nest_frame nest_smoke_last{{"     ", "  \xb0  ", "     "}, false};
const hornet_nest_frame nest_gone{{"     ", "     ", "     "}, false};

} // namespace

const uint8_t *swamp_field_row(int32_t row)
{
    if (row < SWAMP_FIELD_TOP || row > SWAMP_FIELD_BOTTOM)
        return nullptr;
    return field_rows[size_t(row - SWAMP_FIELD_TOP)].data();
}

const std::array<const char *, 6> pig_right_rows = {
    " \x7f__\x7f ", "\xb3 o o\xb3", "( _\xec )", "U   \xb3 ", "(   ) ", " U U  ",
};

const std::array<const char *, 6> pig_left_rows = {
    " \x7f__\x7f ", "\xb3o o \xb3", "( \xec_ )", " \xb3   U", " (   )", "  U U ",
};

const char hornet_picture[4] = "\xe9\x15\xaf";

const hornet_nest_frame *hornet_nest_frame_for(float col)
{
    if (col < 30.0f)
        return &nest_closed;
    if (col == 33.0f)
        return &nest_lit;
    if (col == 34.0f)
        return &nest_burning;
    if (col == 35.0f)
        return &nest_smoke;
    if (col == 36.0f)
        return &nest_smoke_thin;
    if (col == 37.0f)
        return &nest_smoke_last;
    if (col > 37.0f)
        return &nest_gone;
    return nullptr;
}
