// Millisecond clock and sleeps.
//
// The runtime reads time and sleeps only through these two calls, so tests can
// put a fake clock in their place. The real clock is CLOCK_MONOTONIC: it never
// jumps with the wall clock and counts time, not processor use.
#pragma once

#include <atomic>
#include <cstdint>

// Milliseconds since an arbitrary fixed point.
int64_t clock_now_ms();

// Sleeps for the given milliseconds; 0 yields the processor.
void clock_sleep_ms(uint32_t ms);

// Sleeps until *word no longer holds seen, until limit_ms have passed, or
// earlier: callers test their condition again after every return. Under a
// replacement clock it is one 1 ms sleep of that clock, so faked time moves
// as it would in a 1 ms polling loop.
void clock_wait_ms(const std::atomic<uint32_t> *word, uint32_t seen, uint32_t limit_ms);

// Changes *word and wakes every thread waiting on it in clock_wait_ms.
void clock_wake(std::atomic<uint32_t> *word);

// A replacement clock for tests. Both functions may be called from any thread,
// so a fake must be thread-safe. Passing null restores the real clock.
struct clock_seam {
    int64_t (*now_ms)();
    void (*sleep_ms)(uint32_t ms);
};
void clock_seam_set(const clock_seam *seam);

// The local wall-clock time, broken down (the C library's time and
// localtime_r); false when the clock cannot be read. DATE$ and TIME$ read it
// here. A test may replace the source with a function of its own; null
// restores the real clock. Program thread only.
struct tm;
bool wall_clock_local_time(tm *out);
using wall_clock_fn = bool (*)(tm *out);
void wall_clock_seam_set(wall_clock_fn fn);
