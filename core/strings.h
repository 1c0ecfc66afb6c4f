// BASIC strings: descriptors, the string heap, the DOS string area and the
// temporary-string list.
//
// Every string value is a string_descriptor. Its characters live in the main
// string heap (ordinary variables and temporaries), in the DOS string area
// inside emulated_dos_memory (strings a program may PEEK at), or in memory
// owned by someone else (literals, fixed-length fields).
//
// Every operation that returns a string returns a temporary; an operation that
// consumes a temporary frees it. After each statement the program calls
// temp_strings_release with the mark it took at the start of its procedure.
//
// A request that cannot be met (a negative length, a length past 32 bits, a
// full table or area that cannot grow) is a critical error, 508 to 515, which
// ends the process.
//
// Program thread only.
#pragma once

#include <cstddef>
#include <cstdint>

struct string_descriptor {
    uint8_t *chr;              // first character; not zero-terminated
    int32_t len;               // length in bytes
    uint8_t in_dos;            // 1 when the characters are in the DOS string area
    uint8_t *dos_descriptor;   // the 4-byte DOS descriptor (permanent DOS strings)
    uint16_t dos_descriptor_offset;
    uint32_t listi;            // index in the heap list or the DOS list
    uint8_t tmp;               // 1 for a temporary
    uint32_t tmplisti;         // index in the temporary list (0 = not listed)
    uint8_t fixed;             // 1 for a fixed-length string over caller memory
    uint8_t readonly;          // 1 when the characters belong to someone else
    void *field;               // FIELD binding of a random-access record, or null
};

// Number of slots in use in the temporary list (starts at 1). A procedure
// takes it as its temp mark on entry.
extern uint32_t string_temp_count;

// Allocates the descriptor pool, the heap, both lists and the temporary list
// with their starting sizes. Calling it again frees everything and starts
// afresh (tests).
void strings_static_init();

// The same with a chosen heap capacity in bytes (at least 64) and a chosen
// capacity word for the heap list, the DOS list, the temporary list and the
// descriptor free stack (at least 3), so that tests see compaction and growth
// often.
void strings_static_init_with_heap(size_t heap_bytes, uint32_t table_capacity = 65535);

// Start-up step after the DOS memory is zeroed: reserves an 8-byte zero block
// at the top of the DOS descriptor area (the descriptor top moves down by 8)
// and returns it. Unallocated arrays point their data at it.
uint8_t *dos_string_area_reserve_zero_block();

// Start-up step after the DOS memory is zeroed: the shared empty and " " DOS
// strings.
void strings_shared_create();
extern string_descriptor *string_empty_dos; // ""
extern string_descriptor *string_space_dos; // " "

string_descriptor *string_descriptor_alloc();
void string_descriptor_release(string_descriptor *d);

string_descriptor *string_new(int32_t len, bool temporary);
string_descriptor *string_new_dos(int32_t len, bool temporary);
string_descriptor *string_from_cstr(const char *text);
string_descriptor *string_from_buffer(const void *p, int32_t len);
string_descriptor *string_over_memory(void *p, int32_t len, bool temporary);
void string_make_temp(string_descriptor *d);
string_descriptor *string_set(string_descriptor *dest, string_descriptor *src);
string_descriptor *string_concat(string_descriptor *a, string_descriptor *b);
void string_free(string_descriptor *d);

// Frees every temporary in slots at or above mark.
void temp_strings_release(uint32_t mark);

// The same, passing a value through unchanged, so that a statement can release
// its temporaries while handing on a result.
template <typename T> T temp_strings_release(uint32_t mark, T value)
{
    temp_strings_release(mark);
    return value;
}
