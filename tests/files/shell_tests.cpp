#include "files/file_test_support.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "display/display_callback.h"
#include "files/environment.h"
#include "files/shell.h"
#include "platform/clock.h"
#include "platform/os_environment.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

class Shell : public file_test
{
  protected:
    void TearDown() override
    {
        full_screen_state = 0;
        full_screen_request = -1;
        unsetenv("RT_SHELL_GONE");
        os_environment_startup();
        file_test::TearDown();
    }
    static int64_t hidden(const std::string &command)
    {
        basic_text text(command);
        return rt_shell_function_hidden(text);
    }
    static int64_t shown(const std::string &command)
    {
        basic_text text(command);
        return rt_shell_function(text);
    }
};

TEST_F(Shell, CommandsRunThroughTheRealShell)
{
    basic_text echo("echo hi > out.txt");
    rt_shell(echo, 1);
    EXPECT_EQ(file_read_all("out.txt"), "hi\n");
    EXPECT_EQ(error_pending_take(), 0u);
}

// A started program's environment is the program's: what ENVIRON set shows,
// what it removed is gone though the process environment still holds it,
// through the shell and in a program started directly.
TEST_F(Shell, ChildrenGetTheEnvironmentAsEnvironLeftIt)
{
    setenv("RT_SHELL_GONE", "here", 1);
    os_environment_startup();
    for (const char *text : {"RT_SHELL_SEEN=yes", "RT_SHELL_GONE="}) {
        basic_text t(text);
        rt_environ(t);
    }
    EXPECT_EQ(hidden("echo [$RT_SHELL_SEEN][$RT_SHELL_GONE]>env.txt"), 0);
    EXPECT_EQ(file_read_all("env.txt"), "[yes][]\n");
    EXPECT_EQ(hidden("printenv RT_SHELL_SEEN"), 0);
    EXPECT_EQ(hidden("printenv RT_SHELL_GONE"), 1); // printenv: not set
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(Shell, ExitCodesAreDecoded)
{
    struct {
        const char *command;
        int64_t code;
    } cases[] = {
        {"true", 0},
        {"false", 1},
        {"sh -c \"exit 3\"", 3},
        {"sh -c \"kill -9 $$\"", 137},
        {"exit 4", 4},                   // no such program: the shell runs it
        {"no_such_program_here x", 127}, // the shell says so
        {" true", 1},                    // starts nothing
    };
    for (const auto &c : cases)
        EXPECT_EQ(hidden(c.command), c.code) << c.command;
    EXPECT_EQ(error_pending_take(), 0u);
}

// What the command writes on standard output, which is captured meanwhile.
std::string stdout_of(int64_t (*form)(const std::string &), const std::string &command)
{
    std::fflush(stdout);
    int saved = dup(STDOUT_FILENO);
    int capture = open("captured.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(capture, STDOUT_FILENO);
    form(command);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    close(capture);
    return file_read_all("captured.txt");
}

TEST_F(Shell, HiddenCommandsPrintNothing)
{
    EXPECT_EQ(stdout_of(Shell::hidden, "echo x"), "");
    EXPECT_EQ(stdout_of(Shell::shown, "echo x"), "x\n");
}

// With no command the interactive shell reads the process's own input.
TEST_F(Shell, EmptyCommandRunsTheInteractiveShellOnOurStreams)
{
    file_write_all("typed.txt", "echo typed > inter.txt\nexit 5\n");
    int saved = dup(STDIN_FILENO);
    int typed = open("typed.txt", O_RDONLY);
    dup2(typed, STDIN_FILENO);
    EXPECT_EQ(shown(""), 5);
    dup2(saved, STDIN_FILENO);
    close(saved);
    close(typed);
    EXPECT_EQ(file_read_all("inter.txt"), "typed\n");
}

TEST_F(Shell, MissingCommandsAndPendingErrors)
{
    basic_text empty("");
    EXPECT_TRUE(gives_raising(rt_shell_function_hidden(empty), 1, 5));
    rt_shell_hidden(empty, 0);
    EXPECT_EQ(error_pending_take(), 5u);
    rt_shell_nowait(empty, SHELL_OTHER_OPTION | SHELL_COMMAND_GIVEN);
    EXPECT_EQ(error_pending_take(), 5u);
    error_raise(9);
    basic_text touch("echo > touched.txt");
    EXPECT_EQ(rt_shell_function(touch), 1);
    rt_shell(touch, 1);
    rt_shell_hidden(touch, SHELL_COMMAND_GIVEN);
    EXPECT_EQ(error_pending_take(), 9u);
    EXPECT_FALSE(file_exists_on_disk("touched.txt"));
}

TEST_F(Shell, BuiltinNamesWholeWordsAnyCase)
{
    for (auto [word, is] : {std::pair<const char *, int32_t>{"dir", 1},
                            {"Echo", 1},
                            {"VOL", 1},
                            {"DIR ", 0},
                            {"ls", 0},
                            {"", 0}}) {
        basic_text text(word);
        EXPECT_EQ(shell_is_builtin(text), is) << word;
    }
    EXPECT_EQ(shell_cmd_exe_available(), 1);
}

TEST_F(Shell, NoWaitReturnsAtOnceAndTheChildIsCollectedLater)
{
    basic_text sleep_text("sleep 3");
    const int64_t start = clock_now_ms();
    rt_shell_nowait(sleep_text, SHELL_COMMAND_GIVEN);
    EXPECT_LT(clock_now_ms() - start, 200);
    ASSERT_EQ(shell_children().size(), 1u);
    const int pid = shell_children()[0];
    kill(pid, SIGKILL);
    for (int i = 0; i < 200 && !shell_children().empty(); ++i) {
        clock_sleep_ms(10);
        hidden("true"); // every SHELL collects ended children
    }
    EXPECT_TRUE(shell_children().empty());
    EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(pid)));
}

// Nothing serves the full-screen request: SHELL stops waiting for the window.
TEST_F(Shell, FullScreenWithNoWindowServingDoesNotHang)
{
    full_screen_state = 1;
    const int64_t start = clock_now_ms();
    EXPECT_EQ(shown("true"), 0);
    EXPECT_LT(clock_now_ms() - start, 3000);
    EXPECT_EQ(full_screen_request.load(), 1); // asks for the mode it had
}

} // namespace
