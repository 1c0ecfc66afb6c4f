// String assignment. A temporary source in the destination's storage area
// hands its characters over; otherwise the characters are copied, growing the
// destination in place where the bytes after it are free and relocating it to
// the end of its area where they are not.
#include "core/strings_internal.h"
#include "files/field_strings.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int32_t ERROR_DOS_FULL = 513;

// The storage area of a heap or DOS-area string, as offsets from its base.
struct string_area {
    bool dos;
    string_list &list;
    uint8_t *base;
    size_t limit; // heap capacity or DOS descriptor top
    size_t used;  // heap `used` or DOS next-free
};

string_area area_of(bool dos) {
    if (dos)
        return {true, dos_strings.list, dos_string_area(), dos_strings.descriptor_top,
                dos_strings.next_free};
    return {false, string_heap.list, string_heap.base, string_heap.capacity, string_heap.used};
}

void area_set_used(bool dos, size_t used) {
    if (dos)
        dos_strings.next_free = uint32_t(used);
    else
        string_heap.used = used;
}

// Compacts the area until need bytes fit after its last string.
void area_make_room(bool dos, size_t need) {
    if (!dos)
        string_heap_compact(need);
    else if (need > DOS_STRING_AREA_SIZE || !dos_string_compact(uint32_t(need)))
        string_critical_error(ERROR_DOS_FULL);
}

// True when d holds an entry in the heap list or the DOS list.
bool is_listed(const string_descriptor *d) {
    return !d->fixed && !d->readonly;
}

// Fixed-length destination: cut or padded with spaces to its own length.
void assign_fixed(string_descriptor *d, const string_descriptor *s) {
    size_t n = size_t(std::min(s->len, d->len));
    string_bytes_move(d->chr, s->chr, n);
    std::memset(d->chr + n, ' ', size_t(d->len) - n);
}

bool can_take_over(const string_descriptor *d, const string_descriptor *s) {
    return s->tmp && !s->fixed && !s->readonly && s->in_dos == (d->readonly ? 0 : d->in_dos);
}

// d takes s's characters and list slot; s's descriptor is released.
void take_over(string_descriptor *d, string_descriptor *s) {
    string_list &list = s->in_dos ? dos_strings.list : string_heap.list;
    if (is_listed(d)) list.entries[d->listi] = STRING_SLOT_FREED;
    list.entries[s->listi] = d;
    d->listi = s->listi;
    d->chr = s->chr;
    d->len = s->len;
    d->in_dos = s->in_dos;
    d->readonly = 0;
    temp_slot_free(s);
    if (s->field) field_string_detach(s);
    if (s->dos_descriptor) dos_descriptor_release(s);
    descriptor_give_back(s);
}

// Moves d to the end of its area with room for s's characters, then copies
// them. A read-only destination becomes an ordinary heap string.
void relocate(string_descriptor *d, const string_descriptor *s) {
    bool dos = d->readonly ? false : d->in_dos;
    if (is_listed(d)) area_of(dos).list.entries[d->listi] = STRING_SLOT_FREED;
    size_t n = size_t(s->len);
    if (n + area_of(dos).used > area_of(dos).limit) area_make_room(dos, n); // may move s as well
    string_area area = area_of(dos);
    d->readonly = 0;
    d->in_dos = dos;
    d->chr = area.base + area.used;
    area_set_used(dos, area.used + n);
    string_list_append(area.list, d);
    string_bytes_move(d->chr, s->chr, n);
    d->len = s->len;
}

// s is longer than d: grows d in place when the bytes after it are free,
// else relocates it.
void assign_longer(string_descriptor *d, const string_descriptor *s) {
    string_area area = area_of(d->in_dos);
    size_t end = size_t(d->chr - area.base) + size_t(s->len);
    const string_descriptor *next = string_list_next_live(area.list, d);
    if (!next && end <= area.limit) {
        area.list.count = d->listi + 1; // only freed entries followed d
        string_bytes_move(d->chr, s->chr, size_t(s->len));
        d->len = s->len;
        area_set_used(area.dos, end);
    } else if (next && d->chr + s->len <= next->chr) {
        string_bytes_move(d->chr, s->chr, size_t(s->len));
        d->len = s->len;
    } else {
        relocate(d, s);
    }
}

// Every assignment but the take-over of a temporary: copies the characters
// and frees a temporary s. Kept apart so that the take-over stays short.
[[gnu::noinline]] void assign_copying(string_descriptor *d, string_descriptor *s) {
    if (d == s) return;
    if (d->fixed)
        assign_fixed(d, s);
    else if (d->readonly)
        relocate(d, s);
    else if (s->len > d->len)
        assign_longer(d, s);
    else {
        string_bytes_move(d->chr, s->chr, size_t(s->len));
        d->len = s->len;
    }
    if (s->tmp) string_free(s);
}
} // namespace

// Assignment d = s; returns d. A temporary s is consumed.
string_descriptor *string_set(string_descriptor *d, string_descriptor *s) {
    if (d != s && !d->fixed && can_take_over(d, s))
        take_over(d, s);
    else
        assign_copying(d, s);
    if (d->dos_descriptor) dos_descriptor_write(d);
    return d;
}
