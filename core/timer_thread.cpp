// The timer-trap thread: every millisecond it marks the ON TIMER traps whose
// interval has passed and raises event_pending; the program thread takes them
// in event_dispatch.
#include "core/control_words.h"
#include "core/timing.h"
#include "core/traps.h"
#include "platform/clock.h"

#include <cmath>

std::atomic<bool> timer_thread_running{false};

namespace {

// The next last-fire time of a timer whose interval has passed: one interval
// on, or now when the thread fell a whole interval behind (a stall), so that
// the timer fires once and restarts its cadence.
double timer_next_fire(double last_s, double interval_s, double now_s) {
    const double next_s = last_s + interval_s;
    return std::fabs(now_s - next_s) >= interval_s ? now_s : next_s;
}

// Marks one record due. The last-fire time moves by compare-exchange, so a
// reset by the program thread (ON TIMER, TIMER OFF) in the meantime wins; a
// due mark that lands after such a reset is withdrawn again.
void timer_record_scan(timer_trap_record &record, double now_s) {
    if (!record.used.load() || !record.handler.load() || record.state.load() == TRAP_OFF ||
        record.pending.load() != TIMER_NOT_DUE)
        return;
    double last_s = record.last_fire_s.load();
    if (last_s == 0.0) {
        record.last_fire_s.compare_exchange_strong(last_s, now_s);
        return;
    }
    const double interval_s = record.interval_s.load();
    if (!(now_s - last_s > interval_s)) return;
    if (!record.last_fire_s.compare_exchange_strong(last_s,
                                                    timer_next_fire(last_s, interval_s, now_s)))
        return;
    uint8_t mark = TIMER_NOT_DUE;
    if (!record.pending.compare_exchange_strong(mark, TIMER_DUE)) return;
    if (record.state.load() == TRAP_OFF || record.last_fire_s.load() == 0.0) {
        mark = TIMER_DUE;
        record.pending.compare_exchange_strong(mark, TIMER_NOT_DUE);
        return;
    }
    event_pending.store(1);
}

} // namespace

// Stops early, returning false, when the program asks for the table.
bool timer_table_scan(double now_s) {
    for (uint32_t h = 0; h < timer_handle_count; ++h) {
        if (timer_table_suspend.load() != 0) return false;
        timer_record_scan(timer_trap_table[h], now_s);
    }
    return true;
}

// A growth request (1) is answered with 2 and the table is left alone until
// the program writes 0 again.
void timer_thread_main() {
    timer_thread_running.store(true);
    while (!exit_acknowledged.load()) {
        uint32_t suspend = timer_table_suspend.load();
        if (suspend == 1) {
            timer_table_suspend.compare_exchange_strong(suspend, 2);
        } else if (suspend == 0 && !timer_table_scan(double(ticks_ms()) * 0.001)) {
            continue;
        }
        clock_sleep_ms(1);
    }
    timer_thread_running.store(false);
    threads_ended.fetch_or(THREAD_ENDED_TIMER);
}
