// The main thread's part of start-up: once the other threads run, it waits
// for the window to be asked for, creates it and runs its event loop for the
// rest of the process's life.
#pragma once

// Waits in 100 ms steps for window_create_request; creates the 640 x 400
// window titled as the program set it ("Untitled" if not) and ends the
// process with exit code 1 when that cannot be had; loads the GL extensions
// (an "Alert" box tells when that fails, and the window goes on without
// them); then runs the event loop.
[[noreturn]] void window_main(int argc, char **argv);
