// Start-up of the screen: SCREEN 0, palettes, glyphs and the two built-in
// 32-bit images, which build the 16 MB alpha-blend table.
#include "core/dos_memory.h"
#include "screen/blend_tables.h"
#include "screen/screen_startup.h"

#include <benchmark/benchmark.h>

static void screen_startup_with_blend_tables(benchmark::State &state)
{
    dos_memory_reset();
    for (auto _ : state) {
        blend_tables_free();
        screen_startup();
    }
}
BENCHMARK(screen_startup_with_blend_tables)->Unit(benchmark::kMillisecond);

static void screen_startup_tables_already_built(benchmark::State &state)
{
    dos_memory_reset();
    blend_tables_ensure();
    for (auto _ : state)
        screen_startup();
}
BENCHMARK(screen_startup_tables_already_built)->Unit(benchmark::kMillisecond);

static void blend_tables_build(benchmark::State &state)
{
    for (auto _ : state) {
        blend_tables_free();
        blend_tables_ensure();
        benchmark::DoNotOptimize(blend_table);
    }
}
BENCHMARK(blend_tables_build)->Unit(benchmark::kMillisecond);

// The same table entry by entry through the defining formula, for comparison.
static void blend_table_by_formula(benchmark::State &state)
{
    static uint8_t table[256 * 256 * 256];
    for (auto _ : state) {
        for (uint32_t a = 0; a < 256; a++)
            for (uint32_t s = 0; s < 256; s++)
                for (uint32_t d = 0; d < 256; d++)
                    table[a << 16 | s << 8 | d] = blend_entry_reference(a, s, d);
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(blend_table_by_formula)->Unit(benchmark::kMillisecond);
