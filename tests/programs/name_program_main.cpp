// NAME as a program of its own, on a console page (no window):
//
//   name_program OLD NEW    NAME OLD AS NEW in the current folder; prints the
//                           error it raised (0 when none)
//   name_program --open-output FILE
//                           OPEN FILE FOR OUTPUT AS #1 and CLOSE; prints the
//                           error
//   name_program --mkdir DIR
//                           MKDIR DIR; prints the error
#include "console_program.h"

#include "core/errors.h"
#include "core/strings.h"
#include "files/directories.h"
#include "files/open_close.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: name_program OLD NEW | --open-output FILE | --mkdir DIR\n");
        return 2;
    }
    console_program_start();
    string_descriptor *second = string_from_cstr(argv[2]);
    if (std::strcmp(argv[1], "--open-output") == 0) {
        rt_open_old(string_from_cstr("O"), 1, second, 0, 0);
        rt_close(1, 1);
    } else if (std::strcmp(argv[1], "--mkdir") == 0) {
        rt_mkdir(second);
    } else {
        rt_name(string_from_cstr(argv[1]), second);
    }
    std::printf("%u\n", error_pending_take());
    return 0;
}
