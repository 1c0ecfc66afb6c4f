// NAME as a program of its own, on a console page (no window):
//
//   name_program OLD NEW    NAME OLD AS NEW in the current folder; prints the
//                           error it raised (0 when none)
#include "console_program.h"

#include "core/errors.h"
#include "core/strings.h"
#include "files/directories.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: name_program OLD NEW\n");
        return 2;
    }
    console_program_start();
    rt_name(string_from_cstr(argv[1]), string_from_cstr(argv[2]));
    std::printf("%u\n", error_pending_take());
    return 0;
}
