#include "platform/case_fold.h"

#include <gtest/gtest.h>

namespace
{

struct fold_case {
    const char *a;
    const char *b;
    bool equal;
};

const fold_case CASES[] = {
    {"readme.TXT", "README.txt", true},
    {"Äpfel.txt", "äpfel.txt", true},
    {"Übung", "üBUNG", true},
    {"Дом.txt", "дом.txt", true},
    {"ΣΟΦΙΑ", "σοφια", true},
    {"ὈΔΥΣΣΕΎΣ", "ὀδυσσεύς", true},
    {"ς", "Σ", true},
    {"ÿ", "Ÿ", true},
    // Pairs Unicode joins that an exFAT up-case table keeps apart.
    {"ſ", "s", false},
    {"\xe2\x84\xaa", "k", false}, // the Kelvin sign
    {"\xe2\x84\xab", "å", false}, // the Ångström sign
    {"\xe2\x84\xa6", "ω", false}, // the Ohm sign
    {"µ", "μ", false},            // micro sign, Greek mu
    {"ẞ", "ß", false},
    {"ǅ", "ǆ", false},
    {"ϐ", "β", false},
    {"\xf0\x90\x90\x80", "\xf0\x90\x90\xa8", false}, // beyond the plane
    {"ß", "ss", false},
    {"İ", "i", false},
    {"ı", "I", false},
    {"\xc3", "\xc3", true}, // a lone lead byte meets only itself
    {"\xc3", "\xe3", false},
    {"\xc3\x84", "\xc3", false},
    {"\xed\xa0\x80", "\xed\xa0\x80", true}, // a surrogate, as bytes
    {"\xc1\x81", "a", false},               // an overlong 'A'
    {"abc", "ab", false},
};

TEST(CaseFold, NamesMeetAsAnExfatStickMeetsThem)
{
    for (const fold_case &c : CASES) {
        EXPECT_EQ(case_fold_equal(c.a, c.b), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(case_fold_compare(c.a, c.b) == 0, c.equal) << c.a << " / " << c.b;
    }
}

TEST(CaseFold, OrdersFoldedCharacters)
{
    EXPECT_LT(case_fold_compare("apple", "Banana"), 0);
    EXPECT_GT(case_fold_compare("Äpfel", "Zebra"), 0);
    EXPECT_LT(case_fold_compare("ab", "ABC"), 0);
    EXPECT_GT(case_fold_compare("z\xff", "Z\xc3\xbf"), 0); // stray bytes after every character
}

} // namespace
