// SHELL: running an operating-system command from a program, in six forms:
// the function (returns the exit code) or the statement, shown or hidden
// (hidden commands get /dev/null as their standard streams), waiting for the
// command or not.
//
// Every form launches the same way: a command that names a program runs it
// directly; else the command is split at its first blank outside double
// quotes and, when the first word names a program, that program runs with the
// rest as its arguments; anything else, and every command whose first word is
// one of the command interpreter's built-in names, runs as /bin/sh -c
// COMMAND. With no command the shown waiting forms run an interactive /bin/sh
// on the process's own streams.
//
// While a waiting form waits, shell_state is 1 (the runtime loop then draws
// one more frame and idles). The shown waiting forms also leave full screen
// for the time of the command and return to it afterwards; each of those two
// waits for the window gives up after two seconds or when the process is
// ending. No-wait children are collected later, by their process id, at the
// next SHELL. Program thread only.
#pragma once

#include <cstdint>
#include <vector>

struct string_descriptor;

// Bits of the options of the statement forms.
constexpr int32_t SHELL_OTHER_OPTION = 1;  // hide or no-wait also written
constexpr int32_t SHELL_COMMAND_GIVEN = 2; // the command argument was written

// SHELL(command), shown, waits: the exit code (128 + n for a child ended by
// signal n); 1 when nothing could be started or an error is pending. An
// empty command runs the interactive shell.
int64_t rt_shell_function(const string_descriptor *command);
// The same hidden; an empty command is error 5 and gives 1.
int64_t rt_shell_function_hidden(const string_descriptor *command);

// SHELL [command]: shown, waits; no command runs the interactive shell.
void rt_shell(const string_descriptor *command, int32_t given);
// SHELL command with the hide option (and with the no-wait one when
// SHELL_OTHER_OPTION is set); a missing or empty command is error 5.
void rt_shell_hidden(const string_descriptor *command, int32_t options);
// SHELL command with the no-wait option (and hidden with SHELL_OTHER_OPTION);
// no command starts the interactive shell without waiting for it.
void rt_shell_nowait(const string_descriptor *command, int32_t options);
void rt_shell_nowait_hidden(const string_descriptor *command, int32_t options);

// 1 when the command interpreter can be started, else 0; asked once a run.
int32_t shell_cmd_exe_available();

// 1 when the word, in upper case, is one of the interpreter's built-in
// names, else 0.
int32_t shell_is_builtin(const string_descriptor *word);

// The no-wait children not yet collected (tests).
const std::vector<int> &shell_children();
