// Start-up for small test programs that print on a console page: the
// runtime's tables, the DOS memory, the strings and the screen, with the
// write page sending PRINT to standard output. No window, no sound and no
// threads: the program runs its statements on the main thread.
#pragma once

#include "core/dos_memory.h"
#include "core/startup.h"
#include "core/strings.h"
#include "screen/image_slots.h"
#include "screen/screen_startup.h"

inline void console_program_start()
{
    runtime_static_init();
    program_unit_static_init();
    dos_memory_startup();
    strings_shared_create();
    screen_startup();
    write_page.record->console = 1;
}
