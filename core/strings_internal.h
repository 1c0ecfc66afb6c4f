// Internal state of the string module, shared by its source files and read by
// its tests. Other modules use core/strings.h only.
//
// Heap strings and DOS-area strings are each kept in a string_list in
// ascending address order; temporaries are kept in the temporary list. All
// positions are indices or offsets, never pointers into a block that may move.
#pragma once

#include "core/dos_memory.h"
#include "core/strings.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

// Marks a freed entry of the heap list, the DOS list or the temporary list.
inline string_descriptor string_slot_freed_marker{};
inline constexpr string_descriptor *STRING_SLOT_FREED = &string_slot_freed_marker;

// Spare bytes left after every new heap string; compaction also leaves gaps of
// this size or less where they are.
constexpr size_t STRING_HEAP_SPARE = 32;

// Characters of DOS-area strings start at this offset within the area.
constexpr uint32_t DOS_STRING_FIRST = 256;
constexpr uint32_t DOS_DESCRIPTOR_SIZE = 4;
constexpr uint32_t DOS_DESCRIPTOR_SLOTS = DOS_STRING_AREA_SIZE / DOS_DESCRIPTOR_SIZE;

// Descriptors of the strings of one storage area in address order. Entries
// [0, count) are in use, freed ones hold STRING_SLOT_FREED; the array holds
// capacity + 1 entries.
struct string_list {
    string_descriptor **entries = nullptr;
    uint32_t count = 0;
    uint32_t capacity = 0;
    int32_t grow_error = 0; // critical error when the list cannot grow
};

struct string_heap_state {
    uint8_t *base = nullptr;
    size_t capacity = 0;
    size_t used = 0; // offset of the end of the last string plus its spare
    string_list list;
};

// The DOS string area: characters grow upward from DOS_STRING_FIRST, 4-byte
// DOS descriptors grow downward from the top. Freed DOS descriptor slots are
// kept on a stack and handed out again before the top moves down.
struct dos_string_state {
    uint32_t next_free = DOS_STRING_FIRST;
    uint32_t descriptor_top = DOS_STRING_AREA_SIZE;
    string_list list;
    uint16_t free_slots[DOS_DESCRIPTOR_SLOTS] = {};
    uint32_t free_slot_count = 0;
};

// Temporary list: slots [1, string_temp_count) are in use; slot 0 holds null.
struct temp_list_state {
    string_descriptor **slots = nullptr; // capacity + 1 entries
    uint32_t capacity = 0;
};

extern string_heap_state string_heap;
extern dos_string_state dos_strings;
extern temp_list_state temp_list;

// Raises a critical string error and ends the process.
[[noreturn]] void string_critical_error(int32_t n);

// Copies n bytes, sizeof(T) <= n <= 2 * sizeof(T), as a first and a last
// word that may overlap; both are loaded before either is stored.
template <typename T>
inline void string_bytes_move_ends(uint8_t *dest, const uint8_t *src, size_t n)
{
    T head, tail;
    std::memcpy(&head, src, sizeof(T));
    std::memcpy(&tail, src + n - sizeof(T), sizeof(T));
    std::memcpy(dest, &head, sizeof(T));
    std::memcpy(dest + n - sizeof(T), &tail, sizeof(T));
}

// Copies n bytes (ranges may overlap); n of 0 touches nothing. Copies of up
// to 32 bytes, most of what string building moves, stay inline.
inline void string_bytes_move(uint8_t *dest, const uint8_t *src, size_t n)
{
    struct bytes16 {
        uint8_t b[16];
    };
    if (n > 32) {
        std::memmove(dest, src, n);
    } else if (n >= 16) {
        string_bytes_move_ends<bytes16>(dest, src, n);
    } else if (n >= 8) {
        string_bytes_move_ends<uint64_t>(dest, src, n);
    } else if (n >= 4) {
        string_bytes_move_ends<uint32_t>(dest, src, n);
    } else if (n > 0) {
        uint8_t first = src[0], middle = src[n / 2], last = src[n - 1];
        dest[0] = first;
        dest[n / 2] = middle;
        dest[n - 1] = last;
    }
}

void string_list_init(string_list &list, uint32_t capacity, int32_t grow_error);
void string_list_release(string_list &list);
// Drops the freed entries of a full list, and doubles it when it is still at
// least half full (the list's critical error when it cannot grow).
void string_list_compact(string_list &list);

inline void string_list_append(string_list &list, string_descriptor *d)
{
    if (list.count > list.capacity)
        string_list_compact(list);
    d->listi = list.count;
    list.entries[list.count++] = d;
}
// The next live entry after d, or null when d is the last live one.
string_descriptor *string_list_next_live(const string_list &list, const string_descriptor *d);

