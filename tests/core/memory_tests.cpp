#include "core/memory.h"

#include "core/critical_support.h"
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/gosub_stack.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

struct MemoryTest : testing::Test {
    void SetUp() override
    {
        error_pending_take();
        static_pool_init();
        mem_locks_init();
        dos_memory_startup();
        gosub_stack_init();
        program_arrays_forget();
        program_clear_close_files_hook = nullptr;
        program_clear_free_images_hook = nullptr;
    }
    void TearDown() override
    {
        program_arrays_forget();
        program_clear_close_files_hook = nullptr;
        program_clear_free_images_hook = nullptr;
        error_pending_take();
    }
};

bool all_zero(const uint8_t *p, size_t n)
{
    return std::all_of(p, p + n, [](uint8_t b) { return b == 0; });
}

TEST_F(MemoryTest, PoolHandsOutAlignedZeroedBytesAndRewindsToAMark)
{
    uint8_t *mark = static_pool_mark();
    uint8_t *a = static_pool_alloc(3);
    uint8_t *b = static_pool_alloc(8);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % alignof(std::max_align_t), 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % alignof(std::max_align_t), 0u);
    EXPECT_GE(b, a + 3);
    std::memset(a, 0xEE, 3);
    static_pool_restore(mark);
    uint8_t *again = static_pool_alloc(3);
    EXPECT_EQ(again, a);
    EXPECT_TRUE(all_zero(again, 3));
    // A mark from outside the current block rewinds to the block's start.
    uint8_t outside = 0;
    static_pool_restore(&outside);
    EXPECT_EQ(static_pool_alloc(1), a);
}

