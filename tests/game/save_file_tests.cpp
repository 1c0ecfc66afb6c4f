#include "game/save_file.h"

#include "core/gosub_stack.h"
#include "files/file_bytes.h"
#include "game/game_basic.h"
#include "game/game_state.h"
#include "game/game_test_support.h"

#include <csignal>
#include <filesystem>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

constexpr const char *MISSING = "(missing)";

// True while a temporary file of a save lies beside the save file.
bool temporary_left()
{
    for (const auto &e : fs::directory_iterator("."))
        if (e.path().filename().string().starts_with(std::string(SAVE_FILE_NAME) + "."))
            return true;
    return false;
}

// The save file's bytes, or MISSING.
std::string save_file_bytes()
{
    return fs::exists(SAVE_FILE_NAME) ? file_read_all(SAVE_FILE_NAME) : MISSING;
}

// Runs body in a child process traced by this one and kills the child with
// SIGKILL at its stop-th system-call stop (entries and exits both count), so
// that every stop number interrupts the body at a later point. Returns 1 when
// the child was killed, 0 when it ended before that stop, -1 when it cannot
// be traced here.
template <typename Body> int killed_at_system_call(int stop, Body body)
{
    pid_t pid = fork();
    if (pid == 0) {
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0)
            _exit(99);
        raise(SIGSTOP);
        body();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFSTOPPED(status))
        return -1;
    ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
    int seen = 0, signal = 0;
    for (;;) {
        ptrace(PTRACE_SYSCALL, pid, nullptr, signal);
        waitpid(pid, &status, 0);
        if (!WIFSTOPPED(status))
            return 0;
        signal = WSTOPSIG(status) == (SIGTRAP | 0x80) ? 0 : WSTOPSIG(status);
        if (signal == 0 && ++seen == stop) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return 1;
        }
    }
}

class save_file_test : public game_test
{
  protected:
    // The save routine as the game calls it: through GOSUB.
    void save()
    {
        basic_procedure p;
        game_gosub(p, 1, RP_ENDING_SAVE, [&] { save_progress(p); });
    }
    void load()
    {
        basic_procedure p;
        save_load_or_create(p);
    }
    void set_fields(float a, float b, float c, float d, float e, float f)
    {
        herb_angelica = a;
        herb_pennyroyal = b;
        herb_mugwort = c;
        herb_cotton_root = d;
        ending_seen = e;
        save_spare = f;
    }
};

TEST_F(save_file_test, first_start_creates_a_file_of_six_zeros)
{
    load();
    EXPECT_EQ(file_read_all(SAVE_FILE_NAME), "0,0,0,0,0,0\r\n");
    EXPECT_FALSE(game_all_herbs_won());
    EXPECT_EQ(ending_seen, 0.0f);
    EXPECT_EQ(gosub_count, 0u);
    EXPECT_EQ(text_of(save_file_name), SAVE_FILE_NAME);
    EXPECT_TRUE(game_box_captions.empty());
}

TEST_F(save_file_test, finished_game_loads_every_marker_and_is_not_rewritten)
{
    const std::string finished = "1710,2.6,2245,3032,400,0\r\n";
    file_write_all(SAVE_FILE_NAME, finished);
    auto before = std::filesystem::last_write_time(SAVE_FILE_NAME);
    load();
    EXPECT_TRUE(game_all_herbs_won());
    EXPECT_EQ(herb_pennyroyal, PENNYROYAL_MARK);
    EXPECT_EQ(ending_seen, ENDING_SEEN_MARK);
    EXPECT_EQ(save_spare, 0.0f);
    EXPECT_EQ(file_read_all(SAVE_FILE_NAME), finished);
    EXPECT_EQ(std::filesystem::last_write_time(SAVE_FILE_NAME), before);
    EXPECT_EQ(file_number_in_use(1), 0);
    EXPECT_TRUE(game_box_captions.empty());
}

TEST_F(save_file_test, markers_are_written_as_their_short_forms)
{
    set_fields(ANGELICA_MARK, PENNYROYAL_MARK, MUGWORT_MARK, COTTON_ROOT_MARK, ENDING_SEEN_MARK, 0);
    save();
    EXPECT_EQ(file_read_all(SAVE_FILE_NAME), "1710,2.6,2245,3032,400,0\r\n");
    EXPECT_EQ(gosub_count, 0u);

    // A save over a longer file leaves nothing of it behind.
    set_fields(0, 0, 0, 0, 0, -1.5f);
    save();
    EXPECT_EQ(file_read_all(SAVE_FILE_NAME), "0,0,0,0,0,-1.5\r\n");
}

