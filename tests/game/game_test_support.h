// Helpers shared by the game's tests: a fixture that gives each test an empty
// directory of its own, fresh string and file tables, an empty GOSUB stack and
// the game's variables at their start values, with every message box answered
// "Yes" and recorded.
#pragma once

#include "support/test_support.h"

#include "core/strings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>


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

// Thrown by the scene clock when a scene has run for more than an hour of
// fake time: it waits for something the test does not give it.
struct scene_timeout {
};

// The screen as the program left it when an INPUT began to wait: the cursor
// and the 37 rows of 66 characters.
struct prompt_seen {
    int32_t row, col;
    std::vector<std::string> rows;
    char at(int32_t r, int32_t c) const { return rows[size_t(r - 1)][size_t(c - 1)]; }
};

// Captions of the message boxes shown since the test began.
extern std::vector<std::string> game_box_captions;

// Key events that type a line and press Enter.
std::vector<int32_t> typed(const std::string &line);

// Key events that type each line and press Enter after it.
std::vector<int32_t> typed_lines(const std::vector<std::string> &lines);

// Two key scripts, one after the other.
std::vector<int32_t> operator+(std::vector<int32_t> a, const std::vector<int32_t> &b);

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
    // A sleep callback that ends a scene still waiting after an hour of scene
    // time for keys that never come (throws script_stopped).
    static void stop_after_an_hour(uint32_t ms);
    // Answers every INPUT with Enter as soon as it waits for a key, keeping
    // the screen it showed then (uses the sleep callback).
    static void prompt_responder_install();
    static const std::vector<prompt_seen> &prompts_seen();

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
