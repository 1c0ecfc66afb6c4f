// When the display callback draws: a still screen is drawn once, and every
// change that can alter the window (a new frame, hardware commands, their
// end, the layer order, a reshape, a pause's end) is drawn once more.
#include "display_support.h"

#include "core/control_words.h"
#include "display/display_callback.h"
#include "display/display_layers.h"
#include "display/frame_builder.h"
#include "display/hgc_queue.h"
#include "display/window_state.h"
#include "platform/clock.h"
#include "screen/image_slots.h"

namespace
{

class display_redraw : public display_test
{
  protected:
    void SetUp() override
    {
        display_test::SetUp();
        display_state_reset(clock_now_ms());
        hgc_executor_set([](const hgc_record &) {});
        program_suspended = 0;
        game_screen_set();
        display_page_record.load()->cursor_shown = 0;
    }
    void TearDown() override
    {
        hgc_executor_set(nullptr);
        program_suspended = 0;
        display_test::TearDown();
    }
};

// What the display callback does once posted, without GL: take the newest
// frame, run the hardware layers, note the drawing.
void draw(bool swapped = true)
{
    frame_slot *shown = frame_ring_take_newest();
    ASSERT_NE(shown, nullptr);
    const uint64_t bound = last_built_frame_order.load();
    const uint64_t appended = hgc_appended_count.load();
    display_window.force_redraw = false;
    hgc_pass pass{};
    hgc_pass_begin(pass, bound);
    hgc_layer_run(pass, HGC_HARDWARE_LAYER);
    hgc_layer_run(pass, HGC_SECOND_HARDWARE_LAYER);
    display_drawn_note(shown->order.load(), bound, appended, pass.commands_run, swapped);
}

// Builds `passes` frames, drawing after each whenever a redraw is due; the
// number of drawings.
int drawings_over(int passes)
{
    int drawn = 0;
    for (int i = 0; i < passes; ++i) {
        software_frame_build();
        if (display_redraw_due()) {
            draw();
            ++drawn;
        }
    }
    return drawn;
}

void screen_command_queue()
{
    hgc_record c{};
    c.type = HGC_RECT;
    c.destination = HGC_HARDWARE_LAYER;
    hgc_queue_command(c);
}

TEST_F(display_redraw, a_still_screen_is_drawn_once)
{
    EXPECT_EQ(drawings_over(50), 1);
    EXPECT_EQ(drawings_over(50), 0);
    cell_put(3, 4, 'x', 0x1E);
    EXPECT_EQ(drawings_over(50), 1);
}

TEST_F(display_redraw, hardware_commands_are_drawn_and_then_cleared_once)
{
    drawings_over(5);
    screen_command_queue();
    // Drawn with the frame order they were queued for, then once more for
    // the next frame order, which has none.
    EXPECT_EQ(drawings_over(50), 2);
    EXPECT_EQ(drawings_over(50), 0);
}

TEST_F(display_redraw, window_changes_are_drawn_once)
{
    drawings_over(5);
    struct {
        const char *what;
        void (*change)();
    } const cases[] = {
        {"reshape", [] { display_reshape_note(800, 600); }},
        {"layer order", [] { display_layer_order_preset(2); }},
    };
    for (const auto &c : cases) {
        c.change();
        EXPECT_EQ(drawings_over(50), 1) << c.what;
    }
}

TEST_F(display_redraw, a_swap_held_by_a_pause_is_drawn_when_the_pause_ends)
{
    drawings_over(5);
    program_suspended = 1;
    cell_put(1, 1, 'p', 0x07);
    software_frame_build();
    ASSERT_TRUE(display_redraw_due());
    draw(false);
    EXPECT_FALSE(display_redraw_due());
    program_suspended = 0;
    EXPECT_TRUE(display_redraw_due());
}

} // namespace
