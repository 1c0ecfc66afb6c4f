#include "files/file_test_support.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "display/runtime_loop.h"
#include "files/open_close.h"
#include "files/system_queries.h"
#include "platform/clock.h"
#include "platform/os_environment.h"

#include <cstdlib>
#include <filesystem>
#include <thread>

namespace
{

using SystemQueries = file_test;

TEST_F(SystemQueries, FileAndDirectoryTestsTellFilesFromDirectories)
{
    std::filesystem::create_directory("Sub");
    file_write_all("Sub/File.txt", "");
    basic_text file("sub\\file.TXT"), dir("SUB"), missing("nothing"), empty("");
    EXPECT_EQ(file_exists(file), -1);
    EXPECT_EQ(file_exists(dir), 0);
    EXPECT_EQ(dir_exists(dir), -1);
    EXPECT_EQ(dir_exists(file), 0);
    EXPECT_EQ(file_exists(missing), 0);
    EXPECT_EQ(file_exists(empty), 0);
    EXPECT_EQ(dir_exists(empty), 0);
    error_raise(5);
    EXPECT_EQ(file_exists(file), 0);
    EXPECT_EQ(dir_exists(dir), 0);
    EXPECT_EQ(error_pending_take(), 5u);
}

TEST_F(SystemQueries, SystemStrings)
{
    EXPECT_EQ(text_of(os_name_str()), "[LINUX][64BIT]");
    EXPECT_EQ(text_of(current_dir_str()), std::filesystem::current_path().string());
    std::filesystem::current_path("/");
    EXPECT_EQ(text_of(current_dir_str()), "/");
}

TEST_F(SystemQueries, RunOfAProgramThatCannotStartIsError53)
{
    file_write_all("notes.txt", "not a program");
    for (const char *name : {"no_such_program_here", "notes.txt", "notes.txt arg", ""}) {
        basic_text command(name);
        rt_run_file(command);
        EXPECT_EQ(error_pending_take(), 53u) << name;
    }
    EXPECT_EQ(program_stop_flag.load(), 0);
}

// Runs RUN as the program thread would, with the runtime loop thread beside
// it (closing the files on its way out) and no timer-trap thread.
void run_as_ending_program(const std::string &command)
{
    runtime_loop_services services{};
    services.files_close = [] { rt_close(0, 0); };
    runtime_loop_services_set(services);
    threads_ended.fetch_or(THREAD_ENDED_TIMER);
    std::thread(runtime_loop_thread_entry).detach();
    basic_text text(command);
    rt_run_file(text);
}

// A name as one word of a command line, whatever blanks it holds.
std::string one_word(const std::string &name)
{
    return '"' + name + '"';
}

// The file the started program writes, once it appears (generous bound).
std::string wait_for_file(const std::string &path)
{
    for (int i = 0; i < 1000 && !file_exists_on_disk(path); ++i)
        clock_sleep_ms(10);
    return file_read_all(path);
}

TEST_F(SystemQueries, RunStartsTheProgramWithItsArgumentsAndEndsThisOneWithCode0)
{
    basic_text held("held.txt");
    rt_open(held, OPEN_MODE_OUTPUT, 0, 0, 1, 0, 0);
    std::string out = dir_ + "/args.txt";
    std::string command = one_word(std::string(RT_TEST_PROGRAM_DIR) + "/args_record") + " " +
                          one_word(out) + "  one \"two words\" sub\\dir";
    EXPECT_EXIT(run_as_ending_program(command), ::testing::ExitedWithCode(0), "");
    std::string recorded = wait_for_file(out);
    EXPECT_EQ(recorded.substr(0, recorded.find("fd ")), "one\ntwo words\nsub/dir\n");
    EXPECT_EQ(recorded.find("held.txt"), std::string::npos); // no file of ours leaked
}

TEST_F(SystemQueries, RunFindsProgramsOnThePathInAnyCaseWithOrWithoutExe)
{
    std::string out = dir_ + "/args.txt";
    EXPECT_EXIT(
        {
            os_environment_put(std::string("PATH=") + RT_TEST_PROGRAM_DIR);
            run_as_ending_program("ARGS_Record.EXE " + one_word(out) + " x");
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(wait_for_file(out).substr(0, 2), "x\n");
}

} // namespace
