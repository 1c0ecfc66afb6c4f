// Start-up of the string tables, the storage lists and the critical-error exit
// shared by the string files.
#include "core/errors.h"
#include "core/strings_internal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {
constexpr size_t STARTING_HEAP_BYTES = 1048576;
constexpr uint32_t STARTING_TABLE_CAPACITY = 65535;
constexpr size_t SMALLEST_HEAP_BYTES = 64;
constexpr uint32_t SMALLEST_TABLE_CAPACITY = 3;

// Reallocates the list to capacity + 1 entries, or ends the process.
void list_resize(string_list &list, uint64_t capacity) {
    if (capacity + 1 > UINT32_MAX) string_critical_error(list.grow_error);
    void *p = std::realloc(list.entries, (capacity + 1) * sizeof(string_descriptor *));
    if (!p) string_critical_error(list.grow_error);
    list.entries = static_cast<string_descriptor **>(p);
    list.capacity = uint32_t(capacity);
}

} // namespace

// Removes freed entries keeping the order and renumbers the live ones; then
// doubles the capacity when the list is at least half full.
void string_list_compact(string_list &list) {
    uint32_t live = 0;
    for (uint32_t i = 0; i < list.count; i++) {
        string_descriptor *d = list.entries[i];
        if (d == STRING_SLOT_FREED) continue;
        d->listi = live;
        list.entries[live++] = d;
    }
    list.count = live;
    if (list.capacity / 2 <= list.count) list_resize(list, uint64_t(list.capacity) * 2);
}

// error_raise shows the box and ends the process for every critical number.
// Should it ever come back, stop here rather than run on with a request that
// cannot be met.
void string_critical_error(int32_t n) {
    error_raise(n);
    std::abort();
}

void string_list_init(string_list &list, uint32_t capacity, int32_t grow_error) {
    string_list_release(list);
    list.grow_error = grow_error;
    list_resize(list, capacity);
}

void string_list_release(string_list &list) {
    std::free(list.entries);
    list = string_list{};
}

string_descriptor *string_list_next_live(const string_list &list, const string_descriptor *d) {
    for (uint32_t i = d->listi + 1; i < list.count; i++)
        if (list.entries[i] != STRING_SLOT_FREED) return list.entries[i];
    return nullptr;
}

void strings_static_init() {
    strings_static_init_with_heap(STARTING_HEAP_BYTES);
}

void strings_static_init_with_heap(size_t heap_bytes, uint32_t table_capacity) {
    heap_bytes = std::max(heap_bytes, SMALLEST_HEAP_BYTES);
    table_capacity = std::clamp(table_capacity, SMALLEST_TABLE_CAPACITY, STARTING_TABLE_CAPACITY);
    string_descriptors_reset(table_capacity + 1);
    string_heap_reset(heap_bytes, table_capacity);
    dos_strings_reset(table_capacity);
    temp_list_reset(table_capacity);
}
