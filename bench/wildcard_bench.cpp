// Wildcard matching of a directory's worth of names: the runtime's matcher
// against the C library's fnmatch as the plain baseline.
#include "platform/wildcard.h"

#include <benchmark/benchmark.h>
#include <fnmatch.h>
#include <string>
#include <vector>

namespace
{

constexpr int NAME_COUNT = 10000;

std::vector<std::string> names_make()
{
    static const char *extensions[] = {".txt", ".BAS", ".dat", "", ".tar.gz"};
    std::vector<std::string> names;
    for (int i = 0; i < NAME_COUNT; ++i)
        names.push_back("file_" + std::to_string(i * 7919 % 100000) + extensions[i % 5]);
    return names;
}

const char *const PATTERNS[] = {"*.TXT", "file_1*.*", "FILE_??7*"};

void BM_wildcard_match(benchmark::State &state)
{
    const std::vector<std::string> names = names_make();
    const wildcard_pattern pattern(PATTERNS[state.range(0)]);
    for (auto _ : state) {
        int hits = 0;
        for (const std::string &n : names)
            hits += pattern.matches(n);
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_wildcard_match)->DenseRange(0, 2);

void BM_fnmatch_baseline(benchmark::State &state)
{
    const std::vector<std::string> names = names_make();
    const char *pattern = PATTERNS[state.range(0)];
    for (auto _ : state) {
        int hits = 0;
        for (const std::string &n : names)
            hits += fnmatch(pattern, n.c_str(), FNM_CASEFOLD) == 0;
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_fnmatch_baseline)->DenseRange(0, 2);

} // namespace
