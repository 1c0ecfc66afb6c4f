// Memory blocks: making, freeing, checking and copying.
#include "core/mem_blocks_internal.h"

#include "core/errors.h"
#include "core/memory.h"

#include <cstdlib>
#include <cstring>

namespace
{

constexpr uint32_t ERROR_ILLEGAL_CALL = 5;
constexpr uint32_t ERROR_OUT_OF_RANGE = 300;
constexpr uint32_t ERROR_INVALID_SIZE = 301;
constexpr uint32_t ERROR_SOURCE_OUT_OF_RANGE = 302;
constexpr uint32_t ERROR_DESTINATION_OUT_OF_RANGE = 303;
constexpr uint32_t ERROR_BOTH_OUT_OF_RANGE = 304;
constexpr uint32_t ERROR_SOURCE_FREED = 305;
constexpr uint32_t ERROR_DESTINATION_FREED = 306;
constexpr uint32_t ERROR_ALREADY_FREED = 307;
constexpr uint32_t ERROR_FREED = 308;
constexpr uint32_t ERROR_NOT_INITIALISED = 309;
constexpr uint32_t ERROR_SOURCE_NOT_INITIALISED = 310;
constexpr uint32_t ERROR_DESTINATION_NOT_INITIALISED = 311;
constexpr uint32_t ERROR_BOTH_NOT_INITIALISED = 312;
constexpr uint32_t ERROR_BOTH_FREED = 313;
constexpr uint32_t ERROR_SCRATCH_MEMORY = 518;

// The largest scratch buffer a failed check hands out; a request above it is
// treated as memory that cannot be had.
constexpr uint64_t SCRATCH_LIMIT = uint64_t(1) << 31;
// Sizes mem_block_new never asks the allocator for.
constexpr uint64_t ALLOCATION_LIMIT = uint64_t(1) << 40;

bool allocations_fail = false;

// The scratch buffer of failed checks, kept and reused.
uint8_t *scratch = nullptr;
uint64_t scratch_size = 0;

mem_block block_over(uintptr_t offset, uint64_t size, mem_lock *lock)
{
    return mem_block{offset, size, lock->id, lock, MEM_BLOCK_TYPE_MEMORY, 1, -1};
}

bool block_valid(const mem_block &b)
{
    return b.lock && b.lock_id != 0 && b.lock->id == b.lock_id;
}

// The error of a block that is not valid: never initialised or freed.
uint32_t block_fault(const mem_block &b)
{
    return b.lock ? ERROR_FREED : ERROR_NOT_INITIALISED;
}

uint8_t *scratch_get(int64_t count)
{
    uint64_t n = count > 0 ? uint64_t(count) : 1;
    if (n > SCRATCH_LIMIT) {
        error_raise(ERROR_SCRATCH_MEMORY);
        return nullptr;
    }
    if (n > scratch_size) {
        auto *grown = static_cast<uint8_t *>(std::realloc(scratch, n));
        if (!grown) {
            error_raise(ERROR_SCRATCH_MEMORY);
            return nullptr;
        }
        scratch = grown;
        scratch_size = n;
    }
    std::memset(scratch, 0, n);
    return scratch;
}

} // namespace

// True when (start, count) lies inside the block; 64-bit arithmetic that
// cannot overflow.
bool mem_block_range_inside(const mem_block &b, uintptr_t start, int64_t count)
{
    if (count < 0 || start < b.offset)
        return false;
    const uint64_t skip = uint64_t(start - b.offset);
    return skip <= b.size && uint64_t(count) <= b.size - skip;
}

// The error of a fill or get over (start, count), or 0 when it may go ahead.
uint32_t mem_block_access_fault(const mem_block &b, uintptr_t start, int64_t count)
{
    if (!block_valid(b))
        return block_fault(b);
    if (count < 0)
        return ERROR_INVALID_SIZE;
    return mem_block_range_inside(b, start, count) ? 0 : ERROR_OUT_OF_RANGE;
}

