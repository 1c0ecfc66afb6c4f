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

// Over a whole directory of names: the KILL and FILES table in
// tests/files/directories_tests.cpp.
const wildcard_case CASES[] = {
    {"*.*", "readme", true},
    {"*.*", "a.b.c", true},
    {"*.*", ".", true},
    {"*.*", "..", true},
    {"*", "..", true},
    {"*.txt", "A.TXT", true},
    {"*.TXT", "b.Txt", true},
    {"*.txt", "a.txt.bak", false},
    {"*.txt", "atxt", false},
    {"a?.txt", "a.txt", true},
    {"a?.txt", "ab.txt", true},
    {"a?.txt", "abc.txt", false},
    // '?' never takes a '.'; a run of them may end early at one.
    {"???", "ab", true},
    {"???", "abcd", false},
    {"?", "a", true},
    {"?", ".", false},
    {"a?c", "ac", false},
    {"????????.???", "x.tar.gz", false},
    {"????????.???", "readme.txt", true},
    // A '.' before '?' or '*' also takes the end of the name.
    {"a.?", "a", true},
    {"a.?", "a.bc", false},
    {"a.b.*", "a.b.c.d", true},
    {"a.b.*", "a.bc", false},
    {".*", "hidden", false},
    // A lone '*' before a '.' never takes the name's last '.'.
    {"*.?", "a.b.c", true},
    {"*.?", "a.bc", false},
    {"**.?", "a.bc", true},
    {"*.*.*", "abc", true},
    // Final dots are dropped and then allow no '.' in the name.
    {"*.", "readme", true},
    {"*.", "a.b", false},
    {"*.", "abc.", false},
    {"a*.", "ABC", true},
    {"abc.", "ABC", true},
    {"abc..", "abc", true},
    {"a.b.", "a.b", false},
    {"a*.*", "abc", true},
    {"a*.*", "bc", false},
    // Dots alone name themselves.
    {".", ".", true},
    {".", "..", false},
    {"..", "..", true},
    {"..", ".", false},
    {"...", "...", true},
    {"[a].txt", "[a].txt", true},
    {"[a].txt", "a.txt", false},
    {"a\\b", "a\\b", true},
    {"*a*b", "xaxxb", true},
    {"*a*b", "xaxxbx", false},
    {"\xc4*", "\xc4x", true},
    {"\xc4*", "\xe4x", false},
    {"", "", true},
};

TEST(Wildcard, DirectorySearchRules)
{
    for (const wildcard_case &c : CASES)
        EXPECT_EQ(wildcard_match(c.pattern, c.name), c.matches) << c.pattern << " ~ " << c.name;
}

// Patterns too long for one word of states follow the same rules: a prefix
// without dots changes no answer (dots alone would stop naming themselves).
TEST(Wildcard, LongPatternsFollowTheSameRules)
{
    const std::string prefix(70, 'x');
    for (const wildcard_case &c : CASES) {
        if (std::string(c.pattern).find_first_not_of('.') == std::string::npos && *c.pattern)
            continue;
        EXPECT_EQ(wildcard_match(prefix + c.pattern, prefix + c.name), c.matches)
            << c.pattern << " ~ " << c.name;
    }
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
