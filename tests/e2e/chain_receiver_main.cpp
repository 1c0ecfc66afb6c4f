// The receiving program of the CHAIN end-to-end test. Its first statement
// takes the hand-over; then it prints "pid N", "command " + COMMAND$, "dir "
// + the current directory and "active N" (the active page's number), says
// "receiver ready" and follows commands read from standard input, one a line:
//
//   show N    SCREEN , , N, N; answers "shown"
//   end       SYSTEM
#include "core/basic.h"
#include "core/command_line.h"
#include "core/program_thread.h"
#include "core/startup.h"
#include "core/strings.h"
#include "display/window_services.h"
#include "files/chain_receive.h"
#include "files/system_queries.h"
#include "screen/image_slots.h"
#include "screen/screen_modes.h"

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

std::string text_of(const string_descriptor *s)
{
    return std::string(reinterpret_cast<const char *>(s->chr), size_t(s->len));
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

int32_t active_page()
{
    for (uint32_t page = 0; page < page_table_count; page++)
        if (page_table[page] == write_page.slot)
            return int32_t(page);
    return -1;
}

void main_module()
{
    basic_procedure p;
    p.stmt(10, [] { chain_receive(); });
    p.stmt(20, [] { window_title_set(string_from_cstr("Chain Receiver")); });
    p.stmt(30, [] { say("pid " + std::to_string(getpid())); });
    p.stmt(40, [] { say("command " + text_of(rt_command_str())); });
    p.stmt(50, [] { say("dir " + text_of(current_dir_str())); });
    p.stmt(60, [] { say("active " + std::to_string(active_page())); });
    p.stmt(70, [] { say("receiver ready"); });
    for (;;) {
        std::string line;
        p.stmt(100, [&] {
            if (!input_line(line))
                return;
            if (line.starts_with("show ")) {
                int32_t page = std::stoi(line.substr(5));
                rt_screen(0, 0, page, page, 0, SCREEN_ACTIVE_GIVEN | SCREEN_VISUAL_GIVEN);
                say("shown");
            } else if (line == "end") {
                rt_system();
            }
        });
    }
}

} // namespace

int main(int argc, char **argv)
{
    return runtime_main(argc, argv, program_unit{main_module, false, false, 0, 0});
}
