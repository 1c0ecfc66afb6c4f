// The program at both ends of the CHAIN end-to-end test. Its first statement
// takes a hand-over; then it prints "pid N", "command " + COMMAND$, "dir " +
// the current directory and "active N" (the active page's number), says
// "ready" and follows commands read from standard input, one a line:
//
//   setup         80 x 25 text in the 8 x 8 font, palette entry 1 changed,
//                 text in its own colours on pages 0 and 1, the cursor
//                 hidden, page 1 active and page 0 shown; answers "set up"
//   chdir PATH    CHDIR PATH; answers "error N" (0 when none)
//   chain TEXT    CHAIN TEXT; answers "error N" only when it returns
//   show N        SCREEN , , N, N; answers "shown"
//   end           SYSTEM
#include "command_program.h"
#include "core/basic.h"
#include "core/command_line.h"
#include "core/errors.h"
#include "core/program_thread.h"
#include "core/startup.h"
#include "core/strings.h"
#include "display/window_services.h"
#include "files/chain_receive.h"
#include "files/chain_send.h"
#include "files/directories.h"
#include "files/system_queries.h"
#include "screen/fonts.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/screen_modes.h"
#include "screen/text_output.h"

#include <cstdio>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace
{



string_descriptor *basic_of(const std::string &text)
{
    return string_from_buffer(text.data(), int32_t(text.size()));
}

std::string text_of(const string_descriptor *s)
{
    return std::string(reinterpret_cast<const char *>(s->chr), size_t(s->len));
}

int32_t active_page()
{
    for (uint32_t page = 0; page < page_table_count; page++)
        if (page_table[page] == write_page.slot)
            return int32_t(page);
    return -1;
}

void pages_show(int32_t active, int32_t visual)
{
    rt_screen(0, 0, active, visual, 0, SCREEN_ACTIVE_GIVEN | SCREEN_VISUAL_GIVEN);
}

void page_fill(int32_t page, uint32_t fore, uint32_t back, const char *text)
{
    pages_show(page, page);
    rt_locate(0, 0, 0, 0, 0, LOCATE_CURSOR);
    rt_color(fore, back, 0, 3);
    rt_print(basic_of(text), PRINT_NEWLINE);
}

void screen_setup()
{
    rt_width(0, 80, 25, 3);
    image_font_set(8, 0, false);
    palette_entry_set(1, 0xFF2050A0, 0, true);
    page_fill(0, 14, 1, "PAGE ZERO FROM THE SENDER");
    page_fill(1, 10, 4, "PAGE ONE FROM THE SENDER");
    pages_show(1, 0);
}

void command_run(const std::string &line)
{
    const size_t space = line.find(' ');
    const std::string word = line.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (word == "setup") {
        screen_setup();
        say("set up");
    } else if (word == "chdir") {
        rt_chdir(basic_of(rest));
        say("error " + std::to_string(error_pending_take()));
    } else if (word == "chain") {
        rt_chain(basic_of(rest));
        say("error " + std::to_string(error_pending_take()));
    } else if (word == "show") {
        pages_show(std::stoi(rest), std::stoi(rest));
        say("shown");
    } else if (word == "end") {
        rt_system();
    }
}

void main_module()
{
    basic_procedure p;
    p.stmt(10, [] { chain_receive(); });
    p.stmt(20, [] { window_title_set(string_from_cstr("Chain Check")); });
    p.stmt(30, [] { say("pid " + std::to_string(getpid())); });
    p.stmt(40, [] { say("command " + text_of(rt_command_str())); });
    p.stmt(50, [] { say("dir " + text_of(current_dir_str())); });
    p.stmt(60, [] { say("active " + std::to_string(active_page())); });
    p.stmt(70, [] { say("ready"); });
    commands_serve(p, 100, command_run);
}

} // namespace

int main(int argc, char **argv)
{
    return runtime_main(argc, argv, program_unit{main_module, false, false, 0, 0});
}
