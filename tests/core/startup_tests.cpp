#include "core/command_line.h"
#include "core/startup.h"
#include "core/strings.h"
#include "display/display_callback.h"
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
    const std::string dir = test_temp_dir("startup_test");

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

// A window the user dragged to 800 x 500 while a 640 x 400 frame is shown:
// whether the display callback takes it back to the frame's size.
static bool dragged_window_taken_back()
{
    display_window.reshape_in_progress = false;
    display_window.previous = display_window.window = {800, 500};
    return display_window_follow({640, 400}, 0).reshape;
}

TEST_F(Startup, WindowOptionsReachTheDisplaySettings)
{
    display_state_reset(0);
    // Zero options keep the defaults: the window keeps the frame's size.
    program_window_options_apply(0, 0);
    EXPECT_EQ(resize_denied.load(), 1);
    EXPECT_EQ(stretch_mode.load(), 0);
    EXPECT_TRUE(dragged_window_taken_back());

    program_window_options_apply(1, 0);
    EXPECT_EQ(resize_denied.load(), 0);
    EXPECT_EQ(stretch_mode.load(), 0);
    EXPECT_FALSE(dragged_window_taken_back());

    // A scaling mode alone leaves the resize policy; the frame then fills the
    // window, smoothed in mode 2.
    program_window_options_apply(0, 2);
    EXPECT_EQ(resize_denied.load(), 0);
    EXPECT_EQ(stretch_mode.load(), 2);
    display_window.window = {1280, 800};
    render_viewport v = display_viewport_of({640, 400});
    EXPECT_FLOAT_EQ(v.scale_x, 2.0f);
    EXPECT_FLOAT_EQ(v.scale_y, 2.0f);
    EXPECT_EQ(v.smooth, 1);

    program_window_options_apply(2, 1);
    EXPECT_EQ(resize_denied.load(), 1);
    EXPECT_EQ(stretch_mode.load(), 1);

    // Values with no meaning change nothing.
    program_window_options_apply(3, 7);
    EXPECT_EQ(resize_denied.load(), 1);
    EXPECT_EQ(stretch_mode.load(), 1);
    display_state_reset(0);
}
