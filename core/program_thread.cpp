#include "core/program_thread.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "core/traps.h"
#include "platform/clock.h"
#include "platform/process_exit.h"

#include <cstdio>

namespace {

end_services services{};
program_start_options start_options{};
thread_local bool on_program_thread = false;

} // namespace

void end_services_set(const end_services &s) { services = s; }

void program_start_options_set(const program_start_options &o) { start_options = o; }

bool program_thread_current() { return on_program_thread; }

void program_thread_main(basic_main_module main_module)
{
    on_program_thread = true;
    main_module();
    // A main module that falls off its end ends like END, so the runtime
    // loop's exit path never waits for ever on this thread.
    rt_end();
}

void statement_event_check(uint32_t line)
{
    event_pending = 0;
    statement_retry = 0;
    while ((program_suspended.load() & 1) || exit_acknowledged.load()) {
        if (exit_acknowledged.load())
            program_end_wait();
        clock_sleep_ms(10);
    }
    if (error_pending.load() == 0) {
        event_dispatch();
        return;
    }
    error_line = line;
    error_handle();
    // The check that handles an error takes no trap: one that waits is taken
    // at the next statement's check (a due timer is not marked again).
    if (traps_waiting())
        event_pending = 1;
    if (retry_request.exchange(0))
        statement_retry = 1;
}

void program_end_wait()
{
    threads_ended.fetch_or(THREAD_ENDED_PROGRAM);
    while (!exit_acknowledged.load())
        clock_sleep_ms(16);
    for (;;)
        clock_sleep_ms(16);
}

bool program_end_claim(int code)
{
    uint32_t seen = 0;
    if (end_claim.compare_exchange_strong(seen, END_CLAIM_PROGRAM | uint32_t(code & 0xFF)))
        return true;
    return (seen & END_CLAIM_PROGRAM) != 0;
}

void program_end_files_closed() { end_claim.fetch_or(END_CLAIM_FILES_CLOSED); }

runtime_end_claimed runtime_end_claim(int own_code)
{
    uint32_t seen = 0;
    if (end_claim.compare_exchange_strong(seen, END_CLAIM_RUNTIME) ||
        (seen & END_CLAIM_PROGRAM) == 0)
        return {own_code, false, false};
    const int64_t deadline = clock_now_ms() + PROGRAM_END_WAIT_MS;
    while (!program_thread_current() && !(end_claim.load() & END_CLAIM_FILES_CLOSED) &&
           clock_now_ms() < deadline)
        clock_sleep_ms(16);
    const uint32_t claim = end_claim.load();
    return {int(claim & 0xFF), true,
            !program_thread_current() && !(claim & END_CLAIM_FILES_CLOSED)};
}

void program_exit_closing_files(int code)
{
    if (!program_end_claim(code))
        program_end_wait();
    if (services.files_close)
        services.files_close();
    process_exit(code);
}

// The runtime's exit path closes the files once this thread has stopped.
void rt_system()
{
    if (program_end_claim(0))
        program_end_files_closed();
    program_stop_flag = 1;
    program_end_wait();
}

// END: closes the files, shows "Press any key to continue" on the last row of
// the display page and ends the program at the first key pressed after it.
void rt_end()
{
    if (!program_end_claim(0))
        program_end_wait();
    if (services.files_close)
        services.files_close();
    program_end_files_closed();
    exit_handled = 0;
    if (start_options.window_hidden) {
        if (start_options.console) {
            std::fputs("\nPress enter to continue", stdout);
            std::fflush(stdout);
            std::getchar();
        }
        rt_system();
    }
    if (services.prompt_show)
        services.prompt_show();
    // Keys typed before END do not count.
    while (services.key_read && services.key_read())
        clock_sleep_ms(0);
    if (services.auto_display_on)
        services.auto_display_on();
    while (!exit_acknowledged.load()) {
        clock_sleep_ms(100);
        if (services.key_read && services.key_read())
            rt_system();
    }
    program_end_wait();
}

void division_by_zero_signal_handler(int) { error_raise(11); }
