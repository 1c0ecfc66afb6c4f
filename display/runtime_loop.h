// The runtime loop thread.
//
// Every pass sleeps 15 ms and 1 ms, keeps the emulated BIOS tick count
// current, runs the audio pump and, on every second pass, builds a software
// frame of the display page; on the other passes it brings the lock keys in
// step with the system. It is the one place where the process ends normally:
// after a close request or the end of the program it acknowledges the exit,
// waits (at most two seconds) until the program thread and the timer-trap
// thread have stopped, closes every file and the audio device and exits with
// code 0. When it stops waiting, a note on standard error names the threads
// that did not report their end; a program thread that did not stop keeps
// its files, which are only named (files_leave), since it may still be using
// them. A lost X connection ends the process from its own thread through
// runtime_end_on_lost_display; of the two ends, the first taken is the one
// that runs. Either first waits for a program end under way (an error with
// no handler, END, SYSTEM: core/program_thread.h) and then ends with that
// end's exit code; a program end that does not close its files within the
// wait is given up on, its files named.
#pragma once

#include <atomic>
#include <cstdint>

// Non-zero while SHELL waits for a child; the loop sets it to -1 once it has
// built one last frame.
extern std::atomic<int32_t> shell_state;
// Incremented on every frame pass; bit 3 is the blink and cursor phase.
extern std::atomic<uint32_t> frame_pass_counter;
// Value stored beside the next code added to the held-key set, then cleared.
extern std::atomic<uint32_t> key_companion_value;

// What the loop calls in the other subsystems. Each entry may be null while
// its subsystem is absent (and in tests).
struct runtime_loop_services {
    void (*sound_update)();       // the audio pump
    void (*printer_page_poll)();  // ejects a printer page idle for 10 s
    void (*printer_page_flush)(); // hands a page with content to the page-out hook
    void (*frame_build)();        // builds a software frame of the display page
    bool (*auto_display)();       // whether frames are built automatically
    void (*lock_keys_sync)();     // brings Scroll, Caps and Num Lock in step
    void (*files_close)();        // closes every file, whatever error is pending
    void (*sound_close)();        // closes the audio device
    void (*files_leave)();        // names the files of a program thread that did not stop
};
void runtime_loop_services_set(const runtime_loop_services &services);

// Writes the BIOS tick count (18.2 a second since midnight) into the
// emulated BIOS data area at 0040:006C.
void bios_tick_update();

// The loop's state between passes.
struct runtime_loop_state {
    uint32_t frame_pass_toggle = 0;
};

// Runs one pass; returns false when the exit path is to be taken.
bool runtime_loop_pass(runtime_loop_state &state);

// The exit path without the final process exit: acknowledges the exit, waits
// up to two seconds for the program and timer-trap threads (writing
// "exit: stopped waiting for ..." to standard error when they do not both
// report their end in time), closes files (or, when the program thread did
// not stop, names them) and audio.
void runtime_loop_exit_prepare();

// Thread entry: passes until the exit path, which ends the process.
[[noreturn]] void runtime_loop_thread_entry();

// The end on a lost X connection, from the thread that met it: says line on
// standard error, then takes the exit path's wait for the program and
// timer-trap threads and its closing of the files (each refusal said on
// standard error), without the printer and audio, whose clean-up could wait
// on the dead connection. On the program thread itself nothing is waited
// for. Where a program end (an error with no handler, END, SYSTEM) is under
// way, it waits for that end's closes and adds nothing, not even the line.
// Returns the exit code to end the process with (1, or that of the program
// end), or -1, doing nothing, when the exit path was taken already: its
// process exit comes.
int runtime_end_on_lost_display(const char *line);
