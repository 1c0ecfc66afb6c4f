// The game's save file routines as a program of their own, run in the
// current directory on a console page (no window):
//
//   save_program load            the start-up's load or create; prints the
//                                six fields it leaves
//   save_program save F1 .. F6 [N]
//                                save_progress of the six fields, as GOSUB,
//                                N times in a row (once without N)
//
// Every error box goes to standard error; with no display and no scripted
// answer (BOX_ANSWERS unset) each one lets the routine go on, as "Yes" does.
#include "console_program.h"

#include "core/basic.h"
#include "core/gosub_stack.h"
#include "game/game_basic.h"
#include "game/game_state.h"
#include "game/save_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    console_program_start();
    gosub_stack_init();
    game_state_create();
    float *fields[] = {&herb_angelica,    &herb_pennyroyal, &herb_mugwort,
                       &herb_cotton_root, &ending_seen,     &save_spare};
    basic_procedure p;
    if (argc == 2 && std::strcmp(argv[1], "load") == 0) {
        save_load_or_create(p);
        for (int i = 0; i < 6; ++i)
            std::printf(i < 5 ? "%g," : "%g\n", double(*fields[i]));
        return 0;
    }
    if ((argc == 8 || argc == 9) && std::strcmp(argv[1], "save") == 0) {
        for (int i = 0; i < 6; ++i)
            *fields[i] = std::strtof(argv[i + 2], nullptr);
        for (long n = argc == 9 ? std::strtol(argv[8], nullptr, 10) : 1; n > 0; --n)
            game_gosub(p, 1, RP_ENDING_SAVE, [&] { save_progress(p); });
        return 0;
    }
    std::fprintf(stderr, "usage: save_program load | save F1 F2 F3 F4 F5 F6 [N]\n");
    return 2;
}
