#include "core/x86.h"

#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "display/mouse.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace
{

// The window thread appends records while the program asks interrupt 33h
// for the position again and again: every record stays in the ring for the
// program's own reads, none is skipped or read twice.
TEST(MouseInterruptThreaded, PositionQueriesLeaveTheReadPositionAlone)
{
    error_pending_take();
    control_words_reset();
    frame_builder_started = false;
    dos_memory_reset();
    strings_static_init();
    screen_startup();
    mouse_reset();
    constexpr int32_t motions = 5000;
    std::atomic<bool> done{false};
    std::thread window([&] {
        for (int32_t i = 0; i < motions; i++)
            mouse_motion_event(i % 640, i % 400); // two records each
        done = true;
    });
    uint16_t in[8] = {3}, out[8] = {};
    int32_t taken = 0;
    while (!done.load()) {
        rt_call_interrupt(0x33, in, sizeof in, out, sizeof out);
        if (mouse_input_next())
            taken++;
    }
    window.join();
    while (mouse_input_next())
        taken++;
    EXPECT_EQ(taken, 2 * motions);
    EXPECT_LT(out[2], 640);
    EXPECT_EQ(error_pending_take(), 0u);
    mouse_reset();
}

} // namespace
