#include "core/errors.h"
#include "core/string_builtins.h"
#include "support/gives_raising.h"
#include "tests/core/string_test_support.h"

#include <climits>

namespace
{

using StringSlices = StringTest;

TEST_F(StringSlices, LeftAndRightClampTheCount)
{
    struct row {
        int32_t n;
        const char *left, *right;
    } rows[] = {
        {-1, "", ""}, {0, "", ""}, {2, "ab", "bc"}, {3, "abc", "abc"}, {INT_MAX, "abc", "abc"},
    };
    for (const row &r : rows) {
        EXPECT_EQ(text_of(rt_left_str(literal("abc"), r.n)), r.left) << r.n;
        EXPECT_EQ(text_of(rt_right_str(literal("abc"), r.n)), r.right) << r.n;
    }
}

TEST_F(StringSlices, MidFunctionTable)
{
    struct row {
        int32_t start, length;
        bool given;
        const char *expected;
    } rows[] = {
        {2, 3, true, "ell"},
        {2, 0, false, "ello"},
        {0, 2, true, "h"}, // length 2 + 0 - 1 = 1 from position 1
        {-5, 10, true, "hell"},
        {7, 0, false, ""},
        {5, 1, true, "o"},
        {6, 1, true, ""},
        {2, -1, true, ""},
        {INT_MIN, 5, false, "hello"},
        // start + length beyond the i32 range clamps to the end of the string
        {3, INT_MAX, true, "llo"},
        {INT_MAX, INT_MAX, true, ""},
        {INT_MIN, INT_MAX, true, ""},
        {INT_MIN + 1, INT_MAX, true, ""},
    };
    for (const row &r : rows)
        EXPECT_EQ(text_of(rt_mid_str(literal("hello"), r.start, r.length, r.given)), r.expected)
            << r.start << "," << r.length;
}

TEST_F(StringSlices, WholeStringResultIsTheArgumentItself)
{
    string_descriptor *v = variable("abc");
    EXPECT_EQ(rt_left_str(v, 5), v);
    EXPECT_EQ(rt_right_str(v, 3), v);
    EXPECT_EQ(rt_mid_str(v, 1, 3, true), v);
    EXPECT_EQ(rt_ltrim_str(v), v);
    EXPECT_EQ(rt_rtrim_str(v), v);
}

TEST_F(StringSlices, OwnTemporariesChangeInPlaceOthersAreCopied)
{
    string_descriptor *t = own_temp("  hello  ");
    uint8_t *start = t->chr;
    string_descriptor *r = rt_rtrim_str(rt_ltrim_str(t));
    EXPECT_EQ(r, t);
    EXPECT_EQ(r->chr, start + 2);
    EXPECT_EQ(text_of(r), "hello");
    EXPECT_EQ(rt_mid_str(r, 2, 3, true), t);
    EXPECT_EQ(text_of(t), "ell");

    string_descriptor *v = variable("hello");
    string_descriptor *m = rt_mid_str(v, 2, 2, true);
    EXPECT_NE(m, v);
    EXPECT_TRUE(m->tmp);
    EXPECT_EQ(text_of(m), "el");
    EXPECT_EQ(text_of(v), "hello");
}

// Slices that move a heap string's start keep the heap usable: assignment,
// release and later strings all see consistent tables.
TEST_F(StringSlices, InPlaceSlicesKeepTheHeapConsistent)
{
    uint32_t mark = string_temp_count;
    string_descriptor *v = variable("");
    for (int i = 0; i < 200; i++) {
        string_descriptor *t =
            rt_right_str(own_temp(std::string(size_t(40 + i % 7), 'x') + "tail"), 4 + i % 3);
        string_set(v, rt_left_str(t, 3));
        own_temp("filler");
        ASSERT_TRUE(string_tables_consistent()) << i;
        temp_strings_release(mark);
        ASSERT_EQ(text_of(v),
                  std::string(size_t(i % 3), 'x') + std::string("tail", size_t(3 - i % 3)));
    }
    EXPECT_TRUE(string_tables_consistent());
}

TEST_F(StringSlices, TrimsDropOnlyBlanks)
{
    EXPECT_EQ(text_of(rt_ltrim_str(literal("  a b  "))), "a b  ");
    EXPECT_EQ(text_of(rt_rtrim_str(literal("  a b  "))), "  a b");
    EXPECT_EQ(text_of(rt_ltrim_str(literal("\ta"))), "\ta");
    EXPECT_EQ(text_of(rt_ltrim_str(literal("   "))), "");
    EXPECT_EQ(text_of(rt_rtrim_str(literal("   "))), "");
}

TEST_F(StringSlices, MidStatementTable)
{
    struct row {
        int32_t start, length;
        bool given;
        const char *source, *expected;
    } rows[] = {
        {2, 0, false, "XY", "hXYlo"},
        {4, 0, false, "WXYZ", "helWX"},  // cut at the destination's end
        {2, 1, true, "XY", "hXllo"},     // cut to the length
        {0, 3, true, "ABC", "BCllo"},    // one source byte skipped
        {-1, 5, true, "ABCDE", "CDElo"}, // two skipped
        {-3, 0, false, "ABC", "hello"},  // everything skipped
        {6, 0, false, "XY", "hello"},    // start past the end
        {1, INT_MAX, true, "ABCDEFG", "ABCDE"},
        {INT_MIN, INT_MAX, true, "AB", "hello"},
        {INT_MAX, INT_MAX, true, "AB", "hello"},
    };
    for (const row &r : rows) {
        string_descriptor *dest = variable("hello");
        rt_mid_str_statement(dest, r.start, r.length, literal(r.source), r.given);
        EXPECT_EQ(text_of(dest), r.expected) << r.start << "," << r.length;
    }
}

TEST_F(StringSlices, MidStatementOverlapsAndErrors)
{
    string_descriptor *v = variable("hello");
    rt_mid_str_statement(v, 2, 0, v, false);
    EXPECT_EQ(text_of(v), "hhell");

    error_raise(5);
    rt_mid_str_statement(v, 1, 0, literal("ZZ"), false);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(text_of(v), "hhell");
}

TEST_F(StringSlices, InstrTable)
{
    struct row {
        int32_t start;
        bool given;
        const char *s, *sub;
        int32_t expected;
    } rows[] = {
        {0, false, "abcabc", "bc", 2},
        {3, true, "abcabc", "bc", 5},
        {3, true, "abcabc", "", 3},
        {0, true, "abc", "", 0},
        {-7, true, "abc", "a", 1},
        {1, true, "", "", 0},
        {4, true, "abc", "", 0},
        {2, true, "abc", "bcd", 0},
        {0, false, "aab", "ab", 2},
        {0, false, "abc", "x", 0},
        {0, false,
         "a\x80"
         "b",
         "\x80"
         "b",
         2},
        {INT_MAX, true, "abc", "c", 0},
    };
    for (const row &r : rows)
        EXPECT_EQ(rt_instr(r.start, literal(r.s), literal(r.sub), r.given), r.expected)
            << r.s << " / " << r.sub << " from " << r.start;
}

TEST_F(StringSlices, CharacterCodes)
{
    EXPECT_EQ(text_of(rt_chr_str(0)), std::string(1, '\0'));
    EXPECT_EQ(text_of(rt_chr_str(255)), "\xff");
    EXPECT_TRUE(gives_raising(text_of(rt_chr_str(256)), "", 5));
    EXPECT_TRUE(gives_raising(text_of(rt_chr_str(-1)), "", 5));

    EXPECT_EQ(rt_asc(literal("\xe9x")), 0xE9);
    EXPECT_TRUE(gives_raising(rt_asc(literal("")), 0, 5));
    EXPECT_EQ(rt_asc_at(literal("abc"), 3), 'c');
    for (int32_t position : {0, 4, -1, INT_MIN}) {
        EXPECT_EQ(rt_asc_at(literal("abc"), position), 0);
        EXPECT_EQ(error_pending_take(), 5u) << position;
    }
}

TEST_F(StringSlices, RepeatedBytes)
{
    EXPECT_EQ(text_of(rt_space_str(3)), "   ");
    EXPECT_EQ(text_of(rt_space_str(-3)), "");
    EXPECT_EQ(text_of(rt_string_str(4, '*')), "****");
    EXPECT_EQ(text_of(rt_string_str(-1, '*')), "");
}

// What a ported program runs through the built-ins, statement by statement,
// releasing its temporaries after each one as compiled code does.
TEST_F(StringSlices, PortedProgramSequence)
{
    const uint32_t mark = string_temp_count;
    auto let = [&](string_descriptor *var, string_descriptor *value) {
        string_set(var, value);
        temp_strings_release(mark);
    };

    // Word splitter: INSTR for the next blank, MID$ for the word.
    string_descriptor *s = variable("");
    string_descriptor *w = variable("");
    string_descriptor *words = variable("");
    let(s, literal("  the quick  brown fox "));
    for (int32_t p = 1; p <= rt_len(s);) {
        int32_t q = rt_instr(p, s, literal(" "), true);
        temp_strings_release(mark);
        if (q == 0)
            q = rt_len(s) + 1;
        let(w, rt_mid_str(s, p, q - p, true));
        if (rt_len(w))
            let(words,
                string_concat(string_concat(string_concat(words, literal("[")), w), literal("]")));
        p = q + 1;
    }
    EXPECT_EQ(text_of(words), "[the][quick][brown][fox]");

    // MID$ statement inside a fixed-length string and a variable string.
    char field[10];
    string_descriptor *f = string_over_memory(field, 10, false);
    let(f, literal("abc"));
    rt_mid_str_statement(f, 2, 0, literal("XYZW"), false);
    rt_mid_str_statement(f, 9, 5, literal("12345"), true);
    temp_strings_release(mark);
    EXPECT_EQ(text_of(f), "aXYZW   12");
    EXPECT_EQ(text_of(rt_rtrim_str(f)), "aXYZW   12");
    let(s, literal("hello world"));
    rt_mid_str_statement(s, 7, 0, rt_ucase_str(rt_mid_str(s, 7, 0, false)), false);
    temp_strings_release(mark);
    EXPECT_EQ(text_of(s), "hello WORLD");

    // A padded report line.
    string_descriptor *line = variable("");
    let(line, string_concat(rt_left_str(string_concat(literal("Item"), rt_space_str(10)), 10),
                            rt_right_str(string_concat(rt_space_str(6), rt_str_str_long(-42)), 6)));
    let(line, string_concat(
                  line, rt_right_str(string_concat(rt_space_str(6), rt_str_str_integer(7)), 6)));
    let(line, string_concat(string_concat(line, rt_string_str(3, '*')),
                            string_concat(literal(" #"), rt_ltrim_str(rt_str_str_long(15)))));
    EXPECT_EQ(text_of(line), "Item         -42     7*** #15");
    EXPECT_EQ(text_of(rt_str_str_single(-0.25f)), "-.25");
    temp_strings_release(mark);

    // VAL, INSTR at the edges, comparisons.
    EXPECT_EQ(rt_val(literal("  12abc")), 12.0L);
    EXPECT_EQ(rt_val(literal("&HFF")), 255.0L);
    EXPECT_EQ(rt_val(literal("1E3")), 1000.0L);
    EXPECT_EQ(rt_instr(9, literal("abc"), literal("b"), true), 0);
    EXPECT_EQ(rt_instr(4, literal("abc"), literal(""), true), 0);
    EXPECT_EQ(rt_instr(0, literal("abc"), literal(""), false), 1);
    EXPECT_EQ(string_less(literal("a"), literal("B")), 0);
    EXPECT_EQ(string_less(literal(""), literal("a")), -1);
    temp_strings_release(mark);

    EXPECT_EQ(string_temp_count, mark);
    EXPECT_TRUE(string_tables_consistent());
}

// A copy of a variable that needs room the heap has only after compaction: the
// variable's characters move, and the copy must be of them where they are now.
TEST_F(StringSlices, CopiesOfAVariableSurviveTheCompactionTheyCause)
{
    using build = string_descriptor *(*)(string_descriptor *);
    struct row {
        const char *name;
        build make;
        std::string expected;
    } rows[] = {
        {"LEFT$", [](string_descriptor *v) { return rt_left_str(v, 99); }, std::string(99, 'v')},
        {"RIGHT$", [](string_descriptor *v) { return rt_right_str(v, 99); }, std::string(99, 'v')},
        {"MID$", [](string_descriptor *v) { return rt_mid_str(v, 2, 0, false); },
         std::string(99, 'v')},
        {"UCASE$", [](string_descriptor *v) { return rt_ucase_str(v); }, std::string(100, 'V')},
    };
    for (const row &r : rows) {
        // A freed 400-byte string before v and a 350-byte one after it: making
        // the copy closes the gap, moving v to the start and the other string
        // over the bytes where v was, without growing the heap.
        strings_reset(1070, 65535);
        string_descriptor *gap = variable(std::string(400, 'g'));
        string_descriptor *v = variable(std::string(100, 'v'));
        variable(std::string(350, 'w'));
        string_free(gap);
        EXPECT_EQ(text_of(r.make(v)), r.expected) << r.name;
        EXPECT_EQ(text_of(v), std::string(100, 'v')) << r.name;
    }
}

} // namespace