void string_descriptors_reset(uint32_t free_stack_capacity);

// The free stack of released descriptors; the most recent one is handed out
// first. Its fast paths below are inline: every string operation takes and
// releases descriptors.
struct descriptor_free_stack {
    string_descriptor **entries = nullptr;
    uint32_t count = 0;
    uint32_t capacity = 0;
};
extern descriptor_free_stack descriptor_free;

// The next unused descriptor of the current block, starting a new block when
// it is used up.
string_descriptor *descriptor_from_block();
// Doubles the free stack (critical error 508 when it cannot).
void descriptor_free_stack_grow();

// Stores every field of a descriptor once, each in its own width: a zeroing
// followed by narrower stores would stall the wider reads that the flag tests
// compile to.
inline void descriptor_fill(string_descriptor *d, uint8_t *chr, int32_t len, uint8_t fixed,
                            uint8_t readonly, uint32_t tmplisti)
{
    d->chr = chr;
    d->len = len;
    d->in_dos = 0;
    d->dos_descriptor = nullptr;
    d->dos_descriptor_offset = 0;
    d->listi = 0;
    d->tmp = tmplisti != 0;
    d->tmplisti = tmplisti;
    d->fixed = fixed;
    d->readonly = readonly;
    d->field = nullptr;
}

// A fresh descriptor over len bytes at chr with the given kind flags and
// every other field zero.
inline string_descriptor *descriptor_take(uint8_t *chr, int32_t len, uint8_t fixed,
                                          uint8_t readonly)
{
    string_descriptor *d = descriptor_free.count > 0
                               ? descriptor_free.entries[--descriptor_free.count]
                               : descriptor_from_block();
    descriptor_fill(d, chr, len, fixed, readonly, 0);
    return d;
}

// Pushes d on the free stack, as string_descriptor_release does.
inline void descriptor_give_back(string_descriptor *d)
{
    if (descriptor_free.count == descriptor_free.capacity)
        descriptor_free_stack_grow();
    descriptor_free.entries[descriptor_free.count++] = d;
}

void string_heap_reset(size_t capacity, uint32_t list_capacity);
// Closes gaps and, when still short of need bytes, grows the heap.
void string_heap_compact(size_t need);
// Frees d's heap-list entry and drops trailing freed entries.
void string_heap_entry_free(string_descriptor *d);

void dos_strings_reset(uint32_t list_capacity);
uint8_t *dos_string_area();
// Packs the live DOS strings; true when need bytes then fit below the top.
bool dos_string_compact(uint32_t need);
void dos_string_entry_free(string_descriptor *d);
// Gives d a 4-byte DOS descriptor (error_number when none can be had).
void dos_descriptor_reserve(string_descriptor *d, int32_t error_number);
void dos_descriptor_write(const string_descriptor *d);
void dos_descriptor_release(string_descriptor *d);

void temp_list_reset(uint32_t capacity);
// Doubles the temporary list when it is at least half full (critical error
// 511 when it cannot); new slots are zero.
void temp_list_grow();

// Gives d the next temporary slot and marks it temporary.
inline void temp_slot_take(string_descriptor *d)
{
    if (string_temp_count > temp_list.capacity)
        temp_list_grow();
    d->tmplisti = string_temp_count;
    temp_list.slots[string_temp_count++] = d;
    d->tmp = 1;
}

// descriptor_take and then temp_slot_take, out of line: the free stack or
// the temporary list has to grow first.
string_descriptor *temp_descriptor_take_growing(uint8_t *chr, int32_t len, uint8_t fixed,
                                                uint8_t readonly);

// A fresh temporary, as descriptor_take and then temp_slot_take make it. The
// common case, a released descriptor waiting and a free temporary slot,
// calls nothing.
inline string_descriptor *temp_descriptor_take(uint8_t *chr, int32_t len, uint8_t fixed,
                                               uint8_t readonly)
{
    if (descriptor_free.count == 0 || string_temp_count > temp_list.capacity) [[unlikely]]
        return temp_descriptor_take_growing(chr, len, fixed, readonly);
    string_descriptor *d = descriptor_free.entries[--descriptor_free.count];
    uint32_t slot = string_temp_count++;
    temp_list.slots[slot] = d;
    descriptor_fill(d, chr, len, fixed, readonly, slot);
    return d;
}

// Frees d's slot, then drops every freed slot from the end of the list.
inline void temp_slot_free(string_descriptor *d)
{
    string_descriptor **slots = temp_list.slots;
    uint32_t count = string_temp_count;
    slots[d->tmplisti] = STRING_SLOT_FREED;
    d->tmplisti = 0;
    d->tmp = 0;
    while (count > 1 && slots[count - 1] == STRING_SLOT_FREED)
        count--;
    string_temp_count = count;
}
