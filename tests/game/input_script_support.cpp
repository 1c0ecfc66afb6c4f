#include "input_script_support.h"

#include "core/strings.h"
#include "display/keyboard.h"
#include "game/runtime_pending.h"
#include "quest_screen_support.h"
#include "screen/image_slots.h"
#include "screen/text_output.h"

#include <deque>

namespace
{

std::deque<std::string> answers;
std::vector<input_asked> questions;
void *input_target = nullptr;
bool hold_last_enter = false;

void keys_type(const std::string &text, bool enter_held)
{
    for (char c : text) {
        keyboard_key_down_event(uint8_t(c));
        keyboard_key_up_event(uint8_t(c));
    }
    keyboard_key_down_event(13);
    if (!enter_held)
        keyboard_key_up_event(13);
    key_buffers_clear(1, 1);
}

input_asked screen_now()
{
    auto [row, col] = quest_screen::cursor();
    input_asked asked{row, quest_screen::cells(row, 1, col - 1), {}};
    for (int32_t r = 1; r <= write_page.record->height; ++r)
        asked.rows.push_back(quest_screen::row(r));
    return asked;
}

} // namespace

void input_script_set(std::vector<std::string> script)
{
    answers.assign(script.begin(), script.end());
    questions.clear();
    hold_last_enter = false;
}

void input_script_hold_last_enter()
{
    hold_last_enter = true;
}

size_t input_script_left()
{
    return answers.size();
}

const std::vector<input_asked> &input_script_questions()
{
    return questions;
}

void input_target_set(int32_t, void *variable, uint32_t)
{
    input_target = variable;
}

void rt_input(int32_t, int32_t newline)
{
    questions.push_back(screen_now());
    if (answers.empty())
        throw input_script_ended{};
    std::string answer = answers.front();
    answers.pop_front();
    keys_type(answer, hold_last_enter && answers.empty());
    string_set(static_cast<string_descriptor *>(input_target),
               string_from_buffer(answer.data(), int32_t(answer.size())));
    print_bytes(reinterpret_cast<const uint8_t *>(answer.data()), int32_t(answer.size()), false);
    if (newline)
        rt_print(nullptr, PRINT_NEWLINE);
}
