#include "files/file_test_support.h"

#include "files/handle_table.h"
#include "files/os_handle.h"

#include <filesystem>
#include <sys/stat.h>

namespace
{

using OsHandle = file_test;

int32_t open_file(const std::string &name, uint32_t access, uint32_t how, uint32_t deny = 0)
{
    basic_text text(name);
    return os_handle_open(text, access, deny, how);
}

constexpr uint32_t READ = OS_ACCESS_READ;
constexpr uint32_t WRITE = OS_ACCESS_WRITE;
constexpr uint32_t READ_WRITE = OS_ACCESS_READ | OS_ACCESS_WRITE;

TEST_F(OsHandle, ShortReadDeliversWhatIsThereZeroesTheRestAndSetsTheEndFlag)
{
    file_write_all("f", "abcd");
    int32_t h = open_file("f", READ, OS_OPEN_EXISTING);
    ASSERT_GE(h, 0);
    char buf[10];
    std::fill(std::begin(buf), std::end(buf), 'x');
    EXPECT_EQ(os_handle_read(h, -1, buf, 10), OS_HANDLE_SHORT_READ);
    EXPECT_EQ(std::string(buf, 10), std::string("abcd\0\0\0\0\0\0", 10));
    EXPECT_EQ(os_handle_last_read_count(), 4);
    EXPECT_EQ(os_handle_tell(h), 4);
    EXPECT_EQ(os_handle_eof_flag(h), 1);

    EXPECT_EQ(os_handle_read(h, 1, buf, 3), 0); // a full read clears the flag
    EXPECT_EQ(std::string(buf, 3), "bcd");
    EXPECT_EQ(os_handle_eof_flag(h), 0);
    EXPECT_EQ(os_handle_read(h, -1, buf, 10), OS_HANDLE_SHORT_READ);
    EXPECT_EQ(os_handle_read(h, -1, buf, 0), 0); // nothing asked, nothing short
    EXPECT_EQ(os_handle_eof_flag(h), 0);
    EXPECT_EQ(os_handle_tell(h), 4);
}

TEST_F(OsHandle, BadPositionsAndCountsAreRefusedAndKeepThePosition)
{
    int32_t h = open_file("f", READ_WRITE, OS_OPEN_ALWAYS);
    ASSERT_GE(h, 0);
    EXPECT_EQ(os_handle_at_eof(h), 1); // a new empty file
    ASSERT_EQ(os_handle_write(h, -1, "hello", 5), 0);
    EXPECT_EQ(os_handle_seek(h, -5), OS_HANDLE_BAD_ARGUMENT);
    EXPECT_EQ(os_handle_tell(h), 5);
    char buf[4];
    EXPECT_EQ(os_handle_read(h, -5, buf, 1), OS_HANDLE_BAD_ARGUMENT);
    EXPECT_EQ(os_handle_read(h, 0, buf, -1), OS_HANDLE_BAD_ARGUMENT);
    EXPECT_EQ(os_handle_write(h, 0, buf, -1), OS_HANDLE_BAD_ARGUMENT);
    EXPECT_EQ(os_handle_write(h, -1, buf, 0), 0);
    EXPECT_EQ(os_handle_tell(h), 5);
}

TEST_F(OsHandle, PositionsAndSizesAreSixtyFourBit)
{
    int32_t h = open_file("big", READ_WRITE, OS_OPEN_ALWAYS);
    ASSERT_GE(h, 0);
    const int64_t far = 5'000'000'000;
    ASSERT_EQ(os_handle_write(h, far, "z", 1), 0);
    EXPECT_EQ(os_handle_size(h), far + 1);
    EXPECT_EQ(os_handle_tell(h), far + 1);
    char c = 0;
    EXPECT_EQ(os_handle_read(h, far, &c, 1), 0);
    EXPECT_EQ(c, 'z');
}

TEST_F(OsHandle, OpeningRulesCreateKeepOrEmpty)
{
    EXPECT_EQ(open_file("missing", READ, OS_OPEN_EXISTING), OS_HANDLE_NOT_FOUND);
    EXPECT_FALSE(file_exists_on_disk("missing"));
    EXPECT_EQ(os_handle_new(), 0); // the failed open gave its record back

    file_write_all("keep", "data");
    file_write_all("empty", "data");
    EXPECT_GE(open_file("keep", WRITE, OS_OPEN_ALWAYS), 0);
    EXPECT_GE(open_file("empty", WRITE, OS_OPEN_TRUNCATE), 0);
    EXPECT_GE(open_file("new1", WRITE, OS_OPEN_ALWAYS), 0);
    EXPECT_GE(open_file("new2", WRITE, OS_OPEN_TRUNCATE), 0);
    EXPECT_GE(open_file("new3", READ_WRITE, OS_OPEN_FALL_BACK), 0);
    EXPECT_EQ(file_read_all("keep"), "data");
    EXPECT_EQ(file_read_all("empty"), "");
    EXPECT_TRUE(file_exists_on_disk("new1") && file_exists_on_disk("new2") &&
                file_exists_on_disk("new3"));
    EXPECT_EQ(open_file("nodir/x", WRITE, OS_OPEN_ALWAYS), OS_HANDLE_PATH_NOT_FOUND);
}

TEST_F(OsHandle, ReadOnlyFilesAreNeverWrittenOrEmptied)
{
    file_write_all("ro", "keep me");
    chmod("ro", 0444);
    EXPECT_EQ(open_file("ro", WRITE, OS_OPEN_ALWAYS), OS_HANDLE_ACCESS_DENIED);
    EXPECT_EQ(open_file("ro", WRITE, OS_OPEN_TRUNCATE), OS_HANDLE_ACCESS_DENIED);

    int32_t h = open_file("ro", READ_WRITE, OS_OPEN_FALL_BACK);
    ASSERT_GE(h, 0);
    EXPECT_EQ(os_handle_at(h)->may_read, 1);
    EXPECT_EQ(os_handle_at(h)->may_write, 0);
    EXPECT_EQ(os_handle_write(h, -1, "x", 1), OS_HANDLE_BAD_MODE);

    // Emptying needs write access even where the file itself allows writing.
    file_write_all("rw", "keep me too");
    EXPECT_EQ(open_file("rw", READ, OS_OPEN_TRUNCATE), OS_HANDLE_ACCESS_DENIED);
    EXPECT_EQ(file_read_all("ro"), "keep me");
    EXPECT_EQ(file_read_all("rw"), "keep me too");
}

TEST_F(OsHandle, DirectoriesCannotBeOpenedAsFiles)
{
    std::filesystem::create_directory("d");
    EXPECT_EQ(open_file("d", READ, OS_OPEN_EXISTING), OS_HANDLE_ACCESS_DENIED);
    EXPECT_EQ(open_file("d", READ_WRITE, OS_OPEN_FALL_BACK), OS_HANDLE_ACCESS_DENIED);
    EXPECT_EQ(os_handle_new(), 0);
}

TEST_F(OsHandle, ClosedAndUnknownHandlesAreInvalidEverywhere)
{
    int32_t h = open_file("f", READ_WRITE, OS_OPEN_ALWAYS);
    ASSERT_EQ(os_handle_close(h), 0);
    char c;
    for (int32_t bad : {h, 7, -1}) {
        EXPECT_EQ(os_handle_size(bad), OS_HANDLE_INVALID);
        EXPECT_EQ(os_handle_seek(bad, 0), OS_HANDLE_INVALID);
        EXPECT_EQ(os_handle_tell(bad), OS_HANDLE_INVALID);
        EXPECT_EQ(os_handle_read(bad, -1, &c, 1), OS_HANDLE_INVALID);
        EXPECT_EQ(os_handle_write(bad, -1, &c, 1), OS_HANDLE_INVALID);
        EXPECT_EQ(os_handle_at_eof(bad), OS_HANDLE_INVALID);
        EXPECT_EQ(os_handle_eof_flag(bad), OS_HANDLE_INVALID);
        EXPECT_EQ(os_handle_lock(bad, -1, -1), OS_HANDLE_INVALID);
        EXPECT_EQ(os_handle_unlock(bad, -1, -1), OS_HANDLE_INVALID);
        EXPECT_EQ(os_handle_close(bad), OS_HANDLE_INVALID);
    }
}

// Where the file system keeps no share modes, every open goes through.
TEST_F(OsHandle, ShareModesRefuseConflictingOpens)
{
    const bool share_modes = folder_locks_here().share_modes;
    auto refused = [&](int32_t h) { return share_modes ? h == OS_HANDLE_ACCESS_DENIED : h >= 0; };
    file_write_all("f", "x");
    int32_t shared = open_file("f", READ, OS_OPEN_EXISTING);
    ASSERT_GE(shared, 0);
    int32_t shared2 = open_file("f", READ, OS_OPEN_EXISTING);
    EXPECT_GE(shared2, 0);
    EXPECT_TRUE(refused(open_file("f", READ, OS_OPEN_EXISTING, OS_DENY_WRITE)));
    handle_table_reset(); // closes every handle
    int32_t exclusive = open_file("f", READ_WRITE, OS_OPEN_EXISTING, OS_DENY_READ);
    ASSERT_GE(exclusive, 0);
    EXPECT_TRUE(refused(open_file("f", READ, OS_OPEN_EXISTING)));
    handle_table_reset();
    EXPECT_GE(open_file("f", READ, OS_OPEN_EXISTING), 0);
}

TEST_F(OsHandle, RangeLocksFollowTheExclusiveRules)
{
    if (!folder_locks_here().range_locks)
        GTEST_SKIP() << "no byte-range locks on this file system";
    file_write_all("f", std::string(100, 'a'));
    int32_t h = open_file("f", READ_WRITE, OS_OPEN_EXISTING);
    ASSERT_GE(h, 0);
    EXPECT_EQ(os_handle_lock(h, 10, 19), 0);
    EXPECT_EQ(os_handle_lock(h, 15, 30), OS_HANDLE_ACCESS_DENIED);   // overlaps our own
    EXPECT_EQ(os_handle_lock(h, 20, 29), 0);                         // adjacent is fine
    EXPECT_EQ(os_handle_unlock(h, 10, 15), OS_HANDLE_ACCESS_DENIED); // not as locked
    EXPECT_EQ(os_handle_unlock(h, 50, 60), OS_HANDLE_ACCESS_DENIED);
    EXPECT_EQ(os_handle_unlock(h, 10, 19), 0);
    EXPECT_EQ(os_handle_unlock(h, 10, 19), OS_HANDLE_ACCESS_DENIED);
    EXPECT_EQ(os_handle_lock(h, -2, 5), OS_HANDLE_BAD_ARGUMENT);
    EXPECT_EQ(os_handle_lock(h, 0, -2), OS_HANDLE_BAD_ARGUMENT);

    char buf[5];
    EXPECT_EQ(os_handle_read(h, 20, buf, 5), 0); // our own lock never stands in the way
    EXPECT_EQ(os_handle_write(h, 20, "bbbbb", 5), 0);
    EXPECT_EQ(os_handle_unlock(h, 20, 29), 0);

    EXPECT_EQ(os_handle_lock(h, -1, -1), 0); // byte 0 to the end of every file
    EXPECT_EQ(os_handle_lock(h, 1'000'000'000'000, 1'000'000'000'001), OS_HANDLE_ACCESS_DENIED);
    EXPECT_EQ(os_handle_unlock(h, 0, -1), 0); // the same range written another way
}

TEST_F(OsHandle, ALockedRangeRefusesTheOtherOpenFilesReadsAndWrites)
{
    if (!folder_locks_here().range_locks)
        GTEST_SKIP() << "no byte-range locks on this file system";
    file_write_all("f", std::string(100, 'a'));
    int32_t holder = open_file("f", READ_WRITE, OS_OPEN_EXISTING);
    int32_t other = open_file("f", READ_WRITE, OS_OPEN_EXISTING);
    int32_t reader = open_file("f", READ, OS_OPEN_EXISTING);
    ASSERT_EQ(os_handle_lock(holder, 40, 49), 0);

    char buf[20];
    EXPECT_EQ(os_handle_read(other, 30, buf, 20), OS_HANDLE_ACCESS_DENIED);
    EXPECT_EQ(os_handle_tell(other), 30);
    EXPECT_EQ(os_handle_write(other, 45, "x", 1), OS_HANDLE_ACCESS_DENIED);
    EXPECT_EQ(os_handle_read(reader, 49, buf, 1), OS_HANDLE_ACCESS_DENIED);
    EXPECT_EQ(os_handle_read(other, 20, buf, 20), 0); // ends right before the range
    EXPECT_EQ(os_handle_read(other, 50, buf, 20), 0);
    EXPECT_EQ(os_handle_lock(other, 45, 60), OS_HANDLE_ACCESS_DENIED);
    EXPECT_EQ(os_handle_lock(reader, 0, 40), OS_HANDLE_ACCESS_DENIED);

    // Locks through read-only files exclude one another as well.
    EXPECT_EQ(os_handle_lock(reader, 0, 9), 0);
    int32_t reader2 = open_file("f", READ, OS_OPEN_EXISTING);
    EXPECT_EQ(os_handle_lock(reader2, 5, 5), OS_HANDLE_ACCESS_DENIED);
    EXPECT_EQ(os_handle_write(other, 0, "x", 1), OS_HANDLE_ACCESS_DENIED);

    ASSERT_EQ(os_handle_unlock(holder, 40, 49), 0);
    EXPECT_EQ(os_handle_read(other, 30, buf, 20), 0);
    os_handle_close(reader); // closing drops its locks
    EXPECT_EQ(os_handle_write(other, 0, "x", 1), 0);
}

TEST_F(OsHandle, LocksAndShareModesHoldBetweenProcesses)
{
    const folder_locks here = folder_locks_here();
    if (!here.range_locks)
        GTEST_SKIP() << "no byte-range locks on this file system";
    const int share_refused = here.share_modes ? 8 : 0;
    file_write_all("f", std::string(100, 'a'));
    int32_t holder = open_file("f", READ_WRITE, OS_OPEN_EXISTING);
    ASSERT_EQ(os_handle_lock(holder, 0, 9), 0);

    // The child opens the file on its own, as another program would.
    auto probe = [] {
        int32_t h = open_file("f", READ_WRITE, OS_OPEN_EXISTING);
        char buf[4];
        int result = 0;
        if (os_handle_read(h, 8, buf, 4) == OS_HANDLE_ACCESS_DENIED)
            result |= 1;
        if (os_handle_read(h, 10, buf, 4) == 0)
            result |= 2;
        if (os_handle_lock(h, 5, 5) == OS_HANDLE_ACCESS_DENIED)
            result |= 4;
        if (open_file("f", READ, OS_OPEN_EXISTING, OS_DENY_READ) == OS_HANDLE_ACCESS_DENIED)
            result |= 8;
        return result;
    };
    EXPECT_EQ(in_child_process(probe), 1 | 2 | 4 | share_refused);
    ASSERT_EQ(os_handle_unlock(holder, 0, 9), 0);
    EXPECT_EQ(in_child_process(probe), 2 | share_refused);
}

TEST_F(OsHandle, NamesWithBackslashesAndAnotherLetterCaseReachTheSameFile)
{
    std::filesystem::create_directories("Saves/Slot");
    file_write_all("Saves/Slot/Game.Dat", "saved");
    int32_t h = open_file("saves\\SLOT\\game.dat", READ, OS_OPEN_EXISTING);
    ASSERT_GE(h, 0);
    char buf[5];
    ASSERT_EQ(os_handle_read(h, -1, buf, 5), 0);
    EXPECT_EQ(std::string(buf, 5), "saved");

    // A new file goes into the existing directory, under the name as written.
    ASSERT_GE(open_file("SAVES\\slot\\New.txt", WRITE, OS_OPEN_ALWAYS), 0);
    EXPECT_TRUE(file_exists_on_disk("Saves/Slot/New.txt"));

    // Two names that differ only in case: neither wins a case-blind match.
    file_write_all("a.txt", "1");
    file_write_all("A.TXT", "2");
    EXPECT_EQ(open_file("a.Txt", READ, OS_OPEN_EXISTING), OS_HANDLE_NOT_FOUND);
    EXPECT_GE(open_file("A.TXT", READ, OS_OPEN_EXISTING), 0);
}

} // namespace
