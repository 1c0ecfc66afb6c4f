// Waiting on a wake counter with the real clock, and under a fake clock.
#include "platform/clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using steady = std::chrono::steady_clock;

// The limits are a minute: a wait that returns well before that was ended by
// the counter, not by its limit.
constexpr uint32_t MINUTE_MS = 60'000;

bool ended_early(steady::time_point start)
{
    return steady::now() - start < std::chrono::milliseconds(MINUTE_MS / 2);
}

TEST(ClockWait, ACounterChangeEndsTheWait)
{
    std::atomic<uint32_t> word{7};
    const auto start = steady::now();
    clock_wait_ms(&word, 6, MINUTE_MS); // already changed since it was read
    EXPECT_TRUE(ended_early(start));

    std::thread waiter([&] { clock_wait_ms(&word, 7, MINUTE_MS); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    clock_wake(&word);
    waiter.join();
    EXPECT_TRUE(ended_early(start));
    EXPECT_EQ(word.load(), 8u);
}

TEST(ClockWait, TheLimitEndsAnUnansweredWait)
{
    std::atomic<uint32_t> word{0};
    clock_wait_ms(&word, 0, 1);
    SUCCEED();
}

uint32_t fake_sleeps_ms = 0;
const clock_seam counting_clock{[] { return int64_t(0); },
                                [](uint32_t ms) { fake_sleeps_ms += ms; }};

TEST(ClockWait, AFakeClockSeesOneMillisecondSleep)
{
    std::atomic<uint32_t> word{0};
    fake_sleeps_ms = 0;
    clock_seam_set(&counting_clock);
    clock_wait_ms(&word, 0, MINUTE_MS);
    clock_seam_set(nullptr);
    EXPECT_EQ(fake_sleeps_ms, 1u);
}

} // namespace
