// The x86 interpreter moving 64 KB through a register (MOV EAX,[BX+disp16]
// then MOV [BX+disp16],EAX, 4 bytes a pair) against a plain C++ loop doing
// the same moves at the same offsets.
#include "core/dos_memory.h"
#include "core/x86.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace
{

constexpr uint32_t PAIRS = 4096;   // one run: 16 KB moved, 40 KB of code
constexpr uint32_t RUNS = 4;       // 64 KB in all
constexpr uint32_t CODE = 0x10000; // 1000:0000
constexpr uint16_t SOURCE_SEGMENT = 0x2000;
constexpr uint16_t DEST_SEGMENT = 0x3000;

// The offsets of pair i: a source and a destination word in a 16 KB window.
uint16_t source_offset(uint32_t i)
{
    return uint16_t((i * 4) ^ 0x0FF0);
}
uint16_t dest_offset(uint32_t i)
{
    return uint16_t(i * 4);
}

void code_build()
{
    uint8_t *p = emulated_dos_memory + CODE;
    for (uint32_t i = 0; i < PAIRS; i++) {
        const uint16_t s = source_offset(i), d = dest_offset(i);
        // 66 8B 87 disp16: MOV EAX,[BX+s]; 66 26 89 87 disp16: MOV [ES:BX+d],EAX
        const uint8_t pair[] = {0x66, 0x8B, 0x87, uint8_t(s), uint8_t(s >> 8), 0x66,
                                0x26, 0x89, 0x87, uint8_t(d), uint8_t(d >> 8)};
        std::memcpy(p, pair, sizeof pair);
        p += sizeof pair;
    }
    *p = 0xCB;
}

void BM_moves_baseline_plain_loop(benchmark::State &state)
{
    dos_memory_reset();
    std::vector<uint16_t> from(PAIRS), to(PAIRS);
    for (uint32_t i = 0; i < PAIRS; i++) {
        from[i] = source_offset(i);
        to[i] = dest_offset(i);
    }
    for (auto _ : state) {
        for (uint32_t run = 0; run < RUNS; run++) {
            uint8_t *src = emulated_dos_memory + SOURCE_SEGMENT * 16 + run * 0x10000 / RUNS;
            uint8_t *dst = emulated_dos_memory + DEST_SEGMENT * 16 + run * 0x10000 / RUNS;
            for (uint32_t i = 0; i < PAIRS; i++) {
                uint32_t eax;
                std::memcpy(&eax, src + from[i], 4);
                std::memcpy(dst + to[i], &eax, 4);
            }
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * PAIRS * RUNS * 4);
}
BENCHMARK(BM_moves_baseline_plain_loop);

void BM_moves_interpreted(benchmark::State &state)
{
    dos_memory_reset();
    code_build();
    for (auto _ : state) {
        for (uint32_t run = 0; run < RUNS; run++) {
            x86_registers = x86_register_file{};
            x86_registers.cs = CODE / 16;
            x86_registers.ds = SOURCE_SEGMENT;
            x86_registers.es = DEST_SEGMENT;
            x86_registers.ss = 0x4000;
            x86_registers.ebx = run * 0x10000 / RUNS;
            benchmark::DoNotOptimize(x86_run(0));
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * PAIRS * RUNS * 4);
}
BENCHMARK(BM_moves_interpreted);

} // namespace
