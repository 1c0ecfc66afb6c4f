// The words the program thread, the timer-trap thread, the runtime loop thread
// and the main thread share to hand over events, pauses and the end of the
// program. Each is a single atomic word: flags are read and written with
// relaxed order, since a late read only delays the reaction by one statement
// or one polling step.
#pragma once

#include <atomic>
#include <cstdint>

// Non-zero when the program thread has something to handle (an error, a trap,
// a pause, the end). Raised by any thread; cleared only by
// statement_event_check.
extern std::atomic<uint32_t> event_pending;

// Set by statement_event_check when the statement just finished must run
// again; raised into it from retry_request by error handling.
extern std::atomic<uint32_t> statement_retry;
extern std::atomic<uint32_t> retry_request;

// The program has ended (END, SYSTEM, the error box's "No", RUN, CHAIN, Break).
extern std::atomic<uint8_t> program_stop_flag;

// Bit 0: the window's close button; bit 1: Break while the program handles
// exit itself.
extern std::atomic<uint32_t> exit_request;

// Non-zero once the program has taken over exit requests.
extern std::atomic<uint32_t> exit_handled;

// Set only by the runtime loop's exit path: the process is about to end.
extern std::atomic<uint8_t> exit_acknowledged;

// Bit 0: the program thread has stopped for good; bit 1: the timer-trap
// thread has ended.
extern std::atomic<uint32_t> threads_ended;
constexpr uint32_t THREAD_ENDED_PROGRAM = 1;
constexpr uint32_t THREAD_ENDED_TIMER = 2;

// Which end of the program runs, once one has begun (see program_end_claim in
// core/program_thread.h): END_CLAIM_* bits and, for the program's own end,
// its exit code in the low byte.
extern std::atomic<uint32_t> end_claim;
constexpr uint32_t END_CLAIM_PROGRAM = 0x100;
constexpr uint32_t END_CLAIM_RUNTIME = 0x200;
constexpr uint32_t END_CLAIM_FILES_CLOSED = 0x400;

// Bit 0: the program is paused by the Pause key.
extern std::atomic<uint8_t> program_suspended;

// Set by a key press and by trap dispatch: ends a waiting SLEEP.
extern std::atomic<uint32_t> sleep_wake;

// Wake counters for clock_wait_ms. program_wake changes with every key hit,
// every trap made due, Break, Pause, a close request and the exit, so that
// the program thread's key polls can sleep until one of them; timer_wake changes when a
// timer trap is set, switched or asked for, and at the exit, so that an idle
// timer-trap thread can do the same. Counters only: never reset.
extern std::atomic<uint32_t> program_wake;
extern std::atomic<uint32_t> timer_wake;

// Line number stored by statement_event_check when it hands an error on.
extern std::atomic<uint32_t> error_line;

// Puts every word back to its start value (tests and start-up).
void control_words_reset();
