// File statements in a row as a program of its own, on a console page (no
// window), each on what the ones before it left (an open file, the current
// folder):
//
//   statements_program STATEMENT...
//
// where a statement is OPEN FILE (FOR APPEND AS the next number, left open),
// OUTPUT FILE (OPEN FOR OUTPUT AS the next number, left open), KILL FILE,
// NAME OLD NEW, CHDIR DIR, MKDIR DIR or RMDIR DIR. Prints the error each
// statement raised (0 when none), separated by blanks, on one line.
#include "console_program.h"

#include "core/errors.h"
#include "core/strings.h"
#include "files/directories.h"
#include "files/open_close.h"

#include <cstdio>
#include <string_view>

int main(int argc, char **argv)
{
    console_program_start();
    int32_t number = 1;
    const char *separator = "";
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        auto operand = [&] { return string_from_cstr(i + 1 < argc ? argv[++i] : ""); };
        if (word == "OPEN") {
            rt_open(operand(), OPEN_MODE_APPEND, 0, 0, number++, 0, 0);
        } else if (word == "OUTPUT") {
            rt_open(operand(), OPEN_MODE_OUTPUT, 0, 0, number++, 0, 0);
        } else if (word == "KILL") {
            rt_kill(operand());
        } else if (word == "NAME") {
            const string_descriptor *from = operand();
            rt_name(from, operand());
        } else if (word == "CHDIR") {
            rt_chdir(operand());
        } else if (word == "MKDIR") {
            rt_mkdir(operand());
        } else if (word == "RMDIR") {
            rt_rmdir(operand());
        } else {
            std::fprintf(stderr, "statements_program: no statement %s\n", argv[i]);
            return 2;
        }
        std::printf("%s%u", separator, error_pending_take());
        separator = " ";
    }
    std::printf("\n");
    return 0;
}
