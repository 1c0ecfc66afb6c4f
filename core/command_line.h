// COMMAND$: the program's arguments after its own name, joined by single
// blanks.
#pragma once

#include "core/strings.h"

// The kept COMMAND$ string (a permanent heap string).
extern string_descriptor *command_line;

// Builds command_line from the process arguments.
void command_line_build(int argc, char **argv);

// COMMAND$: a temporary copy of command_line.
string_descriptor *rt_command_str();
