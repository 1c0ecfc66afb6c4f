// The timer-trap thread running for real against a fake clock that the test
// moves by hand.
#include "core/traps.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "core/fake_clock_support.h"
#include "core/program_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <set>
#include <thread>
#include <vector>

namespace {

std::vector<uint32_t> handlers;
void record_handler(uint32_t handler, uint32_t, uint32_t) {
    handlers.push_back(handler);
}

// Polls until the condition holds; false after a generous real-time limit.
bool wait_until(const std::function<bool()> &condition) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > give_up) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Lets the thread make several passes at the current fake time.
void let_thread_run() {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

bool timer_due(int32_t handle) {
    return timer_trap_table[handle].pending.load() == TIMER_DUE;
}

class TimerThread : public ::testing::Test {
  protected:
    void SetUp() override {
        control_words_reset();
        error_pending_take();
        traps_static_init();
        key_trap_codes_fill();
        handlers.clear();
        trap_handler_hook_set(record_handler);
        fake_clock_install(1'000'000, fake_clock_mode::polling);
        thread = std::thread(timer_thread_main);
    }
    void TearDown() override {
        stop_thread();
        trap_handler_hook_set(nullptr);
        fake_clock_remove();
        error_pending_take();
        control_words_reset();
    }
    void stop_thread() {
        if (!thread.joinable()) return;
        exit_acknowledged = 1;
        EXPECT_TRUE(wait_until([] { return (threads_ended.load() & THREAD_ENDED_TIMER) != 0; }));
        thread.join();
        EXPECT_FALSE(timer_thread_running.load());
    }
    // ON TIMER(handle, seconds) ON, and wait for the thread to start its cadence.
    void timer_start(int32_t handle, double seconds, uint32_t handler) {
        timer_interval_set(handle, seconds, handler, 0, 0);
        timer_handle_state(handle, TRAP_ACTION_ON, true);
        ASSERT_TRUE(wait_until([&] { return timer_trap_table[handle].last_fire_s.load() != 0; }));
    }
    std::thread thread;
};

TEST_F(TimerThread, OnTimerFiresAboutOnceASecond) {
    timer_start(0, 1.0, 42);
    for (int second = 1; second <= 4; ++second) {
        fake_clock_advance(600);
        let_thread_run();
        EXPECT_FALSE(timer_due(0)) << second;
        fake_clock_advance(401);
        ASSERT_TRUE(wait_until([] { return event_pending.load() != 0; })) << second;
        statement_event_check(0);
        EXPECT_EQ(handlers.size(), size_t(second));
    }
}

TEST_F(TimerThread, StallFiresOnceAndRestartsTheCadence) {
    timer_start(0, 1.0, 42);
    fake_clock_advance(5'500);
    ASSERT_TRUE(wait_until([] { return timer_due(0); }));
    let_thread_run();
    statement_event_check(0);
    EXPECT_EQ(handlers.size(), 1u);
    EXPECT_EQ(timer_trap_table[0].last_fire_s.load(), double(fake_clock_now()) * 0.001);

    fake_clock_advance(900);
    let_thread_run();
    EXPECT_FALSE(timer_due(0));
    fake_clock_advance(200);
    ASSERT_TRUE(wait_until([] { return timer_due(0); }));
}

// Handles allocated while the thread scans running timers: every growth goes
// through the pause handshake, and the new timers fire too.
TEST_F(TimerThread, TableGrowsWhileTheThreadScans) {
    timer_start(0, 0.001, 1);
    std::set<int32_t> allocated;
    for (int i = 0; i < 40; ++i) {
        const int32_t h = timer_handle_alloc();
        allocated.insert(h);
        timer_interval_set(h, 0.5, 100 + uint32_t(h), 0, 0);
        timer_handle_state(h, TRAP_ACTION_ON, true);
        fake_clock_advance(2);
        if (i % 8 == 0) statement_event_check(0);
    }
    EXPECT_EQ(allocated.size(), 40u);
    EXPECT_EQ(timer_handle_count, 41u);
    EXPECT_EQ(error_pending_take(), 0u);

    ASSERT_TRUE(wait_until([] { return timer_trap_table[40].last_fire_s.load() != 0; }));
    fake_clock_advance(600);
    ASSERT_TRUE(wait_until([] { return timer_due(40); }));
    let_thread_run();
    handlers.clear();
    statement_event_check(0);
    std::set<uint32_t> fired(handlers.begin(), handlers.end());
    for (int32_t h : allocated)
        EXPECT_TRUE(fired.count(100 + uint32_t(h))) << h;
}

TEST_F(TimerThread, ThreadEndsWhenTheExitIsAcknowledged) {
    ASSERT_TRUE(wait_until([] { return timer_thread_running.load(); }));
    stop_thread();
    EXPECT_EQ(threads_ended.load(), THREAD_ENDED_TIMER);
}

} // namespace
