#include "core/timing.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "core/fake_clock_support.h"
#include "core/traps.h"
#include "platform/clock.h"
#include "support/gives_raising.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <numeric>
#include <thread>

namespace {

constexpr int64_t START_MS = 1'000'000;

uint32_t handler_calls = 0;
void count_handler(uint32_t, uint32_t, uint32_t) {
    ++handler_calls;
}

// A key trap on F1 that is switched on and counts its calls.
void f1_trap_arm() {
    key_trap_set(1, 77, 0, 0);
    key_trap_state(1, TRAP_ACTION_ON);
}

void f1_press() {
    key_trap_key f1{};
    f1.raw_code = f1.translated_code = 0x3B00;
    key_trap_match(f1);
}

uint32_t sleeps_total() {
    const auto &log = fake_clock_sleeps();
    return std::accumulate(log.begin(), log.end(), 0u);
}

class Timing : public ::testing::Test {
  protected:
    void SetUp() override {
        control_words_reset();
        error_pending_take();
        timing_reset();
        traps_static_init();
        key_trap_codes_fill();
        handler_calls = 0;
        trap_handler_hook_set(count_handler);
        fake_clock_install(START_MS, fake_clock_mode::stepping);
    }
    void TearDown() override {
        fake_clock_remove();
        trap_handler_hook_set(nullptr);
        error_pending_take();
        control_words_reset();
    }
};

TEST_F(Timing, TimerCountsFromTheBaseTimeOfDay) {
    timer_base_tick = START_MS;
    timer_base_time_ms = 3'600'000; // 01:00:00
    fake_clock_advance(1'234);
    EXPECT_DOUBLE_EQ(rt_timer(0.001, true), 3601.234);
    EXPECT_DOUBLE_EQ(rt_timer(0.5, true), 3601.0);

    // Without an accuracy: a whole number of 1/18.2 s steps, as a single.
    const double timer = rt_timer(0, false);
    EXPECT_EQ(timer, double(float(timer)));
    EXPECT_NEAR(timer * 18.2, std::nearbyint(timer * 18.2), 1e-3);
    EXPECT_NEAR(timer, 3601.234, 1 / 36.4 + 1e-3);
}

TEST_F(Timing, TimerWrapsAtMidnight) {
    timer_base_tick = START_MS;
    timer_base_time_ms = 86'399'500;
    fake_clock_advance(700);
    EXPECT_DOUBLE_EQ(rt_timer(0.001, true), 0.2);
}

TEST_F(Timing, TimerRejectsAnAccuracyOfZeroOrLess) {
    EXPECT_TRUE(gives_raising(rt_timer(0, true), 0.0, 5));
    EXPECT_TRUE(gives_raising(rt_timer(-1, true), 0.0, 5));

    error_raise(9);
    fake_clock_advance(5'000);
    EXPECT_EQ(rt_timer(0.001, true), 0.0); // nothing while an error is pending
}

TEST_F(Timing, ShortDelaySleepsOnceWithoutTheEventCheck) {
    event_pending = 1;
    delay_seconds(0.005);
    EXPECT_EQ(fake_clock_sleeps(), std::vector<uint32_t>{5});
    EXPECT_EQ(event_pending.load(), 1u); // the check would have cleared it
}

TEST_F(Timing, LongDelaySleepsInStepsAndTakesTrapsMeanwhile) {
    f1_trap_arm();
    fake_clock_on_sleep([](uint32_t) {
        if (fake_clock_sleeps().size() == 3) f1_press();
    });
    delay_seconds(0.1);

    const auto &log = fake_clock_sleeps();
    EXPECT_EQ(sleeps_total(), 100u);
    for (size_t i = 0; i + 1 < log.size(); ++i)
        EXPECT_EQ(log[i], 9u);
    EXPECT_LT(log.back(), 10u);
    EXPECT_EQ(handler_calls, 1u);
}

TEST_F(Timing, DelayKeepsTheTimeWaitedWhenTheClockGoesBack) {
    fake_clock_on_sleep([](uint32_t) {
        if (fake_clock_sleeps().size() == 3) fake_clock_advance(-50);
    });
    delay_seconds(0.1);
    EXPECT_GE(sleeps_total(), 100u);
    EXPECT_LE(sleeps_total(), 109u); // at most the one step in which it went back
}

TEST_F(Timing, DelayRejectsOutOfRangeSeconds) {
    for (double s : {-0.001, 2'147'483.648, std::nan("")}) {
        delay_seconds(s);
        EXPECT_EQ(error_pending_take(), 5u) << s;
    }
    EXPECT_TRUE(fake_clock_sleeps().empty());
}

TEST_F(Timing, FrameRateLimitKeepsCadenceAndResyncsAfterAStall) {
    frame_rate_limit(60); // first call: grants at once
    std::vector<int64_t> grants{fake_clock_now()};
    for (int i = 0; i < 60; ++i) {
        fake_clock_advance(10); // the frame's work
        frame_rate_limit(60);
        grants.push_back(fake_clock_now());
    }
    for (size_t i = 1; i < grants.size(); ++i) {
        const int64_t gap = grants[i] - grants[i - 1];
        EXPECT_TRUE(gap == 16 || gap == 17) << "frame " << i << " gap " << gap;
    }
    EXPECT_NEAR(double(grants.back() - grants.front()), 1000.0, 1.0);

    fake_clock_advance(100); // a stall
    const size_t sleeps_before = fake_clock_sleeps().size();
    const int64_t stall_end = fake_clock_now();
    frame_rate_limit(60);
    EXPECT_EQ(fake_clock_sleeps().size(), sleeps_before); // returned at once
    EXPECT_EQ(fake_clock_now(), stall_end);
    fake_clock_advance(10);
    frame_rate_limit(60);
    EXPECT_EQ(fake_clock_now() - stall_end, 17); // cadence restarted at the stall's end
}

TEST_F(Timing, FrameRatesAreChecked) {
    for (double fps : {0.0, -5.0, 0.01, std::nan("")}) {
        frame_rate_limit(fps);
        EXPECT_EQ(error_pending_take(), 5u) << fps;
    }
    frame_rate_set(500, 2);
    EXPECT_EQ(frames_per_second.load(), 200.0);
    frame_rate_set(0.5, 2);
    EXPECT_EQ(error_pending_take(), 5u);
    frame_rate_set(30, 3);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(frames_per_second.load(), 200.0);
}

TEST_F(Timing, SleepWithSecondsWaitsThatLong) {
    rt_sleep(2, true);
    EXPECT_EQ(sleeps_total(), 2'000u);
}

TEST_F(Timing, SleepWithoutSecondsWaitsForAKeyPress) {
    fake_clock_on_sleep([](uint32_t) {
        if (fake_clock_sleeps().size() == 30) sleep_wake = 1; // what the key-down handler does
    });
    rt_sleep(0, false);
    EXPECT_EQ(fake_clock_sleeps().size(), 30u);
}

TEST_F(Timing, SleepEndsOnATrapThatRanNotOnEveryEventCheck) {
    f1_trap_arm(); // armed but not pressed: the checks take nothing
    fake_clock_on_sleep([](uint32_t) {
        if (fake_clock_sleeps().size() == 20) f1_press();
    });
    rt_sleep(5, true);
    EXPECT_EQ(fake_clock_sleeps().size(), 20u);
    EXPECT_EQ(handler_calls, 1u);
}

// Real clock, counting the sleeps: the base is taken just after the wall
// clock's second changed, waiting in short sleeps rather than spinning.
uint32_t real_sleeps = 0;
int64_t real_now() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
void real_sleep(uint32_t ms) {
    ++real_sleeps;
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

TEST_F(Timing, TimerBaseIsTheTimeOfDayToTheMillisecondWithoutWaiting) {
    const clock_seam counting{real_now, real_sleep};
    clock_seam_set(&counting);
    timespec before{}, after{};
    clock_gettime(CLOCK_REALTIME, &before);
    timer_base_take();
    clock_gettime(CLOCK_REALTIME, &after);
    const int64_t base_tick = timer_base_tick;
    clock_seam_set(nullptr);

    EXPECT_EQ(real_sleeps, 0u);
    auto of_day_ms = [](const timespec &t) {
        tm local{};
        localtime_r(&t.tv_sec, &local);
        return (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) * 1000 +
               t.tv_nsec / 1'000'000;
    };
    // Midnight between the two reads aside, the base lies between them.
    if (of_day_ms(after) >= of_day_ms(before)) {
        EXPECT_GE(int64_t(timer_base_time_ms), of_day_ms(before));
        EXPECT_LE(int64_t(timer_base_time_ms), of_day_ms(after));
    }
    EXPECT_LE(real_now() - base_tick, 1'000);
}

} // namespace
