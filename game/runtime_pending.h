// Runtime operations the game calls whose subsystems are still being built:
// the INPUT line editor and window control. Each declaration
// moves to its subsystem's own header as that subsystem arrives.
#pragma once

#include <cstdint>

struct string_descriptor;

// INPUT: entry `index` (1-based) of the target table, then the editor for
// `count` targets; newline 1 ends the line afterwards.
void input_target_set(int32_t index, void *variable, uint32_t type_word);
void rt_input(int32_t count, int32_t newline);

// The window's title and the full-screen request.
void window_title_set(const string_descriptor *title);
void full_screen_set(int32_t mode, int32_t flags);
