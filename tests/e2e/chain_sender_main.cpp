// The sending program of the CHAIN end-to-end test. It sets up a screen
// (80 x 25 text in the 8 x 8 font, palette entry 1 changed, text in its own colours on pages 0
// and 1, the cursor hidden, page 1 active and page 0 shown), says "ready" and
// follows commands read from standard input, one a line:
//
//   chdir PATH    CHDIR PATH; answers "error N" (0 when none)
//   chain TEXT    CHAIN TEXT; answers "error N" only when it returns
//   end           SYSTEM
#include "core/basic.h"
#include "core/errors.h"
#include "core/program_thread.h"
#include "core/startup.h"
#include "core/strings.h"
#include "display/window_services.h"
#include "files/chain_send.h"
#include "files/directories.h"
#include "screen/fonts.h"
#include "screen/images.h"
#include "screen/screen_modes.h"
#include "screen/text_output.h"

#include <cstdio>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace
{

void say(const std::string &text)
{
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

bool input_line(std::string &line)
{
    pollfd p{STDIN_FILENO, POLLIN, 0};
    if (poll(&p, 1, 20) <= 0)
        return false;
    char buf[1024];
    if (!std::fgets(buf, sizeof buf, stdin))
        rt_system();
    line = buf;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return true;
}

string_descriptor *text_of(const std::string &text)
{
    return string_from_buffer(text.data(), int32_t(text.size()));
}

void page_fill(int32_t page, uint32_t fore, uint32_t back, const char *text)
{
    rt_screen(0, 0, page, page, 0, SCREEN_ACTIVE_GIVEN | SCREEN_VISUAL_GIVEN);
    rt_locate(0, 0, 0, 0, 0, LOCATE_CURSOR);
    rt_color(fore, back, 0, 3);
    rt_print(text_of(text), PRINT_NEWLINE);
}

void command_run(const std::string &line)
{
    const size_t space = line.find(' ');
    const std::string word = line.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (word == "chdir") {
        rt_chdir(text_of(rest));
        say("error " + std::to_string(error_pending_take()));
    } else if (word == "chain") {
        rt_chain(text_of(rest));
        say("error " + std::to_string(error_pending_take()));
    } else if (word == "end") {
        rt_system();
    }
}

void main_module()
{
    basic_procedure p;
    p.stmt(10, [] { window_title_set(string_from_cstr("Chain Sender")); });
    p.stmt(20, [] { rt_width(0, 80, 25, 3); });
    p.stmt(25, [] { image_font_set(8, 0, false); });
    p.stmt(30, [] { palette_entry_set(1, 0xFF2050A0, 0, true); });
    p.stmt(40, [] { page_fill(0, 14, 1, "PAGE ZERO FROM THE SENDER"); });
    p.stmt(50, [] { page_fill(1, 10, 4, "PAGE ONE FROM THE SENDER"); });
    p.stmt(60, [] { rt_screen(0, 0, 1, 0, 0, SCREEN_ACTIVE_GIVEN | SCREEN_VISUAL_GIVEN); });
    p.stmt(70, [] { say("ready"); });
    for (;;) {
        std::string line;
        p.stmt(100, [&] {
            if (input_line(line))
                command_run(line);
        });
    }
}

} // namespace

int main(int argc, char **argv)
{
    return runtime_main(argc, argv, program_unit{main_module, false, false, 0, 0});
}
