#include "input_support.h"
#include "text_support.h"

#include "display/display_layers.h"
#include "display/frame_builder.h"
#include "display/frame_ring.h"
#include "display/keyboard.h"
#include "display/runtime_loop.h"
#include "platform/clock.h"
#include "screen/fonts.h"
#include "screen/screen_modes.h"
#include "screen/text_output.h"

#include <string>

namespace {

using locate = text_test;

constexpr uint32_t ROW_COL = LOCATE_ROW | LOCATE_COLUMN;

TEST_F(locate, game_page_allows_the_last_row_and_refuses_rows_outside)
{
    game_page_make();
    EXPECT_EQ(error_of([&] { rt_locate(37, 1, 0, 0, 0, ROW_COL); }), 0u);
    EXPECT_EQ(cursor(), std::make_pair(37, 1));
    for (int32_t row : {0, 38, -1})
        EXPECT_EQ(error_of([&] { rt_locate(row, 1, 0, 0, 0, ROW_COL); }), 5u) << row;
    for (int32_t col : {0, 67}) {
        EXPECT_EQ(error_of([&] { rt_locate(3, col, 0, 0, 0, ROW_COL); }), 5u) << col;
    }
    // A refused LOCATE changes nothing, not even the row it could have set.
    EXPECT_EQ(error_of([&] { rt_locate(3, 1, 2, 0, 0, ROW_COL | LOCATE_CURSOR); }), 5u);
    EXPECT_EQ(error_of([&] { rt_locate(4, 1, 0, 32, 0, ROW_COL | LOCATE_START); }), 5u);
    EXPECT_EQ(error_of([&] { rt_locate(5, 1, 0, 0, -1, ROW_COL | LOCATE_STOP); }), 5u);
    EXPECT_EQ(cursor(), std::make_pair(37, 1));
}

TEST_F(locate, without_position_a_pending_wrap_shows_on_the_next_row)
{
    game_page_make();
    say(std::string(66, 'x'), false);
    rt_locate(0, 0, 1, 0, 0, LOCATE_CURSOR);
    EXPECT_EQ(write_page.record->pending_wrap, 2);
    rt_locate(0, 10, 0, 0, 0, LOCATE_COLUMN);
    EXPECT_EQ(write_page.record->pending_wrap, 0);
    EXPECT_EQ(cursor(), std::make_pair(1, 10));
}

TEST_F(locate, cursor_shape_goes_to_every_screen_page)
{
    image_slot *p0 = page_record(0), *p3 = page_record(3);
    EXPECT_EQ(error_of([&] { rt_locate(0, 0, 1, 6, 0, LOCATE_CURSOR | LOCATE_START); }), 0u);
    for (image_slot *r : {p0, p3}) {
        EXPECT_EQ(r->cursor_shown, 1);
        EXPECT_EQ(r->cursor_start, 6);
        EXPECT_EQ(r->cursor_stop, 4); // not given: kept
    }
}

TEST_F(locate, untouched_start_screen_grows_to_80_by_50_once_keeping_text_and_colours)
{
    rt_color(14, 1, 0, 3);
    rt_locate(2, 3, 0, 0, 0, ROW_COL);
    say("HELLO", false);
    rt_locate(30, 5, 0, 0, 0, ROW_COL);
    ASSERT_EQ(error_pending_take(), 0u);
    image_slot *r = write_page.record;
    EXPECT_EQ(r->width, 80);
    EXPECT_EQ(r->height, 50);
    EXPECT_EQ(r->font, 8u);
    EXPECT_EQ(row_text(r, 2).substr(0, 8), "  HELLO ");
    EXPECT_EQ(cell_at(r, 2, 3), 0x1E00 | 'H');
    EXPECT_EQ(r->fore_color, 14u);
    EXPECT_EQ(r->back_color, 1u);
    EXPECT_EQ(cursor(), std::make_pair(30, 5));
    EXPECT_EQ(default_screen_untouched, 0u);
    // Only once: the 80 x 50 page now has its own region and last row.
    EXPECT_EQ(error_of([&] { rt_locate(50, 1, 0, 0, 0, LOCATE_ROW); }), 0u);
    EXPECT_EQ(write_page.record, r);
}

TEST_F(locate, start_screen_growth_is_refused_past_its_limits_and_only_while_untouched)
{
    // The last row: no growth needed.
    EXPECT_EQ(error_of([&] { rt_locate(25, 1, 0, 0, 0, LOCATE_ROW); }), 0u);
    EXPECT_EQ(default_screen_untouched, 1u);
    EXPECT_EQ(error_of([&] { rt_locate(51, 1, 0, 0, 0, LOCATE_ROW); }), 5u);
    // The one chance is spent: no growth afterwards.
    EXPECT_EQ(error_of([&] { rt_locate(30, 1, 0, 0, 0, LOCATE_ROW); }), 5u);
    EXPECT_EQ(write_page.record->height, 25);

    SetUp();
    EXPECT_EQ(error_of([&] { rt_locate(30, 81, 0, 0, 0, ROW_COL); }), 5u);
    EXPECT_EQ(write_page.record->height, 25);

    SetUp();
    rt_width(0, 80, 25, 3); // WIDTH touches the screen even when it changes nothing
    EXPECT_EQ(error_of([&] { rt_locate(30, 1, 0, 0, 0, LOCATE_ROW); }), 5u);
}

using view_print = text_test;

TEST_F(view_print, region_limits_scrolling_and_homes_the_cursor)
{
    game_page_make();
    image_slot *r = write_page.record;
    rt_locate(3, 1, 0, 0, 0, LOCATE_ROW);
    say("above", false);
    say(std::string(66, 'x'), false);
    rt_view_print(5, 6, true);
    EXPECT_EQ(cursor(), std::make_pair(5, 1));
    EXPECT_EQ(r->pending_wrap, 0);
    say("one");
    say("two");
    say("three", false);
    EXPECT_EQ(row_text(r, 5).substr(0, 4), "two ");
    EXPECT_EQ(row_text(r, 6).substr(0, 6), "three ");
    EXPECT_EQ(row_text(r, 3).substr(0, 5), "above");
    EXPECT_EQ(row_text(r, 7), std::string(66, ' '));
    // LOCATE keeps to the region and the last row.
    for (int32_t row : {4, 7})
        EXPECT_EQ(error_of([&] { rt_locate(row, 1, 0, 0, 0, LOCATE_ROW); }), 5u) << row;
    EXPECT_EQ(error_of([&] { rt_locate(37, 66, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN); }), 0u);
}

TEST_F(view_print, bad_regions_are_refused_and_no_arguments_take_the_whole_page)
{
    game_page_make();
    image_slot *r = write_page.record;
    for (auto [top, bottom] : {std::pair{0, 5}, {6, 5}, {1, 38}, {38, 38}})
        EXPECT_EQ(error_of([&] { rt_view_print(top, bottom, true); }), 5u) << top << "-" << bottom;
    EXPECT_EQ(r->view_print_top, 1);
    EXPECT_EQ(r->view_print_bottom, 36);
    rt_view_print(0, 0, false);
    EXPECT_EQ(r->view_print_bottom, 37);
    rt_locate(37, 1, 0, 0, 0, LOCATE_ROW);
    reinterpret_cast<uint16_t *>(r->pixels)[0] = 0x0700 | 'T';
    say("last", true); // the whole page scrolls now
    EXPECT_EQ(row_text(r, 36).substr(0, 4), "last");
    EXPECT_EQ(row_text(r, 1)[0], ' ');
}

using cursor_query = text_test;

TEST_F(cursor_query, pending_wrap_reads_as_the_start_of_the_next_row)
{
    rt_locate(5, 1, 0, 0, 0, ROW_COL);
    say(std::string(80, 'x'), false);
    EXPECT_EQ(rt_csrlin(), 6);
    EXPECT_EQ(rt_pos(), 1);
    // On the region's last row no scroll has happened yet.
    rt_locate(24, 1, 0, 0, 0, ROW_COL);
    say(std::string(80, 'x'), false);
    EXPECT_EQ(rt_csrlin(), 24);
    EXPECT_EQ(rt_pos(), 1);
    rt_locate(7, 12, 0, 0, 0, ROW_COL);
    EXPECT_EQ(rt_csrlin(), 7);
    EXPECT_EQ(rt_pos(), 12);
}

TEST_F(cursor_query, end_prompt_prints_on_the_display_pages_last_row)
{
    game_page_make();
    rt_screen(0, 0, 1, 0, 0, SCREEN_ACTIVE_GIVEN | SCREEN_VISUAL_GIVEN);
    ASSERT_EQ(error_pending_take(), 0u);
    image_slot *shown = page_record(0);
    ASSERT_NE(write_page.record, shown);
    write_page_select(page_table[0]);
    rt_locate(36, 1, 0, 0, 0, ROW_COL);
    say("keep", false);
    write_page_select(page_table[1]);

    end_prompt_show();
    EXPECT_EQ(write_page.record, shown);
    EXPECT_EQ(shown->view_print_top, 37);
    EXPECT_EQ(shown->view_print_bottom, 37);
    EXPECT_EQ(row_text(shown, 37).substr(0, 26), "Press any key to continue ");
    EXPECT_EQ(row_text(shown, 36).substr(0, 4), "keep");
    EXPECT_EQ(error_pending_take(), 0u);
}

// A program waiting in INPUT with the runtime loop beside it on a fake clock:
// the editor's key waits move the time on, the loop makes its passes in that
// time and the frames the window would take are counted; Enter ends the
// INPUT once the watch is over.
constexpr int64_t WATCH_MS = 5000;
struct {
    int64_t program_ms, loop_ms;
    bool in_pass, enter_pressed;
    runtime_loop_state loop;
    uint64_t shown_order;
    int frames;
} watch;

int64_t watch_now()
{
    return watch.in_pass ? watch.loop_ms : watch.program_ms;
}

void watch_sleep(uint32_t ms)
{
    if (watch.in_pass) {
        watch.loop_ms += ms;
        return;
    }
    watch.program_ms += ms;
    watch.in_pass = true;
    while (watch.loop_ms < watch.program_ms && watch.loop_ms < WATCH_MS) {
        runtime_loop_pass(watch.loop);
        if (frame_ring_newer_ready(watch.shown_order)) {
            watch.shown_order = frame_ring_take_newest()->order.load();
            watch.frames++;
        }
    }
    watch.in_pass = false;
    if (watch.program_ms >= WATCH_MS && !watch.enter_pressed) {
        watch.enter_pressed = true;
        keyboard_key_down_event('\r');
        keyboard_key_up_event('\r');
    }
}
const clock_seam watch_clock{watch_now, watch_sleep};

class input_frames : public input_test
{
  protected:
    void TearDown() override
    {
        runtime_loop_services_set({});
        input_test::TearDown();
    }

