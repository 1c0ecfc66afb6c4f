// The process environment.
//
// Changes go through setenv and unsetenv, on the program thread only. The C
// library may move its table of entries when one is added, so no other thread
// reads the environment once the threads run: what the runtime itself needs
// from it (the X display's name, scripted message-box answers) is read by
// os_environment_startup before they start.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Reads what other threads need later. Call once, before starting threads.
void os_environment_startup();

// The X display name read at start-up, or null when DISPLAY was unset.
const char *os_display_name();

// The value of the variable: the name as written first, else the one
// variable whose name equals it ignoring letter case.
std::optional<std::string> os_environment_get(std::string_view name);

// Entry n (from 1) as the environment stores it, "name=value", counted now.
std::optional<std::string> os_environment_entry(int64_t n);

// "name=value" sets the variable (an existing one found as os_environment_get
// finds it keeps its name); "name=" removes it. A text without '=', with an
// empty name or holding a zero byte changes nothing. Returns true when the
// environment changed.
bool os_environment_put(std::string_view text);
