#include "files/file_test_support.h"

#include "files/command_line.h"

namespace
{

using CommandLine = file_test;

TEST_F(CommandLine, CommandLineJoinsTheArgumentsAfterTheProgramName)
{
    const char *none[] = {"prog"};
    command_line_build(1, none);
    EXPECT_EQ(text_of(rt_command_str()), "");
    const char *two[] = {"prog", "a", "b c"};
    command_line_build(3, two);
    string_descriptor *first = rt_command_str();
    string_descriptor *second = rt_command_str();
    EXPECT_EQ(text_of(first), "a b c");
    EXPECT_NE(first->chr, second->chr); // each call gives its own copy
}

} // namespace
