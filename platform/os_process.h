// Starting other programs.
//
// A command is a program name followed by its arguments, split at blanks
// outside double quotes (the quotes themselves are dropped). A name without a
// '/' is looked up in the running program's own directory, then the current
// directory, then each directory of PATH; a name ending in ".exe" (any letter
// case) that is not found as written is also tried without that ending. Names
// are matched as os_path_resolve does, ignoring letter case where needed.
#pragma once

#include <string>
#include <vector>

// The command split into its words.
std::vector<std::string> os_command_split(const std::string &command);

// The path of the program a name starts, or an empty text when there is none
// (missing, a directory, or not executable).
std::string os_program_find(const std::string &name);

// Starts the command's program with its arguments and does not wait for it.
// The new program inherits the standard streams and the environment, and none
// of this process's files. Returns true when the program was started.
bool os_program_start(const std::string &command);
