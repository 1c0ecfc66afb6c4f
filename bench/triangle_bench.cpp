// The textured triangle's software fill on a triangle covering half of a
// 640 x 400 picture, from a 320 x 200 source: against memset of the same row
// spans, against a naive bounding-box loop with barycentric weights, the
// wrapping fill against the direct one, and blending against copying. The
// source triangle keeps its rows level, or (turned) crosses them.
#include "graphics/triangle_map.h"
#include "screen/blend_tables.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace
{

constexpr int32_t SW = 320, SH = 200, DW = 640, DH = 400;
const float DEST[6] = {0, 0, DW - 1, 0, 0, DH - 1};
const float SOURCE[6] = {0, 0, SW - 1, 0, 0, SH - 1};
const float SOURCE_WRAPPED[6] = {-100, -50, SW - 101, -50, -100, SH - 51};
// The same triangle turned in the source: every span crosses source rows.
const float SOURCE_TURNED[6] = {20, 10, SW - 1, 60, 0, SH - 1};

struct pictures {
    std::vector<uint8_t> source, destination;
    triangle_picture src, dst;
    pictures(int32_t bpp, bool blending_off)
        : source(size_t(SW) * SH * bpp), destination(size_t(DW) * DH * bpp)
    {
        // Alphas from 0 to 255 along each row: every case of the alpha rule.
        for (size_t i = 0; i < source.size(); i++)
            source[i] = uint8_t(i * 7 + i / 640);
        src = {source.data(), SW, SH, bpp, -1, blending_off};
        dst = {destination.data(), DW, DH, bpp, -1, blending_off};
    }
};

void fill_bench(benchmark::State &state, int32_t bpp, bool blending_off, const float *source)
{
    blend_tables_ensure();
    pictures p(bpp, blending_off);
    for (auto _ : state) {
        triangle_map_pixels(p.src, p.dst, source, DEST, false);
        benchmark::DoNotOptimize(p.destination.data());
    }
}

// The first and last column the fill draws on each row.
std::vector<std::pair<int32_t, int32_t>> spans_of_fill()
{
    pictures p(1, true);
    std::fill(p.source.begin(), p.source.end(), 1);
    triangle_map_pixels(p.src, p.dst, SOURCE, DEST, false);
    std::vector<std::pair<int32_t, int32_t>> spans;
    for (int32_t y = 0; y < DH; y++) {
        const uint8_t *row = p.destination.data() + size_t(y) * DW;
        int32_t lo = 0, hi = DW - 1;
        while (lo < DW && !row[lo])
            lo++;
        while (hi >= lo && !row[hi])
            hi--;
        spans.emplace_back(lo, hi);
    }
    return spans;
}

void BM_memset_spans_8bit(benchmark::State &state)
{
    auto spans = spans_of_fill();
    std::vector<uint8_t> d(size_t(DW) * DH);
    for (auto _ : state) {
        for (int32_t y = 0; y < DH; y++)
            if (spans[y].second >= spans[y].first)
                std::memset(d.data() + size_t(y) * DW + spans[y].first, 3,
                            size_t(spans[y].second - spans[y].first + 1));
        benchmark::DoNotOptimize(d.data());
    }
}

// Every pixel of the bounding box weighed against the three edges in floating
// point; inside ones take the nearest texel of the interpolated position.
void BM_naive_barycentric_8bit(benchmark::State &state)
{
    pictures p(1, true);
    const float *d = DEST, *s = SOURCE;
    for (auto _ : state) {
        float area = (d[2] - d[0]) * (d[5] - d[1]) - (d[4] - d[0]) * (d[3] - d[1]);
        for (int32_t y = 0; y < DH; y++)
            for (int32_t x = 0; x < DW; x++) {
                float w1 = ((d[2] - x) * (d[5] - y) - (d[4] - x) * (d[3] - y)) / area;
                float w2 = ((d[4] - x) * (d[1] - y) - (d[0] - x) * (d[5] - y)) / area;
                float w3 = 1 - w1 - w2;
                if (w1 < 0 || w2 < 0 || w3 < 0)
                    continue;
                int32_t u = int32_t(std::floor(w1 * s[0] + w2 * s[2] + w3 * s[4] + 0.5f));
                int32_t v = int32_t(std::floor(w1 * s[1] + w2 * s[3] + w3 * s[5] + 0.5f));
                if (u >= 0 && v >= 0 && u < SW && v < SH)
                    p.destination[size_t(y) * DW + x] = p.source[size_t(v) * SW + u];
            }
        benchmark::DoNotOptimize(p.destination.data());
    }
}

void BM_triangle_8bit(benchmark::State &state)
{
    fill_bench(state, 1, true, SOURCE);
}
void BM_triangle_8bit_turned(benchmark::State &state)
{
    fill_bench(state, 1, true, SOURCE_TURNED);
}
void BM_triangle_8bit_wrapping(benchmark::State &state)
{
    fill_bench(state, 1, true, SOURCE_WRAPPED);
}
void BM_triangle_32bit_copy(benchmark::State &state)
{
    fill_bench(state, 4, true, SOURCE);
}
void BM_triangle_32bit_blend(benchmark::State &state)
{
    fill_bench(state, 4, false, SOURCE);
}
BENCHMARK(BM_memset_spans_8bit);
BENCHMARK(BM_naive_barycentric_8bit);
BENCHMARK(BM_triangle_8bit);
BENCHMARK(BM_triangle_8bit_turned);
BENCHMARK(BM_triangle_8bit_wrapping);
BENCHMARK(BM_triangle_32bit_copy);
BENCHMARK(BM_triangle_32bit_blend);

} // namespace
