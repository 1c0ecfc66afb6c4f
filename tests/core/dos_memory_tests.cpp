#include "core/dos_memory.h"

#include "core/critical_support.h"
#include "core/errors.h"
#include "support/gives_raising.h"

#include <gtest/gtest.h>

namespace {

struct DosMemoryTest : testing::Test {
    void SetUp() override
    {
        dos_memory_startup();
        error_pending_take();
    }
    void TearDown() override { error_pending_take(); }

    static uint32_t linear(const uint8_t *p) { return uint32_t(p - emulated_dos_memory); }
};

TEST_F(DosMemoryTest, BlocksComeFromTheTopAndFreedGapsAreReused)
{
    uint8_t *first = dos_memory_alloc(1);
    uint8_t *second = dos_memory_alloc(16);
    EXPECT_EQ(linear(first), 0xA0000u - 16);
    EXPECT_EQ(linear(second), 0xA0000u - 32);
    dos_memory_free(first);
    EXPECT_EQ(dos_memory_alloc(16), first);
    // A 17-byte request takes 32 bytes below the lowest block.
    EXPECT_TRUE(gives_raising(linear(dos_memory_alloc(17)), 0xA0000u - 64, 0));
}

TEST_F(DosMemoryTest, GapBetweenBlocksTakesOnlyWhatFits)
{
    uint8_t *a = dos_memory_alloc(64);
    uint8_t *b = dos_memory_alloc(64);
    uint8_t *c = dos_memory_alloc(64);
    dos_memory_free(b);
    // Too big for the 64-byte hole between a and c: goes below c.
    EXPECT_EQ(dos_memory_alloc(80), c - 80);
    // Two 32-byte blocks fill the hole from its top.
    EXPECT_EQ(dos_memory_alloc(32), a - 32);
    EXPECT_EQ(dos_memory_alloc(32), a - 64);
    EXPECT_EQ(dos_memory_alloc(16), c - 96);
}

TEST_F(DosMemoryTest, FreeIgnoresAddressesThatStartNoBlock)
{
    uint8_t *a = dos_memory_alloc(32);
    dos_memory_free(nullptr);
    dos_memory_free(a + 16);
    dos_memory_free(emulated_dos_memory + 0xA0000);
    dos_memory_free(emulated_dos_memory + DOS_MEMORY_SIZE + 100);
    // a is still taken.
    EXPECT_EQ(dos_memory_alloc(32), a - 32);
    dos_memory_free(a);
    dos_memory_free(a); // the second free finds no block
    EXPECT_EQ(dos_memory_alloc(32), a);
    EXPECT_EQ(dos_memory_alloc(32), a - 64);
}

TEST_F(DosMemoryTest, ZeroBytesGiveSegmentA000)
{
    EXPECT_EQ(linear(dos_memory_alloc(0)), 0xA0000u);
    EXPECT_EQ(linear(dos_memory_alloc(16)), 0xA0000u - 16);
}

TEST_F(DosMemoryTest, HeapFillsDownToTheEndOfTheStringArea)
{
    uint32_t room = 0xA0000 - DOS_BLOCK_HEAP_FLOOR;
    uint8_t *lowest = nullptr;
    for (uint32_t taken = 0; taken + 65536 <= room; taken += 65536)
        lowest = dos_memory_alloc(65536);
    uint32_t rest = 0xA0000 - linear(lowest);
    uint8_t *last = dos_memory_alloc(room - rest);
    EXPECT_EQ(linear(last), DOS_BLOCK_HEAP_FLOOR);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(DosMemoryTest, ImpossibleBlocksAreCritical)
{
    EXPECT_CRITICAL_ERROR(dos_memory_alloc(65537), 505, "Critical Error #5\\][[:space:]]+Out of memory");
    EXPECT_CRITICAL_ERROR(
        {
            for (int i = 0; i < 10; i++)
                dos_memory_alloc(65536);
        },
        506, "Critical Error #6\\][[:space:]]+Out of memory");
}

TEST_F(DosMemoryTest, PeekAndPokeUseTheLowWordOfTheOffset)
{
    rt_poke(0, 0x1234);
    EXPECT_EQ(emulated_dos_memory[0x500], 0x34);
    rt_poke(-1, 7);
    EXPECT_EQ(emulated_dos_memory[0x500 + 0xFFFF], 7);
    EXPECT_EQ(rt_peek(-1), 7);
    EXPECT_EQ(rt_peek(65535), 7);
    EXPECT_TRUE(gives_raising(rt_peek(-65536), 0x34, 0));
}

TEST_F(DosMemoryTest, PeekAndPokeOutsideTheirRangeOverflow)
{
    emulated_dos_memory[0x500] = 9;
    EXPECT_TRUE(gives_raising(rt_peek(65536), 0, 6));
    EXPECT_TRUE(gives_raising(rt_peek(-65537), 0, 6));
    rt_poke(65536, 1);
    EXPECT_EQ(error_pending_take(), 6u);
    EXPECT_EQ(emulated_dos_memory[0x500], 9);
    // While an error is pending POKE does nothing; PEEK still reads.
    error_raise(5);
    rt_poke(0, 1);
    EXPECT_EQ(rt_peek(0), 9);
}

TEST_F(DosMemoryTest, DefSegMovesTheBase)
{
    rt_def_seg(0xB800, 1);
    EXPECT_EQ(peek_base, 0xB8000u);
    rt_poke(0xFFFF, 0xAA); // the highest byte PEEK and POKE can reach
    EXPECT_EQ(emulated_dos_memory[0xB8000 + 0xFFFF], 0xAA);
    rt_def_seg(-1, 1);
    EXPECT_EQ(peek_base, 0xFFFF0u);
    rt_poke(0xFFFF, 1);
    EXPECT_EQ(emulated_dos_memory[0x10FFEF], 1);
    rt_def_seg(-65536, 1);
    EXPECT_EQ(peek_base, 0u);
    rt_def_seg(0, 0);
    EXPECT_EQ(peek_base, 0x500u);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(DosMemoryTest, DefSegOutsideItsRangeOverflowsAndKeepsTheBase)
{
    rt_def_seg(0x40, 1);
    rt_def_seg(65536, 1);
    EXPECT_EQ(error_pending_take(), 6u);
    rt_def_seg(-65537, 1);
    EXPECT_EQ(error_pending_take(), 6u);
    EXPECT_EQ(peek_base, 0x400u);
    error_raise(5);
    rt_def_seg(0, 0);
    EXPECT_EQ(peek_base, 0x400u);
}

} // namespace
