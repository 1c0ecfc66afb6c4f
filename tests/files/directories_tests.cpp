#include "files/file_test_support.h"

#include "core/errors.h"
#include "files/directories.h"
#include "files/open_close.h"
#include "files/sequential_io.h"
#include "files/system_queries.h"
#include "screen/image_slots.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"
#include "screen/text_output.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

using Directories = file_test;

// Runs a statement on one name and gives the error it raised.
uint32_t error_of(void (*statement)(const string_descriptor *), const std::string &name)
{
    basic_text text(name);
    statement(text);
    return error_pending_take();
}

uint32_t kill_error(const std::string &spec)
{
    return error_of(rt_kill, spec);
}

uint32_t name_error(const std::string &from, const std::string &to)
{
    basic_text a(from), b(to);
    rt_name(a, b);
    return error_pending_take();
}

TEST_F(Directories, KillPatternDeletesTheMatchingFilesOnly)
{
    for (const char *name : {"a.txt", "B.Txt", "c.dat"})
        file_write_all(name, name);
    fs::create_directory("sub.txt");
    EXPECT_EQ(kill_error("*.TXT"), 0u);
    EXPECT_FALSE(file_exists_on_disk("a.txt"));
    EXPECT_FALSE(file_exists_on_disk("B.Txt"));
    EXPECT_TRUE(file_exists_on_disk("c.dat"));
    EXPECT_TRUE(fs::is_directory("sub.txt"));
    EXPECT_EQ(kill_error("*.TXT"), 53u); // only the directory is left
}

TEST_F(Directories, KillWithADirectoryPartWrittenEitherWay)
{
    fs::create_directory("Sub");
    file_write_all("Sub/one.bas", "");
    file_write_all("Sub/two.bas", "");
    EXPECT_EQ(kill_error("sub\\one.BAS"), 0u);
    EXPECT_EQ(kill_error("SUB/*.bas"), 0u);
    EXPECT_TRUE(fs::is_empty("Sub"));
}

TEST_F(Directories, KillOfWhatIsNotThereIs53)
{
    fs::create_directory("sub");
    file_write_all("sub/x", "");
    for (const char *spec : {"missing", "*.none", "sub", "s*/x", "nodir/x", "", "sub/"})
        EXPECT_EQ(kill_error(spec), 53u) << spec;
    EXPECT_TRUE(file_exists_on_disk("sub/x"));
}

TEST_F(Directories, KillOfAPlainNameDeletesOnlyTheFileItResolvesTo)
{
    file_write_all("a.txt", "1");
    file_write_all("A.TXT", "2");
    EXPECT_EQ(kill_error("a.Txt"), 53u); // two case variants: neither is meant
    EXPECT_EQ(kill_error("a.txt"), 0u);
    EXPECT_EQ(file_read_all("A.TXT"), "2");
}

TEST_F(Directories, KillRefusesReadOnlyFilesAndStopsThere)
{
    for (const char *name : {"1.txt", "2.txt", "3.txt"})
        file_write_all(name, "");
    chmod("2.txt", 0444);
    EXPECT_EQ(kill_error("*.txt"), 55u);
    EXPECT_FALSE(file_exists_on_disk("1.txt"));
    EXPECT_TRUE(file_exists_on_disk("2.txt"));
    EXPECT_TRUE(file_exists_on_disk("3.txt"));
}

// Holds a file open as #1 (FOR INPUT unless mode says otherwise), in this
// process or in another runtime process (a child that OPENs it and waits),
// until the object goes.
class file_holder
{
  public:
    file_holder(const std::string &name, bool elsewhere, int32_t mode = OPEN_MODE_INPUT)
    {
        if (!elsewhere) {
            opened_ = open_error(name, mode);
            return;
        }
        int ready[2];
        if (pipe(ready) != 0)
            return;
        child_ = fork();
        if (child_ == 0) {
            uint8_t error = uint8_t(open_error(name, OPEN_MODE_INPUT));
            (void)!write(ready[1], &error, 1);
            pause();
            _exit(0);
        }
        uint8_t error = 255;
        (void)!read(ready[0], &error, 1);
        opened_ = error;
        close(ready[0]);
        close(ready[1]);
    }
    ~file_holder()
    {
        if (child_ > 0) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
        } else {
            rt_close(1, 1);
        }
    }
    uint32_t opened() const { return opened_; }

  private:
    pid_t child_ = -1;
    uint32_t opened_ = 255;
};

