// A stand-in for the INPUT line editor while the runtime has none, for the
// game's tests: each INPUT takes the next scripted answer, types it as the
// keyboard would (its presses and releases reach the key-hit ring, Enter
// last; the BIOS buffer is read empty), stores it in the string target and
// echoes it, ending the line. Each INPUT also keeps the screen as it stood
// when the question was asked. With no answer left it throws
// input_script_ended.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct input_script_ended {
};

// One INPUT as the screen showed it.
struct input_asked {
    int32_t row;                   // the prompt's row
    std::string prompt;            // that row's text up to the cursor
    std::vector<std::string> rows; // the write page's rows, 1 first
};

// Replaces the answers still to come and forgets the questions asked.
void input_script_set(std::vector<std::string> answers);
size_t input_script_left();
// The Enter that ends the last answer is pressed but not released.
void input_script_hold_last_enter();
const std::vector<input_asked> &input_script_questions();
