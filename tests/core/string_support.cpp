#include "core/string_support.h"

#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings_internal.h"

#include <cstring>
#include <set>
#include <sstream>

void StringsTest::strings_reset(size_t heap_bytes, uint32_t table_capacity) {
    error_pending_take();
    dos_memory_reset();
    strings_static_init_with_heap(heap_bytes, table_capacity);
}

string_descriptor *literal(const char *text) {
    return string_from_buffer(text, int32_t(std::strlen(text)));
}

string_descriptor *heap_string(const std::string &text) {
    string_descriptor *d = string_new(int32_t(text.size()), false);
    if (!text.empty()) std::memcpy(d->chr, text.data(), text.size());
    return d;
}

namespace {
using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

// Every live entry knows its index, lies in [first, limit) of its area and
// starts at or after the end of the one before it.
AssertionResult list_consistent(const char *name, const string_list &list, const uint8_t *base,
                                size_t first, size_t limit, size_t used, bool dos) {
    size_t end = first;
    for (uint32_t i = 0; i < list.count; i++) {
        const string_descriptor *d = list.entries[i];
        if (d == STRING_SLOT_FREED) continue;
        size_t offset = size_t(d->chr - base);
        if (d->listi != i || d->in_dos != dos || d->fixed || d->readonly)
            return AssertionFailure() << name << " entry " << i << " has wrong fields";
        if (d->chr < base || offset < end || offset + size_t(d->len) > limit)
            return AssertionFailure() << name << " entry " << i << " at offset " << offset
                                      << " overlaps or leaves the area (end " << end << ")";
        end = offset + size_t(d->len);
    }
    if (end > used)
        return AssertionFailure() << name << " strings end at " << end << " past " << used;
    return AssertionSuccess();
}

AssertionResult dos_descriptors_consistent() {
    std::set<uint32_t> free_slots(dos_strings.free_slots,
                                  dos_strings.free_slots + dos_strings.free_slot_count);
    if (free_slots.size() != dos_strings.free_slot_count)
        return AssertionFailure() << "a DOS descriptor slot is free twice";
    for (uint32_t slot : free_slots)
        if (slot < dos_strings.descriptor_top)
            return AssertionFailure() << "free DOS descriptor slot below the top";
    const uint8_t *area = dos_string_area();
    const string_list &list = dos_strings.list;
    for (uint32_t i = 0; i < list.count; i++) {
        const string_descriptor *d = list.entries[i];
        if (d == STRING_SLOT_FREED || !d->dos_descriptor) continue;
        const uint8_t *p = d->dos_descriptor;
        uint32_t len = p[0] | p[1] << 8, offset = p[2] | p[3] << 8;
        if (d->dos_descriptor_offset < dos_strings.descriptor_top ||
            free_slots.count(d->dos_descriptor_offset) || p != area + d->dos_descriptor_offset)
            return AssertionFailure() << "DOS descriptor slot of entry " << i << " is not owned";
        if (len != uint32_t(d->len) || area + offset != d->chr)
            return AssertionFailure() << "DOS descriptor of entry " << i << " is stale";
    }
    return AssertionSuccess();
}

AssertionResult temps_consistent() {
    if (temp_list.slots[0] != nullptr || string_temp_count < 1 ||
        string_temp_count > temp_list.capacity + 1)
        return AssertionFailure() << "temporary list bounds broken";
    for (uint32_t i = 1; i < string_temp_count; i++) {
        const string_descriptor *d = temp_list.slots[i];
        if (d == STRING_SLOT_FREED) continue;
        if (!d || !d->tmp || d->tmplisti != i)
            return AssertionFailure() << "temporary slot " << i << " is wrong";
    }
    if (string_temp_count > 1 && temp_list.slots[string_temp_count - 1] == STRING_SLOT_FREED)
        return AssertionFailure() << "freed slot left at the end of the temporary list";
    return AssertionSuccess();
}
} // namespace

AssertionResult string_tables_consistent() {
    if (AssertionResult r = list_consistent("heap list", string_heap.list, string_heap.base, 0,
                                            string_heap.capacity, string_heap.used, false);
        !r)
        return r;
    if (string_heap.used > string_heap.capacity)
        return AssertionFailure() << "heap used beyond its capacity";
    if (AssertionResult r =
            list_consistent("DOS list", dos_strings.list, dos_string_area(), DOS_STRING_FIRST,
                            dos_strings.descriptor_top, dos_strings.next_free, true);
        !r)
        return r;
    if (AssertionResult r = dos_descriptors_consistent(); !r) return r;
    return temps_consistent();
}
