// A program with a window for the end-to-end tests of the directory
// statements and SHELL. On the start-up screen (SCREEN 0, 80 x 25, cursor
// hidden) it says "ready" and follows commands read from standard input, one
// a line, answering on standard output:
//
//   chdir PATH       CHDIR PATH; answers "error N" (0 when none)
//   files [SPEC]     CLS, then FILES [SPEC]; answers "error N"
//   fullscreen MODE  full_screen_set (MODE, 0); answers the request state
//   shell COMMAND    SHELL COMMAND (shown, waits); answers "shell done"
//   end              SYSTEM
#include "command_program.h"
#include "core/basic.h"
#include "core/errors.h"
#include "core/program_thread.h"
#include "core/startup.h"
#include "core/strings.h"
#include "display/display_callback.h"
#include "display/window_services.h"
#include "files/directories.h"
#include "files/shell.h"
#include "screen/fonts.h"
#include "screen/text_output.h"

#include <cstdio>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace
{



string_descriptor *text_of(const std::string &text)
{
    return string_from_buffer(text.data(), int32_t(text.size()));
}

void error_say()
{
    say("error " + std::to_string(error_pending_take()));
}

void command_run(const std::string &line)
{
    const size_t space = line.find(' ');
    const std::string word = line.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (word == "chdir") {
        rt_chdir(text_of(rest));
        error_say();
    } else if (word == "files") {
        rt_cls(0, 0, CLS_METHOD);
        rt_files(text_of(rest), !rest.empty());
        error_say();
    } else if (word == "fullscreen") {
        full_screen_set(std::stoi(rest), 0);
        say("full screen " + std::to_string(full_screen_get()));
    } else if (word == "shell") {
        rt_shell(text_of(rest), 1);
        say("shell done");
    } else if (word == "end") {
        rt_system();
    }
}

void main_module()
{
    basic_procedure p;
    p.stmt(10, [] { window_title_set(string_from_cstr("Directory Check")); });
    p.stmt(20, [] { image_font_set(8, 0, false); });
    p.stmt(25, [] { rt_locate(0, 0, 0, 0, 0, LOCATE_CURSOR); });
    p.stmt(30, [] { say("ready"); });
    commands_serve(p, 100, command_run);
}

} // namespace

int main(int argc, char **argv)
{
    return runtime_main(argc, argv, program_unit{main_module, false, false, 0, 0});
}
