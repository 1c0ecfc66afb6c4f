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

// Copies n bytes (ranges may overlap); n of 0 touches nothing.
void string_bytes_move(uint8_t *dest, const uint8_t *src, size_t n);

void string_list_init(string_list &list, uint32_t capacity, int32_t grow_error);
void string_list_release(string_list &list);
void string_list_append(string_list &list, string_descriptor *d);
// The next live entry after d, or null when d is the last live one.
string_descriptor *string_list_next_live(const string_list &list, const string_descriptor *d);

void string_descriptors_reset(uint32_t free_stack_capacity);

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
void temp_slot_take(string_descriptor *d);
void temp_slot_free(string_descriptor *d);
