// Helpers of the quest tests that draw: the game's screen and stepping clock
// of game_test, and a few more readers and writers of the write page.
#pragma once

#include "game/game_test_support.h"

#include <cstdint>
#include <string>
#include <utility>

class quest_screen_test : public game_test
{
  protected:
    void SetUp() override;

    // The characters of a whole row, columns 1 to 66.
    static std::string row_at(int32_t row);
    // The write page's cursor as (row, column).
    static std::pair<int32_t, int32_t> cursor();
    // The write page's foreground colour.
    static uint32_t fore_color();
    // Fills every row with a letter, so that a test sees what a routine clears.
    static void fill(char letter);
};
