// Process start-up.
//
// A program is a main module plus a few start options. Its entry point hands
// them to runtime_main:
//
//     int main(int argc, char **argv) { return runtime_main(argc, argv, tarvo_program); }
//
// runtime_main runs the runtime's static initialisation, then the program
// unit's, then the start-up steps in their fixed order, starts the program
// thread, the timer-trap thread and the runtime loop thread, and hands the main
// thread to the window. It returns only if the window's event loop returns.
#pragma once

#include "core/basic.h"

#include <cstdint>

struct program_unit {
    basic_main_module main_module;
    bool window_hidden;   // start with no window until the program asks for one
    bool console;         // the program has a console
    // Window options, each applied at start-up only when non-zero (0 keeps the
    // default: a window that keeps the frame's size, the frame unscaled).
    uint32_t resize_policy; // 1 the user may resize the window, 2 it keeps the frame's size
    uint32_t scaling_mode;  // 1 stretch the frame to the window, 2 stretch it smoothed
};

int runtime_main(int argc, char **argv, const program_unit &unit);

// The two static initialisers, in the order they must run. Each may be called
// again by tests to start from fresh tables.
void runtime_static_init();
void program_unit_static_init();

// Puts the program unit's window options into the words the display
// callback reads (resize denied, stretch mode). A zero option, or a value
// with no meaning, leaves its word as it is.
void program_window_options_apply(uint32_t resize_policy, uint32_t scaling_mode);

// An empty place for program-specific start-up, called once by runtime_main.
void main_startup_hook();

// Makes the directory part of a program path the current directory: the text
// up to the last '/', '\' or ':' (a ':' stays, a slash goes). A path with no
// separator is tried whole. Returns whether the change succeeded.
bool program_directory_enter(const char *program_path);
