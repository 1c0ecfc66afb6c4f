// Whole-process tests: a test program starts through the runtime's start-up,
// runs its routine on the program thread and ends through the runtime loop's
// exit path.
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

struct run_result {
    std::string output;
    std::string errors; // standard error
    int exit_code;
    int64_t duration_ms;
};

run_result program_run(const std::string &arguments)
{
    run_result result{"", "", -1, 0};
    const std::string dir = test_temp_dir("routine_program_");
    const std::string errors_path = dir + "/errors";
    // The configuration pins OpenAL to a discarding wave writer unless
    // ALSOFT_DRIVERS overrides it.
    std::string command = std::string("env -u ALSOFT_DRIVERS ALSOFT_CONF='") +
                          RT_TEST_PROGRAM_SOURCE_DIR + "/openal_discard.conf' '" +
                          RT_TEST_PROGRAM_DIR + "/routine_program' " + arguments + " 2>'" +
                          errors_path + "'";
    const auto start = std::chrono::steady_clock::now();
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe) {
        std::filesystem::remove_all(dir);
        return result;
    }
    char buf[256];
    while (size_t n = fread(buf, 1, sizeof buf, pipe))
        result.output.append(buf, n);
    int status = pclose(pipe);
    result.duration_ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
    if (WIFEXITED(status))
        result.exit_code = WEXITSTATUS(status);
    result.errors = file_read_all(errors_path);
    std::filesystem::remove_all(dir);
    return result;
}

// The exit path says so on standard error when it stops waiting for a thread
// that did not report its end; it waits two seconds before it does.
constexpr const char *ABANDONED_WAIT_NOTE = "exit: stopped waiting";
constexpr int64_t RUN_LIMIT_MS = 10000;

} // namespace

TEST(Process, RoutineRunsToEndAndExitsWithCodeZero)
{
    run_result r = program_run("");
    EXPECT_EQ(r.output, "HELLO, WORLD\ntimer fired 2 times\nend\n");
    EXPECT_EQ(r.exit_code, 0);
    // Both threads reported their end before the exit.
    EXPECT_EQ(r.errors.find(ABANDONED_WAIT_NOTE), std::string::npos) << r.errors;
    EXPECT_LT(r.duration_ms, RUN_LIMIT_MS);
}

TEST(Process, CloseRequestWhileTheRoutineWaitsEndsIt)
{
    run_result r = program_run("close-while-waiting");
    EXPECT_EQ(r.output, "HELLO, WORLD\ntimer fired 2 times\nwaiting\n");
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.errors.find(ABANDONED_WAIT_NOTE), std::string::npos) << r.errors;
    EXPECT_LT(r.duration_ms, RUN_LIMIT_MS);
}
