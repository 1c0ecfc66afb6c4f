#include "input_support.h"

#include "core/control_words.h"
#include "core/strings.h"
#include "core/traps.h"
#include "display/keyboard.h"
#include "platform/clock.h"
#include "screen/codepage.h"

#include <deque>

namespace
{

std::deque<input_step> script;
int64_t fake_now_ms = 0;
uint32_t idle_waits = 0;
// Waits with nothing left to type before the script counts as stuck.
constexpr uint32_t IDLE_WAIT_LIMIT = 1000;

// Each real wait (not INKEY$'s yield) takes the next scripted step. A script
// that runs dry ends the input as the program's end would, and fails.
void fake_sleep(uint32_t ms)
{
    fake_now_ms += ms;
    if (ms == 0)
        return;
    if (script.empty()) {
        if (++idle_waits == IDLE_WAIT_LIMIT) {
            ADD_FAILURE() << "the editor still waits for keys";
            exit_acknowledged = 1;
        }
        return;
    }
    input_step step = script.front();
    script.pop_front();
    if (step.action) {
        step.action();
        return;
    }
    keyboard_key_down_event(step.code);
    keyboard_key_up_event(step.code);
}

int64_t fake_now()
{
    return fake_now_ms;
}

const clock_seam fake_clock{fake_now, fake_sleep};

} // namespace

void input_test::SetUp()
{
    text_test::SetUp();
    control_words_reset();
    traps_static_init();
    key_trap_codes_fill();
    codepage_load();
    keyboard_reset();
    script.clear();
    fake_now_ms = 0;
    idle_waits = 0;
    clock_seam_set(&fake_clock);
}

void input_test::TearDown()
{
    EXPECT_TRUE(script.empty()) << "keys left untyped";
    clock_seam_set(nullptr);
    keyboard_reset();
    control_words_reset();
    text_test::TearDown();
}

void input_test::keys(const std::string &text)
{
    for (char c : text)
        key(uint8_t(c));
}

void input_test::key(int32_t code)
{
    script.push_back({code, nullptr});
}

void input_test::then(std::function<void()> action)
{
    script.push_back({0, std::move(action)});
}

void input_test::input_one(void *variable, uint32_t type_word, int32_t newline)
{
    input_target_set(1, variable, type_word);
    rt_input(1, newline);
}

string_descriptor *string_var(const std::string &text)
{
    string_descriptor *s = string_new(0, false);
    string_set(s, temp_of(text));
    return s;
}

std::string page_bytes_of(const image_slot *r)
{
    return std::string(reinterpret_cast<const char *>(r->pixels),
                       size_t(r->width) * r->height * r->bytes_per_pixel);
}
