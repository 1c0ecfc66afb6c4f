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
// Program thread only.
[[noreturn]] void program_exit_closing_files(int code);

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
