// Shared helpers of the text output tests.
#pragma once

#include "screen_support.h"

#include <cstdint>
#include <string>

struct string_descriptor;

// A fresh start-up screen, fresh strings and text-output state.
class text_test : public screen_test {
protected:
    void SetUp() override;
};

// WIDTH 66, 37: the game's page.
void game_page_make();
// SCREEN 13: a 320 x 200 palette page, font 8, 40 x 25 cells.
void mode13_page_make();

// PRINT of a C string on the write page.
void say(const std::string &text, bool newline = true);
// A temporary holding the text.
string_descriptor *temp_of(const std::string &text);
// The characters of a row of a text image, from column 1 to its width.
std::string row_text(const image_slot *r, int32_t row);
// The cursor of the write page as (row, column).
std::pair<int32_t, int32_t> cursor();
