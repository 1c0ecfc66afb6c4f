// The program thread and the per-statement event check.
//
// The compiled program runs on its own thread, one statement after another.
// After every statement it releases the statement's temporaries and, when
// event_pending is set, calls statement_event_check with the statement's
// source line number. That check holds a paused program, parks the thread when
// the exit is acknowledged, hands a pending error to error_handle and takes
// pending traps.
#pragma once

#include <cstdint>

void statement_event_check(uint32_t line);

// Reports the program thread's end and waits for the runtime loop to end the
// process. Never returns.
[[noreturn]] void program_end_wait();
