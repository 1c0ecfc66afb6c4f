// The program thread and the per-statement event check.
//
// The compiled program runs on its own thread, one statement after another.
// After every statement it releases the statement's temporaries and, when
// event_pending is set, calls statement_event_check with the statement's
// source line number. That check holds a paused program, parks the thread when
// the exit is acknowledged, hands a pending error to error_handle and takes
// pending traps.
#pragma once

#include "core/basic.h"

#include <cstdint>

// Thread entry: runs the main module; if it ever returns, ends the program as
// END does.
void program_thread_main(basic_main_module main_module);

void statement_event_check(uint32_t line);

// Reports the program thread's end and waits for the runtime loop to end the
// process. Never returns.
[[noreturn]] void program_end_wait();

// END (and the implicit end after the main module's last statement).
[[noreturn]] void rt_end();

// SYSTEM: ends the program at once.
[[noreturn]] void rt_system();

// Closes the files as END does, each refused close said on standard error,
// and ends the process at once with code (an error that found no handler).
// Where a runtime end (the close button, a lost display) runs already, it
// leaves the files and the code to that end. Program thread only.
[[noreturn]] void program_exit_closing_files(int code);

// One end of the program at a time. The program's own ends (an error with no
// handler, END, SYSTEM) claim the end on the program thread before they close
// a file; the runtime's ends (its loop's exit path after the close button or
// Break, the end on a lost display) claim it on theirs. The first claim
// holds. A program end that finds a runtime end running waits to be ended
// (program_end_wait). A runtime end that finds a program end under way waits
// until that end has closed its files, at most PROGRAM_END_WAIT_MS (a slow
// network flush may take seconds; one that never answers must not keep the
// process for ever), and ends with the program end's exit code, adding
// nothing of its own.
constexpr int64_t PROGRAM_END_WAIT_MS = 10000;

// Program thread: claims the end for the program's own end, which exits with
// code. True when the end is the program's: taken now, or by an earlier
// program end, whose code stays (END's key ending the program as SYSTEM).
bool program_end_claim(int code);

// Program thread: the program's end has closed its files, or leaves them to
// the runtime's exit path (SYSTEM).
void program_end_files_closed();

// What a runtime end takes from runtime_end_claim.
struct runtime_end_claimed {
    int code;               // the exit code the process ends with
    bool program_end;       // a program end was under way: add nothing to it
    bool program_end_stuck; // it had not closed its files within the wait
};

// A runtime end (one thread at a time): claims the end with own_code, or
// waits for the program end under way (not when called on the program
// thread itself, whose own end met the trouble).
runtime_end_claimed runtime_end_claim(int own_code);

// Whether the calling thread is the program thread.
bool program_thread_current();

// Raises error 11, "Division by zero", which ends the process.
void division_by_zero_signal_handler(int signal_number);

// The steps of END that need the screen and the keyboard, supplied by those
// subsystems once they exist:
//   end_prompt_show: makes the display page the write page, limits the scroll
//     region to its last row and prints "Press any key to continue";
//   end_key_read: reads INKEY$ and reports whether a key came (releasing its
//     temporaries at once);
//   end_files_close: closes every file, saying on standard error what the
//     file system refused;
//   end_auto_display_on: turns automatic display back on.
struct end_services {
    void (*prompt_show)();
    bool (*key_read)();
    void (*files_close)();
    void (*auto_display_on)();
};
void end_services_set(const end_services &services);

// Start options of the program unit read by END.
struct program_start_options {
    bool window_hidden;
    bool console;
};
void program_start_options_set(const program_start_options &options);
