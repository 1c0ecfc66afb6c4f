// Fuzz target for the x86 interpreter: the input is machine code, placed at
// a code segment and offset taken from its first four bytes, run with
// registers from the next 16 bytes and an instruction budget. Every stop
// (RETF, zero byte, unknown opcode, budget) is reported, not acted on, so
// the process never exits; nothing may crash or trip a sanitizer.
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "core/x86.h"
#include "display/mouse.h"
#include "display/window_state.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace
{

constexpr size_t HEADER = 20;
constexpr uint64_t STEPS = 4096;

uint16_t word_at(const uint8_t *p)
{
    return uint16_t(p[0] | p[1] << 8);
}

void start_once()
{
    static bool started = false;
    if (started)
        return;
    frame_builder_started = false;
    dos_memory_startup();
    strings_static_init();
    screen_startup();
    mouse_reset();
    window_hidden = 1; // the pointer services never wait for a window
    started = true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    start_once();
    if (size < HEADER)
        return 0;
    x86_registers = x86_register_file{};
    x86_registers.cs = word_at(data);
    x86_registers.ip = word_at(data + 2);
    const uint16_t segments[6] = {word_at(data + 4),  word_at(data + 6),  word_at(data + 8),
                                  word_at(data + 10), word_at(data + 12), word_at(data + 14)};
    x86_registers.ss = segments[0];
    x86_registers.ds = segments[1];
    x86_registers.es = segments[2];
    x86_registers.fs = segments[3];
    x86_registers.gs = segments[4];
    x86_registers.ebx = segments[5];
    x86_registers.esp = word_at(data + 16);
    x86_registers.esi = word_at(data + 18) * 0x10001u;
    // The code, laid out from CS:IP with the offset wrapping at 64 KB.
    const uint32_t base = uint32_t(x86_registers.cs) * 16;
    for (size_t i = HEADER; i < size && i - HEADER < 0x10000; i++)
        emulated_dos_memory[base + uint16_t(x86_registers.ip + (i - HEADER))] = data[i];
    x86_run(STEPS);
    error_pending_take();
    return 0;
}
