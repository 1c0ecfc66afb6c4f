// The temporary-string list: every temporary holds one slot, and statement
// ends free every temporary at or above the mark their procedure took.
#include "core/strings_internal.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr int32_t ERROR_TEMP_LIST = 511;
} // namespace

temp_list_state temp_list;
uint32_t string_temp_count = 1;

void temp_list_grow() {
    if (temp_list.capacity / 2 > string_temp_count) return;
    uint64_t capacity = uint64_t(temp_list.capacity) * 2;
    if (capacity + 1 > UINT32_MAX) string_critical_error(ERROR_TEMP_LIST);
    void *p = std::realloc(temp_list.slots, (capacity + 1) * sizeof(string_descriptor *));
    if (!p) string_critical_error(ERROR_TEMP_LIST);
    temp_list.slots = static_cast<string_descriptor **>(p);
    std::memset(temp_list.slots + temp_list.capacity + 1, 0,
                (capacity - temp_list.capacity) * sizeof(string_descriptor *));
    temp_list.capacity = uint32_t(capacity);
}

void temp_list_reset(uint32_t capacity) {
    std::free(temp_list.slots);
    temp_list.slots =
        static_cast<string_descriptor **>(std::calloc(uint64_t(capacity) + 1, sizeof(void *)));
    if (!temp_list.slots) string_critical_error(ERROR_TEMP_LIST);
    temp_list.capacity = capacity;
    string_temp_count = 1;
}

string_descriptor *temp_descriptor_take_growing(uint8_t *chr, int32_t len, uint8_t fixed,
                                                uint8_t readonly) {
    string_descriptor *d = descriptor_take(chr, len, fixed, readonly);
    temp_slot_take(d);
    return d;
}

void string_make_temp(string_descriptor *d) {
    if (d->tmplisti == 0) temp_slot_take(d);
}

// Frees the temporaries in slots at or above mark (at least 1: slot 0 is
// never used).
[[gnu::noinline]] static void temp_strings_free_from(uint32_t mark) {
    if (mark < 1) mark = 1;
    while (string_temp_count > mark) {
        string_descriptor *d = temp_list.slots[--string_temp_count];
        if (d && d != STRING_SLOT_FREED) string_free(d);
    }
}

void temp_strings_release(uint32_t mark) {
    if (string_temp_count > mark) temp_strings_free_from(mark); // most statements leave none
}