// A held file is neither deleted nor renamed: every OPEN holds its file, and
// a rename would send the holder's later writes to the new name. Once it is
// closed, the file renames (and deletes unless it is read-only). This
// process knows its own files without share modes.
TEST_F(Directories, KillAndNameRefuseAFileHeldOpenHereOrElsewhere)
{
    struct {
        const char *holder;
        bool elsewhere;
        bool read_only;
        int32_t mode;
    } cases[] = {
        {"this process", false, false, OPEN_MODE_INPUT},
        {"this process, for appending", false, false, OPEN_MODE_APPEND},
        {"another process", true, false, OPEN_MODE_INPUT},
        {"another process, read-only file", true, true, OPEN_MODE_INPUT},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.holder);
        if (c.elsewhere && !folder_locks_here().share_modes)
            continue; // no share modes on this file system
        file_write_all("held.txt", "data");
        chmod("held.txt", c.read_only ? 0444 : 0644);
        {
            file_holder holder("held.txt", c.elsewhere, c.mode);
            ASSERT_EQ(holder.opened(), 0u);
            EXPECT_EQ(kill_error("HELD.TXT"), 55u);
            EXPECT_EQ(name_error("held.txt", "new.txt"), 75u);
            EXPECT_EQ(file_read_all("held.txt"), "data");
            EXPECT_FALSE(file_exists_on_disk("new.txt"));
        }
        EXPECT_EQ(name_error("held.txt", "new.txt"), 0u);
        EXPECT_EQ(file_read_all("new.txt"), "data");
        EXPECT_FALSE(file_exists_on_disk("held.txt"));
        EXPECT_EQ(kill_error("new.txt"), c.read_only ? 55u : 0u);
        fs::remove("new.txt");
    }
}

TEST_F(Directories, NameNeverReplacesAFile)
{
    file_write_all("a.txt", "first");
    file_write_all("b.txt", "second");
    EXPECT_EQ(name_error("a.txt", "b.txt"), 75u);
    EXPECT_EQ(name_error("a.txt", "B.TXT"), 75u);
    EXPECT_EQ(file_read_all("a.txt"), "first");
    EXPECT_EQ(file_read_all("b.txt"), "second");
    EXPECT_FALSE(file_exists_on_disk("B.TXT"));
}

TEST_F(Directories, NameRenamesMovesAndChangesCase)
{
    file_write_all("b.txt", "second");
    fs::create_directory("Sub");
    EXPECT_EQ(name_error("B.txt", "B.TXT"), 0u);
    EXPECT_EQ(file_read_all("B.TXT"), "second");
    EXPECT_EQ(name_error("b.TXT", "sub\\moved.txt"), 0u);
    EXPECT_EQ(file_read_all("Sub/moved.txt"), "second");
    EXPECT_EQ(name_error("missing", "x"), 53u);
    EXPECT_EQ(name_error("sub/moved.txt", "nodir/x"), 53u);
    EXPECT_EQ(name_error("Sub", "Sub/inner"), 64u);
    EXPECT_EQ(name_error("sub", "Folder"), 0u); // a directory, its file with it
    EXPECT_EQ(file_read_all("Folder/moved.txt"), "second");
}

