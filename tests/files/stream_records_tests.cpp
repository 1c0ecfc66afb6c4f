#include "files/stream_records.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct StreamRecordsTest : testing::Test {
    void SetUp() override { stream_record_list_create(); }

    static stream_record *record_new()
    {
        int32_t index = list_add(stream_record_list);
        return static_cast<stream_record *>(list_get(stream_record_list, index));
    }
};

TEST_F(StreamRecordsTest, FreeReleasesAnOwnedBufferAndTheIndex)
{
    stream_record *record = record_new();
    record->capacity = 64;
    record->data = static_cast<uint8_t *>(std::malloc(64));
    stream_record_free(record);
    EXPECT_EQ(list_get(stream_record_list, 1), nullptr);
    EXPECT_EQ(list_add(stream_record_list), 1);
}

// A buffer the record does not own (capacity 0) is left alone: freeing this
// one, which lives on the stack, would corrupt the heap.
TEST_F(StreamRecordsTest, FreeLeavesABorrowedBufferAndIgnoresASecondFree)
{
    uint8_t borrowed[8] = {1};
    stream_record *first = record_new();
    stream_record *second = record_new();
    first->data = borrowed;
    stream_record_free(first);
    EXPECT_EQ(borrowed[0], 1);
    second->capacity = 16;
    second->data = static_cast<uint8_t *>(std::malloc(16));
    stream_record_free(second);
    stream_record_free(second);
    stream_record_free(nullptr);
    // Both indices came back exactly once, newest first.
    EXPECT_EQ(list_add(stream_record_list), 2);
    EXPECT_EQ(list_add(stream_record_list), 1);
    EXPECT_EQ(list_add(stream_record_list), 3);
}

} // namespace
