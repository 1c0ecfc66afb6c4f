#include "platform/clipboard_text.h"

#include <gtest/gtest.h>

#include <string>

TEST(ClipboardText, SelectionBytesBecomeTheTextUpToTheFirstZero)
{
    const struct {
        std::string bytes;
        bool utf8;
        std::string text;
    } cases[] = {
        {"abc", false, "abc"},
        {"\xE9\xFF", false, "\xE9\xFF"},
        {std::string("a\0b", 3), false, "a"},
        {std::string("a\0b", 3), true, "a"},
        {"A\xC3\xA9\xC3\xBF", true, "A\xE9\xFF"},
        {"\xE2\x82\xAC!", true, "?!"},   // beyond Latin-1
        {"\xC3(", true, "?("},           // broken sequence
        {"x\xC3", true, "x?"},           // sequence cut short at the end
        {"\xC0\x80x", true, "??x"},      // overlong: a zero in disguise
        {"\xC1\xA9", true, "??"},        // overlong i
        {"\xF0\x9F\x98\x80", true, "?"}, // four bytes, one character
    };
    for (const auto &c : cases)
        EXPECT_EQ(clipboard_text_from_selection(c.bytes, c.utf8), c.text) << c.bytes;
    EXPECT_EQ(latin1_to_utf8("A\xE9\xFF"), "A\xC3\xA9\xC3\xBF");
}

TEST(ClipboardText, ChunksAreJoinedUpToTheLimit)
{
    std::string bytes;
    EXPECT_TRUE(selection_chunk_append(bytes, "abc", 5));
    EXPECT_TRUE(selection_chunk_append(bytes, "", 5));
    EXPECT_FALSE(selection_chunk_append(bytes, "def", 5));
    EXPECT_EQ(bytes, "abc");
    EXPECT_TRUE(selection_chunk_append(bytes, "de", 5));
    EXPECT_EQ(bytes, "abcde");
}
