#include "core/lists.h"

#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct ListsTest : testing::Test {
    indexed_list *list = nullptr;
    void TearDown() override { list_free(list); }
};

TEST_F(ListsTest, RemovedIndexComesBackWithZeroedData)
{
    list = list_new(16);
    ASSERT_EQ(list_add(list), 1);
    std::memset(list_get(list, 1), 0xAB, 16);
    EXPECT_EQ(list_remove(list, 1), -1);
    ASSERT_EQ(list_add(list), 1);
    auto *record = static_cast<uint8_t *>(list_get(list, 1));
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(record[i], 0) << i;
    EXPECT_EQ(list_index_of(list, record), 1);
}

TEST_F(ListsTest, FreedIndicesComeBackMostRecentFirst)
{
    list = list_new(4);
    for (int i = 1; i <= 3; i++)
        ASSERT_EQ(list_add(list), i);
    EXPECT_EQ(list_remove(list, 2), -1);
    EXPECT_EQ(list_remove(list, 3), -1);
    EXPECT_EQ(list_highest_index(list), 3);
    EXPECT_EQ(list_add(list), 3);
    EXPECT_EQ(list_add(list), 2);
    EXPECT_EQ(list_add(list), 4);
}

TEST_F(ListsTest, IndicesThatNameNoRecordAreRefused)
{
    list = list_new(8);
    list_add(list);
    list_add(list);
    ASSERT_EQ(list_remove(list, 2), -1);
    for (int32_t index : {0, -1, INT_MIN, 2, 3, INT_MAX}) {
        EXPECT_EQ(list_get(list, index), nullptr) << index;
        EXPECT_EQ(list_remove(list, index), 0) << index;
    }
    // The refused removals pushed nothing: the next two additions are 2 and 3.
    EXPECT_EQ(list_add(list), 2);
    EXPECT_EQ(list_add(list), 3);
    EXPECT_EQ(list_index_of(list, nullptr), 0);
}

TEST_F(ListsTest, RecordsStayPutAcrossManyGrowths)
{
    list = list_new(12);
    std::vector<void *> records;
    for (int32_t i = 1; i <= 5000; i++) {
        ASSERT_EQ(list_add(list), i);
        records.push_back(list_get(list, i));
        std::memcpy(records.back(), &i, sizeof i);
    }
    for (int32_t i = 1; i <= 5000; i += 2)
        ASSERT_EQ(list_remove(list, i), -1);
    for (int32_t i = 1; i <= 5000; i++) {
        int32_t stored;
        std::memcpy(&stored, records[i - 1], sizeof stored);
        if (i % 2) {
            EXPECT_EQ(list_get(list, i), nullptr);
            EXPECT_EQ(list_index_of(list, records[i - 1]), 0);
        } else {
            ASSERT_EQ(list_get(list, i), records[i - 1]) << i;
            EXPECT_EQ(list_index_of(list, records[i - 1]), i);
            EXPECT_EQ(stored, i);
        }
    }
    // A reused index keeps its record's place.
    EXPECT_EQ(list_add(list), 4999);
    EXPECT_EQ(list_get(list, 4999), records[4998]);
}

// Every record starts on an 8-byte boundary and the index kept after the user
// data survives the user filling all its bytes, whatever the element size.
TEST_F(ListsTest, OddElementSizesAreAlignedAndKeepTheirIndex)
{
    for (uint32_t size : {0u, 1u, 3u, 4u, 5u, 7u, 8u, 9u, 13u, 17u, 176u}) {
        indexed_list *odd = list_new(size);
        std::vector<uint8_t *> records;
        for (int32_t i = 1; i <= 40; i++) {
            ASSERT_EQ(list_add(odd), i);
            records.push_back(static_cast<uint8_t *>(list_get(odd, i)));
            EXPECT_EQ(reinterpret_cast<uintptr_t>(records.back()) % 8, 0u) << size;
            std::memset(records.back(), 0xFF, size);
        }
        for (int32_t i = 1; i <= 40; i++)
            EXPECT_EQ(list_index_of(odd, records[i - 1]), i) << "size " << size;
        list_free(odd);
    }
}

TEST_F(ListsTest, LockedListHandsOutTheSameIndices)
{
    list = list_new_locked(24);
    EXPECT_EQ(list_add(list), 1);
    EXPECT_EQ(list_add(list), 2);
    EXPECT_EQ(list_remove(list, 1), -1);
    EXPECT_EQ(list_remove(list, 1), 0);
    EXPECT_EQ(list_add(list), 1);
    EXPECT_NE(list_get(list, 2), nullptr);
}

int answer_ok(const char *, const char *, uint32_t) { return MESSAGE_BOX_RESULT_OK; }

// Records of 2 GB: each new block doubles, so a few additions ask for more
// memory than can be had. The two "Alert" boxes then show, the failure text
// and the record stride, and the process ends with code 0.
TEST(ListsDeathTest, RecordsThatCannotBeHadShowTheTwoAlertsAndEnd)
{
    // The child runs as a fresh process that reads this environment, so that
    // under AddressSanitizer the refused allocation comes back as null, as it
    // does without it, instead of being reported.
    const char *asan = std::getenv("ASAN_OPTIONS");
    const std::string saved = asan ? asan : "";
    setenv("ASAN_OPTIONS", (saved + (asan ? ":" : "") + "allocator_may_return_null=1").c_str(), 1);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            platform_message_box_seam_set(answer_ok);
            indexed_list *huge = list_new(0x7FFFFFF0u);
            for (int i = 0; i < 64; i++)
                list_add(huge);
            _exit(1);
        },
        ::testing::ExitedWithCode(0),
        "\\[Alert\\]\nlist_add: failed to allocate new buffer, structure size:\n"
        "\\[Alert\\]\n2147483640\n");
    if (asan)
        setenv("ASAN_OPTIONS", saved.c_str(), 1);
    else
        unsetenv("ASAN_OPTIONS");
}

} // namespace
