// A program for the end-to-end tests of BSAVE, BLOAD and CALL ABSOLUTE: on
// the start-up text screen (80 x 25, font 16) it prints a line with the
// cursor hidden, says "ready" and follows commands from standard input, one
// a line, answering "done COMMAND":
//
//   bsave FILE   DEF SEG &HB800: BSAVE FILE, 0, 4000 (the whole first page)
//   cls          CLS
//   bload FILE   BLOAD FILE (to the address in its header)
//   call         machine code at 2000:0000 that stores 'A' with attribute
//                1Eh at B800:0000, run by CALL ABSOLUTE
//   end          SYSTEM
#include "command_program.h"
#include "core/basic.h"
#include "core/dos_memory.h"
#include "core/program_thread.h"
#include "core/startup.h"
#include "core/strings.h"
#include "core/x86.h"
#include "files/bsave_bload.h"
#include "screen/screen_modes.h"
#include "screen/text_output.h"

#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace
{


// MOV AX,B800h; MOV ES,AX; MOV WORD [ES:0000h],1E41h; RETF
constexpr uint8_t STORE_A[] = {0xB8, 0x00, 0xB8, 0x8E, 0xC0, 0x26, 0xC7,
                               0x06, 0x00, 0x00, 0x41, 0x1E, 0xCB};


void command_run(const std::string &line)
{
    const size_t space = line.find(' ');
    const std::string word = line.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (word == "bsave") {
        rt_def_seg(0xB800, 1);
        rt_bsave(string_from_cstr(rest.c_str()), 0, 4000);
    } else if (word == "cls") {
        rt_cls(0, 0, 0);
    } else if (word == "bload") {
        rt_bload(string_from_cstr(rest.c_str()), 0, 0);
    } else if (word == "call") {
        std::memcpy(emulated_dos_memory + 0x20000, STORE_A, sizeof STORE_A);
        rt_def_seg(0x2000, 1);
        rt_call_absolute(0, 0);
    } else if (word == "end") {
        rt_system();
    }
    say("done " + word);
}

void main_module()
{
    basic_procedure p;
    p.stmt(10, [] { rt_locate(0, 0, 0, 0, 0, LOCATE_CURSOR); });
    p.stmt(20, [] {
        rt_locate(3, 5, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
        rt_print(string_from_cstr("SAVED TO DISK AND BACK"), PRINT_STAY);
    });
    p.stmt(30, [] { say("ready"); });
    commands_serve(p, 100, command_run);
}

} // namespace

int main(int argc, char **argv)
{
    return runtime_main(argc, argv, program_unit{main_module, false, false, 0, 0});
}
