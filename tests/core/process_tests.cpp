// Whole-process tests: a test program starts through the runtime's start-up,
// runs its routine on the program thread and ends through the runtime loop's
// exit path.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct run_result {
    std::string output;
    int exit_code;
};

run_result program_run(const std::string &arguments)
{
    std::string command = std::string("ALSOFT_CONF=") + RT_TEST_PROGRAM_SOURCE_DIR +
                          "/openal_discard.conf " + RT_TEST_PROGRAM_DIR + "/routine_program " +
                          arguments;
    run_result result{"", -1};
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buf[256];
    while (size_t n = fread(buf, 1, sizeof buf, pipe))
        result.output.append(buf, n);
    int status = pclose(pipe);
    if (WIFEXITED(status))
        result.exit_code = WEXITSTATUS(status);
    return result;
}

} // namespace

TEST(Process, RoutineRunsToEndAndExitsWithCodeZero)
{
    run_result r = program_run("");
    EXPECT_EQ(r.output, "HELLO, WORLD\ntimer fired 2 times\nend\n");
    EXPECT_EQ(r.exit_code, 0);
}

TEST(Process, CloseRequestWhileTheRoutineWaitsEndsIt)
{
    run_result r = program_run("close-while-waiting");
    EXPECT_EQ(r.output, "HELLO, WORLD\ntimer fired 2 times\nwaiting\n");
    EXPECT_EQ(r.exit_code, 0);
}
