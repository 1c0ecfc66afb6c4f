#include "files/bsave_bload.h"

#include "core/dos_memory.h"
#include "core/errors.h"
#include "files/file_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace
{

struct BsaveBload : file_test {
    void SetUp() override
    {
        file_test::SetUp();
        dos_memory_startup();
    }
};

uint8_t *memory_at(uint32_t linear)
{
    return emulated_dos_memory + linear;
}

// Fills memory from linear with a recognisable sequence.
void memory_pattern(uint32_t linear, uint32_t count, uint8_t seed)
{
    for (uint32_t i = 0; i < count; i++)
        memory_at(linear)[i] = uint8_t(seed + i * 7 + (i >> 8));
}

std::string header(uint32_t segment, uint32_t offset, uint32_t length)
{
    const uint8_t h[7] = {0xFD,
                          uint8_t(segment),
                          uint8_t(segment >> 8),
                          uint8_t(offset),
                          uint8_t(offset >> 8),
                          uint8_t(length),
                          uint8_t(length >> 8)};
    return std::string(reinterpret_cast<const char *>(h), 7);
}

std::string memory_text(uint32_t linear, uint32_t count)
{
    return std::string(reinterpret_cast<const char *>(memory_at(linear)), count);
}

TEST_F(BsaveBload, WholeSegmentRoundTripsWithLengthZeroInTheHeader)
{
    rt_def_seg(0x2000, 1);
    memory_pattern(0x20000, 65536, 3);
    const std::string saved = memory_text(0x20000, 65536);
    rt_bsave(basic_text("SEG.BIN"), 0, 65536);
    const std::string file = file_read_all("SEG.BIN");
    ASSERT_EQ(file.size(), 7u + 65536);
    EXPECT_EQ(file.substr(0, 7), header(0x2000, 0, 0));
    std::memset(memory_at(0x20000), 0, 65536);
    rt_def_seg(0x3000, 1);                 // the header's address wins without an offset
    rt_bload(basic_text("seg.bin"), 0, 0); // names resolve ignoring case
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(memory_text(0x20000, 65536), saved);
    EXPECT_EQ(memory_text(0x30000, 16), std::string(16, '\0'));
}

TEST_F(BsaveBload, EmptyBlockWritesOnlyTheHeaderAndLoadsNothing)
{
    rt_bsave(basic_text("EMPTY"), 0x10, 0);
    EXPECT_EQ(file_read_all("EMPTY"), header(0x50, 0x10, 0));
    memory_pattern(0x510, 16, 1);
    rt_bload(basic_text("EMPTY"), 0, 0);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(memory_at(0x510)[0], 1);
}

TEST_F(BsaveBload, OffsetsAndLengthsTakeTheirLowSixteenBits)
{
    rt_bsave(basic_text("A"), -1, -65535);
    EXPECT_EQ(file_read_all("A").substr(0, 7), header(0x50, 0xFFFF, 1));
    struct {
        int32_t offset, length;
    } bad[] = {{65536, 1}, {-65537, 1}, {0, 65537}, {0, -65537}};
    for (const auto &c : bad) {
        rt_bsave(basic_text("B"), c.offset, c.length);
        EXPECT_EQ(error_pending_take(), 6u);
    }
    rt_bload(basic_text("A"), 65536, 1);
    EXPECT_EQ(error_pending_take(), 6u);
    EXPECT_FALSE(file_exists_on_disk("B"));
}

TEST_F(BsaveBload, LoadsAtTheDefSegOffsetWhenGiven)
{
    rt_def_seg(0x1000, 1);
    memory_pattern(0x10100, 300, 9);
    rt_bsave(basic_text("PART"), 0x100, 300);
    const std::string saved = memory_text(0x10100, 300);
    rt_def_seg(0x4000, 1);
    rt_bload(basic_text("PART"), -2, 1); // offset 0xFFFE
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(memory_text(0x4FFFE, 300), saved);
}

TEST_F(BsaveBload, BadOrShortFilesGiveBadFileMode)
{
    file_write_all("MARK", std::string("\xFE") + header(0, 0x600, 2).substr(1) + "xy");
    file_write_all("SHORTHEAD", header(0, 0x600, 2).substr(0, 6));
    file_write_all("SHORTBODY", header(0, 0x600, 4) + "ab");
    const struct {
        const char *name;
        uint32_t error;
    } cases[] = {{"MARK", 54}, {"SHORTHEAD", 54}, {"SHORTBODY", 54}, {"MISSING", 53}};
    for (const auto &c : cases) {
        rt_bload(basic_text(c.name), 0, 0);
        EXPECT_EQ(error_pending_take(), c.error) << c.name;
    }
    EXPECT_EQ(memory_text(0x600, 4), std::string("ab\0\0", 4)); // what arrived stays
}

TEST_F(BsaveBload, LengthZeroWithMoreThanASegmentLoadsEveryByte)
{
    const std::string body(70000, 'z');
    file_write_all("LONG", header(0x1000, 0, 0) + body);
    rt_bload(basic_text("LONG"), 0, 0);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(memory_text(0x10000, 70000), body);
    EXPECT_EQ(memory_at(0x10000 + 70000)[0], 0);
    file_write_all("SMALL", header(0x1000, 0, 0) + std::string(65535, 'q'));
    rt_bload(basic_text("SMALL"), 0, 0);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(memory_at(0x10000)[0], 'z');
}

TEST_F(BsaveBload, BlocksOutsideTheMemoryAreRefusedUntouched)
{
    const std::vector<uint8_t> before(emulated_dos_memory, emulated_dos_memory + DOS_MEMORY_SIZE);
    rt_def_seg(0xFFFF, 1);
    rt_bsave(basic_text("OUT"), 0xFFF0, 100);
    EXPECT_EQ(error_pending_take(), 6u);
    EXPECT_FALSE(file_exists_on_disk("OUT"));
    rt_bsave(basic_text("EDGE"), 0xFFFF, 4); // the very last bytes fit
    EXPECT_EQ(error_pending_take(), 0u);
    file_write_all("HIGH", header(0xFFFF, 0xFFFF, 100) + std::string(100, 'x'));
    file_write_all("HUGE", header(0xF000, 0, 0) + std::string(200000, 'x'));
    rt_bload(basic_text("HIGH"), 0, 0);
    EXPECT_EQ(error_pending_take(), 6u);
    rt_bload(basic_text("HUGE"), 0, 0);
    EXPECT_EQ(error_pending_take(), 6u);
    rt_bload(basic_text("HIGH"), 0xFFF0, 1); // DEF SEG 0xFFFF with an offset
    EXPECT_EQ(error_pending_take(), 6u);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), emulated_dos_memory));
}

