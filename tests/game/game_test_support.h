// Helpers shared by the game's tests: a fixture that gives each test an empty
// directory of its own, fresh string and file tables, an empty GOSUB stack and
// the game's variables at their start values, with every message box answered
// "Yes" and recorded.
#pragma once

#include "core/strings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

std::string text_of(const string_descriptor *s);
std::string file_read_all(const std::string &path);
void file_write_all(const std::string &path, const std::string &bytes);

// Captions of the message boxes shown since the test began.
extern std::vector<std::string> game_box_captions;

class game_test : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // The game's screen: SCREEN 0, WIDTH 66, 37, font 8, on a fresh screen
    // model with no frame builder.
    void screen_setup();
    // The character at (row, col) of screen page 0, and a run of them.
    static uint8_t char_at(int32_t row, int32_t col);
    static std::string chars_at(int32_t row, int32_t col, int32_t count);
    // The attribute byte at (row, col): background x 16 + foreground.
    static uint8_t attribute_at(int32_t row, int32_t col);
    // The cursor of the write page.
    static int32_t cursor_row();
    static int32_t cursor_col();

    std::string dir_;

  private:
    std::string previous_dir_;
};
