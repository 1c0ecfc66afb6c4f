#include "core/dos_memory.h"

#include <cstdlib>
#include <cstring>

uint8_t *emulated_dos_memory = nullptr;

void dos_memory_reset()
{
    if (!emulated_dos_memory)
        emulated_dos_memory = static_cast<uint8_t *>(std::calloc(DOS_MEMORY_SIZE, 1));
    else
        std::memset(emulated_dos_memory, 0, DOS_MEMORY_SIZE);
}
