#include "core/errors.h"
#include "core/string_builtins.h"
#include "tests/core/string_test_support.h"

namespace
{

using StringCaseCompare = StringTest;

TEST_F(StringCaseCompare, CaseChangesOnlyAsciiLetters)
{
    EXPECT_EQ(text_of(rt_ucase_str(literal("aZz@[`{\xe9"))), "AZZ@[`{\xe9");
    EXPECT_EQ(text_of(rt_lcase_str(literal("AzZ@[`{\xc9"))), "azz@[`{\xc9");
}

TEST_F(StringCaseCompare, CaseChangeInPlaceOnlyForOwnTemporaries)
{
    string_descriptor *t = own_temp("abc");
    EXPECT_EQ(rt_ucase_str(t), t);
    EXPECT_EQ(text_of(t), "ABC");

    string_descriptor *v = variable("abc");
    string_descriptor *r = rt_ucase_str(v);
    EXPECT_NE(r, v);
    EXPECT_EQ(text_of(r), "ABC");
    EXPECT_EQ(text_of(v), "abc");

    string_descriptor *empty = variable("");
    EXPECT_EQ(rt_lcase_str(empty), empty);
}

// Each row: a and b, and whether a sorts before (-1), with (0) or after (1) b.
// Every operator is checked against that order, both ways round.
TEST_F(StringCaseCompare, OperatorsFollowByteOrderThenLength)
{
    struct row {
        const char *a, *b;
        int order;
    } rows[] = {
        {"", "", 0},       {"", "a", -1},   {"abc", "abc", 0}, {"abc", "abd", -1},
        {"ab", "abc", -1}, {"b", "abc", 1}, {"\x80", "a", 1},  {"A", "a", -1},
    };
    for (const row &r : rows) {
        for (int swap = 0; swap < 2; swap++) {
            string_descriptor *a = literal(swap ? r.b : r.a);
            string_descriptor *b = literal(swap ? r.a : r.b);
            int order = swap ? -r.order : r.order;
            auto t = [](bool v) { return v ? -1 : 0; };
            SCOPED_TRACE(std::string(r.a) + " vs " + r.b + (swap ? " swapped" : ""));
            EXPECT_EQ(string_equal(a, b), t(order == 0));
            EXPECT_EQ(string_not_equal(a, b), t(order != 0));
            EXPECT_EQ(string_less(a, b), t(order < 0));
            EXPECT_EQ(string_greater(a, b), t(order > 0));
            EXPECT_EQ(string_less_equal(a, b), t(order <= 0));
            EXPECT_EQ(string_greater_equal(a, b), t(order >= 0));
        }
    }
}

TEST_F(StringCaseCompare, EmbeddedZeroBytesCount)
{
    string_descriptor *a = string_from_buffer("a\0b", 3);
    string_descriptor *b = string_from_buffer("a\0c", 3);
    EXPECT_EQ(string_less(a, b), -1);
    EXPECT_EQ(string_equal(a, string_from_buffer("a", 1)), 0);
}

TEST_F(StringCaseCompare, LsetAndRsetKeepTheDestinationLength)
{
    struct row {
        const char *source, *lset, *rset;
    } rows[] = {
        {"ab", "ab   ", "   ab"},
        {"abcdefg", "abcde", "abcde"},
        {"", "     ", "     "},
        {"vwxyz", "vwxyz", "vwxyz"},
    };
    for (const row &r : rows) {
        string_descriptor *l = variable("12345");
        string_descriptor *rr = variable("12345");
        rt_lset(l, literal(r.source));
        rt_rset(rr, own_temp(r.source));
        EXPECT_EQ(text_of(l), r.lset) << r.source;
        EXPECT_EQ(text_of(rr), r.rset) << r.source;
    }
}

TEST_F(StringCaseCompare, LsetDoesNothingWhileAnErrorIsPending)
{
    string_descriptor *v = variable("12345");
    error_raise(9);
    rt_lset(v, literal("ab"));
    rt_rset(v, literal("ab"));
    EXPECT_EQ(error_pending_take(), 9u);
    EXPECT_EQ(text_of(v), "12345");
}

TEST_F(StringCaseCompare, RsetFromItself)
{
    string_descriptor *v = variable("ab");
    rt_rset(v, v);
    EXPECT_EQ(text_of(v), "ab");
}

} // namespace
