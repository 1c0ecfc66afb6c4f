// The scaled copy engine against memcpy of the destination area: a 320 x 200
// picture stretched onto 640 x 400 (8 bits, 32 bits plain, 32 bits with
// alpha), and a 640 x 400 picture copied one to one.
#include "graphics/scaled_copy.h"
#include "screen/blend_tables.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace
{

constexpr int32_t SW = 320, SH = 200, DW = 640, DH = 400;

struct pictures {
    std::vector<uint32_t> palette = std::vector<uint32_t>(256, 0xFF102030);
    std::vector<uint8_t> source, destination;
    copy_picture src, dst;
    pictures(int32_t bpp, int32_t sw, int32_t sh, bool blending_off)
        : source(size_t(sw) * sh * bpp), destination(size_t(DW) * DH * bpp)
    {
        // Alphas from 0 to 255 along each row: every case of the alpha rule.
        for (size_t i = 0; i < source.size(); i++)
            source[i] = uint8_t(i * 7 + i / 640);
        src = {source.data(), sw, sh, bpp, palette.data(), -1, blending_off};
        dst = {destination.data(), DW, DH, bpp, nullptr, -1, blending_off};
    }
};

void copy_bench(benchmark::State &state, int32_t bpp, int32_t sw, int32_t sh, bool blending_off)
{
    blend_tables_ensure();
    pictures p(bpp, sw, sh, blending_off);
    for (auto _ : state) {
        scaled_copy_pixels(p.src, {0, 0, sw - 1, sh - 1}, p.dst, {0, 0, DW - 1, DH - 1});
        benchmark::DoNotOptimize(p.destination.data());
    }
}

// The baseline: memcpy of the destination area.
void memcpy_bench(benchmark::State &state, int32_t bpp)
{
    std::vector<uint8_t> a(size_t(DW) * DH * bpp, 1), b(a.size());
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
    }
}

void BM_memcpy_area_8bit(benchmark::State &state)
{
    memcpy_bench(state, 1);
}
void BM_scaled_8bit(benchmark::State &state)
{
    copy_bench(state, 1, SW, SH, false);
}
void BM_memcpy_area_32bit(benchmark::State &state)
{
    memcpy_bench(state, 4);
}
void BM_scaled_32bit(benchmark::State &state)
{
    copy_bench(state, 4, SW, SH, true);
}
void BM_one_to_one_block_32bit(benchmark::State &state)
{
    copy_bench(state, 4, DW, DH, true);
}
void BM_scaled_alpha_blend(benchmark::State &state)
{
    copy_bench(state, 4, SW, SH, false);
}
BENCHMARK(BM_memcpy_area_8bit);
BENCHMARK(BM_scaled_8bit);
BENCHMARK(BM_memcpy_area_32bit);
BENCHMARK(BM_scaled_32bit);
BENCHMARK(BM_one_to_one_block_32bit);
BENCHMARK(BM_scaled_alpha_blend);

} // namespace
