// Full-screen requests from the program thread while the main thread serves
// them: the last request wins, however the two threads interleave.
#include "display/display_callback.h"
#include "display/frame_builder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(DisplayWindowThreaded, TheLastRequestWinsWhileTheMainThreadServes)
{
    for (const int32_t last_mode : {0, 1}) {
        display_state_reset(0);
        display_window.picture_drawn = true;
        std::atomic<bool> done{false};
        std::thread program([&] {
            for (int32_t i = 0; i < 20000; ++i)
                full_screen_set(i % 2 == 0 ? 1 - last_mode : last_mode, 0);
            done = true;
        });
        // The main thread: serves requests, and the window reports each size
        // asked for at once.
        int64_t now_ms = 0;
        while (!done || full_screen_request.load() != -1) {
            const window_actions a = display_window_follow({528, 296}, ++now_ms);
            if (a.reshape)
                display_reshape_note(a.size.width, a.size.height);
        }
        program.join();
        EXPECT_EQ(full_screen_state.load(), last_mode == 0 ? 1 : 0);
        EXPECT_EQ(full_screen_get(), last_mode == 0 ? 1 : 0);
    }
    display_state_reset(0);
    frame_force_rebuild = 0;
}
