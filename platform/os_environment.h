// The program's environment.
//
// The runtime keeps its own table of the environment, copied from the
// process environment before any thread starts. ENVIRON changes only this
// table, under its lock; ENVIRON$, the runtime's lookups that a program can
// steer (PATH for the programs it starts, COMn_DEVICE,
// RT_PUBLIC_ADDRESS_HOST) and the programs it starts read it. Nothing changes
// the C library's environment once threads run: its setenv may move its table
// while another thread, the window, GL and audio libraries among them, reads
// it with getenv. Every function here may be called from any thread and
// hands out copies, never pointers into the table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Copies the process environment into the table (again, when called again)
// and reads the X display's name. Call before starting threads. Without this
// call the table is copied at its first use.
void os_environment_startup();

// The X display name read at start-up, or null when DISPLAY was unset.
const char *os_display_name();

// The value of the variable: the name as written first, else the one
// variable whose name equals it ignoring letter case.
std::optional<std::string> os_environment_get(std::string_view name);

// Entry n (from 1) as the table stores it, "name=value", counted now.
std::optional<std::string> os_environment_entry(int64_t n);

// Every entry, "name=value", in the table's order: a started program's
// environment.
std::vector<std::string> os_environment_entries();

// "name=value" sets the variable (an existing one found as os_environment_get
// finds it keeps its name; a new one goes last); "name=" removes it. A text
// without '=', with an empty name or holding a zero byte changes nothing.
// Returns true when the environment changed.
bool os_environment_put(std::string_view text);
