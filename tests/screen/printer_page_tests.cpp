#include "text_support.h"

#include "platform/clock.h"
#include "screen/fonts.h"
#include "screen/screen_modes.h"
#include "screen/text_output.h"

#include <algorithm>
#include <atomic>
#include <string>

namespace {

std::atomic<int64_t> fake_now_ms{0};
int64_t fake_now() { return fake_now_ms.load(); }
void fake_sleep(uint32_t ms) { fake_now_ms += ms; }
const clock_seam fake_clock{fake_now, fake_sleep};

class printer_page : public text_test {
protected:
    void SetUp() override
    {
        text_test::SetUp();
        fake_now_ms = 100000;
        clock_seam_set(&fake_clock);
    }
    void TearDown() override
    {
        clock_seam_set(nullptr);
        text_test::TearDown();
    }
    image_slot *sheet() { return image_slot_get(printer_page_slot.load()); }
    void lprint(const std::string &text, bool newline = true)
    {
        printer_page_print(temp_of(text), newline ? PRINT_NEWLINE : PRINT_STAY);
    }
    // Whether the sheet shows `code` in black on white at a cell.
    bool sheet_shows(int32_t row, int32_t col, uint8_t code)
    {
        const uint8_t *glyph = font_glyph(16, code);
        image_slot *r = sheet();
        for (int32_t y = 0; y < 16; y++)
            for (int32_t x = 0; x < 8; x++) {
                uint8_t px = r->pixels[((row - 1) * 16 + y) * 640 + (col - 1) * 8 + x];
                if (px != (glyph[y * 8 + x] ? 0 : 15))
                    return false;
            }
        return true;
    }
    bool sheet_blank()
    {
        image_slot *r = sheet();
        return std::all_of(r->pixels, r->pixels + 640 * 960, [](uint8_t p) { return p == 15; });
    }
};

TEST_F(printer_page, lprint_prints_black_on_a_white_sheet_and_keeps_the_write_page)
{
    image_slot *screen = write_page.record;
    say("s", false);
    lprint("HI");
    image_slot *r = sheet();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->width, 640);
    EXPECT_EQ(r->height, 960);
    EXPECT_EQ(r->mode, 13);
    EXPECT_EQ(r->view_print_bottom, 60);
    EXPECT_TRUE(sheet_shows(1, 1, 'H'));
    EXPECT_TRUE(sheet_shows(1, 2, 'I'));
    EXPECT_TRUE(sheet_shows(2, 1, ' '));
    EXPECT_EQ(write_page.record, screen);
    EXPECT_EQ(cursor(), std::make_pair(1, 2));
    EXPECT_EQ(printer_mode, 0u);
    EXPECT_EQ(printer_page_dirty.load(), 1u);
    EXPECT_EQ(rt_lpos(0), 1);
    lprint("AB", false);
    EXPECT_EQ(rt_lpos(3), 3);
    EXPECT_EQ(rt_lpos(4), 0);
    EXPECT_EQ(error_pending_take(), 5u);
}

TEST_F(printer_page, lines_wrap_at_the_printer_width)
{
    rt_width(2, 10, 0, 1);
    ASSERT_EQ(error_pending_take(), 0u);
    lprint("0123456789abcde", false);
    EXPECT_TRUE(sheet_shows(1, 10, '9'));
    EXPECT_TRUE(sheet_shows(1, 11, ' '));
    EXPECT_TRUE(sheet_shows(2, 1, 'a'));
    EXPECT_EQ(rt_lpos(0), 6);
    printer_width = 80;
}

TEST_F(printer_page, full_sheet_and_form_feed_start_a_clean_sheet)
{
    for (int i = 1; i <= 59; i++)
        lprint("line");
    EXPECT_TRUE(sheet_shows(59, 1, 'l'));
    lprint("last"); // row 60: its line end takes the sheet out
    EXPECT_TRUE(sheet_blank());
    EXPECT_EQ(printer_page_dirty.load(), 0u);
    lprint("next", false);
    EXPECT_TRUE(sheet_shows(1, 1, 'n'));
    lprint("\x0c", false);
    EXPECT_TRUE(sheet_blank());
    EXPECT_EQ(printer_page_dirty.load(), 0u);
    EXPECT_EQ(rt_lpos(0), 1);
}

TEST_F(printer_page, idle_sheet_is_ejected_once_after_ten_seconds)
{
    printer_page_poll(); // no sheet yet: nothing to do
    lprint("page");
    fake_now_ms += 9999;
    printer_page_poll();
    EXPECT_EQ(printer_page_dirty.load(), 1u);
    EXPECT_TRUE(sheet_shows(1, 1, 'p'));
    fake_now_ms += 1;
    printer_page_poll();
    EXPECT_EQ(printer_page_dirty.load(), 0u);
    EXPECT_TRUE(sheet_blank());
    lprint("again", false);
    EXPECT_TRUE(sheet_shows(1, 1, 'a'));
    printer_page_poll(); // just printed: kept
    EXPECT_TRUE(sheet_shows(1, 1, 'a'));
}

TEST_F(printer_page, nothing_is_printed_while_an_error_is_pending)
{
    error_raise(5);
    lprint("no");
    EXPECT_EQ(printer_page_slot.load(), 0u);
    EXPECT_EQ(error_pending_take(), 5u);
}

} // namespace
