#include "game/quest_screen_support.h"

#include "screen/image_slots.h"
#include "screen/text_output.h"

void quest_screen_test::SetUp()
{
    game_test::SetUp();
    screen_setup();
    scene_clock_install();
}

std::string quest_screen_test::row_at(int32_t row)
{
    return chars_at(row, 1, write_page.record->width);
}

std::pair<int32_t, int32_t> quest_screen_test::cursor()
{
    return {cursor_row(), cursor_col()};
}

uint32_t quest_screen_test::fore_color()
{
    return write_page.record->fore_color;
}

void quest_screen_test::fill(char letter)
{
    const std::string line(size_t(write_page.record->width), letter);
    for (int32_t r = 1; r <= write_page.record->height; ++r) {
        rt_locate(r, 1, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
        print_bytes(reinterpret_cast<const uint8_t *>(line.data()), int32_t(line.size()), false);
    }
}