// /dev/shm is a memory file system, another device wherever /tmp is on disk.
TEST_F(Directories, NameMovesAFileToAnotherFileSystem)
{
    char pattern[] = "/dev/shm/name_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string other = pattern;
    file_write_all("a.txt", "data");
    file_write_all("held.txt", "open");
    chmod("a.txt", 0444);
    EXPECT_EQ(name_error("a.txt", other + "/b.txt"), 0u);
    EXPECT_EQ(file_read_all(other + "/b.txt"), "data");
    EXPECT_EQ(fs::status(other + "/b.txt").permissions(), fs::perms(0444)); // still read-only
    EXPECT_FALSE(file_exists_on_disk("a.txt"));
    EXPECT_EQ(name_error(other + "/b.txt", "a.txt"), 0u);
    EXPECT_EQ(open_error("held.txt", OPEN_MODE_APPEND), 0u);
    if (folder_locks_here().share_modes) {
        EXPECT_EQ(name_error("held.txt", other + "/held.txt"), 75u);
        EXPECT_EQ(file_read_all("held.txt"), "open");
    }
    rt_close(1, 1);
    EXPECT_EQ(name_error("a.txt", other), 75u); // never replaces
    EXPECT_EQ(file_read_all("a.txt"), "data");
    fs::remove_all(other);
}

TEST_F(Directories, MakeChangeAndRemoveDirectories)
{
    EXPECT_EQ(error_of(rt_mkdir, "Sub"), 0u);
    EXPECT_EQ(error_of(rt_mkdir, "SUB"), 75u);
    EXPECT_EQ(error_of(rt_mkdir, "none/deeper"), 76u);
    EXPECT_EQ(error_of(rt_mkdir, "sub\\Inner"), 0u);
    EXPECT_TRUE(fs::is_directory("Sub/Inner"));
    EXPECT_EQ(error_of(rt_rmdir, "SUB"), 75u); // not empty
    EXPECT_EQ(error_of(rt_rmdir, "missing"), 76u);
    EXPECT_EQ(error_of(rt_chdir, "missing"), 76u);
    EXPECT_EQ(error_of(rt_chdir, "SUB"), 0u);
    EXPECT_EQ(fs::current_path(), fs::path(dir_) / "Sub");
    EXPECT_EQ(error_of(rt_rmdir, "inner"), 0u);
    EXPECT_EQ(error_of(rt_chdir, ".."), 0u);
    EXPECT_EQ(error_of(rt_rmdir, "sub"), 0u);
    EXPECT_FALSE(fs::exists("Sub"));
}

TEST_F(Directories, StatementsDoNothingWhileAnErrorIsPending)
{
    file_write_all("a.txt", "");
    error_raise(9);
    basic_text a("a.txt"), b("b.txt"), d("d");
    rt_kill(a);
    rt_name(a, b);
    rt_mkdir(d);
    EXPECT_EQ(error_pending_take(), 9u);
    EXPECT_TRUE(file_exists_on_disk("a.txt"));
    EXPECT_FALSE(file_exists_on_disk("d"));
}

TEST(FilesEntry, LayoutOfNames)
{
    struct {
        const char *name;
        bool is_dir;
        const char *shown;
    } cases[] = {
        {"a.txt", false, "A       .TXT      "},
        {".", true, "        .   <DIR> "},
        {"..", true, "        ..  <DIR> "},
        {"readme", false, "README            "},
        {"Sub", true, "SUB         <DIR> "},
        {"abcdefgh.c", false, "ABCDEFGH.C        "},
        {"a.b.c", false, "A.B.C             "},
        {"x.text", false, "X.TEXT            "},
        {"long_file_name.dat", false, "LONG_FILE_NAME.DAT      "},
    };
    for (const auto &c : cases)
        EXPECT_EQ(files_entry_text(c.name, c.is_dir), c.shown) << c.name;
}

