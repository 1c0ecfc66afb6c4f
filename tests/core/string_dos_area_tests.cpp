#include "core/string_support.h"

#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings_internal.h"

#include <cstring>

namespace {

class DosStringTest : public StringsTest {
  protected:
    static uint32_t u16_at(const uint8_t *p) { return p[0] | p[1] << 8; }

    static string_descriptor *dos_string(const std::string &text) {
        string_descriptor *d = string_new_dos(int32_t(text.size()), false);
        if (!text.empty()) std::memcpy(d->chr, text.data(), text.size());
        dos_descriptor_write(d);
        return d;
    }
};

TEST_F(DosStringTest, StartUpReservesTheZeroBlockAndTheSharedStrings) {
    uint8_t *area = emulated_dos_memory + DOS_STRING_AREA;
    uint8_t *zero = dos_string_area_reserve_zero_block();
    EXPECT_EQ(zero, area + DOS_STRING_AREA_SIZE - 8);
    strings_shared_create();
    EXPECT_EQ(string_empty_dos->len, 0);
    EXPECT_EQ(text_of(string_space_dos), " ");
    EXPECT_EQ(string_space_dos->in_dos, 1);
    EXPECT_EQ(string_space_dos->chr, area + DOS_STRING_FIRST);
    // DOS descriptors below the zero block: length and character offset.
    EXPECT_EQ(string_empty_dos->dos_descriptor, zero - 4);
    EXPECT_EQ(string_space_dos->dos_descriptor, zero - 8);
    EXPECT_EQ(string_space_dos->dos_descriptor_offset, DOS_STRING_AREA_SIZE - 16);
    EXPECT_EQ(u16_at(string_space_dos->dos_descriptor), 1u);
    EXPECT_EQ(u16_at(string_space_dos->dos_descriptor + 2), DOS_STRING_FIRST);
    EXPECT_EQ(std::memcmp(zero, "\0\0\0\0\0\0\0\0", 8), 0);
}

// Permanent DOS strings made and freed in a loop reuse their descriptor
// slots, so the area never fills.
TEST_F(DosStringTest, FreedDescriptorsAreReusedSoTheAreaNeverFills) {
    string_descriptor *kept = dos_string("kept");
    for (int i = 0; i < 100000; i++) {
        string_descriptor *d = dos_string(std::string(size_t(i % 50), 'x'));
        string_free(d);
    }
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(dos_strings.descriptor_top, DOS_STRING_AREA_SIZE - 8);
    EXPECT_EQ(text_of(kept), "kept");
    EXPECT_TRUE(string_tables_consistent());
}

// The characters of a new permanent string fit, but its DOS descriptor would
// meet them: the garbage below is packed away instead of failing.
TEST_F(DosStringTest, DescriptorThatWouldMeetTheCharactersPacksTheAreaFirst) {
    string_descriptor *kept = dos_string("kept");
    int32_t rest = int32_t(dos_strings.descriptor_top - dos_strings.next_free);
    string_free(string_new_dos(rest - 2, true));
    string_descriptor *d = dos_string("d");
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(d->chr, kept->chr + 4);
    EXPECT_EQ(text_of(kept), "kept");
    EXPECT_TRUE(string_tables_consistent());
}

TEST_F(DosStringTest, FixedStringOverTheAreaGetsItsOwnDescriptor) {
    uint8_t *p = dos_string_area() + 16;
    string_descriptor *fixed = string_over_memory(p, 4, false);
    ASSERT_NE(fixed->dos_descriptor, nullptr);
    EXPECT_EQ(u16_at(fixed->dos_descriptor), 4u);
    EXPECT_EQ(u16_at(fixed->dos_descriptor + 2), 16u);
    uint16_t slot = fixed->dos_descriptor_offset;
    string_free(fixed);
    EXPECT_EQ(dos_string("x")->dos_descriptor_offset, slot);
    char outside[4];
    EXPECT_EQ(string_over_memory(outside, 4, false)->dos_descriptor, nullptr);
    EXPECT_EQ(string_over_memory(dos_string_area(), 4, false)->dos_descriptor, nullptr);
}

} // namespace
