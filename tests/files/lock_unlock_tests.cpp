#include "files/record_test_support.h"

#include "core/errors.h"
#include "files/get_put.h"
#include "files/lock_unlock.h"
#include "platform/os_files.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <vector>

namespace
{

constexpr int32_t START = LOCK_START_GIVEN, END = LOCK_END_GIVEN, BOTH = START | END;

class Lock : public record_test
{
  protected:
    // The byte-range locks /proc/locks lists for the file, as "first-last",
    // each once: the kernel lists them a page at a time, so while other
    // processes lock and unlock, a line can come twice. A file is its device
    // (major and minor in hexadecimal) and inode: an inode number alone also
    // names files of other file systems.
    std::vector<std::string> ranges_of(const std::string &name)
    {
        struct stat st {
        };
        EXPECT_EQ(stat(name.c_str(), &st), 0);
        char file[64];
        std::snprintf(file, sizeof file, "%02x:%02x:%lu", major(st.st_dev), minor(st.st_dev),
                      static_cast<unsigned long>(st.st_ino));
        std::vector<std::string> found;
        std::ifstream locks("/proc/locks");
        for (std::string line; std::getline(locks, line);) {
            std::string id, kind, advisory, access, pid, device, first, last;
            std::istringstream(line) >> id >> kind >> advisory >> access >> pid >> device >>
                first >> last;
            if (kind == "OFDLCK" && device == file)
                found.push_back(first + "-" + last);
        }
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        return found;
    }
    // GET of one byte at a BASIC position of file #number; the error raised.
    uint32_t get_error(int32_t number, int64_t position)
    {
        get_text(number, position, 1);
        return error_pending_take();
    }
};

TEST_F(Lock, RangesFollowTheOpenMode)
{
    open_file("r", OPEN_MODE_RANDOM, 1, 128);
    open_file("b", OPEN_MODE_BINARY, 2);
    open_file("o", OPEN_MODE_OUTPUT, 3);
    const struct {
        int32_t number;
        int64_t start, end;
        int32_t flags;
        const char *name, *range;
    } cases[] = {
        {1, 0, 0, 0, "r", "0-"},         {1, 3, 0, START, "r", "256-383"},
        {1, 2, 4, BOTH, "r", "128-511"}, {2, 0, 4, END, "b", "0-3"},
        {2, 7, 0, START, "b", "6-6"},    {3, 5, 9, BOTH, "o", "0-"},
    };
    // A lock to the end of every file stops short of the reserved last byte.
    const std::string to_end = std::to_string(OS_FILE_RESERVED_BYTE - 1);
    for (const auto &c : cases) {
        rt_lock(c.number, c.start, c.end, c.flags);
        ASSERT_EQ(error_pending_take(), 0u) << c.range;
        std::string range = c.range;
        if (range.back() == '-')
            range += to_end;
        EXPECT_EQ(ranges_of(c.name), std::vector<std::string>{range});
        rt_unlock(c.number, c.start, c.end, c.flags);
        ASSERT_EQ(error_pending_take(), 0u) << c.range;
        EXPECT_TRUE(ranges_of(c.name).empty()) << c.range;
    }
}

TEST_F(Lock, BadArgumentsAreRefusedAndLeaveNoLock)
{
    open_file("r", OPEN_MODE_RANDOM, 1, 128);
    const struct {
        int32_t number;
        int64_t start, end;
        int32_t flags;
        uint32_t error;
    } cases[] = {
        {1, 0, 0, START, 5},        {1, INT64_MIN, 0, START, 5}, {1, 1, 0, END, 5},
        {1, 1, INT64_MIN, BOTH, 5}, {1, INT64_MAX, 0, START, 5}, {1, 1, INT64_MAX, BOTH, 5},
        {2, 1, 0, START, 52},       {-1, 1, 0, START, 52},       {1, 5, 2, BOTH, 75},
    };
    for (const auto &c : cases) {
        rt_lock(c.number, c.start, c.end, c.flags);
        EXPECT_EQ(error_pending_take(), c.error) << c.start << " " << c.end;
    }
    EXPECT_TRUE(ranges_of("r").empty());
    rt_unlock(1, 1, 0, START); // not locked
    EXPECT_EQ(error_pending_take(), 70u);
    rt_lock(1, 1, 2, BOTH);
    rt_lock(1, 2, 0, START); // overlaps a lock of the same file
    EXPECT_EQ(error_pending_take(), 70u);
    rt_unlock(1, 1, 0, START); // not exactly the range locked
    EXPECT_EQ(error_pending_take(), 70u);
    EXPECT_EQ(ranges_of("r"), std::vector<std::string>{"0-255"});
}

// Two file numbers on one BINARY file, each locking its own range.
TEST_F(Lock, TwoFileNumbersShareAFileByRanges)
{
    file_write_all("shared", std::string(100, '.'));
    open_file("shared", OPEN_MODE_BINARY, 1);
    open_file("shared", OPEN_MODE_BINARY, 2);
    auto put_error = [&](int32_t number, int64_t position, const char *bytes) {
        put_text(number, position, bytes);
        return error_pending_take();
    };
    rt_lock(1, 1, 10, BOTH);
    EXPECT_EQ(put_error(2, 11, "x"), 0u);
    EXPECT_EQ(put_error(2, 10, "xy"), 70u); // crosses into #1's range
    EXPECT_EQ(get_error(2, 1), 70u);
    rt_lock(2, 5, 15, BOTH);
    EXPECT_EQ(error_pending_take(), 70u);
    rt_lock(2, 11, 20, BOTH);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(put_error(1, 15, "x"), 70u);
    EXPECT_EQ(put_error(1, 5, "x"), 0u);
    rt_unlock(1, 1, 10, BOTH);
    EXPECT_EQ(put_error(2, 5, "x"), 0u);
    rt_unlock(1, 1, 10, BOTH); // already unlocked
    EXPECT_EQ(error_pending_take(), 70u);
    rt_close(2, 1); // closing gives up its locks
    EXPECT_EQ(put_error(1, 15, "x"), 0u);
    EXPECT_TRUE(ranges_of("shared").empty());
}

TEST_F(Lock, OtherOpensAreRefusedUntilUnlock)
{
    open_file("r", OPEN_MODE_RANDOM, 1, 128);
    put_text(1, 4, "x");
    open_file("r", OPEN_MODE_RANDOM, 2, 128);
    rt_lock(1, 3, 0, START);
    EXPECT_EQ(get_error(1, 3), 0u); // the locking file itself may use it
    EXPECT_EQ(get_error(2, 3), 70u);
    EXPECT_EQ(get_error(2, 2), 0u);
    rt_lock(2, 3, 0, START);
    EXPECT_EQ(error_pending_take(), 70u);

    // Another process: its own open of the file meets the same lock.
    auto child_errors = [] {
        basic_text name("r");
        rt_open(name, OPEN_MODE_RANDOM, 0, 0, 7, 128, 1);
        std::string byte = "?";
        byte_element e = element_of(byte);
        rt_get(7, 3, &e, 1);
        uint32_t get = error_pending_take();
        rt_lock(7, 3, 0, START);
        return int(get * 2 + (error_pending_take() == 70 ? 1 : 0));
    };
    EXPECT_EQ(in_child_process(child_errors), 70 * 2 + 1);
    rt_unlock(1, 3, 0, START);
    ASSERT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(in_child_process(child_errors), 0);
    EXPECT_EQ(get_error(2, 3), 0u);
}

} // namespace
