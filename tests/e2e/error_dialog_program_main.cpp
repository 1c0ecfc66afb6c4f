// A small BASIC-style program for the end-to-end test of the error dialog.
// Statement 10 fails with error 5, statement 20 prints a marker, statement 30
// fails with error 9, statement 40 prints a marker that must not appear when
// the second box is answered "No".
#include "core/control_words.h"
#include "core/errors.h"
#include "core/program_thread.h"
#include "platform/clock.h"
#include "platform/process_exit.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <thread>

namespace {

void say(const char *line) {
    std::puts(line);
    std::fflush(stdout);
}

// One statement and the epilogue a compiled statement has: the event check
// with the statement's line number, and a repeat when it asks for one.
template <typename F> void statement(uint32_t line, F body) {
    do {
        body();
        if (event_pending.load()) statement_event_check(line);
    } while (statement_retry.load());
}

void program_main() {
    statement(10, [] {
        say("statement 10");
        error_raise(5);
    });
    statement(20, [] { say("after first error"); });
    statement(30, [] { error_raise(9); });
    statement(40, [] { say("after second error"); });
    program_stop_flag = 1;
    program_end_wait();
}

} // namespace

int main() {
    XInitThreads();
    std::thread(program_main).detach();

    // This program's own stand-in for the runtime loop, until the real one
    // runs here: once the program has stopped, acknowledge the exit, wait for
    // the program thread to report its end and end the process with code 0.
    while (!program_stop_flag.load())
        clock_sleep_ms(10);
    exit_acknowledged = 1;
    while (!(threads_ended.load() & THREAD_ENDED_PROGRAM))
        clock_sleep_ms(10);
    process_exit(0);
}
