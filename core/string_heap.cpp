// The main string heap: one block holding heap strings in address order, each
// made with 32 spare bytes after it. Compaction closes gaps larger than the
// spare and grows the block; growth rebases every string by its offset.
//
// Also the operations that make, join and free strings of any kind.
#include "core/strings_internal.h"
#include "files/field_strings.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int32_t ERROR_HEAP = 512;
uint8_t empty_text[1] = {0}; // characters of strings made over no text

// Moves every live string down to the end of the one before it when the gap
// between them is larger than the spare; `used` becomes the last string's end.
void heap_close_gaps() {
    string_list &list = string_heap.list;
    size_t cursor = 0;
    bool any = false;
    for (uint32_t i = 0; i < list.count; i++) {
        string_descriptor *d = list.entries[i];
        if (d == STRING_SLOT_FREED) continue;
        size_t offset = size_t(d->chr - string_heap.base);
        if (offset - cursor > STRING_HEAP_SPARE) {
            string_bytes_move(string_heap.base + cursor, d->chr, size_t(d->len));
            d->chr = string_heap.base + cursor;
            offset = cursor;
        }
        cursor = offset + size_t(d->len);
        any = true;
    }
    if (any) string_heap.used = cursor;
}

// Moves the heap into a new block of the given capacity. Every live string
// keeps its offset from the block start; no pointers of the two blocks are
// ever compared or subtracted.
void heap_grow(size_t capacity) {
    uint8_t *old_base = string_heap.base;
    auto *new_base = static_cast<uint8_t *>(std::malloc(capacity));
    if (!new_base) string_critical_error(ERROR_HEAP);
    string_bytes_move(new_base, old_base, string_heap.used);
    string_list &list = string_heap.list;
    for (uint32_t i = 0; i < list.count; i++) {
        string_descriptor *d = list.entries[i];
        if (d != STRING_SLOT_FREED) d->chr = new_base + (d->chr - old_base);
    }
    std::free(old_base);
    string_heap.base = new_base;
    string_heap.capacity = capacity;
}

// A temporary or permanent read-only string over someone else's bytes.
string_descriptor *string_over_text(const void *p, int32_t len) {
    uint8_t *chr = p ? static_cast<uint8_t *>(const_cast<void *>(p)) : empty_text;
    return temp_descriptor_take(chr, p ? std::max(len, 0) : 0, 0, 1);
}
} // namespace

string_heap_state string_heap;

void string_heap_reset(size_t capacity, uint32_t list_capacity) {
    std::free(string_heap.base);
    string_heap.base = static_cast<uint8_t *>(std::malloc(capacity));
    if (!string_heap.base) string_critical_error(ERROR_HEAP);
    string_heap.capacity = capacity;
    string_heap.used = 0;
    string_list_init(string_heap.list, list_capacity, 510);
}

void string_heap_compact(size_t need) {
    heap_close_gaps();
    if (need + 2 * string_heap.used + STRING_HEAP_SPARE >= string_heap.capacity)
        heap_grow(need + 2 * string_heap.capacity);
}

void string_heap_entry_free(string_descriptor *d) {
    string_list &list = string_heap.list;
    if (d->listi < list.count) list.entries[d->listi] = STRING_SLOT_FREED;
    while (list.count > 0 && list.entries[list.count - 1] == STRING_SLOT_FREED)
        list.count--;
    if (list.count == 0) {
        string_heap.used = 0;
        return;
    }
    const string_descriptor *last = list.entries[list.count - 1];
    size_t end = size_t(last->chr - string_heap.base) + size_t(last->len);
    string_heap.used = std::min(end + STRING_HEAP_SPARE, string_heap.capacity);
}

// Makes a heap string of len bytes (contents undefined) with 32 spare bytes
// after it. A negative length, or one the heap cannot hold, is critical.
static inline string_descriptor *heap_string_make(int32_t len, bool temporary) {
    if (len < 0) string_critical_error(ERROR_HEAP);
    size_t need = size_t(len) + STRING_HEAP_SPARE;
    if (string_heap.used + need > string_heap.capacity) string_heap_compact(need);
    uint8_t *chr = string_heap.base + string_heap.used;
    string_descriptor *d =
        temporary ? temp_descriptor_take(chr, len, 0, 0) : descriptor_take(chr, len, 0, 0);
    string_heap.used += need;
    string_list_append(string_heap.list, d);
    return d;
}

