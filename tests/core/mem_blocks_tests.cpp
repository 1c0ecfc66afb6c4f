#include "core/mem_blocks.h"

#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/memory.h"
#include "core/strings.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace
{

struct MemBlocks : testing::Test {
    void SetUp() override
    {
        error_pending_take();
        frame_builder_started = false;
        dos_memory_reset();
        strings_static_init();
        screen_startup();
        mem_locks_init();
    }
    // Pages go before the lock pools they hold records of are released.
    void TearDown() override
    {
        mem_block_allocations_fail(false);
        screen_startup();
        error_pending_take();
    }
};

uintptr_t address_of(const void *p)
{
    return reinterpret_cast<uintptr_t>(p);
}

uint8_t *bytes_at(uintptr_t address)
{
    return reinterpret_cast<uint8_t *>(address);
}

std::vector<uint8_t> bytes_of(const mem_block &b)
{
    return std::vector<uint8_t>(bytes_at(b.offset), bytes_at(b.offset) + b.size);
}

TEST_F(MemBlocks, NewBlockTakesSixteenBytesAndRefusesSeventeen)
{
    mem_block b = mem_block_new(16);
    EXPECT_EQ(b.size, 16u);
    EXPECT_EQ(b.type, MEM_BLOCK_TYPE_MEMORY);
    EXPECT_EQ(b.element_size, 1u);
    EXPECT_EQ(b.image, -1);
    EXPECT_EQ(mem_block_exists(b), -1);
    mem_block_fill_u8(b, b.offset, 16, 0xAB);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(bytes_of(b), std::vector<uint8_t>(16, 0xAB));
    mem_block_fill_u8(b, b.offset, 17, 0xCD);
    EXPECT_EQ(error_pending_take(), 300u);
    mem_block_fill_u8(b, b.offset + 1, 16, 0xCD);
    EXPECT_EQ(error_pending_take(), 300u);
    EXPECT_EQ(bytes_of(b), std::vector<uint8_t>(16, 0xAB));
    mem_block_free(b);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(MemBlocks, FreedBlockIsDeadEverywhere)
{
    mem_block b = mem_block_new(8);
    mem_block copy = b;
    mem_block_free(b);
    EXPECT_EQ(mem_block_exists(copy), 0);
    mem_block_free(copy);
    EXPECT_EQ(error_pending_take(), 307u);
    mem_block_fill_u8(copy, copy.offset, 1, 1);
    EXPECT_EQ(error_pending_take(), 308u);
    // A new lock may reuse the record, but with a new id.
    mem_block again = mem_block_new(8);
    EXPECT_EQ(again.lock, b.lock);
    EXPECT_EQ(mem_block_exists(copy), 0);
    mem_block_free(again);
}

TEST_F(MemBlocks, EmptyAndFailedMakes)
{
    mem_block zero = mem_block_new(0);
    EXPECT_EQ(zero.offset, 1u);
    EXPECT_EQ(zero.size, 0u);
    mem_block_fill_u8(zero, zero.offset, 0, 9);
    EXPECT_EQ(error_pending_take(), 0u);

    mem_block_allocations_fail(true);
    mem_block failed = mem_block_new(100);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(failed.offset, 0u);
    EXPECT_EQ(failed.size, 0u);
    EXPECT_EQ(failed.lock->kind, MEM_LOCK_RAW);
    mem_block_free(failed);
    EXPECT_EQ(error_pending_take(), 0u);

    mem_block negative = mem_block_new(-1);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(negative.lock, nullptr);
    mem_block raw = mem_block_from_address(0x1000, -1);
    EXPECT_EQ(error_pending_take(), 301u);
    EXPECT_EQ(raw.type, 0u);
    error_raise(5);
    raw = mem_block_from_address(0x1000, 4);
    EXPECT_EQ(raw.lock, nullptr);
    EXPECT_EQ(error_pending_take(), 5u);
}

struct fill_case {
    const char *name;
    void (*fill)(const mem_block &, uintptr_t, int64_t);
    int64_t count;
    std::vector<uint8_t> expected; // of a 12-byte block filled with 0xEE first
};

const fill_case fill_cases[] = {
    {"u8",
     [](const mem_block &b, uintptr_t s, int64_t n) { mem_block_fill_u8(b, s, n, 7); },
     3,
     {7, 7, 7}},
    {"u16",
     [](const mem_block &b, uintptr_t s, int64_t n) { mem_block_fill_u16(b, s, n, 0x0201); },
     5,
     {1, 2, 1, 2, 1}},
    {"u32 cut short",
     [](const mem_block &b, uintptr_t s, int64_t n) { mem_block_fill_u32(b, s, n, 0x04030201); },
     10,
     {1, 2, 3, 4, 1, 2, 3, 4, 1, 2}},
    {"u32_b",
     [](const mem_block &b, uintptr_t s, int64_t n) { mem_block_fill_u32_b(b, s, n, 0x04030201); },
     4,
     {1, 2, 3, 4}},
    {"u32_c",
     [](const mem_block &b, uintptr_t s, int64_t n) { mem_block_fill_u32_c(b, s, n, 0x04030201); },
     6,
     {1, 2, 3, 4, 1, 2}},
    {"u64",
     [](const mem_block &b, uintptr_t s, int64_t n) {
         mem_block_fill_u64(b, s, n, 0x0807060504030201);
     },
     12,
     {1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4}},
    {"u64_b",
     [](const mem_block &b, uintptr_t s, int64_t n) { mem_block_fill_u64_b(b, s, n, 0x0201); },
     9,
     {1, 2, 0, 0, 0, 0, 0, 0, 1}},
    // 1.0L: mantissa 0x8000000000000000, exponent 0x3FFF; 22 zero bytes follow.
    {"long double",
     [](const mem_block &b, uintptr_t s, int64_t n) { mem_block_fill_long_double(b, s, n, 1.0L); },
     12,
     {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F, 0, 0}},
};

TEST_F(MemBlocks, FillPatterns)
{
    for (const fill_case &c : fill_cases) {
        SCOPED_TRACE(c.name);
        mem_block b = mem_block_new(12);
        mem_block_fill_u8(b, b.offset, 12, 0xEE);
        c.fill(b, b.offset, c.count);
        EXPECT_EQ(error_pending_take(), 0u);
        std::vector<uint8_t> expected = c.expected;
        expected.resize(12, 0xEE);
        EXPECT_EQ(bytes_of(b), expected);
        mem_block_free(b);
    }
}

TEST_F(MemBlocks, LongDoublePatternRepeatsEveryThirtyTwoBytes)
{
    std::vector<uint8_t> area(70, 0xEE);
    mem_fill_long_double(address_of(area.data()), 70, -2.5L);
    long double v = -2.5L;
    uint8_t value[10];
    std::memcpy(value, &v, 10);
    for (size_t i = 0; i < area.size(); i++)
        EXPECT_EQ(area[i], i % 32 < 10 ? value[i % 32] : 0) << i;
}

TEST_F(MemBlocks, RawFillsOfEveryWidthAndLength)
{
    // Long fills go through the chunked path; compare with a plain loop.
    for (int64_t n : {0, 1, 7, 4095, 4096, 4097, 100003}) {
        std::vector<uint8_t> area(size_t(n) + 1, 0xEE);
        mem_fill_u32(address_of(area.data()), n, 0xDDCCBBAA);
        for (int64_t i = 0; i < n; i++)
            ASSERT_EQ(area[size_t(i)], 0xAA + 0x11 * (i % 4)) << n << " " << i;
        EXPECT_EQ(area[size_t(n)], 0xEE);
    }
    uint8_t pattern[3] = {1, 2, 3};
    std::vector<uint8_t> area(9000);
    mem_fill_pattern(address_of(area.data()), 9000, pattern, 3);
    for (size_t i = 0; i < area.size(); i++)
        ASSERT_EQ(area[i], pattern[i % 3]) << i;
}

TEST_F(MemBlocks, FillErrorsInOrder)
{
    mem_block live = mem_block_new(4);
    mem_block freed = mem_block_new(4);
    mem_block_free(freed);
    uint8_t one = 1;
    struct {
        mem_block block;
        int64_t count;
        uint32_t pattern_size;
        uint32_t error;
    } cases[] = {
        {mem_block{}, -1, 0, 309}, {freed, -1, 0, 308}, {live, -1, 1, 301}, {live, 1, 0, 301},
        {live, 99, 0, 301},        {live, 5, 1, 300},   {live, 4, 1, 0},
    };
    for (const auto &c : cases) {
        mem_block_fill(c.block, c.block.offset, c.count, &one, c.pattern_size);
        EXPECT_EQ(error_pending_take(), c.error) << c.count << " " << c.pattern_size;
    }
    mem_block_free(live);
}

TEST_F(MemBlocks, ExtremeStartsAndCountsWriteNothing)
{
    std::vector<uint8_t> area(64, 0x55);
    mem_block b = mem_block_from_address(address_of(area.data()) + 16, 32);
    const uintptr_t top = std::numeric_limits<uintptr_t>::max();
    const int64_t huge = std::numeric_limits<int64_t>::max();
    struct {
        uintptr_t start;
        int64_t count;
        uint32_t error;
    } cases[] = {
        {b.offset - 1, 1, 300},
        {b.offset + 32, 1, 300},
        {b.offset + 1, huge, 300},
        {top, 2, 300},
        {top - 1, huge, 300},
        {0, 16, 300},
        {b.offset, int64_t(1) << 32, 300},
        {b.offset + 33, 0, 300},
        {b.offset, std::numeric_limits<int64_t>::min(), 301},
    };
    for (const auto &c : cases) {
        mem_block_fill_u8(b, c.start, c.count, 0);
        EXPECT_EQ(error_pending_take(), c.error) << c.start << " " << c.count;
        mem_block_copy(b, b.offset, c.count, b, c.start);
        EXPECT_EQ(error_pending_take(), c.count < 0 ? 301u : c.count <= 32 ? 303u : 304u);
    }
    EXPECT_EQ(area, std::vector<uint8_t>(64, 0x55));
    mem_block_fill_u8(b, b.offset + 32, 0, 0);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(MemBlocks, FailedGetsHandOutOneZeroedScratchBuffer)
{
    mem_block b = mem_block_new(8);
    EXPECT_EQ(mem_block_check_get(b, b.offset + 4, 4), b.offset + 4);
    EXPECT_EQ(error_pending_take(), 0u);
    uintptr_t first = mem_block_check_get(b, b.offset + 5, 4);
    EXPECT_EQ(error_pending_take(), 300u);
    std::memset(bytes_at(first), 0xFF, 4); // the caller writes into it
    uintptr_t second = mem_block_check_get(b, b.offset + 6, 3);
    EXPECT_EQ(error_pending_take(), 300u);
    EXPECT_EQ(second, first);
    EXPECT_EQ(std::vector<uint8_t>(bytes_at(second), bytes_at(second) + 3),
              std::vector<uint8_t>(3, 0));
    uintptr_t larger = mem_block_check_get(b, b.offset, 9); // grows the buffer
    EXPECT_EQ(error_pending_take(), 300u);
    EXPECT_EQ(std::vector<uint8_t>(bytes_at(larger), bytes_at(larger) + 9),
              std::vector<uint8_t>(9, 0));
    mem_block_check_get(b, b.offset, -4);
    EXPECT_EQ(error_pending_take(), 301u);
    mem_block_check_get(mem_block{}, 0, 1);
    EXPECT_EQ(error_pending_take(), 309u);
    mem_block_free(b);
    mem_block_check_get(b, b.offset, 1);
    EXPECT_EQ(error_pending_take(), 308u);
}

TEST_F(MemBlocks, OverlappingCopiesMoveAsMemmove)
{
    mem_block b = mem_block_new(10);
    for (int i = 0; i < 10; i++)
        bytes_at(b.offset)[i] = uint8_t(i);
    mem_block_copy(b, b.offset, 6, b, b.offset + 2);
    EXPECT_EQ(bytes_of(b), (std::vector<uint8_t>{0, 1, 0, 1, 2, 3, 4, 5, 8, 9}));
    mem_block_copy(b, b.offset + 3, 7, b, b.offset);
    EXPECT_EQ(bytes_of(b), (std::vector<uint8_t>{1, 2, 3, 4, 5, 8, 9, 5, 8, 9}));
    EXPECT_EQ(error_pending_take(), 0u);
    mem_block_free(b);
}

// A program keeps records in a block: clears it, stamps a 2-byte marker into
// each 8-byte record, copies a variable's bytes into one record, copies the
// block into a second one and reads the records back; after the free every
// access is refused and reads a zeroed scratch buffer.
TEST_F(MemBlocks, RecordsFilledCopiedAndReadBack)
{
    mem_block table = mem_block_new(32), copy = mem_block_new(32);
    mem_block_fill_u8(table, table.offset, 32, 0);
    for (int r = 0; r < 4; r++)
        mem_block_fill_u16(table, table.offset + 8 * r, 2, uint16_t(0xA500 + r));
    uint32_t price = 0x01020304;
    mem_lock *lock = mem_lock_new();
    const mem_block var = mem_block_for_variable(address_of(&price), 4, 20, 4, lock);
    mem_block_copy(var, var.offset, 4, table, table.offset + 8 * 2 + 4);
    mem_block_copy(table, table.offset, 32, copy, copy.offset);
    EXPECT_EQ(error_pending_take(), 0u);

    const uint8_t *rec = bytes_at(mem_block_check_get(copy, copy.offset + 16, 8));
    EXPECT_EQ(std::vector<uint8_t>(rec, rec + 8),
              (std::vector<uint8_t>{0x02, 0xA5, 0, 0, 4, 3, 2, 1}));
    rec = bytes_at(mem_block_check_get(copy, copy.offset + 24, 8));
    EXPECT_EQ(rec[0] | rec[1] << 8, 0xA503);
    EXPECT_EQ(error_pending_take(), 0u);

    mem_block_free(table);
    mem_block_free(copy);
    mem_lock_free(lock);
    EXPECT_EQ(error_pending_take(), 0u);
    rec = bytes_at(mem_block_check_get(copy, copy.offset, 8));
    EXPECT_EQ(error_pending_take(), 308u);
    EXPECT_EQ(std::vector<uint8_t>(rec, rec + 8), std::vector<uint8_t>(8, 0));
    mem_block_copy(var, var.offset, 4, table, table.offset);
    EXPECT_EQ(error_pending_take(), 313u);
}

TEST_F(MemBlocks, CopyErrorTable)
{
    mem_block a = mem_block_new(4), b = mem_block_new(4);
    mem_block dead1 = mem_block_new(4), dead2 = mem_block_new(4);
    mem_block_free(dead1);
    mem_block_free(dead2);
    const mem_block none{};
    struct {
        const mem_block &source;
        uintptr_t source_skip;
        int64_t count;
        const mem_block &destination;
        uintptr_t destination_skip;
        uint32_t error;
    } cases[] = {
        {none, 0, 1, none, 0, 312},   {a, 0, 1, none, 0, 311},  {none, 0, 1, a, 0, 310},
        {dead1, 0, 1, dead2, 0, 313}, {dead1, 0, 1, a, 0, 305}, {a, 0, 1, dead1, 0, 306},
        {a, 0, -1, b, 0, 301},        {a, 0, 4, b, 1, 303},     {a, 1, 4, b, 0, 302},
        {a, 1, 4, b, 1, 304},         {a, 0, 4, b, 0, 0},       {a, 4, 0, b, 4, 0},
    };
    for (const auto &c : cases) {
        mem_block_copy(c.source, c.source.offset + c.source_skip, c.count, c.destination,
                       c.destination.offset + c.destination_skip);
        EXPECT_EQ(error_pending_take(), c.error) << c.error;
    }
    mem_block_free(a);
    mem_block_free(b);
}

TEST_F(MemBlocks, VariableBlocksFollowTheirLock)
{
    int32_t values[4] = {};
    mem_lock *lock = mem_lock_new();
    mem_block b = mem_block_for_variable(address_of(values), sizeof values, 20, 4, lock);
    mem_block_fill_u32(b, b.offset + 4, 8, 0x01020304);
    EXPECT_EQ(values[1], 0x01020304);
    EXPECT_EQ(values[3], 0);
    mem_lock_free(lock);
    EXPECT_EQ(mem_block_exists(b), 0);
    mem_block none = mem_block_for_variable(address_of(values), 4, 20, 4, nullptr);
    mem_block_fill_u8(none, none.offset, 1, 0);
    EXPECT_EQ(error_pending_take(), 309u);
}

TEST_F(MemBlocks, ImageBlocksLiveAsLongAsTheImage)
{
    int32_t handle = image_new(10, 4, 256, true);
    mem_block b = mem_block_of_image(handle, 1);
    mem_block again = mem_block_of_image(handle, 1);
    EXPECT_EQ(b.lock_id, again.lock_id);
    EXPECT_EQ(b.size, 40u);
    EXPECT_EQ(b.type, MEM_BLOCK_TYPE_IMAGE + 1);
    EXPECT_EQ(b.image, handle);
    mem_block_fill_u8(b, b.offset, 40, 3);
    EXPECT_EQ(image_slot_get(uint32_t(-handle))->pixels[39], 3);
    mem_block_free(b); // the image keeps its lock
    EXPECT_EQ(mem_block_exists(again), -1);
    image_free(handle, true);
    EXPECT_EQ(mem_block_exists(again), 0);
    mem_block_fill_u8(again, again.offset, 1, 0);
    EXPECT_EQ(error_pending_take(), 308u);

    mem_block bad = mem_block_of_image(handle, 1);
    EXPECT_EQ(error_pending_take(), 258u);
    EXPECT_EQ(bad.size, 0u);
    mem_block_fill_u8(bad, 0, 0, 0);
    EXPECT_EQ(error_pending_take(), 308u);

    mem_block text = mem_block_of_image(0, 0); // the write page: 80 x 25 cells
    EXPECT_EQ(text.size, 4000u);
    EXPECT_EQ(text.element_size, 2u);
}

TEST_F(MemBlocks, WidthOnAnImageScreenEndsBlocksOverTheOldPixels)
{
    int32_t handle = image_new(64, 32, 32, true);
    rt_screen(handle, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    ASSERT_EQ(error_pending_take(), 0u);
    mem_block old = mem_block_of_image(0, 0);
    ASSERT_EQ(old.size, 64u * 32 * 4);
    rt_width(0, 4, 2, 3);
    ASSERT_EQ(error_pending_take(), 0u);
    mem_block_fill_u32(old, old.offset, int64_t(old.size), 0xFFFFFFFF);
    EXPECT_EQ(error_pending_take(), 308u);
    mem_block now = mem_block_of_image(0, 0);
    EXPECT_NE(now.lock_id, old.lock_id);
    EXPECT_EQ(now.size, uint64_t(write_page.record->width) * write_page.record->height * 4);
    mem_block_fill_u32(now, now.offset, int64_t(now.size), 0xFFFFFFFF);
    EXPECT_EQ(error_pending_take(), 0u);
}

} // namespace
