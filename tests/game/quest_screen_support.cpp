#include "quest_screen_support.h"

#include "core/errors.h"
#include "screen/image_slots.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"
#include "screen/text_output.h"
#include "sound/play_parser.h"

#include <cstring>

void quest_screen_test::SetUp()
{
    game_test::SetUp();
    frame_builder_started = false;
    auto_display = 1;
    screen_startup();
    text_output_reset();
    rt_width(0, 66, 37, 3);
    ASSERT_EQ(error_pending_take(), 0u);
    play_settings_reset();
    play_lasting.background = 1.0;
}

void quest_screen_test::TearDown()
{
    play_settings_reset();
    game_test::TearDown();
}

namespace quest_screen
{

namespace
{

uint16_t cell(int32_t row, int32_t column)
{
    const image_slot *page = write_page.record;
    return reinterpret_cast<const uint16_t *>(page->pixels)[(row - 1) * page->width + column - 1];
}

} // namespace

std::string row(int32_t r)
{
    return cells(r, 1, write_page.record->width);
}

std::string cells(int32_t r, int32_t column, int32_t count)
{
    std::string s;
    for (int32_t c = column; c < column + count; ++c)
        s += char(cell(r, c) & 0xFF);
    return s;
}

uint8_t attribute(int32_t r, int32_t column)
{
    return uint8_t(cell(r, column) >> 8);
}

std::pair<int32_t, int32_t> cursor()
{
    return {write_page.record->cursor_row, write_page.record->cursor_col};
}

uint32_t fore_color()
{
    return write_page.record->fore_color;
}

void fill(char letter)
{
    const std::string line(size_t(write_page.record->width), letter);
    for (int32_t r = 1; r <= write_page.record->height; ++r) {
        rt_locate(r, 1, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
        print_bytes(reinterpret_cast<const uint8_t *>(line.data()), int32_t(line.size()), false);
    }
}

} // namespace quest_screen
