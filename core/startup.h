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
    uint32_t resize_policy;
    uint32_t scaling_mode;
};

int runtime_main(int argc, char **argv, const program_unit &unit);

// The two static initialisers, in the order they must run. Each may be called
// again by tests to start from fresh tables.
void runtime_static_init();
void program_unit_static_init();

// An empty place for program-specific start-up, called once by runtime_main.
void main_startup_hook();

// Makes the directory part of a program path the current directory: the text
// up to the last '/', '\' or ':' (a ':' stays, a slash goes). A path with no
// separator is tried whole. Returns whether the change succeeded.
bool program_directory_enter(const char *program_path);
