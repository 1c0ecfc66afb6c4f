#include "files/file_test_support.h"

#include "display/display_callback.h"
#include "display/runtime_loop.h"
#include "files/shell.h"
#include "platform/clock.h"

#include <atomic>
#include <thread>

namespace
{

// Another thread plays the runtime loop (answers shell_state) and the main
// thread (serves full-screen requests), noting what it saw.
struct window_side {
    std::atomic<bool> stop{false};
    std::atomic<int> shell_seen{0};
    std::atomic<int> state_while_shell{-1};
    std::thread thread;

    void run()
    {
        while (!stop.load()) {
            if (int32_t r = full_screen_request.exchange(-1); r != -1)
                full_screen_state.store(r);
            if (shell_state.load() == 1) {
                shell_seen.fetch_add(1);
                state_while_shell.store(full_screen_state.load());
                shell_state.store(-1);
            }
            clock_sleep_ms(1);
        }
    }
    window_side() : thread(&window_side::run, this) {}
    ~window_side()
    {
        stop.store(true);
        thread.join();
    }
};

using ShellThreaded = file_test;

TEST_F(ShellThreaded, WaitLeavesFullScreenAndRaisesShellState)
{
    full_screen_state = 2;
    full_screen_request = -1;
    {
        window_side side;
        basic_text command("sleep 0.2");
        EXPECT_EQ(rt_shell_function(command), 0);
        EXPECT_EQ(shell_state.load(), 0);
        EXPECT_EQ(full_screen_state.load(), 2); // back in the mode it had
        EXPECT_GE(side.shell_seen.load(), 1);
        EXPECT_EQ(side.state_while_shell.load(), 0); // windowed meanwhile
    }
    full_screen_state = 0;
}

} // namespace
