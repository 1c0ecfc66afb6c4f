// The static variable pool: a bump allocator over blocks that never move.
#include "core/memory.h"

#include "core/errors.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t ERROR_ILLEGAL_FUNCTION_CALL = 5;
constexpr uint32_t ERROR_STATIC_POOL_BLOCK = 504;

// The pool's sizes were 32-bit words; a block beyond that is refused.
constexpr uint64_t STATIC_POOL_MAX_BLOCK = 0xFFFFFFFF;
constexpr uintptr_t STATIC_POOL_ALIGN = alignof(std::max_align_t);

struct static_pool {
    uint8_t *start = nullptr; // current block
    uint8_t *bump = nullptr;
    uint8_t *end = nullptr;
    uint64_t block_size = 0;
    std::vector<uint8_t *> blocks; // every block, freed by static_pool_init
};

static_pool pool;

// Bytes from p to the next aligned address.
uint64_t align_padding(const uint8_t *p)
{
    auto address = reinterpret_cast<uintptr_t>(p);
    return (STATIC_POOL_ALIGN - address % STATIC_POOL_ALIGN) % STATIC_POOL_ALIGN;
}

// Makes a block of size bytes current; false when it cannot be had.
bool block_start(uint64_t size)
{
    if (size > STATIC_POOL_MAX_BLOCK)
        return false;
    auto *block = static_cast<uint8_t *>(std::malloc(size));
    if (!block)
        return false;
    pool.blocks.push_back(block);
    pool.start = pool.bump = block;
    pool.end = block + size;
    pool.block_size = size;
    return true;
}

} // namespace

void static_pool_init(uint64_t size)
{
    for (uint8_t *block : pool.blocks)
        std::free(block);
    pool = static_pool{};
    if (!block_start(size))
        error_raise(ERROR_STATIC_POOL_BLOCK);
}

// Rounds the bump pointer up for alignment, then takes n bytes; a request that
// reaches the block's end goes to a new block of 2 x the block size + n.
uint8_t *static_pool_alloc(int32_t n)
{
    if (n < 0) {
        error_raise(ERROR_ILLEGAL_FUNCTION_CALL);
        return pool.bump;
    }
    if (!pool.bump)
        static_pool_init();
    uint64_t padding = align_padding(pool.bump);
    if (padding + uint64_t(n) >= uint64_t(pool.end - pool.bump)) {
        if (!block_start(pool.block_size * 2 + uint64_t(n))) {
            error_raise(ERROR_STATIC_POOL_BLOCK);
            return nullptr;
        }
        padding = 0;
    }
    uint8_t *p = pool.bump + padding;
    pool.bump = p + n;
    std::memset(p, 0, size_t(n));
    return p;
}

uint8_t *static_pool_mark() { return pool.bump; }

void static_pool_restore(uint8_t *mark)
{
    if (mark >= pool.start && mark <= pool.end)
        pool.bump = mark;
    else
        pool.bump = pool.start;
}
