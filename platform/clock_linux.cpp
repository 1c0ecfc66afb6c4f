#include "platform/clock.h"

#include <atomic>
#include <ctime>
#include <sched.h>

namespace {

int64_t monotonic_now_ms()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void monotonic_sleep_ms(uint32_t ms)
{
    if (ms == 0) {
        sched_yield();
        return;
    }
    timespec req{time_t(ms / 1000), long(ms % 1000) * 1000000L};
    timespec rem;
    while (nanosleep(&req, &rem) != 0)
        req = rem;
}

const clock_seam real_clock{monotonic_now_ms, monotonic_sleep_ms};
std::atomic<const clock_seam *> active_clock{&real_clock};

} // namespace

int64_t clock_now_ms() { return active_clock.load(std::memory_order_acquire)->now_ms(); }

void clock_sleep_ms(uint32_t ms) { active_clock.load(std::memory_order_acquire)->sleep_ms(ms); }

void clock_seam_set(const clock_seam *seam)
{
    active_clock.store(seam ? seam : &real_clock, std::memory_order_release);
}
