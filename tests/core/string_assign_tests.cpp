#include "core/string_support.h"

#include "core/strings_internal.h"

#include <cstring>

namespace {

class StringAssignTest : public StringsTest {};

TEST_F(StringAssignTest, FixedLengthDestinationIsPaddedOrCut) {
    char buffer[7] = "######";
    string_descriptor *fixed = string_over_memory(buffer, 5, false);
    string_set(fixed, literal("ab"));
    EXPECT_EQ(text_of(fixed), "ab   ");
    string_set(fixed, literal("abcdefg"));
    EXPECT_EQ(text_of(fixed), "abcde");
    EXPECT_EQ(buffer[5], '#');
    EXPECT_EQ(string_temp_count, 1u); // the literals were freed
}

TEST_F(StringAssignTest, TemporarySourceHandsOverItsCharacters) {
    string_descriptor *var = heap_string("old");
    string_descriptor *t = string_concat(literal("new "), literal("value"));
    uint8_t *chars = t->chr;
    uint32_t slot = t->listi;
    string_set(var, t);
    EXPECT_EQ(var->chr, chars);
    EXPECT_EQ(var->listi, slot);
    EXPECT_EQ(string_heap.list.entries[slot], var);
    EXPECT_EQ(text_of(var), "new value");
    EXPECT_EQ(string_temp_count, 1u);
    EXPECT_EQ(string_descriptor_alloc(), t); // t's descriptor was released
    EXPECT_TRUE(string_tables_consistent());
}

TEST_F(StringAssignTest, LastStringGrowsInPlace) {
    string_descriptor *first = heap_string("first");
    string_descriptor *var = heap_string("ab");
    uint8_t *chars = var->chr;
    string_set(var, literal("a longer value than the spare holds"));
    EXPECT_EQ(var->chr, chars);
    EXPECT_EQ(text_of(var), "a longer value than the spare holds");
    EXPECT_EQ(string_heap.used, size_t(var->chr - string_heap.base) + size_t(var->len));
    EXPECT_EQ(text_of(first), "first");
}

TEST_F(StringAssignTest, StringThatCannotGrowMovesToTheEnd) {
    string_descriptor *var = heap_string("ab");
    string_descriptor *next = heap_string("next");
    std::string value(40, 'v');
    string_set(var, literal(value.c_str()));
    EXPECT_GT(var->chr, next->chr);
    EXPECT_EQ(text_of(var), value);
    EXPECT_EQ(text_of(next), "next");
    EXPECT_EQ(string_heap.list.entries[0], STRING_SLOT_FREED);
    EXPECT_TRUE(string_tables_consistent());
}

// A relocation that needs compaction and growth moves the source as well.
TEST_F(StringAssignTest, RelocationFollowsASourceMovedByGrowth) {
    strings_reset(160, 65535);
    string_descriptor *d = heap_string("d");
    string_descriptor *s = heap_string(std::string(60, 's'));
    string_set(d, s);
    EXPECT_EQ(text_of(d), std::string(60, 's'));
    EXPECT_EQ(text_of(s), std::string(60, 's'));
    EXPECT_GT(string_heap.capacity, 160u);
    EXPECT_TRUE(string_tables_consistent());
}

TEST_F(StringAssignTest, ReadOnlyDestinationBecomesAHeapString) {
    const char text[] = "constant";
    string_descriptor *d = string_from_buffer(text, 8);
    string_set(d, heap_string("xy"));
    EXPECT_EQ(text_of(d), "xy");
    EXPECT_STREQ(text, "constant");
    EXPECT_EQ(d->readonly, 0);
    EXPECT_TRUE(string_tables_consistent());
    string_set(d, string_concat(literal("taken "), literal("over")));
    EXPECT_EQ(text_of(d), "taken over");
    EXPECT_TRUE(string_tables_consistent());
}

} // namespace
