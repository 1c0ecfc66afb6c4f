// File and directory tests, RUN of another program, the current directory and
// the operating-system name. Program thread only.
#pragma once

#include <cstdint>

struct string_descriptor;

// -1 when the name exists and is not a directory, else 0; 0 while an error is
// pending. Raises no error.
int32_t file_exists(const string_descriptor *name);

// -1 when the name exists and is a directory, else 0; 0 while an error is
// pending.
int32_t dir_exists(const string_descriptor *name);

// RUN file$: starts the program the text names, with the arguments that
// follow its name, and ends this program (it does not return). A program that
// cannot be started raises 53 and the program goes on.
void rt_run_file(const string_descriptor *file);

// The current directory as a new temporary string; an empty one after raising
// 51 when it cannot be had.
string_descriptor *current_dir_str();

// "[LINUX][64BIT]" as a temporary read-only string.
string_descriptor *os_name_str();
