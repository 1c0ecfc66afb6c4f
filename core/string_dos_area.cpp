// The DOS string area: the 64 KB at segment 0x50 of the emulated memory, where
// strings live whose address a program may PEEK at. Characters grow upward
// from offset 256; each permanent string has a 4-byte DOS descriptor (u16
// length, u16 offset of the characters) taken from the top of the area.
#include "core/strings_internal.h"

#include <cstring>

namespace {
constexpr int32_t ERROR_DOS_LIST = 509;
constexpr int32_t ERROR_DOS_FULL = 513;
constexpr int32_t ERROR_DOS_DESCRIPTORS = 514;

uint32_t area_offset(const uint8_t *p) {
    return uint32_t(p - dos_string_area());
}

void put_u16(uint8_t *p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

// Takes n bytes from the descriptor top, moving it down; false when the top
// would pass below the characters even after packing them.
bool take_from_top(uint32_t n) {
    if (uint64_t(dos_strings.next_free) + n > dos_strings.descriptor_top && !dos_string_compact(n))
        return false;
    dos_strings.descriptor_top -= n;
    return true;
}
} // namespace

dos_string_state dos_strings;

uint8_t *dos_string_area() {
    if (!emulated_dos_memory) dos_memory_reset();
    return emulated_dos_memory + DOS_STRING_AREA;
}

void dos_strings_reset(uint32_t list_capacity) {
    dos_strings.next_free = DOS_STRING_FIRST;
    dos_strings.descriptor_top = DOS_STRING_AREA_SIZE;
    dos_strings.free_slot_count = 0;
    string_list_init(dos_strings.list, list_capacity, ERROR_DOS_LIST);
}

uint8_t *dos_string_area_reserve_zero_block() {
    if (!take_from_top(8)) string_critical_error(ERROR_DOS_DESCRIPTORS);
    uint8_t *block = dos_string_area() + dos_strings.descriptor_top;
    std::memset(block, 0, 8);
    return block;
}

// Packs the live DOS strings in list order from offset 256 upward, rewriting
// the DOS descriptor of every string that moves.
bool dos_string_compact(uint32_t need) {
    uint8_t *area = dos_string_area();
    const string_list &list = dos_strings.list;
    uint32_t cursor = DOS_STRING_FIRST;
    for (uint32_t i = 0; i < list.count; i++) {
        string_descriptor *d = list.entries[i];
        if (d == STRING_SLOT_FREED) continue;
        if (d->chr != area + cursor) {
            string_bytes_move(area + cursor, d->chr, size_t(d->len));
            d->chr = area + cursor;
            if (d->dos_descriptor) dos_descriptor_write(d);
        }
        cursor += uint32_t(d->len);
    }
    dos_strings.next_free = cursor;
    return uint64_t(cursor) + need <= dos_strings.descriptor_top;
}

void dos_string_entry_free(string_descriptor *d) {
    string_list &list = dos_strings.list;
    if (d->listi >= list.count) return;
    list.entries[d->listi] = STRING_SLOT_FREED;
    if (d->listi + 1 == list.count) list.count--;
}

// A freed slot is reused first; otherwise the top moves down by 4, packing
// the strings first when it would meet them.
void dos_descriptor_reserve(string_descriptor *d, int32_t error_number) {
    uint32_t offset;
    if (dos_strings.free_slot_count > 0) {
        offset = dos_strings.free_slots[--dos_strings.free_slot_count];
    } else {
        if (!take_from_top(DOS_DESCRIPTOR_SIZE)) string_critical_error(error_number);
        offset = dos_strings.descriptor_top;
    }
    d->dos_descriptor = dos_string_area() + offset;
    d->dos_descriptor_offset = uint16_t(offset);
}

void dos_descriptor_write(const string_descriptor *d) {
    put_u16(d->dos_descriptor, uint32_t(d->len));
    put_u16(d->dos_descriptor + 2, area_offset(d->chr));
}

void dos_descriptor_release(string_descriptor *d) {
    std::memset(d->dos_descriptor, 0, DOS_DESCRIPTOR_SIZE);
    if (dos_strings.free_slot_count < DOS_DESCRIPTOR_SLOTS)
        dos_strings.free_slots[dos_strings.free_slot_count++] = d->dos_descriptor_offset;
    d->dos_descriptor = nullptr;
    d->dos_descriptor_offset = 0;
}

// Makes a DOS-area string of len bytes (contents undefined). A permanent one
// gets a DOS descriptor holding its length and offset.
string_descriptor *string_new_dos(int32_t len, bool temporary) {
    if (len < 0) string_critical_error(ERROR_DOS_FULL);
    if (uint64_t(dos_strings.next_free) + uint64_t(len) > dos_strings.descriptor_top &&
        !dos_string_compact(uint32_t(len)))
        string_critical_error(ERROR_DOS_FULL);
    string_descriptor *d = descriptor_take(dos_string_area() + dos_strings.next_free, len, 0, 0);
    d->in_dos = 1;
    dos_strings.next_free += uint32_t(len);
    string_list_append(dos_strings.list, d);
    if (temporary) {
        temp_slot_take(d);
    } else {
        dos_descriptor_reserve(d, ERROR_DOS_DESCRIPTORS);
        dos_descriptor_write(d);
    }
    return d;
}

void strings_shared_create() {
    string_empty_dos = string_new_dos(0, false);
    string_space_dos = string_new_dos(1, false);
    string_space_dos->chr[0] = ' ';
}
