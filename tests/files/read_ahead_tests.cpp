// Small reads of regular files come from a block read ahead: whatever this
// process writes, truncates, locks or unlocks through any file number must
// reach the next read, the end of the file must stay the system's answer,
// and LINE INPUT # from the bytes ahead must leave the line, the position and
// the end flag exactly as reading byte by byte does.
#include "files/file_test_support.h"

#include "core/errors.h"
#include "files/file_position.h"
#include "files/handle_table.h"
#include "files/open_close.h"
#include "files/os_handle.h"
#include "files/sequential_io.h"

#include <fcntl.h>
#include <random>

namespace
{

constexpr uint32_t READ = OS_ACCESS_READ;
constexpr uint32_t READ_WRITE = OS_ACCESS_READ | OS_ACCESS_WRITE;

// A handle whose reads come from the block ahead, as an INPUT file's do.
int32_t open_handle(const std::string &name, uint32_t access, uint32_t how = OS_OPEN_EXISTING)
{
    basic_text text(name);
    int32_t handle = os_handle_open(text, access, 0, how);
    if (handle >= 0)
        os_file_read_ahead_set(os_handle_file(handle), true);
    return handle;
}

std::string read_at(int32_t handle, int64_t position, int64_t count, int32_t *result = nullptr)
{
    std::string bytes(size_t(count), '\0');
    int32_t r = os_handle_read(handle, position, bytes.data(), count);
    if (result)
        *result = r;
    bytes.resize(size_t(os_handle_last_read_count()));
    return bytes;
}

using ReadAhead = file_test;

TEST_F(ReadAhead, WritesAndTruncationThroughAnotherHandleReachTheNextRead)
{
    file_write_all("f", std::string(100, 'a'));
    int32_t reader = open_handle("f", READ);
    int32_t writer = open_handle("f", READ_WRITE);
    EXPECT_EQ(read_at(reader, 0, 1), "a"); // the block now holds all 100 bytes
    ASSERT_EQ(os_handle_write(writer, 50, "xyz", 3), 0);
    EXPECT_EQ(read_at(reader, 49, 5), "axyza");

    int32_t emptier = open_handle("f", READ_WRITE, OS_OPEN_TRUNCATE);
    ASSERT_GE(emptier, 0);
    int32_t result = 0;
    EXPECT_EQ(read_at(reader, 10, 4, &result), "");
    EXPECT_EQ(result, OS_HANDLE_SHORT_READ);
    EXPECT_EQ(os_handle_eof_flag(reader), 1);
}

TEST_F(ReadAhead, ALockTakenAfterTheReadAheadRefusesTheBytesItCovers)
{
    if (!folder_locks_here().range_locks)
        GTEST_SKIP() << "no byte-range locks on this file system";
    file_write_all("f", std::string(100, 'a'));
    int32_t reader = open_handle("f", READ);
    int32_t holder = open_handle("f", READ_WRITE);
    EXPECT_EQ(read_at(reader, 0, 1), "a");
    ASSERT_EQ(os_handle_lock(holder, 40, 49), 0);

    int32_t result = 0;
    read_at(reader, 45, 1, &result);
    EXPECT_EQ(result, OS_HANDLE_ACCESS_DENIED);
    EXPECT_EQ(os_handle_tell(reader), 45);
    EXPECT_EQ(read_at(reader, 35, 5), "aaaaa"); // ends right before the range
    const uint8_t *bytes = nullptr;
    EXPECT_EQ(os_handle_peek(reader, &bytes), 0); // no bytes ahead past a lock

    ASSERT_EQ(os_handle_unlock(holder, 40, 49), 0);
    EXPECT_EQ(read_at(reader, 45, 1, &result), "a");
    EXPECT_EQ(result, 0);
}

class ReadAheadLines : public file_test
{
  protected:
    void open_file(const std::string &name, int32_t mode)
    {
        ASSERT_EQ(open_error(name, mode), 0u) << name;
    }
};

TEST_F(ReadAheadLines, RecordFilesSeeAnotherProcesssWritesAtOnce)
{
    // RANDOM and BINARY files read no block ahead: a record another program
    // PUT is what the next GET reads.
    for (int32_t mode : {OPEN_MODE_RANDOM, OPEN_MODE_BINARY}) {
        file_write_all("db", std::string(256, 'a'));
        open_file("db", mode);
        int32_t handle = file_number_handle(1);
        EXPECT_EQ(read_at(handle, 0, 4), "aaaa");
        in_child_process([] {
            int fd = ::open("db", O_WRONLY);
            (void)!pwrite(fd, "new!", 4, 128);
            ::close(fd);
        });
        EXPECT_EQ(read_at(handle, 128, 4), "new!") << mode;
        rt_close(1, 1);
    }
}

TEST_F(ReadAheadLines, TheEndOfTheFileIsAskedOfTheSystemEachTime)
{
    file_write_all("f", "one\r\n");
    open_file("f", OPEN_MODE_INPUT);
    EXPECT_EQ(line_input(), "one");
    EXPECT_EQ(rt_eof(1), -1);
    // Another program adds a line behind the end this one has read to.
    in_child_process([] {
        int fd = open("f", O_WRONLY | O_APPEND);
        (void)!write(fd, "two\r\n", 5);
        close(fd);
    });
    EXPECT_EQ(line_input(), "two");
    EXPECT_EQ(rt_eof(1), -1);
}

TEST_F(ReadAheadLines, SeekLocAndEofFollowTheLinesRead)
{
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    file_write_all("f", text);
    open_file("f", OPEN_MODE_INPUT);
    EXPECT_EQ(line_input(), "line 0");
    EXPECT_EQ(rt_seek_function(1), 9);
    EXPECT_EQ(rt_loc(1), 1);
    for (int i = 1; i < 100; ++i)
        line_input();
    int64_t at = rt_seek_function(1);
    EXPECT_EQ(at, int64_t(text.find("line 100")) + 1);
    EXPECT_EQ(rt_loc(1), (at - 2) / 128 + 1);
    rt_seek(1, 1);
    EXPECT_EQ(line_input(), "line 0");
    rt_seek(1, at);
    EXPECT_EQ(line_input(), "line 100");
    while (rt_eof(1) == 0)
        line_input();
    EXPECT_EQ(rt_seek_function(1), int64_t(text.size()) + 1);
    EXPECT_EQ(rt_lof(1), int64_t(text.size()));
    EXPECT_EQ(line_input(), "<error 62>");
}

// What LINE INPUT # gives, as designed: one byte at a time, CR, LF, CR LF and
// LF CR ending a line, a 26 ending the file and staying unread.
struct designed_reader {
    const std::string &bytes;
    size_t position = 0;
    bool eof_flag = false;

