// Seams of the held files (os_file_held.h) for the tests and the fuzzer:
// the place a process runs in, and the names alone.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Held files are made, and judged, from now on as by a process of the place
// `place`, a text standing for a boot and PID namespace of this machine
// (empty: where this process runs).
void os_file_held_place_set(const std::string &place);

// The name os_file_create_held gives a new file for a target whose last part
// is `last`, with the unique part `unique` (digits, '-', digits), in a
// directory that takes names of up to `limit` bytes.
std::string os_file_held_name_make(const std::string &last, const std::string &unique,
                                   size_t limit);
// True when the directory entry `name` is a held file made for a target
// whose last part is `last`; *maker gets its maker's process number where it
// ran in this process's place, else 0.
bool os_file_held_name_read(std::string_view name, std::string_view last, int *maker);
