// Indexed lists.
//
// Records are cut from blocks that never move: the first block holds one
// record and each further block twice the previous capacity plus one, so a
// list of n records has about log2(n) blocks. An index table maps each index
// to its record. list_get reads that table without a lock while list_add may be
// growing it on another thread, so a grown table is published with a release
// store and every table it replaced stays allocated until the list is freed: a
// reader holding an old table pointer still reads valid entries.
//
// Lock order for a locked list: list mutex before free-index mutex. list_add
// holds the list mutex throughout and the free-index mutex while it looks at
// the freed indices; list_remove holds only the free-index mutex.
#include "core/lists.h"

#include "core/errors.h"
#include "platform/process_exit.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr uint32_t LIST_MAX_BLOCKS = 64;
constexpr int32_t LIST_MAX_INDEX = 0x7FFFFFFF;

// One generation of the index table. Entry 0 is unused.
struct index_table {
    index_table *previous; // the table this one replaced, freed with the list
    uint32_t capacity;     // highest usable entry
    std::atomic<uint8_t *> *entries;
};

} // namespace

struct indexed_list {
    uint32_t element_size;
    uint32_t trailer_offset; // element size rounded up to 4
    uint32_t stride;         // trailer end rounded up to 8

    uint8_t *blocks[LIST_MAX_BLOCKS];
    uint32_t block_count;
    uint64_t block_capacity; // records in the newest block
    uint64_t block_used;     // records taken from it

    std::atomic<index_table *> index;
    std::atomic<int32_t> highest_index;

    uint32_t *free_stack; // freed indices, most recent on top
    uint32_t free_count;
    uint32_t free_capacity;

    mutex_cell *list_mutex;
    mutex_cell *free_mutex;
};

namespace {

// Out of memory for a list: the process cannot go on without the record, so
// after the two boxes it ends.
[[noreturn]] void list_alloc_failed(uint32_t stride)
{
    alert("list_add: failed to allocate new buffer, structure size:");
    alert_number(int32_t(stride));
    process_exit(0);
}

std::atomic_ref<uint32_t> trailer_of(const indexed_list *list, const void *record)
{
    auto *p = static_cast<uint8_t *>(const_cast<void *>(record)) + list->trailer_offset;
    return std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t *>(p));
}

// The record of an index known to be in 1..highest. Lock-free reader side of
// the table publication described above.
uint8_t *record_at(const indexed_list *list, int32_t index)
{
    index_table *table = list->index.load(std::memory_order_acquire);
    return table->entries[index].load(std::memory_order_acquire);
}

index_table *index_table_new(uint32_t capacity, index_table *previous)
{
    auto *table = new (std::nothrow) index_table{previous, capacity, nullptr};
    if (!table)
        return nullptr;
    table->entries = new (std::nothrow) std::atomic<uint8_t *>[size_t(capacity) + 1];
    if (!table->entries) {
        delete table;
        return nullptr;
    }
    for (uint32_t i = 0; i <= capacity; i++)
        table->entries[i].store(nullptr, std::memory_order_relaxed);
    return table;
}

// Makes room in the index table for index: a new table of 2 x capacity + 1
// entries gets a copy of the old entries and is published; the old one is
// kept for readers that still hold it.
void index_table_reserve(indexed_list *list, int32_t index)
{
    index_table *old = list->index.load(std::memory_order_relaxed);
    if (uint32_t(index) <= old->capacity)
        return;
    uint64_t capacity = uint64_t(old->capacity) * 2 + 1;
    if (capacity > uint64_t(LIST_MAX_INDEX))
        capacity = LIST_MAX_INDEX;
    index_table *table = index_table_new(uint32_t(capacity), old);
    if (!table)
        list_alloc_failed(list->stride);
    int32_t highest = list->highest_index.load(std::memory_order_relaxed);
    for (int32_t i = 1; i <= highest; i++)
        table->entries[i].store(old->entries[i].load(std::memory_order_relaxed),
                                std::memory_order_relaxed);
    list->index.store(table, std::memory_order_release);
}

// Starts the next block, of twice the previous capacity plus one records.
void block_add(indexed_list *list)
{
    uint64_t capacity = list->block_capacity * 2 + 1;
    void *block = nullptr;
    if (list->block_count < LIST_MAX_BLOCKS)
        block = std::calloc(capacity, list->stride);
    if (!block)
        list_alloc_failed(list->stride);
    list->blocks[list->block_count++] = static_cast<uint8_t *>(block);
    list->block_capacity = capacity;
    list->block_used = 0;
}

