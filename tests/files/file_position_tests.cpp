#include "files/file_test_support.h"

#include "core/errors.h"
#include "files/file_position.h"
#include "files/handle_table.h"
#include "files/open_close.h"
#include "files/os_handle.h"
#include "files/sequential_io.h"

namespace
{

class FilePosition : public file_test
{
  protected:
    void open_file(const std::string &name, int32_t mode, int64_t len = 0)
    {
        basic_text text(name);
        rt_open(text, mode, 0, 0, 1, len, len != 0);
        ASSERT_EQ(error_pending_take(), 0u);
    }
    void move_to(int64_t byte_position) { os_handle_seek(file_number_handle(1), byte_position); }
};

TEST_F(FilePosition, UnboundNumbersAndSpecialHandlesAreBadFileNumbers)
{
    EXPECT_TRUE(gives_raising(rt_lof(3), 0, 52));
    EXPECT_TRUE(gives_raising(rt_eof(0), 0, 52));
    EXPECT_TRUE(gives_raising(rt_lof(-2), 0, 52));
    EXPECT_TRUE(gives_raising(rt_seek_function(-1), 0, 52));
    EXPECT_TRUE(gives_raising(rt_loc(-1), 0, 52));
    rt_seek(-1, 1);
    EXPECT_EQ(error_pending_take(), 52u);
}

TEST_F(FilePosition, BinaryFilesCountBytesFromOne)
{
    file_write_all("f", "abcdef");
    open_file("f", OPEN_MODE_BINARY);
    EXPECT_EQ(rt_lof(1), 6);
    rt_seek(1, 1);
    EXPECT_EQ(rt_seek_function(1), 1);
    EXPECT_EQ(rt_loc(1), 0);
    rt_seek(1, 0);
    EXPECT_EQ(error_pending_take(), 63u);

    // Reading the last byte exactly is not the end; one more read is.
    rt_seek(1, 6);
    rt_input_str(1, 1, 1);
    EXPECT_EQ(rt_eof(1), 0);
    EXPECT_EQ(rt_loc(1), 6);
    rt_input_str(1, 1, 1);
    EXPECT_EQ(rt_eof(1), -1);
    rt_seek(1, 1); // seeking leaves the end flag until a full read
    EXPECT_EQ(rt_eof(1), -1);
    rt_input_str(2, 1, 1);
    EXPECT_EQ(rt_eof(1), 0);
}

TEST_F(FilePosition, RandomFilesCountRecords)
{
    open_file("r", OPEN_MODE_RANDOM, 64);
    rt_seek(1, 3);
    EXPECT_EQ(os_handle_tell(file_number_handle(1)), 128);
    EXPECT_EQ(rt_seek_function(1), 3);
    EXPECT_EQ(rt_loc(1), 3);
    rt_seek(1, INT64_MAX); // no overflow past the largest position
    EXPECT_EQ(error_pending_take(), 63u);
    EXPECT_EQ(rt_seek_function(1), 3);
}

TEST_F(FilePosition, SequentialFilesCountBlocksOf128Bytes)
{
    open_file("s", OPEN_MODE_OUTPUT);
    for (auto [position, loc] : {std::pair{0, 1}, {128, 1}, {129, 2}, {256, 2}, {257, 3}}) {
        move_to(position);
        EXPECT_EQ(rt_loc(1), loc) << position;
    }
    EXPECT_EQ(rt_lof(1), 0);
}

TEST_F(FilePosition, FunctionsAnswerWhileAnErrorIsPendingButSeekWaits)
{
    file_write_all("f", "abc");
    open_file("f", OPEN_MODE_BINARY);
    error_raise(5);
    EXPECT_EQ(rt_lof(1), 3);
    EXPECT_EQ(rt_seek_function(1), 1);
    rt_seek(1, 3);
    EXPECT_EQ(rt_seek_function(1), 1);
    EXPECT_EQ(error_pending_take(), 5u);
}

} // namespace
