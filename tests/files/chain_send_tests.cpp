#include "chain_test_support.h"

#include "core/errors.h"
#include "files/chain_send.h"
#include "platform/os_files.h"

#include <filesystem>

namespace
{

namespace fs = std::filesystem;

using ChainSend = chain_test;

TEST(ChainNames, ExtensionsArgumentsAndDirectory)
{
    struct row {
        const char *file, *exe, *bas, *dir;
    } rows[] = {
        {"prog", "prog.exe ", "prog.bas", ""},
        {"prog a b", "prog.exe  a b", "prog.bas", ""},
        {"game.bas", "game.exe", "game.bas", ""},
        {"GAME.EXE", "GAME.EXE", "GAME.bas", ""},
        {"Game.Bas /x", "Game.exe /x", "Game.Bas", ""},
        {"sub\\game.bas", "game.exe", "game.bas", "sub/"},
        {"my dir/prog.exe 1 2", "prog.exe 1 2", "prog.bas", "my dir/"},
        {"a.b.c", "a.b.c.exe ", "a.b.c.bas", ""},
        {"/prog", "prog.exe ", "prog.bas", "/"},
    };
    for (const row &r : rows) {
        chain_names n = chain_names_of(r.file);
        EXPECT_EQ(n.exe_name, r.exe) << r.file;
        EXPECT_EQ(n.bas_name, r.bas) << r.file;
        EXPECT_EQ(n.target_dir, r.dir) << r.file;
    }
}

// Hand-over files in a directory.
size_t handover_files_in(const std::string &dir)
{
    size_t count = 0;
    for (const auto &e : fs::directory_iterator(dir))
        count += e.path().filename().string().starts_with("chain");
    return count;
}

// A program that no attempt finds or starts: 53, and no hand-over file
// anywhere, also when it was moved beside a program that then failed to run.
TEST_F(ChainSend, MissingTargetRaises53AndLeavesNoFile)
{
    fs::create_directory("sub");
    file_write_all("sub/broken", "not a program");
    fs::permissions("sub/broken", fs::perms::owner_all);
    const std::string own_dir = os_program_directory();
    size_t own_before = handover_files_in(own_dir);
    for (const char *file :
         {"absent", "sub/absent.exe 1 2", "nodir/absent.bas", "sub/broken", ""}) {
        basic_text name(file);
        rt_chain(name);
        EXPECT_EQ(error_pending_take(), 53u) << file;
        EXPECT_EQ(handover_files_in("."), 0u);
        EXPECT_EQ(handover_files_in("sub"), 0u);
        EXPECT_EQ(handover_files_in(own_dir), own_before);
    }
}

// Every name but one taken by the user's files: CHAIN steps to the free one
// and overwrites none.
TEST_F(ChainSend, HandOverNameNeverReplacesAUserFile)
{
    for (int k = 100; k <= 999; k++)
        if (k != 555)
            file_write_all("chain" + std::to_string(k) + ".tmp", "user");
    basic_text name("absent");
    rt_chain(name);
    EXPECT_EQ(error_pending_take(), 53u);
    EXPECT_FALSE(fs::exists("chain555.tmp"));
    for (int k = 100; k <= 999; k++) {
        if (k == 555)
            continue;
        ASSERT_EQ(file_read_all("chain" + std::to_string(k) + ".tmp"), "user") << k;
    }
    file_write_all("chain555.tmp", "user");
    rt_chain(name);
    EXPECT_EQ(error_pending_take(), 75u); // every name is taken
}

} // namespace
