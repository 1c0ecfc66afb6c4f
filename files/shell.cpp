#include "files/shell.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "core/strings.h"
#include "display/display_callback.h"
#include "display/runtime_loop.h"
#include "platform/clock.h"
#include "platform/os_process.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace
{

constexpr const char *SHELL_PATH = "/bin/sh";
constexpr int64_t WINDOW_WAIT_MS = 2000;
constexpr int64_t NOTHING_STARTED = 1;

// The command interpreter's own commands: a command starting with one of
// these always goes to the interpreter.
constexpr std::string_view BUILTIN_NAMES[] = {
    "ASSOC",  "BREAK", "BCDBOOT", "BCDEDIT", "CALL",     "CD",       "CHDIR", "CLS",
    "COLOR",  "COPY",  "DATE",    "DEFRAG",  "DEL",      "DIR",      "ECHO",  "ENDLOCAL",
    "ERASE",  "FOR",   "FTYPE",   "GOTO",    "GRAFTABL", "IF",       "MD",    "MKDIR",
    "MKLINK", "MOVE",  "PATH",    "PAUSE",   "POPD",     "PROMPT",   "PUSHD", "RD",
    "REM",    "REN",   "RENAME",  "RMDIR",   "SET",      "SETLOCAL", "SHIFT", "START",
    "TIME",   "TITLE", "TYPE",    "VER",     "VERIFY",   "VOL",
};

int32_t cmd_exe_state = -1; // -1 not yet asked
std::vector<int> nowait_children;

std::string text_of(const string_descriptor *s)
{
    return s ? std::string(reinterpret_cast<const char *>(s->chr), size_t(s->len)) : "";
}

bool builtin(std::string word)
{
    for (char &c : word)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return std::find(std::begin(BUILTIN_NAMES), std::end(BUILTIN_NAMES), word) !=
           std::end(BUILTIN_NAMES);
}

// Collects the no-wait children that have ended.
void children_reap()
{
    std::erase_if(nowait_children, [](int pid) { return os_process_reap(pid); });
}

// Starts the program a word names, with the parameters as its arguments.
int program_start(const std::string &word, const std::string &parameters, bool hidden)
{
    if (builtin(word))
        return -1;
    std::string path = os_program_find(word);
    if (path.empty())
        return -1;
    std::vector<std::string> words{word};
    for (std::string &w : os_command_split(parameters))
        words.push_back(std::move(w));
    return os_process_spawn(path, words, hidden);
}

// Splits at the first blank outside double quotes; the quotes stay.
std::pair<std::string, std::string> command_split(const std::string &command)
{
    bool quoted = false;
    for (size_t i = 0; i < command.size(); ++i) {
        if (command[i] == '"')
            quoted = !quoted;
        else if (command[i] == ' ' && !quoted)
            return {command.substr(0, i), command.substr(i + 1)};
    }
    return {command, ""};
}

// The launch sequence; the child's id, or -1 when nothing started.
int launch(const std::string &command, bool hidden)
{
    int pid = program_start(command, "", hidden);
    if (pid > 0)
        return pid;
    auto [word, parameters] = command_split(command);
    if (word.empty())
        return -1;
    if (!parameters.empty() && (pid = program_start(word, parameters, hidden)) > 0)
        return pid;
    if (!shell_cmd_exe_available())
        return -1;
    return os_process_spawn(SHELL_PATH, {"sh", "-c", command}, hidden);
}

// Waits for a child with shell_state raised; the exit code.
int64_t child_wait(int pid)
{
    shell_state.store(1);
    int code = os_process_wait(pid);
    shell_state.store(0);
    return code;
}

// Runs the command; waits when asked. The exit code of a waited child, 0
// for a child left running, NOTHING_STARTED when none started.
int64_t shell_run(const std::string &command, bool hidden, bool wait)
{
    children_reap();
    int pid =
        command.empty() ? os_process_spawn(SHELL_PATH, {"sh"}, hidden) : launch(command, hidden);
    if (pid <= 0)
        return NOTHING_STARTED;
    if (wait)
        return child_wait(pid);
    nowait_children.push_back(pid);
    return 0;
}

// Polls until the window's full-screen state satisfies the test, 1 ms a
// step, for at most two seconds and not past the start of the process's end.
template <typename Test> void full_screen_wait(Test done)
{
    const int64_t deadline = clock_now_ms() + WINDOW_WAIT_MS;
    while (!done(full_screen_state.load()) && exit_acknowledged.load() == 0 &&
           clock_now_ms() < deadline)
        clock_sleep_ms(1);
}

// Runs a shown waiting command outside full screen, returning to the mode
// the window had.
int64_t shell_run_windowed(const std::string &command)
{
    const int32_t saved = full_screen_state.load();
    if (saved != 0) {
        full_screen_request.store(0);
        full_screen_wait([](int32_t s) { return s == 0; });
    }
    int64_t result = shell_run(command, false, true);
    if (saved != 0) {
        full_screen_request.store(saved);
        full_screen_wait([](int32_t s) { return s != 0; });
    }
    return result;
}

// With both the hide and the no-wait option written, the statement is the
// hidden no-wait form.
bool both_options_forward(const string_descriptor *command, int32_t options)
{
    if (!(options & SHELL_OTHER_OPTION))
        return false;
    rt_shell_nowait_hidden(command, options & SHELL_COMMAND_GIVEN);
    return true;
}

} // namespace

int32_t shell_cmd_exe_available()
{
    if (cmd_exe_state == -1)
        cmd_exe_state = os_shell_available() ? 1 : 0;
    return cmd_exe_state;
}

int32_t shell_is_builtin(const string_descriptor *word)
{
    return builtin(text_of(word)) ? 1 : 0;
}

const std::vector<int> &shell_children()
{
    return nowait_children;
}

int64_t rt_shell_function(const string_descriptor *command)
{
    if (error_pending)
        return NOTHING_STARTED;
    return shell_run_windowed(text_of(command));
}

int64_t rt_shell_function_hidden(const string_descriptor *command)
{
    if (error_pending)
        return NOTHING_STARTED;
    std::string text = text_of(command);
    if (text.empty()) {
        error_raise(5);
        return NOTHING_STARTED;
    }
    return shell_run(text, true, true);
}

void rt_shell(const string_descriptor *command, int32_t given)
{
    if (error_pending)
        return;
    shell_run_windowed(given ? text_of(command) : "");
}

void rt_shell_hidden(const string_descriptor *command, int32_t options)
{
    if (error_pending || both_options_forward(command, options))
        return;
    std::string text = options & SHELL_COMMAND_GIVEN ? text_of(command) : "";
    if (text.empty()) {
        error_raise(5);
        return;
    }
    shell_run(text, true, true);
}

void rt_shell_nowait(const string_descriptor *command, int32_t options)
{
    if (error_pending || both_options_forward(command, options))
        return;
    shell_run(options & SHELL_COMMAND_GIVEN ? text_of(command) : "", false, false);
}

void rt_shell_nowait_hidden(const string_descriptor *command, int32_t options)
{
    std::string text = options & SHELL_COMMAND_GIVEN ? text_of(command) : "";
    if (text.empty()) {
        error_raise(5);
        return;
    }
    shell_run(text, true, false);
}
