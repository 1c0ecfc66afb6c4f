#include "core/command_line.h"
#include "core/startup.h"
#include "core/strings.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string current_directory()
{
    char buf[PATH_MAX];
    return getcwd(buf, sizeof buf) ? buf : "";
}

class Startup : public ::testing::Test {
  protected:
    void SetUp() override
    {
        runtime_static_init();
        saved_directory = current_directory();
    }
    void TearDown() override { EXPECT_EQ(chdir(saved_directory.c_str()), 0); }
    std::string saved_directory;
};

} // namespace

TEST_F(Startup, CommandLineJoinsTheArgumentsAfterTheProgramName)
{
    char prog[] = "tarvo", a[] = "a", bc[] = "b c";
    char *none[] = {prog};
    command_line_build(1, none);
    EXPECT_EQ(text_of(command_line), "");

    char *two[] = {prog, a, bc};
    command_line_build(3, two);
    EXPECT_EQ(text_of(command_line), "a b c");
    string_descriptor *copy = rt_command_str();
    EXPECT_EQ(text_of(copy), "a b c");
    EXPECT_NE(copy->chr, command_line->chr);
}

TEST_F(Startup, ProgramDirectoryBecomesTheCurrentDirectory)
{
    char dir_template[] = "/tmp/startup_testXXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    std::string dir = dir_template;

    EXPECT_TRUE(program_directory_enter((dir + "/prog").c_str()));
    EXPECT_EQ(current_directory(), dir);

    // Backslashes separate too; with no separator at all the whole name is
    // tried as a directory, which leaves the current one as it is.
    EXPECT_TRUE(chdir("/") == 0);
    EXPECT_TRUE(program_directory_enter((dir + "\\prog.exe").c_str()));
    EXPECT_EQ(current_directory(), dir);
    EXPECT_FALSE(program_directory_enter("no_such_program_name"));
    EXPECT_EQ(current_directory(), dir);
    rmdir(dir.c_str());
}
