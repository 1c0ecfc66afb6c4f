#include "files/file_test_support.h"

#include "core/errors.h"
#include "files/directories.h"
#include "files/file_position.h"
#include "files/handle_table.h"
#include "files/lock_unlock.h"
#include "files/open_close.h"
#include "files/os_handle.h"
#include "files/sequential_io.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

using OpenClose = file_test;

void open_file(const std::string &name, int32_t mode, int32_t number, int32_t access = 0,
               int32_t lock = 0)
{
    basic_text text(name);
    rt_open(text, mode, access, lock, number, 0, 0);
}

void print_line(int32_t number, const std::string &text)
{
    basic_text t(text);
    rt_print_file(number, t, 0, 0, 1);
}

const os_handle_record &record_of(int32_t number)
{
    return open_record(number);
}

// The names in dir, links included.
std::set<std::string> entries_of(const std::string &dir)
{
    std::set<std::string> names;
    for (const auto &e : std::filesystem::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

// A whole save of text under name through the replacing OPEN: the error it
// raised (0 for none).
uint32_t replacing_save(const std::string &name, const std::string &text)
{
    basic_text n(name);
    rt_open_replacing(n, 1);
    print_line(1, text);
    rt_close_replacing(1, n, true);
    return error_pending_take();
}

std::set<std::string> entries()
{
    return entries_of(".");
}

TEST_F(OpenClose, OutputEmptiesTheFileAndAppendContinuesIt)
{
    file_write_all("save", "old contents that are longer\r\n");
    open_file("save", OPEN_MODE_OUTPUT, 1);
    print_line(1, "first");
    rt_close(1, 1);
    EXPECT_EQ(file_read_all("save"), "first\r\n");

    open_file("save", OPEN_MODE_APPEND, 1);
    EXPECT_EQ(record_of(1).mode, FILE_MODE_OUTPUT);
    EXPECT_EQ(record_of(1).column, 1);
    print_line(1, "second");
    rt_close(1, 1);
    EXPECT_EQ(file_read_all("save"), "first\r\nsecond\r\n");

    open_file("new", OPEN_MODE_APPEND, 1); // APPEND creates a missing file
    print_line(1, "x");
    rt_close(1, 1);
    EXPECT_EQ(file_read_all("new"), "x\r\n");
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(OpenClose, AMissingInputFileIsError53AndTheNumberStaysFree)
{
    open_file("missing", OPEN_MODE_INPUT, 1);
    EXPECT_EQ(error_pending_take(), 53u);
    EXPECT_EQ(file_number_in_use(1), 0);
    EXPECT_FALSE(file_exists_on_disk("missing"));
    EXPECT_EQ(os_handle_new(), 0); // no record was kept for the failed open

    open_file("nodir/file", OPEN_MODE_OUTPUT, 1);
    EXPECT_EQ(error_pending_take(), 76u);
    std::filesystem::create_directory("dir");
    open_file("dir", OPEN_MODE_INPUT, 1);
    EXPECT_EQ(error_pending_take(), 70u);
    EXPECT_EQ(file_number_in_use(1), 0);
}

// A pipe, a device reached by its path and a directory are no disk files:
// every OPEN, the replacing one too, refuses them with 70 at once (a pipe
// with no other end would hold the open up, /dev/zero would feed INPUT for
// good) and leaves nothing beside them.
TEST_F(OpenClose, NamesOfNoDiskFileAreRefusedWithoutWaiting)
{
    ASSERT_EQ(mkfifo("pipe", 0666), 0);
    std::filesystem::create_symlink("/dev/zero", "zero");
    std::filesystem::create_directory("dir");
    const std::set<std::string> before = entries();
    for (const char *name : {"pipe", "zero", "dir"}) {
        for (int32_t mode : {OPEN_MODE_INPUT, OPEN_MODE_OUTPUT, OPEN_MODE_APPEND, OPEN_MODE_BINARY})
            EXPECT_EQ(open_error(name, mode), 70u) << name << " mode " << mode;
        EXPECT_EQ(replacing_save(name, "x"), 70u) << name;
        EXPECT_EQ(file_number_in_use(1), 0) << name;
    }
    EXPECT_EQ(entries(), before);
}

TEST_F(OpenClose, AnOpenNumberIsError55AndTheFirstFileStillWorks)
{
    open_file("a", OPEN_MODE_OUTPUT, 1);
    open_file("b", OPEN_MODE_OUTPUT, 1);
    EXPECT_EQ(error_pending_take(), 55u);
    EXPECT_FALSE(file_exists_on_disk("b"));
    print_line(1, "still a");
    rt_close(1, 1);
    EXPECT_EQ(file_read_all("a"), "still a\r\n");
}

TEST_F(OpenClose, BadNumbersAndLengthsAreRefusedBeforeTheFileIsTouched)
{
    open_file("a", OPEN_MODE_OUTPUT, 0);
    EXPECT_EQ(error_pending_take(), 52u);
    open_file("a", OPEN_MODE_OUTPUT, -3);
    EXPECT_EQ(error_pending_take(), 52u);
    basic_text name("a");
    rt_open(name, OPEN_MODE_RANDOM, 0, 0, 1, 0, 1);
    EXPECT_EQ(error_pending_take(), 5u);
    rt_open(name, OPEN_MODE_RANDOM, 0, 0, 1, -2, 1);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_FALSE(file_exists_on_disk("a"));

    error_raise(5); // a pending error stops OPEN at once
    open_file("a", OPEN_MODE_OUTPUT, 1);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(file_number_in_use(1), 0);
}

TEST_F(OpenClose, RandomFilesGetTheirRecordBufferBeforeTheNumberIsBound)
{
    basic_text name("r");
    rt_open(name, 0, 0, 0, 1, 0, 0); // mode 0 is RANDOM
    EXPECT_EQ(record_of(1).mode, FILE_MODE_RANDOM);
    EXPECT_EQ(record_of(1).record_length, 128);
    ASSERT_NE(record_of(1).record_buffer, nullptr);
    EXPECT_EQ(std::count(record_of(1).record_buffer, record_of(1).record_buffer + 128, 0), 128);
    rt_open(name, OPEN_MODE_RANDOM, 0, 0, 2, -1, 1); // LEN = -1 stands for no LEN
    EXPECT_EQ(record_of(2).record_length, 128);
    rt_open(name, OPEN_MODE_RANDOM, 0, 0, 3, 64, 1);
    EXPECT_EQ(record_of(3).record_length, 64);
    rt_close(0, 0);

    // A record too large for memory: error 7, no file, no number, no record.
    basic_text huge("huge");
    rt_open(huge, OPEN_MODE_RANDOM, 0, 0, 1, int64_t(1) << 40, 1);
    EXPECT_EQ(error_pending_take(), 7u);
    EXPECT_EQ(file_number_in_use(1), 0);
    EXPECT_FALSE(file_exists_on_disk("huge"));
    EXPECT_EQ(os_handle_new(), 2); // the handles released above, newest first
}

TEST_F(OpenClose, AnInputFileBeginningWith26IsAtItsEndAtOnce)
{
    file_write_all("eof", "\x1a"
                          "after");
    open_file("eof", OPEN_MODE_INPUT, 1);
    EXPECT_EQ(rt_eof(1), -1);
    EXPECT_EQ(record_of(1).position, 0);
    file_write_all("empty", "");
    open_file("empty", OPEN_MODE_INPUT, 2);
    EXPECT_EQ(rt_eof(2), -1);
    file_write_all("text", "a");
    open_file("text", OPEN_MODE_INPUT, 3);
    EXPECT_EQ(rt_eof(3), 0);
    EXPECT_EQ(record_of(3).position, 0);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(OpenClose, AccessAndLockClausesChooseRightsAndSharing)
{
    // ACCESS READ on RANDOM creates a missing file rather than falling back.
    open_file("r", OPEN_MODE_RANDOM, 1, 2);
    EXPECT_TRUE(file_exists_on_disk("r"));
    EXPECT_EQ(record_of(1).may_read, 1);
    EXPECT_EQ(record_of(1).may_write, 0);

    open_file("w", OPEN_MODE_BINARY, 2, 3, 2); // ACCESS WRITE LOCK READ WRITE
    EXPECT_EQ(record_of(2).may_read, 0);
    EXPECT_EQ(record_of(2).may_write, 1);
    EXPECT_EQ(record_of(2).deny_read + record_of(2).deny_write, 2);
    // Where the file system keeps no share modes, nothing is refused.
    const uint32_t refused = folder_locks_here().share_modes ? 70u : 0u;
    open_file("w", OPEN_MODE_BINARY, 3, 0, 1); // SHARED meets the exclusive open
    EXPECT_EQ(error_pending_take(), refused);
    EXPECT_EQ(file_number_in_use(3), refused ? 0 : 1);

    open_file("s", OPEN_MODE_BINARY, 4, 0, 1);
    open_file("s", OPEN_MODE_INPUT, 5, 0, 1);
    EXPECT_EQ(error_pending_take(), 0u);
    open_file("s", OPEN_MODE_INPUT, 6, 0, 3); // LOCK READ while others share it
    EXPECT_EQ(error_pending_take(), refused);
}

// One file open under several numbers, as a program that reads its data
// while it appends to it: every read, write, LOCK and UNLOCK goes through on
// any file system (where no lock service answers, LOCK gives 75 and so the
// UNLOCK 70), and NAME and KILL work once it is closed.
TEST_F(OpenClose, OneFileOpenUnderSeveralNumbersReadsWritesAndLocks)
{
    file_write_all("data", "one\r\n");
    EXPECT_EQ(open_error("data", OPEN_MODE_INPUT, 1), 0u);
    EXPECT_EQ(open_error("data", OPEN_MODE_INPUT, 2), 0u);
    EXPECT_EQ(open_error("data", OPEN_MODE_APPEND, 3), 0u);
    print_line(3, "two");
    const uint32_t lock_error = folder_locks_here().range_locks ? 0u : 75u;
    rt_lock(3, 0, 0, 0);
    EXPECT_EQ(error_pending_take(), lock_error);
    print_line(3, "three");
    rt_unlock(3, 0, 0, 0);
    EXPECT_EQ(error_pending_take(), lock_error ? 70u : 0u);
    EXPECT_EQ(line_input(1), "one");
    EXPECT_EQ(line_input(2), "one");
    EXPECT_EQ(line_input(2), "two");
    EXPECT_EQ(line_input(1), "two");
    rt_close(0, 0);
    EXPECT_EQ(file_read_all("data"), "one\r\ntwo\r\nthree\r\n");
    basic_text data("data"), moved("moved");
    rt_name(data, moved);
    rt_kill(moved);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(entries(), std::set<std::string>{});
}

TEST_F(OpenClose, AnAppendFileIsWriteOnly)
{
    file_write_all("a", "line\r\n");
    open_file("a", OPEN_MODE_APPEND, 1);
    rt_line_input_file(1, basic_variable(""));
    EXPECT_EQ(error_pending_take(), 75u);
}

TEST_F(OpenClose, TheOldFormTakesTheModeFromItsFirstLetter)
{
    const struct {
        const char *letter;
        uint8_t mode;
    } cases[] = {{"r", FILE_MODE_RANDOM},
                 {"B", FILE_MODE_BINARY},
                 {"output", FILE_MODE_OUTPUT},
                 {"a", FILE_MODE_OUTPUT},
                 {"I", FILE_MODE_INPUT}};
    file_write_all("f", "x");
    for (const auto &c : cases) {
        basic_text letter(c.letter), name("f");
        rt_open_old(letter, 1, name, 0, 0);
        ASSERT_EQ(error_pending_take(), 0u) << c.letter;
        EXPECT_EQ(record_of(1).mode, c.mode) << c.letter;
        rt_close(1, 1);
    }
    basic_text name("f"), len_letter("R");
    rt_open_old(len_letter, 1, name, 32, 1);
    EXPECT_EQ(record_of(1).record_length, 32);
    for (const char *bad : {"", "X"}) {
        basic_text letter(bad);
        rt_open_old(letter, 2, name, 0, 0);
        EXPECT_EQ(error_pending_take(), 54u);
        EXPECT_EQ(file_number_in_use(2), 0);
    }
}

TEST_F(OpenClose, CloseIgnoresFreeNumbersAndCloseAllFreesEveryNumber)
{
    rt_close(9, 1);
    rt_close(-2, 1); // an unknown special handle
    EXPECT_EQ(error_pending_take(), 0u);
    for (int32_t n : {1, 4, 300}) {
        basic_text name("f" + std::to_string(n));
        rt_open(name, OPEN_MODE_OUTPUT, 0, 0, n, 0, 0);
    }
    rt_close(0, 0);
    for (int32_t n : {1, 4, 300})
        EXPECT_EQ(file_number_in_use(n), 0);
    EXPECT_EQ(os_handle_valid(0) + os_handle_valid(1) + os_handle_valid(2), 0);
    EXPECT_EQ(rt_freefile(), 1);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(OpenClose, NamesWithBackslashesAndAnotherLetterCaseReachTheSameFile)
{
    std::filesystem::create_directory("Data");
    file_write_all("Data/TarvoData", "1,2\r\n");
    open_file("data\\TARVODATA", OPEN_MODE_INPUT, 1);
    ASSERT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(rt_lof(1), 5);
    open_file("DATA/tarvodata", OPEN_MODE_APPEND, 2, 0, 0);
    print_line(2, "3");
    EXPECT_EQ(file_read_all("Data/TarvoData"), "1,2\r\n3\r\n");
}

// Two saves of one name side by side: each writes a file of its own, which
// the other's OPEN leaves alone, and the last renamed wins.
TEST_F(OpenClose, ReplacingSavesSideBySideKeepTheirOwnFiles)
{
    basic_text name("save");
    rt_open_replacing(name, 1);
    print_line(1, "one");
    rt_open_replacing(name, 2);
    print_line(2, "two");
    EXPECT_EQ(entries().size(), 2u);
    rt_close_replacing(2, name, true);
    EXPECT_EQ(file_read_all("save"), "two\r\n");
    rt_close_replacing(1, name, true);
    EXPECT_EQ(file_read_all("save"), "one\r\n");
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(entries(), std::set<std::string>{"save"});
}

// A copy that ended before its CLOSE leaves its file, which the next save
// deletes (files that merely look alike stay); a save given up, abandoned
// or refused at the CLOSE leaves none.
TEST_F(OpenClose, ReplacingSavesClearWhatEndedCopiesLeftAndLeaveNothingWhenTheyFail)
{
    basic_text name("save");
    in_child_process([&] {
        rt_open_replacing(name, 1);
        print_line(1, "lost");
    });
    const std::set<std::string> alike = {
        "save.tmp",         "save.1-x.tmp",     "save.12.tmp",          "Save.1-2.tmp",
        "save.1-2.tmp.old", "save.2024-12.tmp", "save.1-2-0badcafe.tmp", "save.1-2.tmp"};
    for (const std::string &other : alike)
        file_write_all(other, "user");
    ASSERT_EQ(entries().size(), alike.size() + 1);
    rt_open_replacing(name, 1);
    print_line(1, "new");
    rt_close_replacing(1, name, true);
    rt_open_replacing(name, 1);
    rt_close_replacing(1, name, false);
    rt_open_replacing(name, 1);
    replacing_abandon(name);
    EXPECT_EQ(entries().size(), alike.size() + 1);
    rt_close_replacing(1, name, false);
    EXPECT_EQ(error_pending_take(), 0u);
    rt_open_replacing(name, 1);
    chmod("save", 0444);
    rt_close_replacing(1, name, true);
    EXPECT_EQ(error_pending_take(), 70u);
    std::set<std::string> left = alike;
    left.insert("save");
    EXPECT_EQ(entries(), left);
    EXPECT_EQ(file_read_all("save"), "new\r\n");
}

// The replacing OPEN's file works as any output file: LOCK and UNLOCK take
// the whole file, and every name length a plain OPEN takes saves, the
// temporary file's name cut short to fit beside it.
TEST_F(OpenClose, ReplacingSavesLockAndTakeEveryNameAPlainOpenTakes)
{
    basic_text lk("LK");
    const bool locks = folder_locks_here().range_locks; // else LOCK gives 75
    rt_open_replacing(lk, 1);
    rt_lock(1, 0, 0, 0);
    EXPECT_EQ(error_pending_take(), locks ? 0u : 75u);
    print_line(1, "locked");
    rt_unlock(1, 0, 0, 0);
    EXPECT_EQ(error_pending_take(), locks ? 0u : 70u);
    rt_unlock(1, 0, 0, 0); // nothing is locked any more
    EXPECT_EQ(error_pending_take(), 70u);
    rt_close_replacing(1, lk, true);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(file_read_all("LK"), "locked\r\n");

    for (size_t length : {244, 245, 251, 255}) {
        std::string name(length, 'n');
        EXPECT_EQ(open_error(name, OPEN_MODE_OUTPUT), 0u) << length;
        rt_close(1, 1);
        in_child_process([&] { // a copy that ends before its CLOSE
            basic_text n(name);
            rt_open_replacing(n, 1);
        });
        EXPECT_EQ(entries().size(), 3u) << length;
        EXPECT_EQ(replacing_save(name, "long"), 0u) << length;
        EXPECT_EQ(file_read_all(name), "long\r\n") << length;
        EXPECT_EQ(entries(), (std::set<std::string>{"LK", name})) << length;
        std::filesystem::remove(name);
    }
    EXPECT_EQ(replacing_save(std::string(256, 'n'), "x"), 64u);
}

// A save file under a read lease (a file server's cache of it, another
// program's lease): the save waits, as a plain open does, until the holder
// has let go, then writes.
TEST_F(OpenClose, ReplacingSavesWaitForALeaseOnTheFile)
{
    file_write_all("save", "old\r\n");
    sigset_t io;
    sigemptyset(&io);
    sigaddset(&io, SIGIO);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    // The holder says 1 once it holds the lease; asked to break it (within
    // 5 s), it lets go a little later, as it ends.
    pid_t holder = fork();
    if (holder == 0) {
        sigprocmask(SIG_BLOCK, &io, nullptr);
        int fd = open("save", O_RDONLY);
        char leased = fd >= 0 && fcntl(fd, F_SETLEASE, F_RDLCK) == 0;
        (void)!write(ready[1], &leased, 1);
        const timespec limit{5, 0};
        const bool broken = sigtimedwait(&io, nullptr, &limit) == SIGIO;
        usleep(200000);
        _exit(broken ? 0 : 1);
    }
    char leased = 0;
    (void)!read(ready[0], &leased, 1);
    close(ready[0]);
    close(ready[1]);
    if (!leased) {
        kill(holder, SIGKILL);
        waitpid(holder, nullptr, 0);
        GTEST_SKIP() << "no leases on this file system";
    }
    EXPECT_EQ(replacing_save("save", "new"), 0u);
    int status = 0;
    waitpid(holder, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the lease was never broken";
    EXPECT_EQ(file_read_all("save"), "new\r\n");
}

// A save through a symbolic link (a chain of them, a dangling one) lands in
// the file the link names, its temporary file beside that one, and the link
// stays; what a copy killed there left is cleared. A chain that never ends
// is refused as OPEN FOR OUTPUT refuses it.
TEST_F(OpenClose, ReplacingSavesThroughALinkLandInTheFileItNames)
{
    namespace fs = std::filesystem;
    fs::create_directories("game/sub");
    fs::create_directory("else");
    file_write_all("else/TarvoData", "old\r\n");
    const struct {
        const char *link, *to, *lands;
    } cases[] = {
        {"game/TarvoData", "../else/TarvoData", "else/TarvoData"},
        {"game/Dangling", "../else/New", "else/New"},
        {"game/sub/Chain", "../TarvoData", "else/TarvoData"},
        {"game/Absolute", "", "else/TarvoData"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.link);
        std::string to = *c.to ? c.to : fs::absolute("else/TarvoData").string();
        fs::create_symlink(to, c.link);
        in_child_process([&] {
            basic_text n(c.link);
            rt_open_replacing(n, 1);
        });
        EXPECT_EQ(replacing_save(c.link, c.link), 0u);
        EXPECT_EQ(file_read_all(c.lands), std::string(c.link) + "\r\n");
        ASSERT_TRUE(fs::is_symlink(c.link));
        EXPECT_EQ(fs::read_symlink(c.link), to);
    }
    EXPECT_EQ(entries_of("else"), (std::set<std::string>{"TarvoData", "New"}));
    EXPECT_EQ(entries_of("game"),
              (std::set<std::string>{"TarvoData", "Dangling", "sub", "Absolute"}));
    fs::create_symlink("loop", "game/loop");
    EXPECT_EQ(replacing_save("game/loop", "x"), 53u);
    EXPECT_EQ(entries_of("game").size(), 5u);
}

} // namespace