TEST_F(save_file_test, a_value_other_than_the_marker_counts_as_not_won_until_the_next_win)
{
    file_write_all(SAVE_FILE_NAME, "1,2.6,2245,3032,0,7\r\n");
    load();
    EXPECT_EQ(herb_angelica, 1.0f);
    EXPECT_FALSE(game_all_herbs_won());
    EXPECT_EQ(save_spare, 7.0f);

    herb_angelica = ANGELICA_MARK;
    save();
    EXPECT_EQ(file_read_all(SAVE_FILE_NAME), "1710,2.6,2245,3032,0,7\r\n");
}

TEST_F(save_file_test, a_short_file_shows_the_input_error_and_keeps_what_was_read)
{
    file_write_all(SAVE_FILE_NAME, "1,2\r\n");
    load();
    ASSERT_EQ(game_box_captions.size(), 1u);
    EXPECT_EQ(game_box_captions[0], "Unhandled Error #62");
    EXPECT_EQ(herb_angelica, 1.0f);
    EXPECT_EQ(herb_pennyroyal, 2.0f);
    EXPECT_EQ(herb_mugwort, 0.0f);
    EXPECT_EQ(save_spare, 0.0f);
    // Going on after the box closes the file and leaves it as it was.
    EXPECT_EQ(file_number_in_use(1), 0);
    EXPECT_EQ(file_read_all(SAVE_FILE_NAME), "1,2\r\n");
}

TEST_F(save_file_test, text_that_is_no_number_reads_as_zero)
{
    file_write_all(SAVE_FILE_NAME, "1710,herb,2245,3032,0,0\r\n");
    load();
    EXPECT_TRUE(game_box_captions.empty());
    EXPECT_EQ(herb_angelica, ANGELICA_MARK);
    EXPECT_EQ(herb_pennyroyal, 0.0f);
    EXPECT_EQ(herb_mugwort, MUGWORT_MARK);
    EXPECT_FALSE(game_all_herbs_won());
}

TEST_F(save_file_test, a_save_that_cannot_open_its_file_reports_the_error)
{
    // A directory of that name is no save file: the load tries to create one
    // and the OPEN fails with a file error instead of passing for a save.
    std::filesystem::create_directory(SAVE_FILE_NAME);
    load();
    ASSERT_FALSE(game_box_captions.empty());
    EXPECT_EQ(game_box_captions[0], "Unhandled Error #70");
    EXPECT_TRUE(std::filesystem::is_directory(SAVE_FILE_NAME));
    EXPECT_EQ(gosub_count, 0u);
}

TEST_F(save_file_test, a_save_killed_at_any_point_leaves_the_old_line_or_the_new)
{
    // A save makes a few hundred system calls; far more means the save grows
    // with every round (a temporary left each time that no save removes).
    constexpr int STOPS_MOST = 3000;
    const std::string finished = "1710,2.6,2245,3032,400,0\r\n";
    for (const std::string old : {"1710,0,0,0,0,0\r\n", MISSING}) {
        int olds = 0, news = 0, temporaries = 0, stop = 1;
        for (;; ++stop) {
            ASSERT_LT(stop, STOPS_MOST) << "the save never ended before its stop";
            if (old != MISSING)
                file_write_all(SAVE_FILE_NAME, old);
            set_fields(ANGELICA_MARK, PENNYROYAL_MARK, MUGWORT_MARK, COTTON_ROOT_MARK,
                       ENDING_SEEN_MARK, 0);
            int killed = killed_at_system_call(stop, [&] { save(); });
            if (killed < 0)
                GTEST_SKIP() << "system calls cannot be traced here";
            std::string bytes = save_file_bytes();
            ASSERT_TRUE(bytes == old || bytes == finished) << "stop " << stop << ": " << bytes;
            (bytes == old ? olds : news)++;
            temporaries += temporary_left();
            // The next start loads what is there, and the next save replaces
            // a temporary file left behind.
            set_fields(0, 0, 0, 0, 0, 0);
            load();
            EXPECT_TRUE(game_box_captions.empty()) << "stop " << stop;
            EXPECT_EQ(herb_pennyroyal, bytes == finished ? PENNYROYAL_MARK : 0.0f);
            set_fields(1, 2, 3, 4, 5, 6);
            save();
            EXPECT_EQ(file_read_all(SAVE_FILE_NAME), "1,2,3,4,5,6\r\n");
            EXPECT_FALSE(temporary_left()) << "stop " << stop;
            fs::remove(SAVE_FILE_NAME);
            if (!killed)
                break;
        }
        EXPECT_GT(olds, 1);
        EXPECT_GT(news, 1);
        EXPECT_GT(temporaries, 0);
    }
}

} // namespace
