#include "platform/clock.h"

#include <atomic>
#include <ctime>
#include <climits>
#include <linux/futex.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

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

// The kernel compares and waits on the 32-bit value the atomic holds; the
// timeout is relative and measured on the monotonic clock.
void clock_wait_ms(const std::atomic<uint32_t> *word, uint32_t seen, uint32_t limit_ms)
{
    const clock_seam *active = active_clock.load(std::memory_order_acquire);
    if (active != &real_clock) {
        active->sleep_ms(1);
        return;
    }
    if (word->load(std::memory_order_acquire) != seen)
        return;
    timespec limit{time_t(limit_ms / 1000), long(limit_ms % 1000) * 1000000L};
    syscall(SYS_futex, reinterpret_cast<const uint32_t *>(word), FUTEX_WAIT_PRIVATE, seen, &limit,
            nullptr, 0);
}

void clock_wake(std::atomic<uint32_t> *word)
{
    word->fetch_add(1, std::memory_order_acq_rel);
    syscall(SYS_futex, reinterpret_cast<uint32_t *>(word), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr,
            nullptr, 0);
}