TEST_F(MemoryTest, FullPoolBlockIsFollowedByALargerOneAndOldBytesStay)
{
    static_pool_init(64);
    uint8_t *first = static_pool_alloc(40);
    std::memset(first, 0x5A, 40);
    // 48 + 100 passes the end: a new block of 2 x 64 + 100 = 228 bytes.
    uint8_t *big = static_pool_alloc(100);
    std::memset(big, 0x11, 100);
    // 112 + 120 passes 228: a new block of 2 x 228 + 120 = 576 bytes.
    uint8_t *next = static_pool_alloc(120);
    std::memset(next, 0x22, 120);
    EXPECT_EQ(first[39], 0x5A);
    EXPECT_EQ(big[99], 0x11);
    EXPECT_EQ(static_pool_alloc(16), next + 128);
    // A mark in an older block no longer rewinds into it.
    static_pool_restore(big + 50);
    EXPECT_EQ(static_pool_alloc(8), next);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(MemoryTest, PoolRefusesANegativeSize)
{
    uint8_t *mark = static_pool_mark();
    static_pool_alloc(-8);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(static_pool_mark(), mark);
}

TEST_F(MemoryTest, LockIdsCountUpAndFreedRecordsComeBackNewestFirst)
{
    mem_lock *a = mem_lock_new();
    EXPECT_EQ(a->id, 0x40000000u);
    EXPECT_EQ(mem_lock_last, a);
    mem_lock *b = mem_lock_new();
    EXPECT_EQ(b->id, 0x40000001u);
    mem_lock_free(a);
    mem_lock_free(b);
    EXPECT_EQ(a->id, 0u);
    mem_lock *c = mem_lock_new();
    EXPECT_EQ(c, b);
    EXPECT_EQ(c->id, 0x40000002u);
    EXPECT_EQ(mem_lock_new(), a);
}

TEST_F(MemoryTest, LockFreesItsOwnedBlockAndIgnoresASecondFree)
{
    mem_lock *lock = mem_lock_new();
    lock->kind = MEM_LOCK_OWNS_MEMORY;
    lock->owned = std::malloc(32);
    mem_lock_free(lock);
    EXPECT_EQ(lock->owned, nullptr);
    mem_lock_free(lock); // a second free must not hand the record out twice
    mem_lock_free(nullptr);
    mem_lock *first = mem_lock_new();
    mem_lock *second = mem_lock_new();
    EXPECT_EQ(first, lock);
    EXPECT_NE(second, lock);
    // A reused record starts as a plain lock that owns nothing.
    EXPECT_EQ(first->kind, MEM_LOCK_RAW);
    EXPECT_EQ(first->owned, nullptr);
}

TEST_F(MemoryTest, LocksOutlastPoolsAndFreeListGrowth)
{
    std::vector<mem_lock *> locks;
    for (uint32_t i = 0; i < MEM_LOCK_POOL_RECORDS * 2 + 5; i++)
        locks.push_back(mem_lock_new());
    for (uint32_t i = 0; i < locks.size(); i++)
        ASSERT_EQ(locks[i]->id, MEM_LOCK_FIRST_ID + i);
    for (mem_lock *lock : locks)
        mem_lock_free(lock); // 20,005 frees: the free list doubles several times
    EXPECT_EQ(mem_lock_new(), locks.back());
    EXPECT_EQ(error_pending_take(), 0u);
}

int close_calls = 0;
int image_calls = 0;

TEST_F(MemoryTest, ClearFreesAllocatedArraysAndResetsTheProgramState)
{
    array_descriptor heap_array{std::calloc(10, 4), ARRAY_ALLOCATED, 1, nullptr, {{1, 10, {}}}};
    uint8_t *dos_data = dos_memory_alloc(32);
    array_descriptor dos_array{dos_data, ARRAY_ALLOCATED | ARRAY_IN_DOS_MEMORY, 1, nullptr,
                               {{0, 16, {}}}};
    int32_t static_data[4] = {};
    array_descriptor unallocated{static_data, ARRAY_STATIC, 1, nullptr, {{0, 4, {}}}};
    for (array_descriptor *a : {&heap_array, &dos_array, &unallocated})
        program_array_register(a);
    close_calls = image_calls = 0;
    program_clear_close_files_hook = [] { close_calls++; };
    program_clear_free_images_hook = [] { image_calls++; };
    on_error_armed = 1;
    on_error_inside_handler = 1;
    gosub_push(4);

    program_clear_arrays();

    for (array_descriptor *a : {&heap_array, &dos_array}) {
        EXPECT_EQ(a->data, array_zero_block);
        EXPECT_EQ(a->flags & (ARRAY_ALLOCATED | ARRAY_IN_DOS_MEMORY), 0u);
        EXPECT_EQ(a->dimension_count, 0);
        EXPECT_EQ(a->dimensions[0].element_count, 0);
        EXPECT_EQ(a->dimensions[0].lower_bound, 0);
    }
    EXPECT_EQ(unallocated.data, static_data);
    EXPECT_TRUE(all_zero(array_zero_block, 8));
    // The DOS block went back to the heap.
    EXPECT_EQ(dos_memory_alloc(32), dos_data);
    EXPECT_EQ(close_calls, 1);
    EXPECT_EQ(image_calls, 1);
    EXPECT_EQ(on_error_armed.load(), 0u);
    EXPECT_EQ(on_error_inside_handler.load(), 0u);
    EXPECT_EQ(gosub_count, 0u);
    // A second CLEAR frees nothing twice and still works without hooks.
    program_clear_close_files_hook = nullptr;
    program_clear_free_images_hook = nullptr;
    program_clear_arrays();
    EXPECT_EQ(heap_array.data, array_zero_block);
}

TEST_F(MemoryTest, MemorySwapExchangesWordsAndTheOddTail)
{
    for (int32_t n : {0, 1, 3, 4, 7, 8, 13}) {
        std::vector<uint8_t> p(16), q(16);
        std::iota(p.begin(), p.end(), 0);
        std::iota(q.begin(), q.end(), 100);
        memory_swap(p.data() + 1, q.data() + 1, n); // unaligned on purpose
        for (int32_t i = 0; i < 16; i++) {
            bool swapped = i >= 1 && i < 1 + n;
            EXPECT_EQ(p[i], swapped ? 100 + i : i) << "n " << n << " byte " << i;
            EXPECT_EQ(q[i], swapped ? i : 100 + i) << "n " << n << " byte " << i;
        }
    }
    uint8_t x = 1, y = 2;
    memory_swap(&x, &y, -4);
    EXPECT_EQ(x, 1);
}

TEST(MemoryDeathTest, PoolBlockThatCannotBeHadIsCritical)
{
    EXPECT_CRITICAL_ERROR(
        {
            // 2 x (2^31 - 1) + 2^31 - 1 bytes is past the pool's 32-bit sizes.
            static_pool_init(0x7FFFFFFF);
            static_pool_alloc(0x7FFFFFFF);
        },
        504, "Critical Error #4\\][[:space:]]+Out of memory");
}

} // namespace
