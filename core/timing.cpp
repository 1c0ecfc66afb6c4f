#include "core/timing.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "core/program_thread.h"
#include "platform/clock.h"

#include <cmath>
#include <ctime>

int64_t timer_base_tick = 0;
uint32_t timer_base_time_ms = 0;
std::atomic<double> frames_per_second{60.0};

namespace {

constexpr int64_t MS_PER_DAY = 86'400'000;
constexpr double TIMER_TICKS_PER_SECOND = 18.2;
constexpr uint32_t WAIT_STEP_MS = 9;
constexpr double DELAY_MAX_SECONDS = 2'147'483.647;
constexpr double FRAME_PERIOD_MAX_MS = 60'000.0;
constexpr double FRAME_STALL_SLACK_MS = 32.0;

// Time of the last frame granted by frame_rate_limit; 0 = none yet.
double last_frame_ms = 0.0;

// Whole milliseconds of a positive remaining time, at least 1. The caller
// guarantees the value is below 2^31, so truncation is defined.
uint32_t remaining_ms(double ms) {
    if (!(ms >= 1.0)) return 1;
    return uint32_t(std::trunc(ms));
}

// Milliseconds since local midnight of a calendar second; 0 when the local
// time cannot be had.
uint32_t time_of_day_ms(time_t second) {
    tm local{};
    if (!localtime_r(&second, &local)) return 0;
    return uint32_t((local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) * 1000);
}

} // namespace

int64_t ticks_ms() {
    return clock_now_ms();
}

// The base pairs the millisecond counter with the time of day read at the
// same moment, to the millisecond, so TIMER's whole seconds turn with the
// calendar's and start-up never waits for a second to begin.
void timer_base_take() {
    timer_base_tick = ticks_ms();
    timespec wall{};
    if (clock_gettime(CLOCK_REALTIME, &wall) != 0) {
        timer_base_time_ms = 0;
        return;
    }
    timer_base_time_ms = time_of_day_ms(wall.tv_sec) + uint32_t(wall.tv_nsec / 1'000'000);
}

double rt_timer(double accuracy, bool given) {
    if (error_pending.load(std::memory_order_relaxed)) return 0.0;
    double factor = TIMER_TICKS_PER_SECOND;
    if (given) {
        if (!(accuracy > 0.0)) {
            error_raise(5);
            return 0.0;
        }
        factor = 1.0 / accuracy;
    }
    int64_t ms = (ticks_ms() - timer_base_tick + timer_base_time_ms) % MS_PER_DAY;
    if (ms < 0) ms += MS_PER_DAY;
    const double seconds = double(ms) / 1000.0;
    const double value = std::nearbyint(seconds * factor) / factor;
    return given ? value : double(float(value));
}

void delay_seconds(double seconds) {
    delay_seconds_while(seconds, nullptr);
}

// Waits in 9 ms steps with an event check after each; the last step sleeps
// only what remains and skips the check. A clock that went backwards keeps the
// time already waited.
void delay_seconds_while(double seconds, bool (*keep_waiting)()) {
    int64_t start = ticks_ms();
    if (error_pending.load(std::memory_order_relaxed)) return;
    if (!(seconds >= 0.0 && seconds <= DELAY_MAX_SECONDS)) {
        error_raise(5);
        return;
    }
    const double total_ms = seconds * 1000.0;
    int64_t waited = 0;
    for (;;) {
        const int64_t now = ticks_ms();
        int64_t elapsed = now - start;
        if (elapsed < 0) {
            start = now - waited;
            elapsed = waited;
        }
        waited = elapsed;
        if (double(elapsed) >= total_ms) return;
        if (keep_waiting && !keep_waiting()) return;
        const uint32_t remaining = remaining_ms(total_ms - double(elapsed));
        if (remaining < 10) {
            clock_sleep_ms(remaining);
            return;
        }
        clock_sleep_ms(WAIT_STEP_MS);
        statement_event_check(0);
    }
}

// Grants a frame when one period has passed since the last granted frame. A
// late call within 32 ms of its slot keeps the cadence; a later one (a stall)
// restarts it from now.
void frame_rate_limit(double fps) {
    if (error_pending.load(std::memory_order_relaxed)) return;
    if (!(fps > 0.0) || 1000.0 / fps > FRAME_PERIOD_MAX_MS) {
        error_raise(5);
        return;
    }
    const double period_ms = 1000.0 / fps;
    for (;;) {
        const double now = double(ticks_ms());
        if (last_frame_ms == 0.0 || last_frame_ms > now) {
            last_frame_ms = now;
            return;
        }
        const double elapsed = now - last_frame_ms;
        if (elapsed >= period_ms) {
            if (elapsed <= period_ms + FRAME_STALL_SLACK_MS)
                last_frame_ms += period_ms;
            else
                last_frame_ms = now;
            return;
        }
        const uint32_t remaining = remaining_ms(period_ms - elapsed);
        if (remaining > WAIT_STEP_MS) {
            clock_sleep_ms(WAIT_STEP_MS);
            statement_event_check(0);
        } else {
            clock_sleep_ms(remaining);
        }
    }
}

void frame_rate_set(double rate, int32_t mode) {
    if (error_pending.load(std::memory_order_relaxed)) return;
    if (mode == 1) return;
    if (mode != 2 || !(rate >= 1.0)) {
        error_raise(5);
        return;
    }
    frames_per_second.store(std::fmin(rate, 200.0), std::memory_order_relaxed);
}

// Each pass makes the event check first; a key press or a trap that ran sets
// sleep_wake, and an acknowledged exit ends the wait as well.
void rt_sleep(int32_t seconds, bool given) {
    if (error_pending.load(std::memory_order_relaxed)) return;
    sleep_wake.store(0, std::memory_order_relaxed);
    const bool timed = given && seconds > 0;
    const int64_t total_ms = int64_t(seconds) * 1000;
    const int64_t start = ticks_ms();
    for (;;) {
        statement_event_check(0);
        if (sleep_wake.load(std::memory_order_relaxed) ||
            exit_acknowledged.load(std::memory_order_relaxed))
            return;
        if (timed) {
            const int64_t elapsed = ticks_ms() - start;
            if (elapsed < 0 || elapsed >= total_ms) return;
            if (total_ms - elapsed <= WAIT_STEP_MS) {
                clock_sleep_ms(uint32_t(total_ms - elapsed));
                return;
            }
        }
        clock_sleep_ms(WAIT_STEP_MS);
    }
}

void timing_reset() {
    last_frame_ms = 0.0;
    frames_per_second.store(60.0, std::memory_order_relaxed);
    timer_base_tick = 0;
    timer_base_time_ms = 0;
}
