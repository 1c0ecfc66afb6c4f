#include "platform/os_file_held.h"
#include "platform/os_file_held_testing.h"
#include "platform/os_file_move.h"
#include "platform/os_files.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

// Two fresh directories: one under the temporary folder ($TMPDIR or /tmp)
// and one on the memory file system, which lies on another device wherever
// the temporary folder is on a disk.
class OsFileMove : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        disk_ = test_temp_dir("move_") + "/";
        std::string pattern = "/dev/shm/move_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        memory_ = pattern + "/";
    }
    void TearDown() override
    {
        fs::remove_all(disk_);
        fs::remove_all(memory_);
    }
    std::string disk_, memory_;
};

TEST_F(OsFileMove, CreatesOnlyUnderAFreeName)
{
    EXPECT_EQ(os_file_create_new(disk_ + "a"), os_dir_status::ok);
    file_write_all(disk_ + "b", "user");
    EXPECT_EQ(os_file_create_new(disk_ + "b"), os_dir_status::exists);
    EXPECT_EQ(file_read_all(disk_ + "b"), "user");
    EXPECT_EQ(os_file_create_new(disk_ + "no/c"), os_dir_status::not_found);
}

// Within a file system and across file systems: the bytes arrive, the old
// name goes, nothing is replaced and no temporary file stays.
TEST_F(OsFileMove, MovesWithoutReplacingWithinAndAcrossFileSystems)
{
    for (const std::string &to_dir : {disk_, memory_}) {
        SCOPED_TRACE(to_dir);
        file_write_all(disk_ + "from", std::string(200000, 'x') + "end");
        file_write_all(to_dir + "taken", "user");
        EXPECT_EQ(os_file_move(disk_ + "from", to_dir + "taken"), os_dir_status::exists);
        EXPECT_EQ(file_read_all(to_dir + "taken"), "user");
        EXPECT_EQ(os_file_move(disk_ + "from", to_dir + "moved"), os_dir_status::ok);
        EXPECT_EQ(file_read_all(to_dir + "moved"), std::string(200000, 'x') + "end");
        EXPECT_FALSE(fs::exists(disk_ + "from"));
        EXPECT_EQ(os_file_move(disk_ + "from", to_dir + "again"), os_dir_status::not_found);
        size_t entries = 0;
        for (const auto &e : fs::directory_iterator(to_dir))
            entries += e.exists();
        EXPECT_EQ(entries, 2u);
        fs::remove(to_dir + "moved");
        fs::remove(to_dir + "taken");
    }
    // Where letter case counts, a name differing in case alone is another file.
    file_write_all(disk_ + "a", "a");
    file_write_all(disk_ + "A", "A");
    EXPECT_EQ(os_file_move(disk_ + "a", disk_ + "A"), os_dir_status::exists);
    EXPECT_EQ(file_read_all(disk_ + "A"), "A");
}

// A held file stays while its maker holds it, even with a range lock to the
// end of the file, as LOCK takes it, through another descriptor, and goes
// once nobody holds it; one
// made for another target always stays. A pipe is never replaced. (Names,
// look-alikes and links are checked through OPEN in the files tests.)
TEST_F(OsFileMove, OnlyUnheldFilesMadeForTheTargetGoAndOnlyFilesAreReplaced)
{
    if (!folder_locks_here(disk_).range_locks)
        GTEST_SKIP() << "no byte-range locks on this file system";
    std::string path;
    int hold = -1;
    ASSERT_EQ(os_file_create_held(disk_ + "LK", &path, &hold), os_dir_status::ok);
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    struct flock whole {
    };
    whole.l_type = F_WRLCK;
    whole.l_len = OS_FILE_RESERVED_BYTE;
    EXPECT_EQ(fcntl(fd, F_OFD_SETLK, &whole), 0);
    close(fd);
    os_file_remove_unheld(disk_ + "LK");
    EXPECT_TRUE(fs::exists(path));
    os_file_hold_release(hold);
    os_file_remove_unheld(disk_ + "LKx");
    EXPECT_TRUE(fs::exists(path));
    os_file_remove_unheld(disk_ + "LK");
    EXPECT_FALSE(fs::exists(path));

    file_write_all(disk_ + "plain", "x");
    ASSERT_EQ(mkfifo((disk_ + "pipe").c_str(), 0666), 0);
    EXPECT_EQ(os_file_replace(disk_ + "plain", disk_ + "pipe"), os_dir_status::access_denied);
    EXPECT_TRUE(fs::is_fifo(disk_ + "pipe"));
    EXPECT_EQ(file_read_all(disk_ + "plain"), "x");
}

// A process that makes a held file for target as a process of place does
// ("" for this one's), then lets its hold go, as a maker that found no lock
// service holds nothing, and ends at once or, when it stays, at end().
class held_file_maker
{
  public:
    held_file_maker(const std::string &target, const std::string &place, bool stays)
    {
        int made[2], wait[2];
        if (pipe(made) != 0 || pipe(wait) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            close(made[0]);
            close(wait[1]);
            os_file_held_place_set(place);
            std::string path;
            int hold = -1;
            os_file_create_held(target, &path, &hold);
            os_file_hold_release(hold);
            (void)!write(made[1], path.data(), path.size());
            close(made[1]);
            char c;
            if (stays)
                (void)!read(wait[0], &c, 1);
            _exit(0);
        }
        close(made[1]);
        close(wait[0]);
        wait_ = wait[1];
        char text[4096];
        for (ssize_t n; (n = read(made[0], text, sizeof text)) > 0;)
            path.append(text, size_t(n));
        close(made[0]);
        if (!stays)
            end();
    }
    ~held_file_maker() { end(); }
    void end()
    {
        if (wait_ >= 0)
            close(wait_);
        wait_ = -1;
        if (pid_ > 0)
            waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    std::string path;

  private:
    pid_t pid_ = -1;
    int wait_ = -1;
};

// A held file whose maker runs in this place stays while it runs, whatever
// a lock says, and goes once it has ended. One made in another boot or PID
// namespace, whose process number means nothing here, goes only when its
// lock can be taken: never where the file system gives no locks.
TEST_F(OsFileMove, AHeldFileStaysWhileItsMakerRunsHereAndWithoutLocksWhenMadeElsewhere)
{
    const bool locks = folder_locks_here(disk_).range_locks;
    const struct {
        const char *maker;
        const char *place;
        bool runs;
        bool stays;
    } cases[] = {
        {"running here", "", true, true},
        {"ended, of another boot or namespace", "another boot", false, !locks},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.maker);
        held_file_maker maker(disk_ + "save", c.place, c.runs);
        ASSERT_TRUE(fs::exists(maker.path));
        os_file_remove_unheld(disk_ + "save");
        EXPECT_EQ(fs::exists(maker.path), c.stays);
        maker.end();
        if (c.runs) {
            os_file_remove_unheld(disk_ + "save");
            EXPECT_FALSE(fs::exists(maker.path));
        }
        fs::remove(maker.path);
    }
}

} // namespace