    int byte()
    {
        if (position >= bytes.size() || bytes[position] == 26) {
            eof_flag = true;
            return -1;
        }
        eof_flag = false;
        return uint8_t(bytes[position++]);
    }
    std::string line()
    {
        int b = byte();
        if (b < 0)
            return "<error 62>";
        std::string text;
        for (; b >= 0 && b != 10 && b != 13; b = byte())
            text += char(b);
        if (b < 0)
            return text;
        int second = byte();
        if (second < 0)
            return text;
        if ((b == 10 && second != 13) || (b == 13 && second != 10)) {
            --position;
            return text;
        }
        if (byte() >= 0)
            --position;
        return text;
    }
};

// Random lines of every ending over more than two read-ahead blocks, a 26
// after a line-end byte near the end: every step agrees with the designed
// reading.
TEST_F(ReadAheadLines, EveryLineEndsWhereReadingByteByByteEndsIt)
{
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        std::mt19937 rng(seed);
        std::string bytes;
        const char *ends[] = {"\r\n", "\n\r", "\r", "\n", "\r\r", "\n\n", "\r\n\r\n"};
        while (bytes.size() < 70000) {
            bytes += std::string(rng() % 40, char('a' + rng() % 26));
            bytes += ends[rng() % 7];
        }
        size_t at = bytes.size() - 50 - rng() % 150;
        while (bytes[at - 1] != '\r' && bytes[at - 1] != '\n')
            --at; // right after a line end, or inside a pair
        bytes.insert(at, 1, char(26));
        file_write_all("f", bytes);
        open_file("f", OPEN_MODE_INPUT);
        designed_reader want{bytes};
        int32_t h = file_number_handle(1);
        for (int step = 0;; ++step) {
            std::string expected = want.line();
            ASSERT_EQ(line_input(), expected) << "seed " << seed << " step " << step;
            ASSERT_EQ(os_handle_tell(h), int64_t(want.position)) << step;
            ASSERT_EQ(os_handle_eof_flag(h), want.eof_flag ? 1 : 0) << step;
            if (expected == "<error 62>")
                break;
        }
        rt_close(1, 1);
    }
}

} // namespace
