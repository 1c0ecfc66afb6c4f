#include "display/mouse.h"

#include "core/errors.h"
#include "display/devices.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace
{

class MouseThreaded : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        error_pending_take();
        devices_static_init();
        devices_startup();
        mouse_reset();
    }
    void TearDown() override
    {
        mouse_reset();
        devices_static_init();
    }
};

// The main thread reports raw motion with ascending movement while the program
// thread takes records; the ring overflows now and then. Every record taken
// is whole: movement records ascend, the others carry none.
TEST_F(MouseThreaded, RecordsArriveWholeAndInOrderWhileTheRingOverflows)
{
    constexpr int32_t REPORTS = 30000;
    std::atomic<bool> done{false};
    std::thread main_thread([&] {
        for (int32_t round = 0; round < 5; round++)
            for (int32_t i = 1; i <= REPORTS; i++)
                mouse_raw_motion_event(i, -i);
        done = true;
    });
    int32_t last = 0, broken = 0, rounds = 0;
    for (;;) {
        const bool finished = done.load();
        if (!mouse_input_next()) {
            if (finished)
                break;
            continue;
        }
        const int32_t dx = int32_t(mouse_movement_x()), dy = int32_t(mouse_movement_y());
        if (dx != -dy)
            broken++;
        if (dx == 0)
            continue;
        if (dx < last)
            rounds++;
        else if (dx == last)
            broken++;
        last = dx;
    }
    main_thread.join();
    EXPECT_EQ(broken, 0);
    EXPECT_LE(rounds, 4);
    EXPECT_EQ(last, REPORTS);
}

// Key messages reach the keyboard device while the program thread takes its
// events: each state taken has at most one key down, and the queue's
// overflow never hands out a torn entry.
TEST_F(MouseThreaded, DeviceEventsTakenWhileTheQueueOverflowsAreWhole)
{
    constexpr int32_t PRESSES = 4000;
    std::atomic<bool> done{false};
    std::thread main_thread([&] {
        for (int32_t i = 0; i < PRESSES; i++) {
            const int32_t button = i % 500;
            device_keyboard_button_event(button, true);
            device_keyboard_button_event(button, false);
        }
        done = true;
    });
    int32_t torn = 0;
    for (;;) {
        const bool finished = done.load();
        if (!device_next_input(0, 0)) {
            if (finished)
                break;
            continue;
        }
        int32_t down = 0;
        for (int32_t b = 1; b <= 512; b++)
            down += device_button_state(b, 1) ? 1 : 0;
        if (down > 1)
            torn++;
    }
    main_thread.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(error_pending_take(), 0u);
}

} // namespace
