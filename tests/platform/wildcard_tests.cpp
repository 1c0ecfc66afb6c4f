#include "platform/wildcard.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct wildcard_case {
    const char *pattern;
    const char *name;
    bool matches;
};

TEST(Wildcard, ClassicRules)
{
    static const wildcard_case cases[] = {
        {"*.*", "readme", true},
        {"*.*", "a.b.c", true},
        {"*.*", ".", true},
        {"*.txt", "A.TXT", true},
        {"*.TXT", "b.Txt", true},
        {"*.txt", "a.txt.bak", false},
        {"*.txt", "atxt", false},
        {"a?.txt", "a.txt", true},
        {"a?.txt", "ab.txt", true},
        {"a?.txt", "abc.txt", false},
        {"???", "ab", true},
        {"???", "abcd", false},
        {"?", "a", true},
        {"a?c", "ac", false},
        {"*.", "readme", true},
        {"*.", "a.b", false},
        {"abc.", "ABC", true},
        {"a*.*", "abc", true},
        {"a*.*", "bc", false},
        {".", ".", true},
        {"..", "..", true},
        {"..", ".", false},
        {"[a].txt", "[a].txt", true},
        {"[a].txt", "a.txt", false},
        {"a\\b", "a\\b", true},
        {"*a*b", "xaxxb", true},
        {"*a*b", "xaxxbx", false},
        {"\xc4*", "\xc4x", true},
        {"\xc4*", "\xe4x", false},
        {"", "", true},
    };
    for (const wildcard_case &c : cases)
        EXPECT_EQ(wildcard_match(c.pattern, c.name), c.matches) << c.pattern << " ~ " << c.name;
}

// A pattern that drives a backtracking matcher into exponential time answers
// at once here.
TEST(Wildcard, StarRunsStayLinear)
{
    std::string pattern;
    for (int i = 0; i < 200; ++i)
        pattern += "*a";
    pattern += "b";
    std::string name(5000, 'a');
    EXPECT_FALSE(wildcard_match(pattern, name));
    EXPECT_TRUE(wildcard_match(pattern, name + "b"));
}

TEST(Wildcard, WildCharactersAreStarAndQuestionMark)
{
    EXPECT_TRUE(wildcard_has_wild("a*"));
    EXPECT_TRUE(wildcard_has_wild("dir?/"));
    EXPECT_FALSE(wildcard_has_wild("a[b].txt"));
}

} // namespace
