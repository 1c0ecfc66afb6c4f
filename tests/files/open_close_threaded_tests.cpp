#include "files/file_test_support.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "core/program_thread.h"
#include "display/runtime_loop.h"
#include "files/handle_table.h"
#include "files/open_close.h"
#include "files/sequential_io.h"
#include "platform/clock.h"

#include <atomic>
#include <string>
#include <thread>
#include <unistd.h>

namespace
{

// A clock whose sleeps only advance the time: the end's wait is over at once.
std::atomic<int64_t> fake_now{0};
int64_t fake_now_ms() { return fake_now.load(); }
void fake_sleep_ms(uint32_t ms) { fake_now.fetch_add(ms); }
const clock_seam fake_clock{fake_now_ms, fake_sleep_ms};

class FilesEnd : public file_test
{
};

} // namespace

// The exit path gives up on a program thread stuck in a write nobody reads:
// it names the thread's files on standard error and touches none of them, so
// the thread, once its write returns, goes on with its files as if nothing
// had happened (under ThreadSanitizer: no race).
TEST_F(FilesEnd, GivingUpOnAStuckProgramThreadNamesItsFilesAndTouchesNone)
{
    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);
    constexpr size_t STUCK_BYTES = 1 << 20; // beyond what the pipe holds
    std::atomic<bool> opened{false};
    std::thread program([&] {
        open_error("a.txt", OPEN_MODE_OUTPUT, 1);
        open_error("b.txt", OPEN_MODE_OUTPUT, 3);
        opened = true;
        const std::string bytes(STUCK_BYTES, 'x');
        for (size_t done = 0; done < bytes.size();) {
            const ssize_t n = write(pipe_ends[1], bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                break;
            done += size_t(n);
        }
        basic_text text("after");
        rt_print_file(1, text, 0, 0, 1);
        rt_close(0, 0);
    });
    while (!opened.load())
        std::this_thread::yield();

    runtime_loop_services services{};
    services.files_close = files_close_at_end;
    services.files_leave = files_left_at_end;
    runtime_loop_services_set(services);
    clock_seam_set(&fake_clock);
    threads_ended = THREAD_ENDED_TIMER;
    ::testing::internal::CaptureStderr();
    runtime_loop_exit_prepare();
    const std::string said = ::testing::internal::GetCapturedStderr();

    char sink[65536];
    for (size_t got = 0; got < STUCK_BYTES;) {
        const ssize_t n = read(pipe_ends[0], sink, sizeof sink);
        if (n <= 0)
            break;
        got += size_t(n);
    }
    program.join();
    close(pipe_ends[0]);
    close(pipe_ends[1]);
    runtime_loop_services_set({});
    clock_seam_set(nullptr);
    control_words_reset();

    EXPECT_EQ(said, "exit: stopped waiting for the program thread after 2000 ms\n"
                    "CLOSE #1: left to the system to close, the program did not stop\n"
                    "CLOSE #3: left to the system to close, the program did not stop\n");
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(file_read_all("a.txt"), "after\r\n");
}

// One end at a time. A close button or a lost display that comes while an
// error with no handler closes its files waits for the closes and takes the
// error's code; one that comes first leaves no end to the program; a program
// end that never closes its files is given up on after the wait.
TEST_F(FilesEnd, ARuntimeEndWaitsForTheProgramsOwnEndAndKeepsItsCode)
{
    open_error("a.txt", OPEN_MODE_OUTPUT, 2);
    ASSERT_TRUE(program_end_claim(99));
    runtime_end_claimed claimed{};
    size_t bound_when_claimed = 1;
    std::atomic<bool> started{false};
    std::thread runtime([&] {
        started = true;
        claimed = runtime_end_claim(0);
        bound_when_claimed = file_numbers_bound().size();
    });
    while (!started.load())
        std::this_thread::yield();
    files_close_at_end();
    program_end_files_closed();
    runtime.join();
    EXPECT_EQ(bound_when_claimed, 0u) << "the runtime end did not wait for the closes";
    EXPECT_EQ(claimed.code, 99);
    EXPECT_TRUE(claimed.program_end && !claimed.program_end_stuck);

    control_words_reset();
    EXPECT_EQ(runtime_end_claim(1).code, 1);
    EXPECT_FALSE(program_end_claim(99)) << "a runtime end runs already";

    control_words_reset();
    clock_seam_set(&fake_clock);
    ASSERT_TRUE(program_end_claim(99));
    const runtime_end_claimed stuck = runtime_end_claim(1);
    clock_seam_set(nullptr);
    control_words_reset();
    EXPECT_EQ(stuck.code, 99);
    EXPECT_TRUE(stuck.program_end_stuck);
}
