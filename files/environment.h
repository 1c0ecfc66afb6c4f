// ENVIRON$ and ENVIRON: reading and setting the program's environment, the
// runtime's own table (platform/os_environment.h) that the programs SHELL,
// RUN and CHAIN start receive. None of them tests for a pending error.
#pragma once

#include <cstdint>

struct string_descriptor;

// ENVIRON$(name): the variable's value as a new temporary, empty when unset.
// The name is matched as written first, else ignoring letter case.
string_descriptor *rt_environ_str_name(const string_descriptor *name);

// ENVIRON$(n): entry n, "name=value", counting the environment as it is now;
// empty beyond the last entry; error 5 and empty for n below 1.
string_descriptor *rt_environ_str_index(int32_t n);

// ENVIRON "name=value" sets a variable, "name=" removes it; a text without
// '=' or with an empty name changes nothing and raises no error.
void rt_environ(const string_descriptor *text);
