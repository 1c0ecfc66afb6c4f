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

// Thrown by the scene clock's sleep once the program has ended (SYSTEM, RUN),
// so a test gets control back from a routine that never returns.
struct program_ended {
};

// One event of a key script: a press (positive code), a release (negative),
// KEY_SCRIPT_IDLE for a slot in which nothing happens, or KEY_SCRIPT_STOP,
// which throws script_stopped so the test can look at the screen as the
// program left it.
constexpr int32_t KEY_SCRIPT_IDLE = 0;
constexpr int32_t KEY_SCRIPT_STOP = INT32_MIN;
struct script_stopped {
};
// The least time between two events of a key script.
constexpr int64_t KEY_SCRIPT_GAP_MS = 60;

// Captions of the message boxes shown since the test began.
extern std::vector<std::string> game_box_captions;

class game_test : public ::testing::Test
{
  public:
    // The game's screen: SCREEN 0, WIDTH 66, 37, font 8, on a fresh screen
    // model with no frame builder.
    void screen_setup();
    // The character at (row, col) of screen page 0, and a run of them.
    static uint8_t char_at(int32_t row, int32_t col);
    static std::string chars_at(int32_t row, int32_t col, int32_t count);
    // The attribute byte at (row, col): background x 16 + foreground.
    static uint8_t attribute_at(int32_t row, int32_t col);
    // A stepping clock for running scenes: every sleep advances the fake time
    // at once. After a sleep, when at least KEY_SCRIPT_GAP_MS have passed since
    // the last event, the next event of the key script reaches the keyboard
    // handlers, so a loop that reads one key a frame sees each one.
    void scene_clock_install();
    void key_script_set(std::vector<int32_t> events);
    static size_t key_script_left();
    static int64_t scene_clock_now();
    // Number of sleeps since the clock was installed.
    static uint64_t scene_clock_sleeps();
    // Called after every sleep (null to remove).
    static void scene_clock_on_sleep(void (*callback)(uint32_t ms));

    // The cursor of the write page.
    static int32_t cursor_row();
    static int32_t cursor_col();

  protected:
    void SetUp() override;
    void TearDown() override;

    std::string dir_;

  private:
    std::string previous_dir_;
};
