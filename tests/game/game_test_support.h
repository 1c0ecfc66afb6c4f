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

    std::string dir_;

  private:
    std::string previous_dir_;
};
