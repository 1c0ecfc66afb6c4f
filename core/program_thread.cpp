#include "core/program_thread.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "core/traps.h"
#include "platform/clock.h"

void statement_event_check(uint32_t line)
{
    event_pending = 0;
    statement_retry = 0;
    while (program_suspended.load() & 1 || exit_acknowledged.load()) {
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
