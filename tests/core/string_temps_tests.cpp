#include "core/string_support.h"

#include "core/strings_internal.h"

namespace {

class StringTempsTest : public StringsTest {};

TEST_F(StringTempsTest, ReleaseFreesEverythingFromTheMarkAndPassesTheValue) {
    string_descriptor *outer = literal("outer");
    uint32_t mark = string_temp_count;
    string_new(3, true);
    literal("x");
    string_new_dos(2, true);
    EXPECT_EQ(temp_strings_release(mark, 42), 42);
    EXPECT_LE(string_temp_count, mark);
    EXPECT_EQ(temp_list.slots[outer->tmplisti], outer);
    EXPECT_EQ(string_heap.list.count, 0u);
    EXPECT_EQ(dos_strings.list.count, 0u);
    temp_strings_release(0);
    EXPECT_EQ(string_temp_count, 1u);
}

TEST_F(StringTempsTest, MakingATemporaryListsItOnce) {
    string_descriptor *var = heap_string("v");
    string_make_temp(var);
    string_make_temp(var);
    EXPECT_EQ(string_temp_count, 2u);
    EXPECT_EQ(var->tmp, 1);
    temp_strings_release(1);
    EXPECT_EQ(string_heap.list.count, 0u);
}

TEST_F(StringTempsTest, StaticInitStartsAfresh) {
    string_new(100, false);
    string_new_dos(5, false);
    literal("t");
    strings_static_init();
    EXPECT_EQ(string_temp_count, 1u);
    EXPECT_EQ(string_heap.capacity, 1048576u);
    EXPECT_EQ(string_heap.used, 0u);
    EXPECT_EQ(string_heap.list.count, 0u);
    EXPECT_EQ(dos_strings.list.count, 0u);
    EXPECT_EQ(dos_strings.next_free, DOS_STRING_FIRST);
    EXPECT_EQ(dos_strings.descriptor_top, DOS_STRING_AREA_SIZE);
    EXPECT_EQ(temp_list.capacity, 65535u);
}

TEST_F(StringTempsTest, ReleasedDescriptorsComeBackMostRecentFirstAndZeroed) {
    string_descriptor *a = string_descriptor_alloc();
    string_descriptor *b = string_descriptor_alloc();
    b->len = 9;
    string_descriptor_release(a);
    string_descriptor_release(b);
    string_descriptor *again = string_descriptor_alloc();
    EXPECT_EQ(again, b);
    EXPECT_EQ(again->len, 0);
    EXPECT_EQ(string_descriptor_alloc(), a);
}

} // namespace
