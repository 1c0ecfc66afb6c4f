// COMMAND$: the program's arguments after its own name, joined by single
// blanks; empty without arguments. Start-up builds it once; CHAIN's receiving
// side removes its hand-over suffix from it.
#pragma once

#include <cstdint>
#include <string>

struct string_descriptor;

// Builds COMMAND$ from main's arguments.
void command_line_build(int argc, const char *const *argv);

// The kept text, and a replacement for it (start-up and tests).
const std::string &command_line_get();
void command_line_set(const std::string &text);

// COMMAND$: a new temporary copy. Does not look at a pending error.
string_descriptor *rt_command_str();
