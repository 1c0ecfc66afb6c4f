#include "screen_support.h"

#include "platform/clock.h"
#include "screen/fonts.h"
#include "screen/screen_modes.h"

#include <atomic>
#include <thread>

namespace {

class frame_pause : public screen_test {
protected:
    void TearDown() override
    {
        frame_builder_started = false;
        frame_build_pause = 0;
        auto_display = 1;
        screen_test::TearDown();
    }
};

// A stand-in for the frame builder: answers pause requests like the real one
// and counts how often it saw the page change while it was supposed to run.
struct fake_builder {
    std::atomic<bool> stop{false};
    std::atomic<int> answers{0};
    std::thread thread;

    void start()
    {
        frame_builder_started.store(true, std::memory_order_release);
        thread = std::thread([this] {
            while (!stop.load(std::memory_order_acquire)) {
                int32_t expected = 1;
                if (frame_build_pause.compare_exchange_strong(expected, 2,
                                                              std::memory_order_acq_rel))
                    answers++;
                clock_sleep_ms(0);
            }
        });
    }
    void finish()
    {
        stop = true;
        thread.join();
        frame_builder_started = false;
    }
};

TEST_F(frame_pause, nothing_waits_without_a_running_builder)
{
    frame_builder_started = false;
    rt_screen(13, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    EXPECT_EQ(frame_build_pause.load(), 0);
    frame_builder_started = true;
    auto_display = 0;
    rt_screen(12, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    EXPECT_EQ(frame_build_pause.load(), 0);
    EXPECT_EQ(page_record(0)->mode, 12);
}

TEST_F(frame_pause, screen_width_and_font_changes_wait_for_the_builder)
{
    fake_builder builder;
    builder.start();
    rt_screen(13, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    rt_screen(0, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    rt_width(0, 66, 37, 1 | 2);
    image_font_set(8, 0, false);
    builder.finish();
    EXPECT_EQ(builder.answers.load(), 4);
    EXPECT_EQ(frame_build_pause.load(), 0);
    EXPECT_EQ(page_record(0)->width, 66);
    EXPECT_EQ(page_record(0)->font, 8u);
}

TEST_F(frame_pause, a_builder_that_stops_while_asked_releases_the_wait)
{
    frame_builder_started = true;
    std::thread stopper([] {
        while (frame_build_pause.load(std::memory_order_acquire) != 1)
            clock_sleep_ms(0);
        frame_builder_started.store(false, std::memory_order_release);
    });
    rt_screen(13, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    stopper.join();
    EXPECT_EQ(page_record(0)->mode, 13);
    EXPECT_EQ(frame_build_pause.load(), 0);
}

} // namespace