// Pops the most recently freed index, or returns 0 when there is none.
int32_t free_index_take(indexed_list *list)
{
    mutex_lock(list->free_mutex);
    int32_t index = 0;
    if (list->free_count > 0) {
        index = int32_t(list->free_stack[--list->free_count]);
        uint8_t *record = record_at(list, index);
        std::memset(record, 0, list->element_size);
        trailer_of(list, record).store(uint32_t(index), std::memory_order_release);
    }
    mutex_unlock(list->free_mutex);
    return index;
}

// Pushes a freed index, growing the stack to 2 x capacity + 1 when full.
// Called with the free-index mutex held.
void free_index_push(indexed_list *list, int32_t index)
{
    if (list->free_count == list->free_capacity) {
        uint64_t capacity = uint64_t(list->free_capacity) * 2 + 1;
        auto *stack = static_cast<uint32_t *>(
            std::realloc(list->free_stack, capacity * sizeof(uint32_t)));
        if (!stack)
            list_alloc_failed(list->stride);
        list->free_stack = stack;
        list->free_capacity = uint32_t(capacity);
    }
    list->free_stack[list->free_count++] = uint32_t(index);
}

// A new record at one above the highest index.
int32_t record_new(indexed_list *list)
{
    int32_t highest = list->highest_index.load(std::memory_order_relaxed);
    if (highest == LIST_MAX_INDEX)
        list_alloc_failed(list->stride);
    if (list->block_used == list->block_capacity)
        block_add(list);
    uint8_t *record = list->blocks[list->block_count - 1] + list->block_used * list->stride;
    list->block_used++;
    int32_t index = highest + 1;
    index_table_reserve(list, index);
    trailer_of(list, record).store(uint32_t(index), std::memory_order_relaxed);
    list->index.load(std::memory_order_relaxed)->entries[index].store(record,
                                                                       std::memory_order_release);
    list->highest_index.store(index, std::memory_order_release);
    return index;
}

indexed_list *list_create(uint32_t element_size, bool locked)
{
    if (element_size > 0xFFFFFFF0u)
        list_alloc_failed(element_size);
    uint32_t trailer_offset = (element_size + 3u) & ~3u;
    uint32_t stride = (trailer_offset + 4u + 7u) & ~7u;
    auto *list = new (std::nothrow) indexed_list{};
    if (!list)
        list_alloc_failed(stride);
    list->element_size = element_size;
    list->trailer_offset = trailer_offset;
    list->stride = stride;
    list->index.store(index_table_new(0, nullptr), std::memory_order_relaxed);
    if (!list->index.load(std::memory_order_relaxed))
        list_alloc_failed(stride);
    if (locked) {
        list->list_mutex = mutex_new();
        list->free_mutex = mutex_new();
        if (!list->list_mutex || !list->free_mutex)
            list_alloc_failed(stride);
    }
    return list;
}

} // namespace

indexed_list *list_new(uint32_t element_size) { return list_create(element_size, false); }

indexed_list *list_new_locked(uint32_t element_size) { return list_create(element_size, true); }

int32_t list_add(indexed_list *list)
{
    mutex_lock(list->list_mutex);
    int32_t index = free_index_take(list);
    if (index == 0)
        index = record_new(list);
    mutex_unlock(list->list_mutex);
    return index;
}

int32_t list_remove(indexed_list *list, int32_t index)
{
    if (index < 1)
        return 0;
    mutex_lock(list->free_mutex);
    int32_t result = 0;
    if (index <= list->highest_index.load(std::memory_order_acquire)) {
        auto trailer = trailer_of(list, record_at(list, index));
        if (trailer.load(std::memory_order_relaxed) != 0) {
            free_index_push(list, index);
            trailer.store(0, std::memory_order_release);
            result = -1;
        }
    }
    mutex_unlock(list->free_mutex);
    return result;
}

void *list_get(indexed_list *list, int32_t index)
{
    if (index < 1 || index > list->highest_index.load(std::memory_order_acquire))
        return nullptr;
    uint8_t *record = record_at(list, index);
    if (trailer_of(list, record).load(std::memory_order_acquire) == 0)
        return nullptr;
    return record;
}

int32_t list_index_of(indexed_list *list, const void *record)
{
    if (!record)
        return 0;
    return int32_t(trailer_of(list, record).load(std::memory_order_acquire));
}

int32_t list_highest_index(const indexed_list *list)
{
    return list->highest_index.load(std::memory_order_acquire);
}

void list_free(indexed_list *list)
{
    if (!list)
        return;
    for (uint32_t i = 0; i < list->block_count; i++)
        std::free(list->blocks[i]);
    index_table *table = list->index.load(std::memory_order_relaxed);
    while (table) {
        index_table *previous = table->previous;
        delete[] table->entries;
        delete table;
        table = previous;
    }
    std::free(list->free_stack);
    mutex_free(list->list_mutex);
    mutex_free(list->free_mutex);
    delete list;
}
