// One BASIC statement a = "abc" + b + "xyz" with its statement-end release of
// temporaries, beside the same work on std::string.
#include "core/dos_memory.h"
#include "core/strings.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {
const char abc[] = "abc";
const char xyz[] = "xyz";
const char middle[] = "some middle text";

void runtime_assign_concat(benchmark::State &state) {
    dos_memory_reset();
    strings_static_init();
    string_descriptor *a = string_new(0, false);
    string_descriptor *b = string_set(string_new(0, false), string_from_cstr(middle));
    uint32_t mark = string_temp_count;
    for (auto _ : state) {
        string_descriptor *t = string_concat(string_from_buffer(abc, 3), b);
        string_set(a, string_concat(t, string_from_buffer(xyz, 3)));
        temp_strings_release(mark);
        benchmark::DoNotOptimize(a->chr);
    }
}

void std_string_assign_concat(benchmark::State &state) {
    std::string a, b = middle;
    for (auto _ : state) {
        a = abc + b + xyz;
        benchmark::DoNotOptimize(a.data());
    }
}
} // namespace

BENCHMARK(runtime_assign_concat);
BENCHMARK(std_string_assign_concat);
