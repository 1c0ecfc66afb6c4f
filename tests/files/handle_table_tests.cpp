#include "files/file_test_support.h"

#include "core/errors.h"
#include "files/handle_table.h"
#include "files/open_close.h"
#include "files/os_handle.h"

namespace
{

using HandleTable = file_test;

TEST_F(HandleTable, HandlesAreReusedMostRecentlyReleasedFirstWithNewSerials)
{
    int32_t a = os_handle_new();
    int32_t b = os_handle_new();
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(os_handle_at(a)->serial, 1);
    EXPECT_EQ(os_handle_at(b)->serial, 2);
    EXPECT_EQ(os_handle_valid(a), 0); // allocated, not yet opened

    os_handle_at(a)->in_use = 1;
    os_handle_at(b)->in_use = 1;
    EXPECT_EQ(os_handle_release(a), 0);
    EXPECT_EQ(os_handle_release(b), 0);
    EXPECT_EQ(os_handle_release(b), -2);
    int32_t c = os_handle_new();
    EXPECT_EQ(c, 1);
    EXPECT_EQ(os_handle_at(c)->serial, 3);
    EXPECT_EQ(os_handle_new(), 0);
    EXPECT_EQ(os_handle_new(), 2);
}

TEST_F(HandleTable, FreefileFindsTheLowestFreeNumberWithoutGrowingTheMap)
{
    EXPECT_EQ(rt_freefile(), 1);
    basic_text a("a.txt"), b("b.txt");
    rt_open(a, OPEN_MODE_OUTPUT, 0, 0, 1, 0, 0);
    rt_open(b, OPEN_MODE_OUTPUT, 0, 0, 2, 0, 0);
    EXPECT_EQ(rt_freefile(), 3);
    EXPECT_EQ(file_number_in_use(10), 0);
    EXPECT_EQ(rt_freefile(), 3);
    for (int32_t n = 3; n <= 10; ++n) {
        basic_text name("f" + std::to_string(n));
        rt_open(name, OPEN_MODE_OUTPUT, 0, 0, n, 0, 0);
    }
    EXPECT_EQ(rt_freefile(), 11);
    rt_close(1, 1);
    EXPECT_EQ(rt_freefile(), 1);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(HandleTable, FileNumbersOutsideTheMapAreRefusedNotAllocated)
{
    EXPECT_EQ(file_number_in_use(0), -2);
    EXPECT_EQ(file_number_in_use(-7), -2);
    EXPECT_EQ(file_number_in_use(FILE_NUMBER_LIMIT), 0);
    EXPECT_EQ(file_number_in_use(FILE_NUMBER_LIMIT + 1), -2);
    EXPECT_EQ(file_number_in_use(INT32_MAX), -2);
    EXPECT_EQ(file_number_highest_get(), FILE_NUMBER_LIMIT);

    basic_text name("x.txt");
    rt_open(name, OPEN_MODE_OUTPUT, 0, 0, INT32_MAX, 0, 0);
    EXPECT_EQ(error_pending_take(), 52u);
    EXPECT_EQ(file_exists_on_disk("x.txt"), false);
}

TEST_F(HandleTable, FileNameFixTurnsBackslashesIntoSlashes)
{
    basic_text name("saves\\game.dat");
    EXPECT_EQ(std::string(reinterpret_cast<char *>(file_name_fix(name)), 14), "saves/game.dat");
    basic_text plain("game.dat");
    file_name_fix(plain);
    EXPECT_EQ(text_of(plain), "game.dat");
}

} // namespace