// FILES prints on the start-up text screen.
class FilesStatement : public file_test
{
  protected:
    void SetUp() override
    {
        file_test::SetUp();
        frame_builder_started = false;
        auto_display = 1;
        screen_startup();
        text_output_reset();
    }
    std::string row(int32_t r)
    {
        std::string text;
        for (int32_t c = 1; c <= 80; ++c)
            text += char(rt_screen_function(r, c, 0));
        return text.substr(0, text.find_last_not_of(' ') + 1);
    }
    uint32_t files(const std::string &spec, bool given = true)
    {
        basic_text text(spec);
        rt_files(text, given ? -1 : 0);
        return error_pending_take();
    }
    // The entries FILES put on the screen below its directory line, read back
    // by their cells: each is one of the entries given (name, is a directory).
    std::vector<std::string> listed_names(const std::vector<std::pair<std::string, bool>> &entries)
    {
        std::vector<std::string> names;
        for (int32_t r = 2; r <= 25 && row(r).find(" Bytes free") == std::string::npos; ++r) {
            std::string text = row(r);
            text.resize(80, ' ');
            for (size_t at = 0; text.find_first_not_of(' ', at) != std::string::npos;) {
                auto known = std::find_if(entries.begin(), entries.end(), [&](const auto &e) {
                    return text.compare(at, files_entry_text(e.first, e.second).size(),
                                        files_entry_text(e.first, e.second)) == 0;
                });
                if (known == entries.end()) {
                    ADD_FAILURE() << "unknown entry: " << text.substr(at);
                    break;
                }
                names.push_back(known->first);
                at += files_entry_text(known->first, known->second).size();
            }
        }
        return names;
    }
};

TEST_F(FilesStatement, ListsHeaderEntriesAndFreeBytes)
{
    file_write_all("b.txt", "");
    fs::create_directory("Sub");
    file_write_all("Sub/inner.bas", "");
    EXPECT_EQ(files("", false), 0u);
    std::string header = dir_;
    for (char &c : header)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(row(1), header);
    EXPECT_EQ(row(2), "        .   <DIR>         ..  <DIR> B       .TXT      SUB         <DIR>");
    EXPECT_EQ(row(3).substr(0, 1), " ");
    EXPECT_NE(row(3).find(" Bytes free"), std::string::npos);
    EXPECT_EQ(files("sub\\"), 0u);
    EXPECT_EQ(row(5), "        .   <DIR>         ..  <DIR> INNER   .BAS");
}

TEST_F(FilesStatement, MissingSpecPrintsTheHeaderThenRaises53)
{
    EXPECT_EQ(files("nothing.*"), 53u);
    EXPECT_FALSE(row(1).empty());
    EXPECT_TRUE(row(2).empty());
    EXPECT_EQ(files("s*/x"), 53u);
}

// A program's work folder from start to end: MKDIR, CHDIR in, files written,
// listed, renamed and killed with a wildcard, CHDIR back, RMDIR.
TEST_F(FilesStatement, WorkFolderLifeCycle)
{
    auto run = [](void (*statement)(const string_descriptor *), const char *name) {
        basic_text text(name);
        statement(text);
        return error_pending_take();
    };
    ASSERT_EQ(run(rt_mkdir, "Work"), 0u);
    ASSERT_EQ(run(rt_chdir, "WORK"), 0u);
    for (const char *name : {"a.txt", "b.txt", "keep.dat"}) {
        basic_text file(name), line("line");
        rt_open(file, OPEN_MODE_OUTPUT, 0, 0, 1, 0, 0);
        rt_print_file(1, line, 0, 0, 1);
        rt_close(1, 1);
    }
    EXPECT_EQ(text_of(current_dir_str()), dir_ + "/Work");
    EXPECT_EQ(files("*.TXT"), 0u);
    EXPECT_EQ(row(2), "A       .TXT      B       .TXT");
    EXPECT_EQ(name_error("a.txt", "c.TXT"), 0u);
    EXPECT_EQ(file_read_all("c.TXT"), "line\r\n");
    EXPECT_EQ(run(rt_kill, "*.txt"), 0u);
    basic_text kept("keep.dat"), gone("b.txt");
    EXPECT_EQ(file_exists(kept), -1);
    EXPECT_EQ(file_exists(gone), 0);
    EXPECT_EQ(run(rt_rmdir, "..\\work"), 75u); // still holds keep.dat
    EXPECT_EQ(run(rt_kill, "KEEP.DAT"), 0u);
    EXPECT_EQ(run(rt_rmdir, "..\\work"), 76u); // the current directory
    EXPECT_EQ(run(rt_chdir, ".."), 0u);
    EXPECT_EQ(run(rt_rmdir, "work"), 0u);
    basic_text work("Work");
    EXPECT_EQ(dir_exists(work), 0);
}

