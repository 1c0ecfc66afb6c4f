// Key, button and timer traps on the program thread, and event_dispatch. The
// timer-trap thread's side is in timer_thread.cpp.
#include "core/traps.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "platform/clock.h"

#include <algorithm>
#include <initializer_list>
#include <new>

key_trap_record key_trap_table[KEY_TRAP_COUNT];
button_trap_record button_trap_table[BUTTON_TRAP_COUNT];
timer_trap_record *timer_trap_table = nullptr;
uint32_t timer_handle_count = 0;
std::atomic<uint32_t> timer_table_suspend{0};

namespace {

constexpr uint32_t BUTTONS_PER_CONTROLLER = 256;
constexpr uint8_t PENDING_MAX = 255;

trap_handler_fn handler_hook = nullptr;

// Set while a pending count of that table is being taken, so that a nested
// event check inside a handler does not take another trap of the same table.
bool key_trap_busy = false;
bool button_trap_busy = false;

// Number of button records with a handler: dispatch scans the 65,536 records
// only when there is something to find.
uint32_t button_traps_with_handler = 0;

void trap_handler_call(uint32_t handler, uint32_t argument1, uint32_t argument2) {
    if (handler_hook) handler_hook(handler, argument1, argument2);
}

bool error_is_pending() {
    return error_pending.load(std::memory_order_relaxed) != 0;
}

// One more event on a trap that is on; a stopped trap remembers just one.
void pending_raise(std::atomic<uint8_t> &pending, uint8_t state) {
    if (state == TRAP_STOPPED) {
        pending.store(1);
        return;
    }
    uint8_t count = pending.load();
    while (count < PENDING_MAX && !pending.compare_exchange_weak(count, uint8_t(count + 1))) {
    }
}

// One event fewer (never below 0).
void pending_lower(std::atomic<uint8_t> &pending) {
    uint8_t count = pending.load();
    while (count > 0 && !pending.compare_exchange_weak(count, uint8_t(count - 1))) {
    }
}

// ON, OFF or STOP on one key or button trap.
void trap_switch(std::atomic<uint8_t> &state, std::atomic<uint8_t> &pending, int32_t action) {
    switch (action) {
    case TRAP_ACTION_ON:
        state.store(TRAP_ON);
        if (pending.load()) event_pending.store(1);
        break;
    case TRAP_ACTION_OFF:
        state.store(TRAP_OFF);
        pending.store(0);
        break;
    case TRAP_ACTION_STOP: {
        state.store(TRAP_STOPPED);
        uint8_t count = pending.load();
        while (count > 1 && !pending.compare_exchange_weak(count, 1)) {
        }
        break;
    }
    }
}

bool trap_action_valid(int32_t action) {
    return action == TRAP_ACTION_ON || action == TRAP_ACTION_OFF || action == TRAP_ACTION_STOP;
}

// The table index of button trap n, or -1 for a controller or button beyond
// the table (ignored without an error) or after raising error 5.
int32_t button_index(int32_t n, int32_t controller, bool controller_given) {
    if (n < 0 || n > 65'535 || (n & 1) ||
        (controller_given && (controller < 1 || controller > 65'535))) {
        error_raise(5);
        return -1;
    }
    if (!controller_given) {
        controller = (n & 2) ? 2 : 1;
        n &= ~2;
    }
    const int32_t button = (n >> 2) + 1;
    if (controller > int32_t(BUTTONS_PER_CONTROLLER) || button > int32_t(BUTTONS_PER_CONTROLLER))
        return -1;
    return (controller - 1) * int32_t(BUTTONS_PER_CONTROLLER) + (button - 1);
}

// Shift, Ctrl and Alt must be held exactly as the flags ask (unless the key
// is that modifier itself), asked locks must be on (unless the key is that
// lock), and the extended flags must agree.
bool user_key_matches(uint8_t flags, const key_trap_key &key) {
    for (uint8_t m : {KEY_FLAG_SHIFT, KEY_FLAG_CTRL, KEY_FLAG_ALT}) {
        if (!(key.own_modifier & m) && bool(flags & m) != bool(key.modifiers & m)) return false;
    }
    for (uint8_t m : {KEY_FLAG_NUM_LOCK, KEY_FLAG_CAPS_LOCK}) {
        if ((flags & m) && !(key.own_modifier & m) && !(key.modifiers & m)) return false;
    }
    return bool(flags & KEY_FLAG_EXTENDED) == key.extended;
}

bool key_record_matches(const key_trap_record &record, const key_trap_key &key) {
    const uint8_t scan = record.scan_code.load();
    if (scan != 0)
        return key.make_code != 0 && key.make_code == scan &&
               user_key_matches(record.shift_flags.load(), key);
    return (record.key_code != 0 && record.key_code == uint32_t(key.translated_code)) ||
           (record.partner_code != 0 && record.partner_code == uint32_t(key.raw_code));
}

// Takes one event of the first button trap that is on with a pending count.
bool button_trap_take_one() {
    for (button_trap_record &record : button_trap_table) {
        if (record.handler && record.state.load() == TRAP_ON && record.pending.load()) {
            button_trap_busy = true;
            pending_lower(record.pending);
            trap_handler_call(record.handler, record.argument1, record.argument2);
            button_trap_busy = false;
            return true;
        }
    }
    return false;
}

// Takes one event of the first key trap (1 to 31) that is on with a pending
// count.
bool key_trap_take_one() {
    for (uint32_t key = 1; key < KEY_TRAP_COUNT; ++key) {
        key_trap_record &record = key_trap_table[key];
        const uint32_t handler = record.handler.load();
        if (handler && record.state.load() == TRAP_ON && record.pending.load()) {
            key_trap_busy = true;
            pending_lower(record.pending);
            trap_handler_call(handler, record.argument1, record.argument2);
            key_trap_busy = false;
            return true;
        }
    }
    return false;
}

// Free timer handles, most recently freed on top; doubled when full.
uint32_t *timer_free_stack = nullptr;
uint32_t timer_free_count = 0;
uint32_t timer_free_capacity = 0;
constexpr uint32_t TIMER_FREE_STACK_START = 8;

// A zeroed record table of the given size; a failure is critical.
timer_trap_record *timer_records_new(uint32_t count) {
    timer_trap_record *records = new (std::nothrow) timer_trap_record[count]();
    if (!records) error_raise(257);
    return records;
}

void timer_table_init() {
    delete[] timer_trap_table;
    timer_trap_table = timer_records_new(1);
    timer_handle_count = 1;
    delete[] timer_free_stack;
    timer_free_stack = new (std::nothrow) uint32_t[TIMER_FREE_STACK_START];
    if (!timer_free_stack) error_raise(257);
    timer_free_count = 0;
    timer_free_capacity = TIMER_FREE_STACK_START;
    timer_table_suspend.store(0);
}

void timer_record_copy(timer_trap_record &to, const timer_trap_record &from) {
    to.used.store(from.used.load());
    to.handler.store(from.handler.load());
    to.argument1 = from.argument1;
    to.argument2 = from.argument2;
    to.state.store(from.state.load());
    to.pending.store(from.pending.load());
    to.interval_s.store(from.interval_s.load());
    to.last_fire_s.store(from.last_fire_s.load());
}

// Asks the timer-trap thread to pause and waits until it has (or is not
// running). False, with the request withdrawn, when the exit is acknowledged
// meanwhile: the process is ending and the thread may never answer.
bool timer_thread_pause() {
    timer_table_suspend.store(1);
    clock_wake(&timer_wake);
    while (timer_thread_running.load() && timer_table_suspend.load() != 2) {
        if (exit_acknowledged.load()) {
            timer_table_suspend.store(0);
            return false;
        }
        clock_sleep_ms(0);
    }
    return true;
}

// Adds one unused record at the end while the timer thread is paused.
bool timer_table_grow() {
    if (!timer_thread_pause()) return false;
    timer_trap_record *grown = timer_records_new(timer_handle_count + 1);
    if (grown) {
        for (uint32_t h = 0; h < timer_handle_count; ++h)
            timer_record_copy(grown[h], timer_trap_table[h]);
        delete[] timer_trap_table;
        timer_trap_table = grown;
        ++timer_handle_count;
    }
    timer_table_suspend.store(0);
    return grown != nullptr;
}

void timer_free_push(uint32_t handle) {
    if (timer_free_count == timer_free_capacity) {
        uint32_t *grown = new (std::nothrow) uint32_t[timer_free_capacity * 2];
        if (!grown) {
            error_raise(257);
            return;
        }
        std::copy(timer_free_stack, timer_free_stack + timer_free_count, grown);
        delete[] timer_free_stack;
        timer_free_stack = grown;
        timer_free_capacity *= 2;
    }
    timer_free_stack[timer_free_count++] = handle;
}

// A handle below the count whose record is in use; else error 5.
timer_trap_record *timer_record_checked(int32_t handle) {
    if (handle < 0 || uint32_t(handle) >= timer_handle_count || !timer_trap_table[handle].used) {
        error_raise(5);
        return nullptr;
    }
    return &timer_trap_table[handle];
}

// Clears a due mark that has not been taken yet.
void timer_due_clear(timer_trap_record &record) {
    uint8_t due = TIMER_DUE;
    record.pending.compare_exchange_strong(due, TIMER_NOT_DUE);
}

void timer_switch_off(timer_trap_record &record) {
    record.state.store(TRAP_OFF);
    record.last_fire_s.store(0.0);
    timer_due_clear(record);
}

// Takes every due timer that is on. The table is indexed afresh after each
// handler, which may allocate handles and so move the table.
bool timer_traps_take() {
    bool took = false;
    for (uint32_t h = 0; h < timer_handle_count; ++h) {
        timer_trap_record &record = timer_trap_table[h];
        if (!record.used.load() || !record.handler.load() || record.state.load() != TRAP_ON ||
            record.pending.load() != TIMER_DUE)
            continue;
        record.pending.store(TIMER_BEING_TAKEN);
        trap_handler_call(record.handler.load(), record.argument1, record.argument2);
        timer_trap_table[h].pending.store(TIMER_NOT_DUE);
        took = true;
    }
    return took;
}

} // namespace

void trap_handler_hook_set(trap_handler_fn fn) {
    handler_hook = fn;
}

void traps_static_init() {
    for (key_trap_record &record : key_trap_table) {
        record.handler.store(0);
        record.argument1 = record.argument2 = 0;
        record.state.store(TRAP_OFF);
        record.pending.store(0);
        record.key_code = record.partner_code = 0;
        record.scan_code.store(0);
        record.shift_flags.store(0);
        record.label.store(nullptr);
    }
    for (button_trap_record &record : button_trap_table) {
        record.handler = record.argument1 = record.argument2 = 0;
        record.state.store(TRAP_OFF);
        record.pending.store(0);
    }
    button_traps_with_handler = 0;
    key_trap_busy = button_trap_busy = false;
    timer_table_init();
}

void key_traps_off() {
    for (key_trap_record &record : key_trap_table) {
        record.handler.store(0);
        record.state.store(TRAP_OFF);
        record.pending.store(0);
    }
    key_trap_busy = false;
}

void key_trap_codes_fill() {
    for (uint32_t n = 1; n <= 10; ++n)
        key_trap_table[n].key_code = (0x3A + n) << 8;
    const uint32_t arrows[4][2] = {
        {0x4800, 100'264}, {0x4B00, 100'260}, {0x4D00, 100'262}, {0x5000, 100'258}};
    for (uint32_t i = 0; i < 4; ++i) {
        key_trap_table[11 + i].key_code = arrows[i][0];
        key_trap_table[11 + i].partner_code = arrows[i][1];
    }
    key_trap_table[30].key_code = 0x8500;
    key_trap_table[31].key_code = 0x8600;
    timer_trap_table[0].used.store(1);
}

void button_trap_set(int32_t n, int32_t controller, bool controller_given, uint32_t handler,
                     uint32_t argument1, uint32_t argument2) {
    if (error_is_pending()) return;
    const int32_t index = button_index(n, controller, controller_given);
    if (index < 0) return;
    button_trap_record &record = button_trap_table[index];
    record.pending.store(0);
    if (!record.handler && handler)
        ++button_traps_with_handler;
    else if (record.handler && !handler)
        --button_traps_with_handler;
    record.handler = handler;
    record.argument1 = argument1;
    record.argument2 = argument2;
}

void button_trap_state(int32_t n, int32_t controller, int32_t action, uint32_t flags) {
    if (error_is_pending()) return;
    if (!trap_action_valid(action)) {
        error_raise(5);
        return;
    }
    if (flags == 0) {
        for (button_trap_record &record : button_trap_table)
            trap_switch(record.state, record.pending, action);
        return;
    }
    const int32_t index = button_index(n, controller, (flags & 2) != 0);
    if (index >= 0)
        trap_switch(button_trap_table[index].state, button_trap_table[index].pending, action);
}

void key_trap_set(int32_t key, uint32_t handler, uint32_t argument1, uint32_t argument2) {
    if (error_is_pending()) return;
    if (key < 1 || key >= int32_t(KEY_TRAP_COUNT)) {
        error_raise(5);
        return;
    }
    key_trap_record &record = key_trap_table[key];
    record.pending.store(0);
    record.argument1 = argument1;
    record.argument2 = argument2;
    record.handler.store(handler);
}

void key_trap_state(int32_t key, int32_t action) {
    if (error_is_pending()) return;
    if (key < 0 || key >= int32_t(KEY_TRAP_COUNT) || !trap_action_valid(action)) {
        error_raise(5);
        return;
    }
    const int32_t first = key;
    const int32_t last = key == 0 ? int32_t(KEY_TRAP_COUNT) - 1 : key;
    for (int32_t k = first; k <= last; ++k)
        trap_switch(key_trap_table[k].state, key_trap_table[k].pending, action);
}

int32_t key_trap_match(const key_trap_key &key) {
    for (uint32_t n = 0; n < KEY_TRAP_COUNT; ++n) {
        key_trap_record &record = key_trap_table[n];
        const uint8_t state = record.state.load();
        if (state == TRAP_OFF || !record.handler.load() || !key_record_matches(record, key))
            continue;
        pending_raise(record.pending, state);
        event_pending.store(1);
        clock_wake(&program_wake);
        return int32_t(n);
    }
    return -1;
}

// Each table's traps are taken one event at a time, first trap first, until
// none is left; an ON ERROR handler that is running holds them back. A trap
// held back keeps event_pending raised, so the first event check after the
// handler has ended takes it: a due timer is not marked again, and would
// otherwise wait for some other event.
void event_dispatch() {
    bool took = false;
    const auto handling_error = [] { return on_error_inside_handler.load() != 0; };
    while (button_traps_with_handler && !button_trap_busy && !handling_error() &&
           button_trap_take_one())
        took = true;
    while (!key_trap_busy && !handling_error() && key_trap_take_one())
        took = true;
    if (!handling_error() && timer_traps_take()) took = true;
    if (took) sleep_wake.store(1);
    if (handling_error() && traps_waiting()) event_pending.store(1);
}

bool traps_waiting() {
    const auto waits = [](uint32_t handler, uint8_t state, bool pending) {
        return handler && state == TRAP_ON && pending;
    };
    for (const key_trap_record &record : key_trap_table)
        if (waits(record.handler.load(), record.state.load(), record.pending.load() != 0))
            return true;
    if (button_traps_with_handler)
        for (const button_trap_record &record : button_trap_table)
            if (waits(record.handler, record.state.load(), record.pending.load() != 0))
                return true;
    for (uint32_t h = 0; h < timer_handle_count; ++h) {
        const timer_trap_record &record = timer_trap_table[h];
        if (record.used.load() &&
            waits(record.handler.load(), record.state.load(), record.pending.load() == TIMER_DUE))
            return true;
    }
    return false;
}

int32_t timer_handle_alloc() {
    if (error_is_pending()) return -1;
    uint32_t handle;
    if (timer_free_count > 0) {
        handle = timer_free_stack[--timer_free_count];
    } else {
        if (!timer_table_grow()) return -1;
        handle = timer_handle_count - 1;
    }
    timer_trap_record &record = timer_trap_table[handle];
    record.pending.store(TIMER_NOT_DUE);
    record.state.store(TRAP_OFF);
    record.handler.store(0);
    record.argument1 = record.argument2 = 0;
    record.interval_s.store(0.0);
    record.last_fire_s.store(0.0);
    record.used.store(1);
    return int32_t(handle);
}

void timer_handle_release(int32_t handle) {
    if (error_is_pending()) return;
    if (handle == 0) {
        error_raise(5);
        return;
    }
    timer_trap_record *record = timer_record_checked(handle);
    if (!record) return;
    record->used.store(0);
    record->handler.store(0);
    timer_free_push(uint32_t(handle));
}

// The last-fire time goes to 0 first: the timer thread then starts the new
// cadence at its next pass, and a last-fire update it was about to make for
// the old setting fails.
void timer_interval_set(int32_t handle, double seconds, uint32_t handler, uint32_t argument1,
                        uint32_t argument2) {
    if (error_is_pending()) return;
    timer_trap_record *record = timer_record_checked(handle);
    if (!record) return;
    record->last_fire_s.store(0.0);
    timer_due_clear(*record);
    record->interval_s.store(seconds);
    record->argument1 = argument1;
    record->argument2 = argument2;
    record->handler.store(handler);
    clock_wake(&timer_wake);
}

// ON also raises event_pending when a due mark was kept while the timer was
// stopped, so that it fires at the next event check.
void timer_handle_state(int32_t handle, int32_t action, bool given) {
    if (error_is_pending()) return;
    if (!given) handle = 0;
    if (action < TRAP_ACTION_ON || action > TRAP_ACTION_FREE ||
        (action == TRAP_ACTION_FREE && handle == 0)) {
        error_raise(5);
        return;
    }
    timer_trap_record *record = timer_record_checked(handle);
    if (!record) return;
    switch (action) {
    case TRAP_ACTION_ON:
        record->state.store(TRAP_ON);
        if (record->pending.load() == TIMER_DUE) event_pending.store(1);
        break;
    case TRAP_ACTION_OFF:
        timer_switch_off(*record);
        break;
    case TRAP_ACTION_STOP:
        record->state.store(TRAP_STOPPED);
        break;
    case TRAP_ACTION_FREE:
        timer_switch_off(*record);
        timer_handle_release(handle);
        break;
    }
    clock_wake(&timer_wake);
}