    // The frames published while INPUT waits, after the picture as it
    // stands was shown.
    int frames_while_waiting()
    {
        watch = {};
        frame_pass_counter = 0;
        frame_ring_reset();
        frame_builder_reset();
        display_layer_order_reset();
        runtime_loop_services services{};
        services.frame_build = software_frame_build;
        services.auto_display = frame_auto_display_on;
        runtime_loop_services_set(services);
        software_frame_build();
        watch.shown_order = frame_ring_take_newest()->order.load();
        clock_seam_set(&watch_clock);
        input_one(string_var(), INPUT_TYPE_STRING);
        return watch.frames;
    }
};

TEST_F(input_frames, an_invisible_cursor_publishes_nothing_and_a_visible_one_blinks)
{
    constexpr double BLINK_FRAMES = WATCH_MS / (8 * 32.0); // a phase: 8 frame passes
    struct {
        uint32_t start, stop;
        bool blinking_cell;
        double frames;
    } const cases[] = {
        {8, 0, false, 0},            // the story's prompts: E = 0 and S > 0
        {12, 9, false, 0},           // E < S, but E below the 8-row cell
        {8, 0, true, BLINK_FRAMES},  // blinking characters still blink
        {8, 8, false, BLINK_FRAMES}, // S = E: the cell's bottom row
        {6, 2, false, BLINK_FRAMES}, // E < S: from E to the bottom
    };
    game_page_make();
    image_font_set(8, 0, false);
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "start " << c.start << " stop " << c.stop
                                        << (c.blinking_cell ? " with a blinking cell" : ""));
        rt_cls(0, 0, 0);
        write_page.record->pixels[0] = 'B';
        write_page.record->pixels[1] = c.blinking_cell ? 0x87 : 0x07;
        rt_locate(0, 0, 1, c.start, c.stop, LOCATE_CURSOR | LOCATE_START | LOCATE_STOP);
        rt_locate(26, 5, 0, 0, 0, ROW_COL);
        say("TARVO: ...  ", false);
        ASSERT_EQ(error_pending_take(), 0u);
        EXPECT_NEAR(frames_while_waiting(), c.frames, 1);
    }
}

} // namespace
