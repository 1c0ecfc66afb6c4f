#include "core/dos_memory.h"

#include "core/errors.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

uint8_t *emulated_dos_memory = nullptr;
uint32_t peek_base = PEEK_DEFAULT_SEGMENT * 16;

namespace {

constexpr uint32_t ERROR_OVERFLOW = 6;
constexpr uint32_t ERROR_DOS_BLOCK_TOO_BIG = 505;
constexpr uint32_t ERROR_DOS_NO_ROOM = 506;
constexpr uint32_t ERROR_DOS_NO_RECORD = 507;

// One allocated block, by linear addresses. Records form a singly linked list
// in descending address order; index 0 ends the list.
struct dos_block {
    uint32_t start;
    uint32_t end;
    uint32_t size;
    uint32_t index;
    uint32_t next;
};

struct dos_block_heap {
    dos_block records[DOS_BLOCK_RECORDS]; // entry 0 unused
    uint32_t head;
    uint32_t used; // records ever handed out: indices 1 to used
    uint32_t freed[DOS_BLOCK_RECORDS]; // freed record indices, most recent on top
    uint32_t freed_count;
};

dos_block_heap heap; // zero: an empty heap

// A record index for a new block: the most recently freed one, else the next
// never used; 0 when none is left.
uint32_t record_take()
{
    if (heap.freed_count > 0)
        return heap.freed[--heap.freed_count];
    if (heap.used >= DOS_BLOCK_RECORDS - 1)
        return 0;
    return ++heap.used;
}

// Links record r in after prev (at the head when prev is 0).
void record_link(uint32_t prev, uint32_t r)
{
    uint32_t &link = prev ? heap.records[prev].next : heap.head;
    heap.records[r].next = link;
    link = r;
}

// True when the PEEK/POKE/DEF SEG argument lies in -65,536 to 65,535.
bool in_peek_range(int32_t value) { return value >= -65536 && value < 65536; }

std::atomic_ref<uint8_t> peek_byte(int32_t offset)
{
    return std::atomic_ref<uint8_t>(emulated_dos_memory[peek_base + (uint32_t(offset) & 0xFFFF)]);
}

} // namespace

void dos_memory_reset()
{
    if (!emulated_dos_memory)
        emulated_dos_memory = static_cast<uint8_t *>(std::calloc(DOS_MEMORY_SIZE, 1));
    else
        std::memset(emulated_dos_memory, 0, DOS_MEMORY_SIZE);
}

void dos_memory_startup()
{
    dos_memory_reset();
    dos_block_heap_reset();
    peek_base = PEEK_DEFAULT_SEGMENT * 16;
}

void dos_block_heap_reset()
{
    heap.head = 0;
    heap.used = 0;
    heap.freed_count = 0;
}

uint8_t *dos_memory_alloc(uint32_t n)
{
    if (n > DOS_BLOCK_MAX_SIZE) {
        error_raise(ERROR_DOS_BLOCK_TOO_BIG);
        return nullptr;
    }
    if (n == 0)
        return emulated_dos_memory + DOS_BLOCK_HEAP_TOP;
    n = (n + 15) & ~15u;

    // Highest gap that fits, walking down from segment 0xA000.
    uint32_t cursor = DOS_BLOCK_HEAP_TOP;
    uint32_t prev = 0;
    uint32_t r = heap.head;
    while (r && cursor - heap.records[r].end < n) {
        cursor = heap.records[r].start;
        prev = r;
        r = heap.records[r].next;
    }
    if (!r && cursor - DOS_BLOCK_HEAP_FLOOR < n) {
        error_raise(ERROR_DOS_NO_ROOM);
        return nullptr;
    }
    uint32_t index = record_take();
    if (!index) {
        error_raise(ERROR_DOS_NO_RECORD);
        return nullptr;
    }
    heap.records[index] = dos_block{cursor - n, cursor, n, index, 0};
    record_link(prev, index);
    return emulated_dos_memory + (cursor - n);
}

void dos_memory_free(const void *address)
{
    if (!address || !emulated_dos_memory)
        return;
    auto *p = static_cast<const uint8_t *>(address);
    if (p < emulated_dos_memory || p >= emulated_dos_memory + DOS_BLOCK_HEAP_TOP)
        return;
    uint32_t linear = uint32_t(p - emulated_dos_memory);
    uint32_t prev = 0;
    for (uint32_t r = heap.head; r; prev = r, r = heap.records[r].next) {
        if (heap.records[r].start != linear)
            continue;
        (prev ? heap.records[prev].next : heap.head) = heap.records[r].next;
        heap.freed[heap.freed_count++] = r;
        return;
    }
}

void rt_def_seg(int32_t segment, uint32_t given_mask)
{
    if (error_pending.load())
        return;
    if (!(given_mask & 1)) {
        peek_base = PEEK_DEFAULT_SEGMENT * 16;
        return;
    }
    if (!in_peek_range(segment)) {
        error_raise(ERROR_OVERFLOW);
        return;
    }
    peek_base = (uint32_t(segment) & 0xFFFF) * 16;
}

int32_t rt_peek(int32_t offset)
{
    if (!in_peek_range(offset)) {
        error_raise(ERROR_OVERFLOW);
        return 0;
    }
    return peek_byte(offset).load(std::memory_order_relaxed);
}

void rt_poke(int32_t offset, int32_t value)
{
    if (error_pending.load())
        return;
    if (!in_peek_range(offset)) {
        error_raise(ERROR_OVERFLOW);
        return;
    }
    peek_byte(offset).store(uint8_t(value), std::memory_order_relaxed);
}
