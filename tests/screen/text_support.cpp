#include "text_support.h"

#include "core/strings.h"
#include "screen/screen_modes.h"
#include "screen/text_output.h"

#include <cstring>

void text_test::SetUp()
{
    screen_test::SetUp();
    strings_static_init();
    text_output_reset();
}

void game_page_make()
{
    rt_width(0, 66, 37, 3);
    ASSERT_EQ(error_pending_take(), 0u);
    ASSERT_EQ(write_page.record->width, 66);
    ASSERT_EQ(write_page.record->height, 37);
}

void mode13_page_make()
{
    rt_screen(13, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    ASSERT_EQ(error_pending_take(), 0u);
}

void say(const std::string &text, bool newline)
{
    print_bytes(reinterpret_cast<const uint8_t *>(text.data()), int32_t(text.size()), newline);
}

string_descriptor *temp_of(const std::string &text)
{
    string_descriptor *s = string_new(int32_t(text.size()), true);
    std::memcpy(s->chr, text.data(), text.size());
    return s;
}

std::string row_text(const image_slot *r, int32_t row)
{
    std::string s;
    for (int32_t col = 1; col <= r->width; col++)
        s += char(cell_at(r, row, col) & 0xFF);
    return s;
}

std::pair<int32_t, int32_t> cursor()
{
    return {write_page.record->cursor_row, write_page.record->cursor_col};
}
