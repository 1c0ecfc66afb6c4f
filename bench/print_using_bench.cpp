// PRINT USING "##,###.##" of a double, statement-end release included, beside
// snprintf("%9.2f") of the same values; EXP through its guard beside
// std::exp.
#include "core/dos_memory.h"
#include "core/guarded_math.h"
#include "core/print_using.h"
#include "core/strings.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>

namespace
{

// Values with digits on both sides of the point, varied so no branch
// predictor learns one.
double value_at(uint32_t i)
{
    return 12345.678 - double(i % 1024) * 12.3456789;
}

void print_using_field(benchmark::State &state)
{
    dos_memory_reset();
    strings_static_init();
    static const char field[] = "##,###.##";
    string_descriptor *format = string_from_buffer(field, 9);
    const uint32_t mark = string_temp_count;
    uint32_t i = 0;
    for (auto _ : state) {
        string_descriptor *dest = string_new(0, true);
        rt_print_using_double(format, value_at(i++), 0, dest);
        benchmark::DoNotOptimize(dest->chr);
        temp_strings_release(mark);
    }
}

void snprintf_fixed(benchmark::State &state)
{
    char text[64];
    uint32_t i = 0;
    for (auto _ : state) {
        std::snprintf(text, sizeof text, "%9.2f", value_at(i++));
        benchmark::DoNotOptimize(text);
    }
}

void exp_guarded(benchmark::State &state)
{
    uint32_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(rt_exp_double(double(i++ % 1024) * 0.5 - 256));
}

void exp_plain(benchmark::State &state)
{
    uint32_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(std::exp(double(i++ % 1024) * 0.5 - 256));
}

} // namespace

BENCHMARK(print_using_field);
BENCHMARK(snprintf_fixed);
BENCHMARK(exp_guarded);
BENCHMARK(exp_plain);