TEST_F(BsaveBload, FailedWritesAreReported)
{
    rt_bsave(basic_text("/dev/full"), 0, 16);
    EXPECT_EQ(error_pending_take(), 61u);
    rt_bsave(basic_text("."), 0, 16);
    EXPECT_EQ(error_pending_take(), 64u);
    rt_bsave(basic_text("NO\\SUCH\\DIR"), 0, 16);
    EXPECT_EQ(error_pending_take(), 64u);
}

TEST_F(BsaveBload, BiosAreaAndPendingErrors)
{
    rt_def_seg(0x40, 1);
    memory_pattern(0x400, 256, 5);
    const std::string saved = memory_text(0x400, 256);
    rt_bsave(basic_text("BIOS"), 0, 256);
    std::memset(memory_at(0x400), 0, 256);
    rt_bload(basic_text("BIOS"), 0, 0);
    EXPECT_EQ(memory_text(0x400, 256), saved);
    error_raise(5);
    rt_bsave(basic_text("LATER"), 0, 1);
    std::memset(memory_at(0x400), 0, 256);
    rt_bload(basic_text("BIOS"), 0, 0);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_FALSE(file_exists_on_disk("LATER"));
    EXPECT_EQ(memory_at(0x400)[0], 0);
}

TEST_F(BsaveBload, SavingAgainReplacesALongerFile)
{
    file_write_all("OLD", std::string(500, 'o'));
    rt_bsave(basic_text("OLD"), 0, 3);
    EXPECT_EQ(file_read_all("OLD").size(), 10u);
}

} // namespace
