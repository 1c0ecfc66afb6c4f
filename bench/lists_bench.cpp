#include "core/lists.h"

#include <benchmark/benchmark.h>

namespace {

// The lock-free lookup every hardware-image handle goes through.
void BM_list_get(benchmark::State &state)
{
    indexed_list *list = list_new_locked(64);
    for (int i = 0; i < 1000; i++)
        list_add(list);
    int32_t index = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(list_get(list, index));
        index = index % 1000 + 1;
    }
    list_free(list);
}
BENCHMARK(BM_list_get);

// Taking and giving back a handle on a locked list: two mutex round trips.
void BM_list_add_remove_locked(benchmark::State &state)
{
    indexed_list *list = list_new_locked(64);
    for (auto _ : state)
        list_remove(list, list_add(list));
    list_free(list);
}
BENCHMARK(BM_list_add_remove_locked);

// Filling a fresh list: block and index-table growth included.
void BM_list_fill(benchmark::State &state)
{
    for (auto _ : state) {
        indexed_list *list = list_new(32);
        for (int64_t i = 0; i < state.range(0); i++)
            list_add(list);
        list_free(list);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_list_fill)->Arg(10000);

} // namespace
