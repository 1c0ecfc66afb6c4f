// Memory-block fills and copies of 1 MB against the plain library calls.
#include "core/mem_blocks.h"
#include "core/memory.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{

constexpr int64_t BLOCK_BYTES = 1 << 20;

struct block_pair {
    mem_block a, b;
    block_pair()
    {
        mem_locks_init();
        a = mem_block_new(BLOCK_BYTES);
        b = mem_block_new(BLOCK_BYTES);
        // Touch every page, as the baselines' vectors do.
        mem_fill_u8(a.offset, BLOCK_BYTES, 1);
        mem_fill_u8(b.offset, BLOCK_BYTES, 2);
    }
    ~block_pair()
    {
        mem_block_free(a);
        mem_block_free(b);
    }
};

void BM_fill_u8_baseline_std_fill(benchmark::State &state)
{
    std::vector<uint8_t> area(BLOCK_BYTES);
    for (auto _ : state) {
        std::fill(area.begin(), area.end(), uint8_t(state.iterations()));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * BLOCK_BYTES);
}
BENCHMARK(BM_fill_u8_baseline_std_fill);

void BM_fill_u8_block(benchmark::State &state)
{
    block_pair p;
    for (auto _ : state) {
        mem_block_fill_u8(p.a, p.a.offset, BLOCK_BYTES, uint8_t(state.iterations()));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * BLOCK_BYTES);
}
BENCHMARK(BM_fill_u8_block);

void BM_fill_u32_baseline_std_fill(benchmark::State &state)
{
    std::vector<uint32_t> area(BLOCK_BYTES / 4);
    for (auto _ : state) {
        std::fill(area.begin(), area.end(), uint32_t(state.iterations()) * 0x01010101u + 1);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * BLOCK_BYTES);
}
BENCHMARK(BM_fill_u32_baseline_std_fill);

void BM_fill_u32_block(benchmark::State &state)
{
    block_pair p;
    for (auto _ : state) {
        mem_block_fill_u32(p.a, p.a.offset, BLOCK_BYTES, uint32_t(state.iterations()) * 3 + 1);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * BLOCK_BYTES);
}
BENCHMARK(BM_fill_u32_block);

void BM_fill_long_double_block(benchmark::State &state)
{
    block_pair p;
    for (auto _ : state) {
        mem_block_fill_long_double(p.a, p.a.offset, BLOCK_BYTES, 1.5L);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * BLOCK_BYTES);
}
BENCHMARK(BM_fill_long_double_block);

void BM_copy_baseline_memmove(benchmark::State &state)
{
    std::vector<uint8_t> a(BLOCK_BYTES, 1), b(BLOCK_BYTES);
    for (auto _ : state) {
        std::memmove(b.data(), a.data(), BLOCK_BYTES);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * BLOCK_BYTES);
}
BENCHMARK(BM_copy_baseline_memmove);

void BM_copy_block(benchmark::State &state)
{
    block_pair p;
    for (auto _ : state) {
        mem_block_copy(p.a, p.a.offset, BLOCK_BYTES, p.b, p.b.offset);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * BLOCK_BYTES);
}
BENCHMARK(BM_copy_block);

} // namespace
