// Helpers of the quest tests that draw: the game's 66 x 37 text page on a
// fresh start-up screen, PLAY in the background mode the splash leaves it in,
// and readers of the page's cells.
#pragma once

#include "game_test_support.h"

#include <cstdint>
#include <string>
#include <utility>

class basic_procedure;

class quest_screen_test : public game_test
{
  protected:
    void SetUp() override;
    void TearDown() override;
};

namespace quest_screen
{

// The characters of a row of the write page, columns 1 to 66.
std::string row(int32_t row);
// `count` characters of a row from a column.
std::string cells(int32_t row, int32_t column, int32_t count);
// The attribute byte of a cell.
uint8_t attribute(int32_t row, int32_t column);
// The write page's cursor as (row, column).
std::pair<int32_t, int32_t> cursor();
// The write page's foreground colour.
uint32_t fore_color();
// Fills every row with a letter, so that a test sees what a routine clears.
void fill(char letter);

} // namespace quest_screen
