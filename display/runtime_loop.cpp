#include "display/runtime_loop.h"

#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/ports.h"
#include "core/program_thread.h"
#include "core/timing.h"
#include "platform/clock.h"
#include "platform/process_exit.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

std::atomic<int32_t> shell_state{0};
std::atomic<uint32_t> frame_pass_counter{0};
std::atomic<uint32_t> key_companion_value{0};

namespace {

runtime_loop_services services{};

constexpr uint32_t BIOS_TICK_ADDRESS = 0x46C;
// How long the exit path waits for the program and timer-trap threads: a
// program thread stuck in a statement that never returns must not keep the
// process (and its window, whose close button asked for the end) alive.
constexpr int64_t THREAD_END_WAIT_MS = 2000;
constexpr uint32_t MS_PER_DAY = 86400000;

bool exit_path_due_to_close() { return exit_request.load() != 0 && exit_handled.load() == 0; }

void frame_step()
{
    if (!services.auto_display || services.auto_display())
        if (services.frame_build)
            services.frame_build();
    frame_pass_counter.fetch_add(1);
}

// Says on standard error which threads the exit path stopped waiting for, so
// that an end without their report can be told from a clean one.
void thread_end_wait_abandoned(uint32_t ended)
{
    const bool program = (ended & THREAD_ENDED_PROGRAM) == 0;
    const bool timer = (ended & THREAD_ENDED_TIMER) == 0;
    const char *which = program && timer ? "the program and timer-trap threads"
                        : program        ? "the program thread"
                                         : "the timer-trap thread";
    std::fprintf(stderr, "exit: stopped waiting for %s after %lld ms\n", which,
                 static_cast<long long>(THREAD_END_WAIT_MS));
}

// A program end (an error with no handler, END) that had not closed its files
// within the wait: says so, and names the files it leaves to the system.
void program_end_abandoned()
{
    std::fprintf(stderr, "exit: stopped waiting for the program's end after %lld ms\n",
                 static_cast<long long>(PROGRAM_END_WAIT_MS));
    if (services.files_leave)
        services.files_leave();
}

// Set by the first end to run: the loop's exit path or the end on a lost
// display. The other never runs.
std::atomic<bool> end_taken{false};

// Acknowledges the exit and waits (at most THREAD_END_WAIT_MS) for the
// program and timer-trap threads; the THREAD_ENDED_* bits of those that
// reported their end.
uint32_t threads_end_wait()
{
    exit_acknowledged = 1;
    event_pending = 1;
    clock_wake(&program_wake);
    clock_wake(&timer_wake);
    constexpr uint32_t BOTH_ENDED = THREAD_ENDED_PROGRAM | THREAD_ENDED_TIMER;
    const int64_t deadline = clock_now_ms() + THREAD_END_WAIT_MS;
    while (threads_ended.load() != BOTH_ENDED && clock_now_ms() < deadline)
        clock_sleep_ms(16);
    const uint32_t ended = threads_ended.load();
    if (ended != BOTH_ENDED)
        thread_end_wait_abandoned(ended);
    return ended;
}

// Closes the files once the program thread has stopped. One still running a
// statement may be using them: they are only named then, and the system
// closes them with the process.
void files_end(uint32_t ended)
{
    if (ended & THREAD_ENDED_PROGRAM) {
        if (services.files_close)
            services.files_close();
    } else if (services.files_leave) {
        services.files_leave();
    }
}

} // namespace

void runtime_loop_services_set(const runtime_loop_services &s) { services = s; }

void bios_tick_update()
{
    uint32_t ms = uint32_t(ticks_ms()) - uint32_t(timer_base_tick) + timer_base_time_ms;
    ms %= MS_PER_DAY;
    auto tick = int64_t(ms * 0.0182);
    emulated_dos_memory[BIOS_TICK_ADDRESS] = uint8_t(tick);
    emulated_dos_memory[BIOS_TICK_ADDRESS + 1] = uint8_t(tick >> 8);
    emulated_dos_memory[BIOS_TICK_ADDRESS + 2] = uint8_t(tick >> 16);
}

bool runtime_loop_pass(runtime_loop_state &state)
{
    if (exit_path_due_to_close())
        return false;
    bios_tick_update();

    // While a SHELL child runs: one last frame, then only 64 ms sleeps.
    if (int32_t shell = shell_state.load(); shell != 0) {
        if (shell == -1) {
            clock_sleep_ms(64);
            return true;
        }
        shell_state = -1;
        frame_step();
        retrace_active = 0;
        return true;
    }

    clock_sleep_ms(15);
    retrace_latch = 1;
    retrace_active = 1;
    clock_sleep_ms(1);
    if (program_stop_flag.load())
        return false;
    if (services.sound_update)
        services.sound_update();
    state.frame_pass_toggle ^= 1;
    if (services.printer_page_poll)
        services.printer_page_poll();
    if (state.frame_pass_toggle == 1)
        frame_step();
    retrace_active = 0;
    if (state.frame_pass_toggle == 1)
        return true;
    if (services.lock_keys_sync)
        services.lock_keys_sync();
    return true;
}

void runtime_loop_exit_prepare()
{
    const uint32_t ended = threads_end_wait();
    if (services.printer_page_flush)
        services.printer_page_flush();
    files_end(ended);
    if (services.sound_close)
        services.sound_close();
}

void runtime_loop_thread_entry()
{
    runtime_loop_state state;
    while (runtime_loop_pass(state)) {
    }
    if (end_taken.exchange(true)) {
        // The end on a lost display runs and ends the process.
        for (;;)
            clock_sleep_ms(1000);
    }
    const runtime_end_claimed claimed = runtime_end_claim(0);
    if (claimed.program_end_stuck) {
        program_end_abandoned();
        process_exit(claimed.code);
    }
    runtime_loop_exit_prepare();
    process_exit(claimed.code);
}

int runtime_end_on_lost_display(const char *line)
{
    if (end_taken.exchange(true))
        return -1;
    const runtime_end_claimed claimed = runtime_end_claim(1);
    // Straight to the descriptor: no stream lock to wait for.
    if (!claimed.program_end) {
        [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, line, std::strlen(line));
    }
    if (claimed.program_end_stuck) {
        program_end_abandoned();
        return claimed.code;
    }
    // The program thread that met the loss runs no further statement, so it
    // is the one thread that may close its files.
    if (program_thread_current())
        threads_ended.fetch_or(THREAD_ENDED_PROGRAM);
    files_end(threads_end_wait());
    return claimed.code;
}
