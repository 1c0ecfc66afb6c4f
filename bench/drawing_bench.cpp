// The drawing statements on a mode 12 page (640 x 480) against plain loops
// over a byte buffer of the same size:
// - 10,000 LINEs between seeded points against a Bresenham loop;
// - CIRCLEs of radius 5 to 235 against a midpoint circle loop;
// - PAINT of the whole open page against a flood fill with a vector stack.
// Each pair runs in one process; compare their times.
#include "core/dos_memory.h"
#include "core/errors.h"
#include "screen/drawing.h"
#include "screen/image_slots.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

namespace
{

constexpr int32_t W = 640, H = 480;

struct segment {
    int32_t x1, y1, x2, y2;
};

const std::vector<segment> &segments()
{
    static std::vector<segment> all = [] {
        std::mt19937 rng(1);
        std::vector<segment> v;
        for (int i = 0; i < 10000; i++)
            v.push_back(
                {int32_t(rng() % W), int32_t(rng() % H), int32_t(rng() % W), int32_t(rng() % H)});
        return v;
    }();
    return all;
}

image_slot *mode_12_page()
{
    dos_memory_reset();
    screen_startup();
    rt_screen(12, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    return write_page.record;
}

void bresenham(uint8_t *p, segment s, uint8_t colour)
{
    int32_t dx = std::abs(s.x2 - s.x1), dy = -std::abs(s.y2 - s.y1);
    int32_t sx = s.x1 < s.x2 ? 1 : -1, sy = s.y1 < s.y2 ? 1 : -1, err = dx + dy;
    for (;;) {
        p[s.y1 * W + s.x1] = colour;
        if (s.x1 == s.x2 && s.y1 == s.y2)
            return;
        int32_t e2 = 2 * err;
        if (e2 >= dy)
            err += dy, s.x1 += sx;
        if (e2 <= dx)
            err += dx, s.y1 += sy;
    }
}

void BM_line_runtime(benchmark::State &state)
{
    image_slot *r = mode_12_page();
    for (auto _ : state) {
        uint32_t colour = 1;
        for (const segment &s : segments())
            rt_line(float(s.x1), float(s.y1), float(s.x2), float(s.y2), colour++ & 15, 0, 0,
                    LINE_START | LINE_COLOUR);
        benchmark::DoNotOptimize(r->pixels[0]);
    }
    error_pending_take();
}

void BM_line_bresenham(benchmark::State &state)
{
    std::vector<uint8_t> page(W * H);
    for (auto _ : state) {
        uint8_t colour = 1;
        for (const segment &s : segments())
            bresenham(page.data(), s, colour++ & 15);
        benchmark::DoNotOptimize(page[0]);
    }
}

void midpoint_circle(uint8_t *p, int32_t cx, int32_t cy, int32_t radius, uint8_t colour)
{
    int32_t x = radius, y = 0, err = 1 - radius;
    while (x >= y) {
        for (auto [dx, dy] :
             {std::pair{x, y}, {y, x}, {-y, x}, {-x, y}, {-x, -y}, {-y, -x}, {y, -x}, {x, -y}})
            p[(cy + dy) * W + cx + dx] = colour;
        y++;
        if (err < 0) {
            err += 2 * y + 1;
        } else {
            x--;
            err += 2 * (y - x) + 1;
        }
    }
}

void BM_circle_runtime(benchmark::State &state)
{
    image_slot *r = mode_12_page();
    for (auto _ : state) {
        for (int32_t radius = 5; radius < 236; radius++)
            rt_circle(320, 240, radius, uint32_t(radius & 15), 0, 0, 0, CIRCLE_COLOUR);
        benchmark::DoNotOptimize(r->pixels[0]);
    }
    error_pending_take();
}

void BM_circle_midpoint(benchmark::State &state)
{
    std::vector<uint8_t> page(W * H);
    for (auto _ : state) {
        for (int32_t radius = 5; radius < 236; radius++)
            midpoint_circle(page.data(), 320, 240, radius, uint8_t(radius & 15));
        benchmark::DoNotOptimize(page[0]);
    }
}

void BM_paint_runtime(benchmark::State &state)
{
    image_slot *r = mode_12_page();
    uint32_t colour = 1;
    for (auto _ : state) {
        rt_paint(320, 240, colour, 0, nullptr, PAINT_FILL);
        colour ^= 3;
        benchmark::DoNotOptimize(r->pixels[0]);
    }
    error_pending_take();
}

void BM_paint_vector_flood(benchmark::State &state)
{
    std::vector<uint8_t> page(W * H);
    std::vector<std::pair<int32_t, int32_t>> stack;
    uint8_t colour = 1;
    for (auto _ : state) {
        stack.assign(1, {320, 240});
        while (!stack.empty()) {
            auto [x, y] = stack.back();
            stack.pop_back();
            if (x < 0 || y < 0 || x >= W || y >= H || page[y * W + x] == colour)
                continue;
            page[y * W + x] = colour;
            stack.insert(stack.end(), {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}});
        }
        colour ^= 3;
        benchmark::DoNotOptimize(page[0]);
    }
}

BENCHMARK(BM_line_runtime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_line_bresenham)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_circle_runtime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_circle_midpoint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_paint_runtime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_paint_vector_flood)->Unit(benchmark::kMillisecond);

} // namespace