// One tree of names of every kind the directory search tells apart, and the
// entries each pattern names ('|' between them): KILL deletes the files among
// them and leaves every other file, FILES lists exactly them.
TEST_F(FilesStatement, KillAndFilesTakeExactlyTheNamesAPatternNames)
{
    auto split = [](std::string rest) { // names with '|' between them
        std::vector<std::string> names;
        while (!rest.empty()) {
            size_t bar = rest.find('|');
            names.push_back(rest.substr(0, bar));
            rest = bar == std::string::npos ? "" : rest.substr(bar + 1);
        }
        return names;
    };
    const std::string file_names = "a|Ab|aBc|abcd|b c|a.c|A.b|a.b.c|x.TAR.gz|.c|a.txt|a.B.txt|"
                                   "A.txt.bak|LongFileName.text|two words.txt";
    const std::string every = file_names + "|Sub.txt|.|..";
    const std::vector<std::string> plain = split(file_names);
    const std::string sub = "Sub.txt";
    const struct {
        const char *pattern;
        std::string names;
    } table[] = {
        {"a?c", "aBc"},
        {"???", "a|Ab|aBc|b c"},
        {"A?B?C", ""},
        {"????????.???", "a|Ab|aBc|abcd|b c|a.c|A.b|.c|a.txt|Sub.txt|."},
        {"*.?", "a|Ab|aBc|abcd|b c|a.c|A.b|a.b.c|.c|.|.."},
        {"a.?", "a|a.c|A.b"},
        {"*.txt", "a.txt|a.B.txt|two words.txt|Sub.txt"},
        {"*.txt*", "a.txt|a.B.txt|A.txt.bak|two words.txt|Sub.txt"},
        {"*.???", "a|Ab|aBc|abcd|b c|a.c|A.b|a.b.c|x.TAR.gz|.c|a.txt|a.B.txt|A.txt.bak|"
                  "two words.txt|Sub.txt|.|.."},
        {"*", every},
        {"*.*", every},
        {"*.", "a|Ab|aBc|abcd|b c"},
        {"a*.", "a|Ab|aBc|abcd"},
        {"abc.", "aBc"},
        {".*", ".c|.|.."},
        {"a.b.*", "A.b|a.b.c|a.B.txt"},
        {"..", ".."},
    };
    std::vector<std::pair<std::string, bool>> entries = {{".", true}, {"..", true}, {sub, true}};
    for (const std::string &f : plain)
        entries.emplace_back(f, false);
    for (const auto &row : table) {
        SCOPED_TRACE(row.pattern);
        for (const auto &e : fs::directory_iterator("."))
            fs::remove_all(e.path());
        for (const std::string &f : plain)
            file_write_all(f, f);
        fs::create_directory(sub);
        std::vector<std::string> named = split(row.names);
        bool names_a_file = false;
        for (const std::string &f : plain)
            names_a_file = names_a_file || std::count(named.begin(), named.end(), f) > 0;

        rt_cls(0, 0, CLS_METHOD);
        EXPECT_EQ(files(row.pattern), named.empty() ? 53u : 0u);
        std::vector<std::string> listed = listed_names(entries);
        std::sort(listed.begin(), listed.end());
        std::sort(named.begin(), named.end());
        EXPECT_EQ(listed, named);

        EXPECT_EQ(kill_error(row.pattern), names_a_file ? 0u : 53u);
        for (const std::string &f : plain)
            EXPECT_EQ(file_exists_on_disk(f), std::count(named.begin(), named.end(), f) == 0) << f;
        EXPECT_TRUE(fs::is_directory(sub));
    }
}

} // namespace