string_descriptor *string_new(int32_t len, bool temporary) {
    return heap_string_make(len, temporary);
}

string_descriptor *string_from_cstr(const char *text) {
    size_t len = text ? std::strlen(text) : 0;
    if (len > size_t(INT32_MAX)) string_critical_error(ERROR_HEAP);
    return string_over_text(text, int32_t(len));
}

string_descriptor *string_from_buffer(const void *p, int32_t len) {
    return string_over_text(p, len);
}

// A fixed-length string over caller memory. A permanent one over the DOS
// string area gets a DOS descriptor of its own.
string_descriptor *string_over_memory(void *p, int32_t len, bool temporary) {
    uint8_t *chr = p ? static_cast<uint8_t *>(p) : empty_text;
    string_descriptor *d = descriptor_take(chr, p ? std::max(len, 0) : 0, 1, 0);
    if (temporary) {
        temp_slot_take(d);
        return d;
    }
    auto address = reinterpret_cast<uintptr_t>(p);
    auto area = reinterpret_cast<uintptr_t>(emulated_dos_memory + DOS_STRING_AREA);
    if (emulated_dos_memory && address > area && address < area + DOS_STRING_AREA_SIZE) {
        dos_descriptor_reserve(d, 515);
        dos_descriptor_write(d);
    }
    return d;
}

// Whether a is a plain temporary heap string at the end of the heap with room
// after it for `more` bytes, so that a concatenation can grow it in place.
static bool concat_in_place_fits(const string_descriptor *a, int64_t more) {
    if (!a->tmp || a->fixed || a->readonly || a->in_dos || a->field || a->dos_descriptor)
        return false;
    const string_list &list = string_heap.list;
    if (a->listi + 1 != list.count || list.entries[a->listi] != a) return false;
    size_t end = size_t(a->chr - string_heap.base) + size_t(a->len) + size_t(more);
    return end + STRING_HEAP_SPARE <= string_heap.capacity;
}

// Frees a consumed temporary operand. A literal (read-only, with no FIELD
// link or DOS descriptor) only gives back its slot and its descriptor.
static inline void operand_free(string_descriptor *d) {
    if (!d->readonly || d->field || d->dos_descriptor) {
        string_free(d);
        return;
    }
    if (d->tmplisti) temp_slot_free(d);
    descriptor_give_back(d);
}

// a + b as a new temporary; temporary operands are freed. An empty operand
// gives the other operand itself. A temporary first operand that is the last
// heap string grows in place and becomes the result (the common a$ + b$ + c$
// chain).
string_descriptor *string_concat(string_descriptor *a, string_descriptor *b) {
    if (b->len == 0) return a;
    if (a->len == 0) return b;
    int64_t len = int64_t(a->len) + int64_t(b->len);
    if (len > INT32_MAX) string_critical_error(ERROR_HEAP);
    if (concat_in_place_fits(a, b->len)) {
        string_bytes_move(a->chr + a->len, b->chr, size_t(b->len));
        a->len = int32_t(len);
        size_t end = size_t(a->chr - string_heap.base) + size_t(len) + STRING_HEAP_SPARE;
        string_heap.used = std::max(string_heap.used, end);
        if (b->tmp && b != a) operand_free(b);
        return a;
    }
    string_descriptor *r = heap_string_make(int32_t(len), true); // may move a and b
    string_bytes_move(r->chr, a->chr, size_t(a->len));
    string_bytes_move(r->chr + a->len, b->chr, size_t(b->len));
    if (a->tmp) operand_free(a);
    if (b->tmp && b != a) operand_free(b);
    return r;
}

void string_free(string_descriptor *d) {
    if (d->field) field_string_detach(d);
    if (d->tmplisti) temp_slot_free(d);
    if (!d->fixed && !d->readonly) {
        if (d->in_dos)
            dos_string_entry_free(d);
        else
            string_heap_entry_free(d);
    }
    if (d->dos_descriptor) dos_descriptor_release(d);
    descriptor_give_back(d);
}
