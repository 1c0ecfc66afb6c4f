// DRAW, GET and PUT against the plain work they stand on, each pair in one
// process; compare their times:
// - 100,000 DRAW moves in one statement against the same 100,000 calls of the
//   line routine through the same points (mode 13);
// - GET and PUT (PSET and XOR) of a 320 x 200 block of a mode 13 page and of
//   a 640 x 480 block of a 32-bit page against memcpy of the block's rows.
#include "core/dos_memory.h"
#include "core/strings.h"
#include "files/byte_element.h"
#include "graphics/array_image.h"
#include "graphics/draw.h"
#include "screen/drawing.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

image_slot *page_of(int32_t mode)
{
    dos_memory_reset();
    screen_startup();
    rt_screen(mode == 32 ? image_new(640, 480, 32, true) : mode, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    return write_page.record;
}

// A square walked 25,000 times: 100,000 moves of 90 pixels.
const std::string &square_walk()
{
    static std::string text = [] {
        std::string t = "BM100,100";
        for (int i = 0; i < 25000; i++)
            t += "R90D90L90U90";
        return t;
    }();
    return text;
}

void draw_moves(benchmark::State &state)
{
    page_of(13);
    const std::string &text = square_walk();
    string_descriptor s{};
    s.chr = reinterpret_cast<uint8_t *>(const_cast<char *>(text.data()));
    s.len = int32_t(text.size());
    for (auto _ : state)
        rt_draw(&s);
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(draw_moves)->Unit(benchmark::kMillisecond);

void line_routine_moves(benchmark::State &state)
{
    page_of(13);
    const int32_t corners[5][2] = {{100, 100}, {190, 100}, {190, 190}, {100, 190}, {100, 100}};
    for (auto _ : state)
        for (int i = 0; i < 25000; i++)
            for (int k = 0; k < 4; k++)
                line_draw_clipped(corners[k][0], corners[k][1], corners[k + 1][0],
                                  corners[k + 1][1], 15);
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(line_routine_moves)->Unit(benchmark::kMillisecond);

// The block of a whole page and an array for it.
struct block_case {
    image_slot *page;
    int32_t w, h;
    std::vector<uint8_t> array;
    byte_element element;
    explicit block_case(int32_t mode)
    {
        page = page_of(mode);
        w = page->width;
        h = page->height;
        array.assign(4 + size_t(w) * h * page->bytes_per_pixel, 0);
        element = {uint64_t(uintptr_t(array.data())), int32_t(array.size())};
        rt_graphics_get(0, 0, float(w - 1), float(h - 1), &element, 0, 0);
    }
};

void rows_memcpy(benchmark::State &state)
{
    block_case c(int32_t(state.range(0)));
    size_t row = size_t(c.w) * c.page->bytes_per_pixel;
    for (auto _ : state) {
        for (int32_t y = 0; y < c.h; y++)
            std::memcpy(c.page->pixels + y * row, c.array.data() + 4 + y * row, row);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(rows_memcpy)->Arg(13)->Arg(32);

void graphics_get(benchmark::State &state)
{
    block_case c(int32_t(state.range(0)));
    for (auto _ : state) {
        rt_graphics_get(0, 0, float(c.w - 1), float(c.h - 1), &c.element, 0, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(graphics_get)->Arg(13)->Arg(32);

void graphics_put(benchmark::State &state)
{
    block_case c(int32_t(state.range(0)));
    for (auto _ : state) {
        rt_graphics_put(0, 0, &c.element, uint32_t(state.range(1)), 0, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(graphics_put)
    ->Args({13, PUT_PSET})
    ->Args({13, PUT_XOR})
    ->Args({32, PUT_PSET})
    ->Args({32, PUT_XOR});

} // namespace