void mem_block_allocations_fail(bool fail)
{
    allocations_fail = fail;
}

mem_block mem_block_from_address(uintptr_t address, int64_t size)
{
    if (error_pending.load())
        return mem_block{};
    if (size < 0) {
        error_raise(ERROR_INVALID_SIZE);
        return mem_block{};
    }
    mem_lock *lock = mem_lock_new();
    return lock ? block_over(address, uint64_t(size), lock) : mem_block{};
}

mem_block mem_block_new(int64_t size)
{
    if (error_pending.load())
        return mem_block{};
    if (size < 0) {
        error_raise(ERROR_ILLEGAL_CALL);
        return mem_block{};
    }
    mem_lock *lock = mem_lock_new();
    if (!lock)
        return mem_block{};
    if (size == 0)
        return block_over(1, 0, lock);
    void *memory = nullptr;
    if (!allocations_fail && uint64_t(size) <= ALLOCATION_LIMIT)
        memory = std::calloc(size_t(size), 1);
    if (!memory)
        return block_over(0, 0, lock);
    lock->kind = MEM_LOCK_OWNS_MEMORY;
    lock->owned = memory;
    return block_over(reinterpret_cast<uintptr_t>(memory), uint64_t(size), lock);
}

mem_block mem_block_for_variable(uintptr_t offset, uint64_t size, uint32_t type,
                                 uint32_t element_size, mem_lock *lock)
{
    return mem_block{offset, size, lock ? lock->id : 0, lock, type, element_size, -1};
}

void mem_block_free(const mem_block &block)
{
    if (!block.lock) {
        error_raise(ERROR_NOT_INITIALISED);
        return;
    }
    if (!block_valid(block)) {
        error_raise(ERROR_ALREADY_FREED);
        return;
    }
    if (block.lock->kind != MEM_LOCK_IMAGE)
        mem_lock_free(block.lock);
}

int32_t mem_block_exists(const mem_block &block)
{
    return block_valid(block) ? -1 : 0;
}

uintptr_t mem_block_check_get(const mem_block &block, uintptr_t start, int64_t count)
{
    const uint32_t fault = mem_block_access_fault(block, start, count);
    if (!fault)
        return start;
    error_raise(fault);
    return reinterpret_cast<uintptr_t>(scratch_get(count));
}

void mem_block_copy(const mem_block &source, uintptr_t source_start, int64_t count,
                    const mem_block &destination, uintptr_t destination_start)
{
    if (!source.lock || !destination.lock) {
        error_raise(!source.lock && !destination.lock ? ERROR_BOTH_NOT_INITIALISED
                    : !destination.lock               ? ERROR_DESTINATION_NOT_INITIALISED
                                                      : ERROR_SOURCE_NOT_INITIALISED);
        return;
    }
    const bool source_valid = block_valid(source), destination_valid = block_valid(destination);
    const bool source_inside = mem_block_range_inside(source, source_start, count);
    const bool destination_inside = mem_block_range_inside(destination, destination_start, count);
    if (source_valid && destination_valid && source_inside && destination_inside) {
        std::memmove(reinterpret_cast<void *>(destination_start),
                     reinterpret_cast<const void *>(source_start), size_t(count));
        return;
    }
    if (!source_valid || !destination_valid) {
        error_raise(!source_valid && !destination_valid ? ERROR_BOTH_FREED
                    : !source_valid                     ? ERROR_SOURCE_FREED
                                                        : ERROR_DESTINATION_FREED);
        return;
    }
    if (count < 0) {
        error_raise(ERROR_INVALID_SIZE);
        return;
    }
    error_raise(source_inside        ? ERROR_DESTINATION_OUT_OF_RANGE
                : destination_inside ? ERROR_SOURCE_OUT_OF_RANGE
                                     : ERROR_BOTH_OUT_OF_RANGE);
}
