#include "core/basic.h"
#include "core/control_words.h"
#include "core/errors.h"
#include "core/program_thread.h"
#include "core/startup.h"
#include "platform/message_box.h"
#include "platform/process_exit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

std::atomic<int> box_answer{MESSAGE_BOX_RESULT_YES};
std::atomic<int> boxes_shown{0};
int scripted_box(const char *, const char *, uint32_t)
{
    boxes_shown.fetch_add(1);
    return box_answer.load();
}

class ProgramThread : public ::testing::Test {
  protected:
    void SetUp() override
    {
        runtime_static_init();
        program_unit_static_init();
        control_words_reset();
        error_pending_take();
        boxes_shown = 0;
        box_answer = MESSAGE_BOX_RESULT_YES;
        platform_message_box_seam_set(scripted_box);
    }
    void TearDown() override
    {
        platform_message_box_seam_set(nullptr);
        control_words_reset();
        error_pending_take();
    }
};

// Ends a death-test child with `code` once the program thread has reported
// its end, standing in for the runtime loop.
void exit_when_program_thread_ends(int code)
{
    std::thread([code] {
        while (!(threads_ended.load() & THREAD_ENDED_PROGRAM))
            std::this_thread::yield();
        process_exit(program_stop_flag.load() ? code : code + 1);
    }).detach();
}

} // namespace

TEST_F(ProgramThread, StatementsWithoutEventsRunStraightThrough)
{
    basic_procedure p;
    int ran = 0;
    p.stmt(10, [&] { ++ran; });
    p.stmt(20, [&] { ++ran; });
    EXPECT_EQ(ran, 2);
    EXPECT_EQ(boxes_shown.load(), 0);
}

TEST_F(ProgramThread, ErrorAnsweredYesGoesOnWithTheNextStatement)
{
    basic_procedure p;
    int first = 0, second = 0;
    p.stmt(10, [&] {
        ++first;
        error_raise(5);
    });
    p.stmt(20, [&] { ++second; });
    EXPECT_EQ(first, 1) << "the failed statement is not repeated";
    EXPECT_EQ(second, 1);
    EXPECT_EQ(boxes_shown.load(), 1);
    EXPECT_EQ(error_pending.load(), 0u);
    EXPECT_EQ(error_line.load(), 10u);
}

TEST_F(ProgramThread, PausedProgramIsHeldUntilResumed)
{
    program_suspended = 1;
    event_pending = 1;
    std::atomic<bool> returned{false};
    std::thread program([&] {
        statement_event_check(1);
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned.load());
    program_suspended = 0;
    program.join();
    EXPECT_TRUE(returned.load());
    EXPECT_EQ(event_pending.load(), 0u);
}

TEST_F(ProgramThread, ExitDuringPauseParksTheProgramThread)
{
    EXPECT_EXIT(
        {
            program_suspended = 1;
            std::thread([] {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                exit_acknowledged = 1;
            }).detach();
            std::thread([] {
                while (!(threads_ended.load() & THREAD_ENDED_PROGRAM))
                    std::this_thread::yield();
                process_exit(42);
            }).detach();
            statement_event_check(1);
            process_exit(1);
        },
        ::testing::ExitedWithCode(42), "");
}

TEST_F(ProgramThread, ErrorAnsweredNoEndsTheProgram)
{
    EXPECT_EXIT(
        {
            box_answer = MESSAGE_BOX_RESULT_NO;
            exit_when_program_thread_ends(42);
            basic_procedure p;
            p.stmt(10, [] { error_raise(9); });
            process_exit(1);
        },
        ::testing::ExitedWithCode(42), "");
}

TEST_F(ProgramThread, EndWithHiddenWindowStopsAtOnce)
{
    EXPECT_EXIT(
        {
            program_start_options_set({true, false});
            exit_when_program_thread_ends(42);
            rt_end();
        },
        ::testing::ExitedWithCode(42), "");
}

TEST_F(ProgramThread, MainModuleFallingOffItsEndEndsTheProgram)
{
    EXPECT_EXIT(
        {
            program_start_options_set({true, false});
            exit_when_program_thread_ends(42);
            program_thread_main([] {});
        },
        ::testing::ExitedWithCode(42), "");
}

TEST_F(ProgramThread, GosubRunsTheSubroutineAndReturnWithoutGosubIsError3)
{
    basic_procedure p;
    int sub_ran = 0;
    p.stmt(10, [&] {
        p.gosub(10, [&] {
            ++sub_ran;
            p.ret();
        });
    });
    EXPECT_EQ(sub_ran, 1);
    EXPECT_EQ(boxes_shown.load(), 0);

    p.stmt(20, [&] { p.ret(); });
    EXPECT_EQ(boxes_shown.load(), 1);
    EXPECT_EQ(error_line.load(), 20u);
}
