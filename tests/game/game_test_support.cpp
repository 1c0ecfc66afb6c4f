#include "game/game_test_support.h"

#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/gosub_stack.h"
#include "core/program_thread.h"
#include "core/timing.h"
#include "display/keyboard.h"
#include "files/handle_table.h"
#include "game/game_state.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "screen/fonts.h"
#include "screen/image_slots.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"
#include "sound/play_parser.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

std::vector<std::string> game_box_captions;

namespace
{

int64_t clock_ms;
uint64_t sleep_count;
int64_t last_key_ms;
std::vector<int32_t> key_script;
size_t key_script_next;
void (*sleep_callback)(uint32_t);

int64_t scene_now()
{
    return clock_ms;
}

void key_script_step()
{
    if (key_script_next >= key_script.size() || clock_ms - last_key_ms < KEY_SCRIPT_GAP_MS)
        return;
    last_key_ms = clock_ms;
    int32_t event = key_script[key_script_next++];
    if (event == KEY_SCRIPT_STOP)
        throw script_stopped{};
    if (event > 0)
        keyboard_key_down_event(event);
    else if (event < 0)
        keyboard_key_up_event(-event);
}

// An hour of fake time: no scene waits that long when its keys come.
constexpr int64_t SCENE_TIME_LIMIT_MS = 3600 * 1000;
int64_t clock_start_ms;

// The INPUT editor polls INKEY$ after sleeps of this length.
constexpr uint32_t INPUT_POLL_MS = 10;
std::vector<prompt_seen> prompts;

void prompt_answer(uint32_t ms)
{
    if (ms != INPUT_POLL_MS)
        return;
    prompt_seen seen{game_test::cursor_row(), game_test::cursor_col(), {}};
    for (int32_t row = 1; row <= 37; ++row)
        seen.rows.push_back(game_test::chars_at(row, 1, 66));
    prompts.push_back(std::move(seen));
    keyboard_key_down_event(13);
    keyboard_key_up_event(13);
}

void scene_sleep(uint32_t ms)
{
    clock_ms += ms == 0 ? 1 : ms;
    ++sleep_count;
    if (clock_ms - clock_start_ms > SCENE_TIME_LIMIT_MS)
        throw scene_timeout{};
    if (threads_ended.load() & THREAD_ENDED_PROGRAM)
        throw program_ended{};
    if (sleep_callback)
        sleep_callback(ms);
    key_script_step();
}

const clock_seam scene_seam{scene_now, scene_sleep};

int box_answer_yes(const char *, const char *caption, uint32_t)
{
    game_box_captions.push_back(caption);
    return MESSAGE_BOX_RESULT_YES;
}

} // namespace

void game_test::SetUp()
{
    previous_dir_ = std::filesystem::current_path();
    dir_ = test_temp_dir("game_test_");
    std::filesystem::current_path(dir_);
    dos_memory_reset();
    strings_static_init();
    handle_table_reset();
    control_words_reset();
    errors_reset();
    gosub_stack_init();
    game_state_create();
    game_box_captions.clear();
    platform_message_box_seam_set(box_answer_yes);
}

void game_test::TearDown()
{
    clock_seam_set(nullptr);
    sleep_callback = nullptr;
    platform_message_box_seam_set(nullptr);
    handle_table_reset();
    error_pending_take();
    std::filesystem::current_path(previous_dir_);
    std::filesystem::remove_all(dir_);
}

void game_test::screen_setup()
{
    frame_builder_started = false;
    auto_display = 1;
    screen_startup();
    rt_screen(0, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    rt_width(0, 66, 37, 3);
    image_font_set(8, 0, false);
    ASSERT_EQ(error_pending_take(), 0u);
}

namespace
{

uint16_t cell(int32_t row, int32_t col)
{
    const image_slot *r = image_slot_get(screen_page_ensure(0));
    return reinterpret_cast<const uint16_t *>(r->pixels)[(row - 1) * r->width + (col - 1)];
}

} // namespace

uint8_t game_test::char_at(int32_t row, int32_t col)
{
    return uint8_t(cell(row, col));
}

std::string game_test::chars_at(int32_t row, int32_t col, int32_t count)
{
    std::string out;
    for (int32_t i = 0; i < count; ++i)
        out += char(char_at(row, col + i));
    return out;
}

uint8_t game_test::attribute_at(int32_t row, int32_t col)
{
    return uint8_t(cell(row, col) >> 8);
}

int32_t game_test::cursor_row()
{
    return write_page.record->cursor_row;
}
int32_t game_test::cursor_col()
{
    return write_page.record->cursor_col;
}

void game_test::scene_clock_install()
{
    clock_ms = 1000000;
    clock_start_ms = clock_ms;
    sleep_count = 0;
    prompts.clear();
    last_key_ms = clock_ms;
    key_script.clear();
    key_script_next = 0;
    sleep_callback = nullptr;
    clock_seam_set(&scene_seam);
    timing_reset();
    keyboard_reset();
    // The splash's tune has left PLAY in the background.
    play_settings_reset();
    play_lasting.background = 1.0;
}

void game_test::key_script_set(std::vector<int32_t> events)
{
    key_script = std::move(events);
    key_script_next = 0;
    last_key_ms = clock_ms;
}

size_t game_test::key_script_left()
{
    return key_script.size() - key_script_next;
}
int64_t game_test::scene_clock_now()
{
    return clock_ms;
}
uint64_t game_test::scene_clock_sleeps()
{
    return sleep_count;
}
void game_test::scene_clock_on_sleep(void (*callback)(uint32_t))
{
    sleep_callback = callback;
}

void game_test::prompt_responder_install()
{
    prompts.clear();
    sleep_callback = prompt_answer;
}

const std::vector<prompt_seen> &game_test::prompts_seen()
{
    return prompts;
}

std::vector<int32_t> typed(const std::string &line)
{
    std::vector<int32_t> events;
    for (char c : line) {
        events.push_back(uint8_t(c));
        events.push_back(-int32_t(uint8_t(c)));
    }
    events.push_back(13);
    events.push_back(-13);
    return events;
}

std::vector<int32_t> typed_lines(const std::vector<std::string> &lines)
{
    std::vector<int32_t> events;
    for (const std::string &line : lines)
        events = events + typed(line);
    return events;
}

std::vector<int32_t> operator+(std::vector<int32_t> a, const std::vector<int32_t> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void game_test::stop_after_an_hour(uint32_t)
{
    if (scene_clock_now() > 1000000 + 3600 * 1000)
        throw script_stopped{};
}
