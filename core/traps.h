// Event traps: ON KEY, controller-button (STRIG-style) and ON TIMER traps, and
// the timer-trap thread that marks due timers.
//
// A trap is off (events are ignored), on (events are counted and taken between
// statements) or stopped (events are remembered, taken after it is switched on
// again). Events raise event_pending; statement_event_check calls
// event_dispatch, which takes pending traps and calls their handlers through
// the handler hook.
//
// Threads: the program thread owns the tables. The key handler (main thread)
// raises key-trap counts through key_trap_match. The timer-trap thread marks
// timers due and advances their last-fire times; the timer table grows only
// under the timer_table_suspend handshake, so that thread never reads a table
// that is being moved.
#pragma once

#include <atomic>
#include <cstdint>

struct string_descriptor;

// Trap states.
constexpr uint8_t TRAP_OFF = 0;
constexpr uint8_t TRAP_ON = 1;
constexpr uint8_t TRAP_STOPPED = 2;

// Actions of the switching statements.
constexpr int32_t TRAP_ACTION_ON = 1;
constexpr int32_t TRAP_ACTION_OFF = 2;
constexpr int32_t TRAP_ACTION_STOP = 3;
constexpr int32_t TRAP_ACTION_FREE = 4; // timers only

// Pending marks of a timer.
constexpr uint8_t TIMER_NOT_DUE = 0;
constexpr uint8_t TIMER_DUE = 1;
constexpr uint8_t TIMER_BEING_TAKEN = 2;

constexpr uint32_t KEY_TRAP_COUNT = 32;
constexpr uint32_t BUTTON_TRAP_COUNT = 65'536;

// Flag bits of a user key's shift-flag byte, and of the modifier state passed
// to key_trap_match.
constexpr uint8_t KEY_FLAG_SHIFT = 3; // either bit: right 1, left 2
constexpr uint8_t KEY_FLAG_CTRL = 4;
constexpr uint8_t KEY_FLAG_ALT = 8;
constexpr uint8_t KEY_FLAG_NUM_LOCK = 32;
constexpr uint8_t KEY_FLAG_CAPS_LOCK = 64;
constexpr uint8_t KEY_FLAG_EXTENDED = 128;

// One key: records 1-10 are F1-F10, 11-14 the arrows, 15-29 user keys (a scan
// code and shift flags, set by KEY n), 30 and 31 F11 and F12.
struct key_trap_record {
    std::atomic<uint32_t> handler; // 0 = none
    uint32_t argument1;
    uint32_t argument2;
    std::atomic<uint8_t> state;
    std::atomic<uint8_t> pending; // events not yet taken
    uint32_t key_code;            // set at start-up, read-only afterwards
    uint32_t partner_code;        // a second raw code that also matches
    std::atomic<uint8_t> scan_code;
    std::atomic<uint8_t> shift_flags;
    std::atomic<string_descriptor *> label; // the key's text (soft-key string)
};

struct button_trap_record {
    uint32_t handler;
    uint32_t argument1;
    uint32_t argument2;
    std::atomic<uint8_t> state;
    std::atomic<uint8_t> pending;
};

// One ON TIMER handle. The timer-trap thread reads every atomic field and
// writes pending and last_fire_s; the program thread writes the rest.
struct timer_trap_record {
    std::atomic<uint8_t> used;
    std::atomic<uint32_t> handler;
    uint32_t argument1;
    uint32_t argument2;
    std::atomic<uint8_t> state;
    std::atomic<uint8_t> pending; // TIMER_NOT_DUE, TIMER_DUE, TIMER_BEING_TAKEN
    std::atomic<double> interval_s;
    std::atomic<double> last_fire_s; // 0 = not started
};

extern key_trap_record key_trap_table[KEY_TRAP_COUNT];
// Index (controller - 1) * 256 + (button - 1).
extern button_trap_record button_trap_table[BUTTON_TRAP_COUNT];
// timer_handle_count records; handle 0 is the plain ON TIMER.
extern timer_trap_record *timer_trap_table;
extern uint32_t timer_handle_count;
// Growth handshake: 1 = program asks the timer thread to pause, 2 = paused,
// 0 = go on.
extern std::atomic<uint32_t> timer_table_suspend;

