#include "game/game_test_support.h"

#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/gosub_stack.h"
#include "files/handle_table.h"
#include "game/game_state.h"
#include "platform/message_box.h"
#include "screen/fonts.h"
#include "screen/image_slots.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

std::vector<std::string> game_box_captions;

namespace
{

int box_answer_yes(const char *, const char *caption, uint32_t)
{
    game_box_captions.push_back(caption);
    return MESSAGE_BOX_RESULT_YES;
}

} // namespace

std::string text_of(const string_descriptor *s)
{
    return std::string(reinterpret_cast<const char *>(s->chr), size_t(s->len));
}

std::string file_read_all(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void file_write_all(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

void game_test::SetUp()
{
    previous_dir_ = std::filesystem::current_path();
    char pattern[] = "/tmp/game_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
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
