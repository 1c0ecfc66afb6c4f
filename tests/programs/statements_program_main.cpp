// File statements in a row as a program of the runtime's own start-up (no
// window), each on what the ones before it left (open files, the current
// folder):
//
//   statements_program STATEMENT...
//
// where a statement is
//   OPEN N FILE, OUTPUT N FILE   OPEN FILE FOR APPEND or OUTPUT AS #N
//   PRINT N                      PRINT #N, "bytes"
//   CLOSE N                      CLOSE #N; CLOSE * closes every file
//   BSAVE FILE                   BSAVE FILE, 0, 16
//   KILL FILE, NAME OLD NEW, CHDIR DIR, MKDIR DIR, RMDIR DIR
//   ONERROR                      arms an error handler the program lacks, so
//                                that the next error ends it with code 99
//   WINDOW                       shows the window, titled "Statements"
//   SHOWN                        waits until the window exists
//   END, SYSTEM                  ends the program there
//   ERROR                        raises error 5 and leaves it to the error
//                                dialog (BOX_ANSWERS answers it)
//   WAIT                         runs empty statements until the end comes
//                                from outside
// Each statement but the last four prints the error it raised (0 when
// none) as it runs, the errors separated by blanks on one line; a program
// that runs out of statements ends as END ends it. The statements run in the
// folder the program was started in, by the name it was entered by: it goes
// back there first, as the start-up enters the program's own folder.
#include "core/basic.h"
#include "core/errors.h"
#include "core/program_thread.h"
#include "core/startup.h"
#include "core/strings.h"
#include "display/window_services.h"
#include "display/window_state.h"
#include "files/bsave_bload.h"
#include "files/directories.h"
#include "files/open_close.h"
#include "files/sequential_io.h"
#include "platform/clock.h"
#include "platform/os_files.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

namespace
{

std::string start_folder;
int words_count;
char **words;
const char *separator = "";
bool waiting = false;

// Ends the line of errors.
void line_end()
{
    std::printf("\n");
    std::fflush(stdout);
}

void statement_run(int &i)
{
    const std::string_view word = words[i];
    auto text = [&] { return string_from_cstr(i + 1 < words_count ? words[++i] : ""); };
    auto number = [&] { return i + 1 < words_count ? std::atoi(words[++i]) : 0; };
    if (word == "WAIT") {
        line_end();
        waiting = true;
        return;
    }
    if (word == "END" || word == "SYSTEM" || word == "ERROR") {
        line_end();
        if (word == "SYSTEM")
            rt_system();
        if (word == "ERROR")
            error_raise(5);
        else
            rt_end();
        return;
    }
    if (word == "OPEN" || word == "OUTPUT") {
        const int32_t n = number();
        rt_open(text(), word == "OPEN" ? OPEN_MODE_APPEND : OPEN_MODE_OUTPUT, 0, 0, n, 0, 0);
    } else if (word == "PRINT") {
        rt_print_file(number(), string_from_cstr("bytes"), 0, 0, 1);
    } else if (word == "CLOSE") {
        const bool all = i + 1 < words_count && std::string_view(words[i + 1]) == "*";
        const int32_t n = number();
        rt_close(n, !all);
    } else if (word == "BSAVE") {
        rt_bsave(text(), 0, 16);
    } else if (word == "KILL") {
        rt_kill(text());
    } else if (word == "NAME") {
        const string_descriptor *from = text();
        rt_name(from, text());
    } else if (word == "CHDIR") {
        rt_chdir(text());
    } else if (word == "MKDIR") {
        rt_mkdir(text());
    } else if (word == "RMDIR") {
        rt_rmdir(text());
    } else if (word == "ONERROR") {
        on_error_armed = 1;
    } else if (word == "WINDOW") {
        window_title_set(string_from_cstr("Statements"));
        window_create_request = 1;
    } else if (word == "SHOWN") {
        while (!window_exists.load())
            clock_sleep_ms(20);
    } else {
        std::fprintf(stderr, "statements_program: no statement %s\n", words[i]);
        std::exit(2);
    }
    std::printf("%s%u", separator, error_pending_take());
    std::fflush(stdout);
    separator = " ";
}

void main_module()
{
    basic_procedure p;
    p.stmt(5, [] {
        if (chdir(start_folder.c_str()) != 0)
            std::exit(2);
    });
    for (int i = 1; i < words_count && !waiting; ++i)
        p.stmt(10, [&] { statement_run(i); });
    while (waiting)
        p.stmt(15, [] { clock_sleep_ms(20); });
    p.stmt(20, line_end);
    p.end();
}

} // namespace

int main(int argc, char **argv)
{
    start_folder = os_current_directory();
    words_count = argc;
    words = argv;
    return runtime_main(argc, argv, program_unit{main_module, true, false, 0, 0});
}
