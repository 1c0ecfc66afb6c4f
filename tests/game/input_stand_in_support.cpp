// The game's tests type their answers and commands as keys. The runtime has
// no INPUT line editor yet, so these weak definitions stand in for it with
// the behaviour the scenes rely on: INKEY$ is read every 10 ms, a typed
// character is echoed at the cursor, Backspace takes the last one back, and
// Enter stores the line into the one string target and ends the line. A real
// editor linked into a test takes their place.
#include "core/control_words.h"
#include "core/program_thread.h"
#include "core/strings.h"
#include "display/keyboard.h"
#include "platform/clock.h"
#include "screen/text_output.h"

#include <string>

namespace
{

void *input_target = nullptr;

constexpr uint8_t KEY_BACKSPACE = 8, KEY_ENTER = 13;

} // namespace

__attribute__((weak)) void input_target_set(int32_t index, void *variable, uint32_t)
{
    if (index == 1)
        input_target = variable;
}

__attribute__((weak)) void rt_input(int32_t, int32_t newline)
{
    std::string line;
    for (;;) {
        clock_sleep_ms(10);
        if (event_pending.load())
            statement_event_check(0);
        if (exit_acknowledged.load())
            return;
        string_descriptor *key = rt_inkey_str();
        const int32_t length = key->len;
        const uint8_t c = length == 1 ? key->chr[0] : 0;
        string_free(key);
        if (length != 1)
            continue;
        if (c == KEY_ENTER)
            break;
        if (c == KEY_BACKSPACE) {
            if (!line.empty()) {
                line.pop_back();
                rt_print(string_from_cstr("\x1D \x1D"), PRINT_STAY);
            }
        } else if (c >= 32) {
            line += char(c);
            rt_print(string_from_buffer(&c, 1), PRINT_STAY);
        }
    }
    string_set(static_cast<string_descriptor *>(input_target),
               string_from_buffer(line.data(), int32_t(line.size())));
    if (newline)
        rt_print(string_from_cstr(""), PRINT_NEWLINE);
}
