// Runtime operations the game calls whose subsystems are still being built:
// window control. Each declaration
// moves to its subsystem's own header as that subsystem arrives.
#pragma once

#include <cstdint>

struct string_descriptor;

// The window's title and the full-screen request.
void window_title_set(const string_descriptor *title);
void full_screen_set(int32_t mode, int32_t flags);