// Allocates the tables with their starting sizes (every record zero, one timer
// record, a free-handle stack of 8). Re-callable for tests; no timer-trap
// thread may run meanwhile.
void traps_static_init();

// Start-up: the key codes of F1-F12 and the arrows (with their keypad partner
// codes), and timer handle 0 marked used.
void key_trap_codes_fill();

// Trap handlers are generated per program. The hook receives the handler id
// and the two arguments of every trap taken; with no hook set, taking a trap
// is only the bookkeeping.
using trap_handler_fn = void (*)(uint32_t handler, uint32_t argument1, uint32_t argument2);
void trap_handler_hook_set(trap_handler_fn fn);

// ON STRIG-style button trap. n: 0 to 65,535 and even; without a controller
// bit 1 of n selects controller 2. Controllers or buttons above 256 are
// ignored.
void button_trap_set(int32_t n, int32_t controller, bool controller_given, uint32_t handler,
                     uint32_t argument1, uint32_t argument2);
// Switches one button trap (flags: bit 0 n given, bit 1 controller given) or,
// with flags 0, all of them.
void button_trap_state(int32_t n, int32_t controller, int32_t action, uint32_t flags);

// ON KEY(key) (1 to 31) and KEY(key) ON/OFF/STOP (0 to 31; 0 = all).
void key_trap_set(int32_t key, uint32_t handler, uint32_t argument1, uint32_t argument2);
void key_trap_state(int32_t key, int32_t action);
// Every key trap back to off with no handler and nothing pending, and no key
// trap being taken (the run-state reset).
void key_traps_off();

// A pressed key as the key-down handler sees it.
struct key_trap_key {
    int32_t raw_code;        // the code as pressed
    int32_t translated_code; // keypad keys translated to their plain codes
    uint8_t make_code;       // PC make code, 0 when the key has none
    bool extended;           // an extended PC key (arrows, navigation, right Ctrl/Alt, ...)
    uint8_t own_modifier;    // the key's own KEY_FLAG_* when it is a modifier or lock
    uint8_t modifiers;       // held now: Shift (1 right, 2 left), Ctrl, Alt; locks on
};

// Key handler: finds the first record (0 to 31) that is on or stopped, has a
// handler and matches the key. A user key (with a scan code) matches by make
// code, Shift, Ctrl and Alt exactly as its flags ask, the asked locks on and
// the extended flag; any other record by key code (translated) or partner code
// (raw). The match raises its pending count (to 1 when stopped) and
// event_pending. Returns the record number, or -1 when nothing matched.
int32_t key_trap_match(const key_trap_key &key);

// ON TIMER handles: a new one (reusing the most recently freed first), or -1
// when the table could not grow because the process is ending.
int32_t timer_handle_alloc();
void timer_handle_release(int32_t handle);
// ON TIMER(handle, seconds): the timer starts its cadence at the timer
// thread's next pass and fires one interval later.
void timer_interval_set(int32_t handle, double seconds, uint32_t handler, uint32_t argument1,
                        uint32_t argument2);
// TIMER(handle) ON/OFF/STOP/FREE; no handle means handle 0.
void timer_handle_state(int32_t handle, int32_t action, bool given);

// Entry of the timer-trap thread: a 1 ms loop that marks due timers, until the
// exit is acknowledged; then sets bit 1 of threads_ended.
void timer_thread_main();

// One pass of that loop over the table at time now_s (seconds): marks due the
// timers (on or stopped, with a handler) whose interval has passed; a timer
// seen for the first time after ON TIMER starts its cadence now. Returns false
// when it stopped early because the program asked for the table; else *live,
// when given, tells whether any timer can still fire.
bool timer_table_scan(double now_s, bool *live = nullptr);

// True while timer_thread_main runs.
extern std::atomic<bool> timer_thread_running;

// Takes pending traps: buttons, then keys, then due timers, none while an ON
// ERROR handler is running; a trap held back by the handler keeps
// event_pending raised. Sets sleep_wake when it took any. Program thread only.
void event_dispatch();

// True when a trap that is on has an event waiting to be taken. Program
// thread only.
bool traps_waiting();
