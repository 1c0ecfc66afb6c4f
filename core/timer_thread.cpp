// The timer-trap thread: every millisecond it marks the ON TIMER traps whose
// interval has passed and raises event_pending; the program thread takes them
// in event_dispatch. While no timer can fire it sleeps until the program sets
// or switches one (timer_wake), so an idle program costs no wake-ups.
#include "core/control_words.h"
#include "core/timing.h"
#include "core/traps.h"
#include "platform/clock.h"

#include <cmath>

std::atomic<bool> timer_thread_running{false};

namespace {
// The longest idle sleep: a bound for the case no wake-up is owed.
constexpr uint32_t TIMER_IDLE_WAIT_MS = 100;
} // namespace

namespace {

// The next last-fire time of a timer whose interval has passed: one interval
// on, or now when the thread fell a whole interval behind (a stall), so that
// the timer fires once and restarts its cadence.
double timer_next_fire(double last_s, double interval_s, double now_s) {
    const double next_s = last_s + interval_s;
    return std::fabs(now_s - next_s) >= interval_s ? now_s : next_s;
}

// True when the record has a handler and is on or stopped, so it can still be
// marked due.
bool timer_record_live(const timer_trap_record &record) {
    return record.used.load() && record.handler.load() && record.state.load() != TRAP_OFF;
}

// Marks one record due. The last-fire time moves by compare-exchange, so a
// reset by the program thread (ON TIMER, TIMER OFF) in the meantime wins; a
// due mark that lands after such a reset is withdrawn again. While a due mark
// waits to be taken (a stopped timer, a long statement) the cadence goes on
// without a second mark: the one event is remembered, and the timer does not
// fire again at once after it has been taken. While its handler runs the
// cadence waits, so an interval that passes meanwhile fires right after it.
void timer_record_scan(timer_trap_record &record, double now_s) {
    const uint8_t pending = record.pending.load();
    if (!timer_record_live(record) || pending == TIMER_BEING_TAKEN) return;
    double last_s = record.last_fire_s.load();
    if (last_s == 0.0) {
        if (pending == TIMER_NOT_DUE) record.last_fire_s.compare_exchange_strong(last_s, now_s);
        return;
    }
    const double interval_s = record.interval_s.load();
    if (!(now_s - last_s > interval_s)) return;
    if (!record.last_fire_s.compare_exchange_strong(last_s,
                                                    timer_next_fire(last_s, interval_s, now_s)))
        return;
    if (pending == TIMER_DUE) return;
    uint8_t mark = TIMER_NOT_DUE;
    if (!record.pending.compare_exchange_strong(mark, TIMER_DUE)) return;
    if (record.state.load() == TRAP_OFF || record.last_fire_s.load() == 0.0) {
        mark = TIMER_DUE;
        record.pending.compare_exchange_strong(mark, TIMER_NOT_DUE);
        return;
    }
    event_pending.store(1);
    clock_wake(&program_wake);
}

} // namespace

// Stops early, returning false, when the program asks for the table. *live
// tells whether any record scanned can still fire.
bool timer_table_scan(double now_s, bool *live) {
    bool any_live = false;
    for (uint32_t h = 0; h < timer_handle_count; ++h) {
        if (timer_table_suspend.load() != 0) return false;
        timer_record_scan(timer_trap_table[h], now_s);
        any_live = any_live || timer_record_live(timer_trap_table[h]);
    }
    if (live) *live = any_live;
    return true;
}

// A growth request (1) is answered with 2 and the table is left alone until
// the program writes 0 again.
void timer_thread_main() {
    timer_thread_running.store(true);
    while (!exit_acknowledged.load()) {
        // Read before the scan: a timer set after it changes the word, and
        // the wait below then returns at once.
        const uint32_t seen = timer_wake.load();
        bool live = true;
        uint32_t suspend = timer_table_suspend.load();
        if (suspend == 1) {
            timer_table_suspend.compare_exchange_strong(suspend, 2);
        } else if (suspend == 0 && !timer_table_scan(double(ticks_ms()) * 0.001, &live)) {
            continue;
        }
        if (live || suspend != 0)
            clock_sleep_ms(1);
        else
            clock_wait_ms(&timer_wake, seen, TIMER_IDLE_WAIT_MS);
    }
    timer_thread_running.store(false);
    threads_ended.fetch_or(THREAD_ENDED_TIMER);
}
