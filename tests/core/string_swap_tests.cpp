#include "core/string_support.h"

#include "core/memory.h"
#include "core/strings_internal.h"

#include <cstring>

namespace {

class StringSwap : public StringsTest {
  protected:
    // A permanent DOS-area string holding text.
    static string_descriptor *dos_string(const std::string &text)
    {
        string_descriptor *d = string_new_dos(int32_t(text.size()), false);
        std::memcpy(d->chr, text.data(), text.size());
        return d;
    }
    // The length a DOS-area string's own descriptor in emulated memory holds.
    static uint16_t dos_descriptor_length(const string_descriptor *d)
    {
        uint16_t len;
        std::memcpy(&len, d->dos_descriptor, sizeof len);
        return len;
    }
};

TEST_F(StringSwap, VariablesExchangeTheirTextsAndLeaveNothingBehind)
{
    string_descriptor *a = heap_string("short");
    string_descriptor *b = heap_string("a much longer text");
    const uint32_t temps = string_temp_count;
    string_swap(a, b);
    EXPECT_EQ(text_of(a), "a much longer text");
    EXPECT_EQ(text_of(b), "short");
    // The copy used on the way is gone: no temporary, no extra heap string.
    EXPECT_EQ(string_temp_count, temps);
    string_free(a);
    string_free(b);
    EXPECT_EQ(string_heap.used, 0u);
    EXPECT_TRUE(string_tables_consistent());

    string_descriptor *empty = heap_string("");
    string_descriptor *full = heap_string("x");
    string_swap(empty, full);
    EXPECT_EQ(text_of(empty), "x");
    EXPECT_EQ(text_of(full), "");
    string_swap(full, full);
    string_swap(empty, empty);
    EXPECT_EQ(text_of(empty), "x");
    EXPECT_EQ(text_of(full), "");
    EXPECT_TRUE(string_tables_consistent());
}

// A fixed-length variable keeps its length: a shorter value is padded with
// spaces, a longer one cut, as in an assignment.
TEST_F(StringSwap, FixedLengthSideIsPaddedOrCut)
{
    char field[5];
    std::memcpy(field, "abcde", 5);
    string_descriptor *fixed = string_over_memory(field, 5, false);
    string_descriptor *var = heap_string("xy");
    string_swap(fixed, var);
    EXPECT_EQ(text_of(fixed), "xy   ");
    EXPECT_EQ(text_of(var), "abcde");

    string_descriptor *longer = heap_string("1234567");
    string_swap(longer, fixed);
    EXPECT_EQ(text_of(longer), "xy   ");
    EXPECT_EQ(text_of(fixed), "12345");
    EXPECT_EQ(fixed->chr, reinterpret_cast<uint8_t *>(field));
    EXPECT_TRUE(string_tables_consistent());
}

// A DOS-area string stays in the DOS area, and its descriptor in emulated
// memory follows the new length.
TEST_F(StringSwap, DosAreaStringKeepsItsDescriptorCurrent)
{
    string_descriptor *dos = dos_string("dos");
    string_descriptor *heap = heap_string("heap text");
    string_swap(dos, heap);
    EXPECT_EQ(text_of(dos), "heap text");
    EXPECT_EQ(text_of(heap), "dos");
    EXPECT_EQ(dos->in_dos, 1);
    EXPECT_EQ(heap->in_dos, 0);
    EXPECT_EQ(dos_descriptor_length(dos), 9);
    EXPECT_TRUE(string_tables_consistent());
}

} // namespace
