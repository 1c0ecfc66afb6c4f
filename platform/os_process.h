// Starting other programs.
//
// A command is a program name followed by its arguments, split at blanks
// outside double quotes (the quotes themselves are dropped). A name without a
// '/' is looked up in the running program's own directory, then the current
// directory, then each directory of PATH; a name ending in ".exe" (any letter
// case) that is not found as written is also tried without that ending. PATH
// is the program's own (os_environment_get), as ENVIRON left it. Names are
// matched as os_path_resolve does, ignoring letter case where needed.
#pragma once

#include <string>
#include <vector>

// The command split into its words.
std::vector<std::string> os_command_split(const std::string &command);

// The path of the program a name starts, or an empty text when there is none
// (missing, a directory, or not executable).
std::string os_program_find(const std::string &name);

// Starts the command's program with its arguments and does not wait for it.
// The new program inherits the standard streams, gets the program's
// environment (os_environment_entries) and none of this process's files.
// Returns true when the program was started.
bool os_program_start(const std::string &command);

// Starts the program at path (as os_program_find gives it) with the words as
// its argument list (the first is its name). It gets the program's
// environment (os_environment_entries) and, unless hidden, inherits the
// standard streams; hidden, its streams are /dev/null. It gets no other file
// of this process, no blocked signals and the default actions for interrupt,
// quit and broken pipe. Returns the child's process id, or -1 when it could
// not be started.
int os_process_spawn(const std::string &path, const std::vector<std::string> &words, bool hidden);

// Waits for the child to end and gives its exit code, or 128 plus the signal
// that ended it; -1 when there is no such child. Interrupt and quit signals
// are ignored by this process meanwhile, as the C library's system() does.
int os_process_wait(int pid);

// Collects the child if it has ended (never waits, never touches other
// children). True when it is gone.
bool os_process_reap(int pid);

// True when the command interpreter /bin/sh can be started.
bool os_shell_available();
