// CLOSE and BSAVE in a folder, as a program of the runtime's own start-up
// (no window, no console):
//
//   close_program FOLDER end|system|error
//
// Each statement prints the error it raised (0 when none), one line each:
//   close #1 N     OPEN FOLDER/out.txt FOR OUTPUT AS #1, PRINT #1, CLOSE #1
//   reopen #1 N    OPEN FOLDER/out.txt FOR INPUT AS #1, CLOSE #1
//   close N        OPEN FOLDER/log.txt FOR APPEND AS #2 and FOLDER/more.txt
//                  FOR OUTPUT AS #4, PRINT # to each, CLOSE
//   reopen N       both OPEN FOR INPUT again as #2 and #4, CLOSE
//   bsave N        BSAVE FOLDER/block.bin, 0, 16
// Then it opens FOLDER/end.txt FOR OUTPUT AS #3, prints to it, says "ending"
// and ends with the file open: by END, SYSTEM, or an error (5) left to the
// error dialog, which BOX_ANSWERS=no answers.
#include "core/basic.h"
#include "core/errors.h"
#include "core/program_thread.h"
#include "core/startup.h"
#include "core/strings.h"
#include "files/bsave_bload.h"
#include "files/open_close.h"
#include "files/sequential_io.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace
{

std::string folder;
std::string ending;

// A temporary string holding the path of name in the folder.
string_descriptor *in_folder(const char *name)
{
    const std::string path = folder + "/" + name;
    string_descriptor *s = string_new(int32_t(path.size()), true);
    std::memcpy(s->chr, path.data(), path.size());
    return s;
}

// Prints the statement's label and the error it raised, which it clears.
void report(const char *label)
{
    std::printf("%s %u\n", label, error_pending_take());
    std::fflush(stdout);
}

// OPEN name FOR mode AS #number and PRINT # to it.
void written(const char *name, int32_t mode, int32_t number)
{
    rt_open(in_folder(name), mode, 0, 0, number, 0, 0);
    rt_print_file(number, string_from_cstr("bytes"), 0, 0, 1);
}

void read(const char *name, int32_t number)
{
    rt_open(in_folder(name), OPEN_MODE_INPUT, 0, 0, number, 0, 0);
}

void main_module()
{
    basic_procedure p;
    p.stmt(10, [] {
        written("out.txt", OPEN_MODE_OUTPUT, 1);
        rt_close(1, 1);
        report("close #1");
    });
    p.stmt(20, [] {
        read("out.txt", 1);
        rt_close(1, 1);
        report("reopen #1");
    });
    p.stmt(30, [] {
        written("log.txt", OPEN_MODE_APPEND, 2);
        written("more.txt", OPEN_MODE_OUTPUT, 4);
        rt_close(0, 0);
        report("close");
    });
    p.stmt(40, [] {
        read("log.txt", 2);
        read("more.txt", 4);
        rt_close(0, 0);
        report("reopen");
    });
    p.stmt(50, [] {
        rt_bsave(in_folder("block.bin"), 0, 16);
        report("bsave");
    });
    p.stmt(60, [] {
        rt_open(in_folder("end.txt"), OPEN_MODE_OUTPUT, 0, 0, 3, 0, 0);
        rt_print_file(3, string_from_cstr("bytes"), 0, 0, 1);
        std::puts("ending");
        std::fflush(stdout);
    });
    p.stmt(70, [] {
        if (ending == "system")
            rt_system();
        if (ending == "error")
            error_raise(5);
    });
    p.end();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: close_program FOLDER end|system|error\n");
        return 2;
    }
    folder = argv[1];
    ending = argv[2];
    return runtime_main(argc, argv, program_unit{main_module, true, false, 0, 0});
}
