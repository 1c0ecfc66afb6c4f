#include "core/string_support.h"

#include "core/errors.h"
#include "core/strings_internal.h"
#include "platform/message_box.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

class StringHeapTest : public StringsTest {};

TEST_F(StringHeapTest, FreeingTheLastStringSetsUsedFromTheOneBefore) {
    string_descriptor *a = heap_string("abc");
    string_descriptor *b = heap_string("defgh");
    string_descriptor *c = heap_string("ij");
    string_free(b); // not last: nothing moves
    EXPECT_EQ(string_heap.used, 3 + 5 + 2 + 3 * STRING_HEAP_SPARE);
    string_free(c); // drops c and the freed entry of b
    EXPECT_EQ(string_heap.used, 3 + STRING_HEAP_SPARE);
    EXPECT_EQ(string_heap.list.count, 1u);
    string_free(a);
    EXPECT_EQ(string_heap.used, 0u);
    EXPECT_EQ(string_heap.list.count, 0u);
}

// Gaps of up to 32 bytes stay; larger ones close, and the last string then
// ends with no spare.
TEST_F(StringHeapTest, CompactionClosesOnlyGapsLargerThanTheSpare) {
    strings_reset(400, 65535);
    string_descriptor *a = heap_string(std::string(10, 'a'));
    string_descriptor *b = heap_string(std::string(10, 'b'));
    string_descriptor *gap = heap_string(std::string(40, 'g'));
    string_descriptor *c = heap_string(std::string(10, 'c'));
    string_free(gap);
    uint8_t *b_before = b->chr;
    string_heap_compact(0);
    EXPECT_EQ(a->chr, string_heap.base);
    EXPECT_EQ(b->chr, b_before);    // gap of 32 kept
    EXPECT_EQ(c->chr, b->chr + 10); // gap of 32 + 40 + 32 closed
    EXPECT_EQ(string_heap.used, size_t(c->chr - string_heap.base) + 10);
    EXPECT_EQ(text_of(b), std::string(10, 'b'));
    EXPECT_EQ(text_of(c), std::string(10, 'c'));
    EXPECT_EQ(string_heap.capacity, 400u);
}

TEST_F(StringHeapTest, GrowthKeepsEveryStringAtItsOffset) {
    strings_reset(128, 65535);
    string_descriptor *a = heap_string("first");
    string_descriptor *b = heap_string("second");
    size_t a_offset = size_t(a->chr - string_heap.base);
    size_t b_offset = size_t(b->chr - string_heap.base);
    string_descriptor *big = string_new(500, false);
    EXPECT_GE(string_heap.capacity, 500 + 2 * size_t(128));
    EXPECT_EQ(size_t(a->chr - string_heap.base), a_offset);
    EXPECT_EQ(size_t(b->chr - string_heap.base), b_offset);
    EXPECT_EQ(text_of(a), "first");
    EXPECT_EQ(text_of(b), "second");
    EXPECT_LE(size_t(big->chr - string_heap.base) + 500, string_heap.capacity);
    EXPECT_TRUE(string_tables_consistent());
}

TEST_F(StringHeapTest, ConcatWithAnEmptyOperandReturnsTheOtherItself) {
    string_descriptor *t = string_concat(literal("x"), literal("y"));
    EXPECT_EQ(string_concat(literal(""), t), t);
    EXPECT_EQ(t->tmp, 1);
    EXPECT_EQ(string_concat(t, literal("")), t);
    string_descriptor *var = heap_string("v");
    EXPECT_EQ(string_concat(var, literal("")), var);
    EXPECT_EQ(var->tmp, 0);
    EXPECT_TRUE(string_tables_consistent());
}

TEST_F(StringHeapTest, ConcatOfATemporaryWithItselfFreesItOnce) {
    string_descriptor *t = string_concat(literal("ab"), literal("c"));
    string_descriptor *r = string_concat(t, t);
    EXPECT_EQ(text_of(r), "abcabc");
    EXPECT_TRUE(string_tables_consistent());
    string_descriptor *next = string_descriptor_alloc();
    string_descriptor *after = string_descriptor_alloc();
    EXPECT_NE(next, after); // a double release would hand t out twice
}

// Short copies take their own inline paths by length: every length up to
// past the longest of them, with the ranges overlapping either way.
TEST(StringBytesMove, EveryLengthAndOverlapCopiesAsMemmoveDoes) {
    uint8_t pattern[128];
    for (int i = 0; i < 128; i++)
        pattern[i] = uint8_t(i * 7 + 1);
    for (size_t n = 0; n <= 40; n++)
        for (int shift = -9; shift <= 9; shift++) {
            uint8_t got[128], want[128];
            std::memcpy(got, pattern, sizeof got);
            std::memcpy(want, pattern, sizeof want);
            string_bytes_move(got + 40 + shift, got + 40, n);
            std::memmove(want + 40 + shift, want + 40, n);
            ASSERT_EQ(std::memcmp(got, want, sizeof got), 0) << n << " bytes by " << shift;
        }
}

TEST_F(StringHeapTest, StringsOverTextOwnNoHeapBytes) {
    string_descriptor *none = string_from_cstr(nullptr);
    EXPECT_EQ(none->len, 0);
    EXPECT_NE(none->chr, nullptr);
    string_descriptor *c = string_from_cstr("hello");
    EXPECT_EQ(text_of(c), "hello");
    EXPECT_EQ(c->readonly, 1);
    EXPECT_EQ(c->tmp, 1);
    char zeros[3] = {'a', 0, 'b'};
    EXPECT_EQ(text_of(string_from_buffer(zeros, 3)), std::string("a\0b", 3));
    EXPECT_EQ(string_heap.list.count, 0u);
    EXPECT_EQ(string_heap.used, 0u);
}

// A request that cannot be met ends in its critical error: the box "Out of
// memory" captioned "Critical Error #" and the number minus 500, written to
// standard error as well, then the end of the process with code 0. The heap
// string made before must be intact when the box shows; the box's answer
// checks it and says so on standard error.
string_descriptor *survivor = nullptr;

int answer_ok_noting_survivor(const char *, const char *, uint32_t) {
    bool intact = survivor && std::memcmp(survivor->chr, "keep", 4) == 0;
    std::fputs(intact ? "heap string kept\n" : "heap string damaged\n", stderr);
    return MESSAGE_BOX_RESULT_OK;
}

template <typename F> void expect_critical(uint32_t error, F request) {
    const std::string box = "\\[Critical Error #" + std::to_string(error - 500) +
                            "\\]\nOut of memory\nheap string kept\n";
    EXPECT_EXIT(
        {
            platform_message_box_seam_set(answer_ok_noting_survivor);
            survivor = heap_string("keep");
            request();
            // The request returned: it was not taken as the critical error.
            _exit(1);
        },
        ::testing::ExitedWithCode(0), box)
        << "error " << error;
}

class StringHeapDeathTest : public StringsTest {};

TEST_F(StringHeapDeathTest, ImpossibleRequestsEndInTheCriticalError) {
    expect_critical(512, [] { string_new(-1, true); });
    expect_critical(512, [] { string_new(INT32_MIN, false); });
    // Two strings whose joint length passes a 32-bit length: nothing is read.
    static const char byte = 'x';
    expect_critical(512, [] {
        string_concat(string_from_buffer(&byte, INT32_MAX), string_from_buffer(&byte, 2));
    });
    expect_critical(513, [] { string_new_dos(-5, false); });
    expect_critical(513, [] { string_new_dos(70000, true); });
}

} // namespace
