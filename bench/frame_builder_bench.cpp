// Building the game's text frame (66 x 37 cells of font 8, 528 x 296 pixels)
// with every cell changed and with one cell changed, beside a plain copy of
// the frame's bytes.
#include "core/dos_memory.h"
#include "display/frame_builder.h"
#include "display/frame_ring.h"
#include "screen/fonts.h"
#include "screen/image_slots.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace
{

constexpr size_t FRAME_BYTES = size_t(528) * 296 * 4;

image_slot *game_screen()
{
    dos_memory_reset();
    screen_startup();
    rt_width(0, 66, 37, 1 | 2);
    image_font_set(8, 0, false);
    frame_ring_reset();
    frame_builder_reset();
    image_slot *page = display_page_record.load();
    software_frame_build(); // the first frame, drawn whole
    return page;
}

void frame_build_every_cell_changed(benchmark::State &state)
{
    image_slot *page = game_screen();
    uint8_t code = 'A';
    for (auto _ : state) {
        code = code == 'A' ? 'B' : 'A';
        for (size_t i = 0; i < size_t(page->width) * page->height; i++)
            page->pixels[i * 2] = code;
        software_frame_build();
    }
    state.SetBytesProcessed(int64_t(state.iterations() * FRAME_BYTES));
}
BENCHMARK(frame_build_every_cell_changed)->Unit(benchmark::kMicrosecond);

void frame_build_one_cell_changed(benchmark::State &state)
{
    image_slot *page = game_screen();
    for (auto _ : state) {
        page->pixels[(10 * 66 + 20) * 2] ^= 1;
        software_frame_build();
    }
    state.SetBytesProcessed(int64_t(state.iterations() * FRAME_BYTES));
}
BENCHMARK(frame_build_one_cell_changed)->Unit(benchmark::kMicrosecond);

void frame_build_unchanged(benchmark::State &state)
{
    game_screen();
    for (auto _ : state)
        software_frame_build();
}
BENCHMARK(frame_build_unchanged)->Unit(benchmark::kMicrosecond);

void frame_bytes_memcpy(benchmark::State &state)
{
    std::vector<uint32_t> from(FRAME_BYTES / 4, 0x12345678), to(FRAME_BYTES / 4);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), FRAME_BYTES);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations() * FRAME_BYTES));
}
BENCHMARK(frame_bytes_memcpy)->Unit(benchmark::kMicrosecond);

} // namespace
