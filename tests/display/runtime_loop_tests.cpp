#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/timing.h"
#include "display/runtime_loop.h"
#include "platform/clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace {

// A clock whose sleeps only advance the fake time.
std::atomic<int64_t> fake_now{0};
int64_t fake_now_ms() { return fake_now.load(); }
void fake_sleep_ms(uint32_t ms) { fake_now.fetch_add(ms); }
const clock_seam fake_clock{fake_now_ms, fake_sleep_ms};

// What the loop called, in order.
std::string calls;
std::atomic<bool> auto_display_on{true};
void note_sound() { calls += "S"; }
void note_frame() { calls += "F"; }
void note_locks() { calls += "L"; }
void note_printer() { calls += "P"; }
void note_files() { calls += "C"; }
void note_sound_close() { calls += "A"; }
void note_files_left() { calls += "O"; }
bool read_auto_display() { return auto_display_on.load(); }

class RuntimeLoop : public ::testing::Test {
  protected:
    void SetUp() override
    {
        control_words_reset();
        dos_memory_reset();
        fake_now = 0;
        clock_seam_set(&fake_clock);
        calls.clear();
        auto_display_on = true;
        shell_state = 0;
        runtime_loop_services_set({note_sound, note_printer, nullptr, note_frame, read_auto_display,
                                   note_locks, note_files, note_sound_close, note_files_left});
    }
    void TearDown() override
    {
        runtime_loop_services_set({});
        clock_seam_set(nullptr);
        control_words_reset();
    }
    runtime_loop_state state;
};

uint32_t bios_ticks()
{
    return emulated_dos_memory[0x46C] | emulated_dos_memory[0x46D] << 8 |
           emulated_dos_memory[0x46E] << 16;
}

} // namespace

TEST_F(RuntimeLoop, FramePassesAlternateWithLockKeyPasses)
{
    ASSERT_TRUE(runtime_loop_pass(state));
    ASSERT_TRUE(runtime_loop_pass(state));
    ASSERT_TRUE(runtime_loop_pass(state));
    EXPECT_EQ(calls, "SPFSPLSPF");
    EXPECT_EQ(fake_now.load(), 3 * 16);
}

TEST_F(RuntimeLoop, FramePassCountsEvenWithoutAutomaticDisplay)
{
    auto_display_on = false;
    uint32_t before = frame_pass_counter.load();
    runtime_loop_pass(state);
    EXPECT_EQ(calls, "SP");
    EXPECT_EQ(frame_pass_counter.load(), before + 1);
}

TEST_F(RuntimeLoop, CloseRequestEndsUnlessTheProgramHandlesExit)
{
    exit_request = 1;
    EXPECT_FALSE(runtime_loop_pass(state));
    EXPECT_EQ(calls, "");
    exit_handled = 1;
    EXPECT_TRUE(runtime_loop_pass(state));
}

TEST_F(RuntimeLoop, ProgramStopEndsTheLoopBeforeThePump)
{
    program_stop_flag = 1;
    EXPECT_FALSE(runtime_loop_pass(state));
    EXPECT_EQ(calls, "");
}

TEST_F(RuntimeLoop, ShellChildGetsOneLastFrameAndNothingElse)
{
    shell_state = 1;
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(runtime_loop_pass(state));
    EXPECT_EQ(calls, "F");
    EXPECT_EQ(shell_state.load(), -1);
    EXPECT_EQ(fake_now.load(), 4 * 64);
}

TEST_F(RuntimeLoop, BiosTickCountsEighteenPointTwoPerSecondAndWrapsAtMidnight)
{
    timer_base_tick = 0;
    timer_base_time_ms = 0;
    fake_now = 10000;
    bios_tick_update();
    EXPECT_EQ(bios_ticks(), 182u);

    timer_base_time_ms = 86400000 - 1000;
    fake_now = 0;
    bios_tick_update();
    EXPECT_EQ(bios_ticks(), uint32_t((86400000 - 1000) * 0.0182));
    fake_now = 1000;
    bios_tick_update();
    EXPECT_EQ(bios_ticks(), 0u);
}

// A wait step of the exit path: the fake time advances by the step, and the
// step lasts (in real time, 10 s at most) until both threads have reported.
static void sleep_until_both_reported(uint32_t ms)
{
    fake_now.fetch_add(ms);
    for (int i = 0;
         i < 10000 && threads_ended.load() != (THREAD_ENDED_PROGRAM | THREAD_ENDED_TIMER); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST_F(RuntimeLoop, ExitPathWaitsForBothThreadsThenClosesFilesBeforeAudio)
{
    const clock_seam patient_clock{fake_now_ms, sleep_until_both_reported};
    clock_seam_set(&patient_clock);
    std::thread other([] {
        while (!exit_acknowledged.load())
            std::this_thread::yield();
        threads_ended.fetch_or(THREAD_ENDED_PROGRAM);
        threads_ended.fetch_or(THREAD_ENDED_TIMER);
    });
    ::testing::internal::CaptureStderr();
    runtime_loop_exit_prepare();
    const std::string note = ::testing::internal::GetCapturedStderr();
    other.join();
    clock_seam_set(&fake_clock);
    EXPECT_EQ(event_pending.load(), 1u);
    EXPECT_EQ(calls, "CA");
    EXPECT_LE(fake_now.load(), 16); // no step after both reported
    EXPECT_EQ(note, "");
}

// The note names every thread that did not report. The files of a program
// thread that did not stop are only named, never closed under it.
TEST_F(RuntimeLoop, ExitPathStopsWaitingForAStuckThreadAfterTwoSeconds)
{
    const struct {
        uint32_t ended;
        const char *stuck;
        const char *calls;
    } cases[] = {{THREAD_ENDED_TIMER, "the program thread", "OA"},
                 {THREAD_ENDED_PROGRAM, "the timer-trap thread", "CA"},
                 {0, "the program and timer-trap threads", "OA"}};
    for (auto [ended, stuck, called] : cases) {
        SCOPED_TRACE(stuck);
        fake_now = 0;
        calls.clear();
        threads_ended = ended;
        ::testing::internal::CaptureStderr();
        runtime_loop_exit_prepare();
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  std::string("exit: stopped waiting for ") + stuck + " after 2000 ms\n");
        EXPECT_GE(fake_now.load(), 2000);
        EXPECT_LT(fake_now.load(), 2000 + 16 + 1);
        EXPECT_EQ(calls, called);
    }
}
