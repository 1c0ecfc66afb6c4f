// PRINT # of 100,000 lines of a number and a string, and LINE INPUT # of
// them back, beside the same through stdio's fprintf and fgets.
#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/string_builtins.h"
#include "core/strings.h"
#include "files/handle_table.h"
#include "files/open_close.h"
#include "files/sequential_io.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{

constexpr int32_t LINES = 100'000;
constexpr char TEXT[] = "a line of the record file";

// A scratch file name in the temporary folder, removed at the end.
struct scratch_file {
    std::string path;
    scratch_file()
    {
        char pattern[] = "/tmp/file_text_bench_XXXXXX";
        int fd = mkstemp(pattern);
        if (fd >= 0)
            close(fd);
        path = pattern;
    }
    ~scratch_file() { unlink(path.c_str()); }
};

void runtime_start()
{
    dos_memory_reset();
    strings_static_init();
    handle_table_reset();
    control_words_reset();
}

void open_as_1(const std::string &path, int32_t mode)
{
    rt_open(string_from_buffer(path.data(), int32_t(path.size())), mode, 0, 0, 1, 0, 0);
}

void runtime_lines_write(const std::string &path)
{
    open_as_1(path, OPEN_MODE_OUTPUT);
    const uint32_t mark = string_temp_count;
    for (int32_t i = 0; i < LINES; i++) {
        rt_print_file(1, rt_str_str_long(i), 1, 0, 0); // a number prints with a blank after it
        rt_print_file(1, string_from_buffer(TEXT, int32_t(sizeof TEXT - 1)), 0, 0, 1);
        temp_strings_release(mark);
    }
    rt_close(1, 1);
}

void print_file_lines(benchmark::State &state)
{
    runtime_start();
    scratch_file file;
    for (auto _ : state)
        runtime_lines_write(file.path);
    state.SetItemsProcessed(state.iterations() * LINES);
}
BENCHMARK(print_file_lines)->Unit(benchmark::kMillisecond);

void stdio_lines_write(const std::string &path)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    for (int32_t i = 0; i < LINES; i++)
        std::fprintf(f, " %d %s\r\n", i, TEXT);
    std::fclose(f);
}

void fprintf_lines(benchmark::State &state)
{
    scratch_file file;
    for (auto _ : state)
        stdio_lines_write(file.path);
    state.SetItemsProcessed(state.iterations() * LINES);
}
BENCHMARK(fprintf_lines)->Unit(benchmark::kMillisecond);

void line_input_file_lines(benchmark::State &state)
{
    runtime_start();
    scratch_file file;
    runtime_lines_write(file.path);
    string_descriptor *line = string_new(0, false);
    for (auto _ : state) {
        open_as_1(file.path, OPEN_MODE_INPUT);
        for (int32_t i = 0; i < LINES; i++)
            rt_line_input_file(1, line);
        rt_close(1, 1);
        benchmark::DoNotOptimize(line->chr);
    }
    state.SetItemsProcessed(state.iterations() * LINES);
}
BENCHMARK(line_input_file_lines)->Unit(benchmark::kMillisecond);

void fgets_lines(benchmark::State &state)
{
    scratch_file file;
    stdio_lines_write(file.path);
    char line[256];
    for (auto _ : state) {
        FILE *f = std::fopen(file.path.c_str(), "rb");
        for (int32_t i = 0; i < LINES; i++)
            benchmark::DoNotOptimize(std::fgets(line, sizeof line, f));
        std::fclose(f);
    }
    state.SetItemsProcessed(state.iterations() * LINES);
}
BENCHMARK(fgets_lines)->Unit(benchmark::kMillisecond);

} // namespace
