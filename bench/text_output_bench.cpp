// PRINT on the game's 66 x 37 text page: 100,000 lines of 40 characters
// printed at the bottom of the scroll region, so every line scrolls rows
// 2-36; and the same on a mode-13 graphics page, where scrolling moves
// pixel rows and every glyph is drawn pixel by pixel.
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "screen/image_slots.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"
#include "screen/text_output.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int LINES = 100000;
const std::string LINE = "The quick brown fox jumps over the dog.!";

void print_lines(benchmark::State &state, int32_t mode)
{
    dos_memory_reset();
    screen_startup();
    strings_static_init();
    text_output_reset();
    if (mode == 0)
        rt_width(0, 66, 37, 3);
    else
        rt_screen(mode, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    const auto *text = reinterpret_cast<const uint8_t *>(LINE.data());
    for (auto _ : state) {
        rt_locate(write_page.record->view_print_bottom, 1, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
        for (int i = 0; i < LINES; i++)
            print_bytes(text, int32_t(LINE.size()), true);
        benchmark::DoNotOptimize(write_page.record->pixels[0]);
    }
    if (error_pending_take())
        state.SkipWithError("PRINT raised an error");
    state.SetItemsProcessed(int64_t(state.iterations()) * LINES);
}

void print_100000_lines_game_page(benchmark::State &state) { print_lines(state, 0); }
void print_100000_lines_mode13_page(benchmark::State &state) { print_lines(state, 13); }

} // namespace

BENCHMARK(print_100000_lines_game_page)->Unit(benchmark::kMillisecond);
BENCHMARK(print_100000_lines_mode13_page)->Unit(benchmark::kMillisecond);
