// Memory locks: records cut from pools of MEM_LOCK_POOL_RECORDS that never
// move, with a free list that hands back the most recently freed first.
#include "core/memory.h"

#include "core/errors.h"

#include <cstdlib>
#include <new>

mem_lock *mem_lock_last = nullptr;

namespace {

constexpr uint32_t ERROR_OUT_OF_MEMORY = 257;

// Pools are chained through a header so that mem_locks_init can release them.
struct mem_lock_pool {
    mem_lock_pool *previous;
    mem_lock records[MEM_LOCK_POOL_RECORDS];
};

struct mem_lock_state {
    mem_lock_pool *pool = nullptr; // current pool
    uint32_t pool_used = 0;
    mem_lock **free_list = nullptr;
    uint32_t free_count = 0;
    uint32_t free_capacity = 0;
    uint64_t last_id = MEM_LOCK_FIRST_ID - 1;
};

mem_lock_state locks;

bool pool_add()
{
    auto *pool = new (std::nothrow) mem_lock_pool{locks.pool, {}};
    if (!pool)
        return false;
    locks.pool = pool;
    locks.pool_used = 0;
    return true;
}

void pools_release()
{
    while (locks.pool) {
        mem_lock_pool *previous = locks.pool->previous;
        delete locks.pool;
        locks.pool = previous;
    }
    std::free(locks.free_list);
    locks = mem_lock_state{};
    mem_lock_last = nullptr;
}

// A record from the free list, else from the current pool; null when memory
// runs out.
mem_lock *record_take()
{
    if (locks.free_count > 0)
        return locks.free_list[--locks.free_count];
    if (!locks.pool || locks.pool_used == MEM_LOCK_POOL_RECORDS) {
        if (!pool_add())
            return nullptr;
    }
    return &locks.pool->records[locks.pool_used++];
}

// Doubles the free list when it is full; false when memory runs out.
bool free_list_reserve()
{
    if (locks.free_count < locks.free_capacity)
        return true;
    uint64_t capacity = locks.free_capacity ? uint64_t(locks.free_capacity) * 2
                                            : MEM_LOCK_FREE_LIST_START;
    auto *list =
        static_cast<mem_lock **>(std::realloc(locks.free_list, capacity * sizeof(mem_lock *)));
    if (!list)
        return false;
    locks.free_list = list;
    locks.free_capacity = uint32_t(capacity);
    return true;
}

} // namespace

void mem_locks_init()
{
    pools_release();
    if (!pool_add() || !free_list_reserve())
        error_raise(ERROR_OUT_OF_MEMORY);
}

mem_lock *mem_lock_new()
{
    mem_lock *lock = record_take();
    if (!lock) {
        error_raise(ERROR_OUT_OF_MEMORY);
        return nullptr;
    }
    *lock = mem_lock{++locks.last_id, MEM_LOCK_RAW, nullptr};
    mem_lock_last = lock;
    return lock;
}

void mem_lock_free(mem_lock *lock)
{
    if (!lock || lock->id == 0)
        return;
    if (!free_list_reserve()) {
        error_raise(ERROR_OUT_OF_MEMORY);
        return;
    }
    lock->id = 0;
    if (lock->kind == MEM_LOCK_OWNS_MEMORY)
        std::free(lock->owned);
    lock->owned = nullptr;
    locks.free_list[locks.free_count++] = lock;
}
