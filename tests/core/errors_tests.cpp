#include "core/errors.h"

#include "core/control_words.h"
#include "core/program_thread.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/process_exit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

namespace {

// Every box the runtime shows goes here instead of the screen.
struct captured_boxes {
    int count = 0;
    std::string text;
    std::string caption;
    uint32_t type = 0;
    int answer = MESSAGE_BOX_RESULT_YES;
};
captured_boxes boxes;

// Records the box, and writes it to standard error on one line (newlines as
// "~") so that death tests can match it from the child process.
int box_capture(const char *text, const char *caption, uint32_t type) {
    ++boxes.count;
    boxes.text = text;
    boxes.caption = caption;
    boxes.type = type;
    std::string flat = text;
    for (char &c : flat)
        if (c == '\n') c = '~';
    std::fprintf(stderr, "box type=%u caption=<%s> text=<%s>\n", type, caption, flat.c_str());
    return boxes.answer;
}

class Errors : public ::testing::Test {
  protected:
    void SetUp() override {
        control_words_reset();
        errors_reset();
        boxes = captured_boxes{};
        platform_message_box_seam_set(box_capture);
    }
    void TearDown() override {
        platform_message_box_seam_set(nullptr);
        errors_reset();
        control_words_reset();
    }
};
using ErrorsDeathTest = Errors;

constexpr uint32_t YES_NO_BOX = MESSAGE_BOX_SYSTEM_MODAL | MESSAGE_BOX_YES_NO;

} // namespace

TEST(ErrorMessages, KnownNumbersAndUnprintableRest) {
    EXPECT_STREQ(error_message(1), "NEXT without FOR");
    EXPECT_STREQ(error_message(5), "Illegal function call");
    EXPECT_STREQ(error_message(40), "Variable required");
    EXPECT_STREQ(error_message(50), "FIELD overflow");
    EXPECT_STREQ(error_message(69), "Communication-buffer overflow");
    EXPECT_STREQ(error_message(76), "Path not found");
    EXPECT_STREQ(error_message(258), "Invalid handle");
    EXPECT_STREQ(error_message(300), "Memory region out of range");
    EXPECT_STREQ(error_message(313), "Source and destination memory have been freed");
    for (uint32_t n : {0u, 11u, 15u, 39u, 77u, 256u, 257u, 299u, 314u, 0xFFFFFFFFu})
        EXPECT_STREQ(error_message(n), "Unprintable error") << n;
}

TEST(ErrorMessages, CriticalBoxesOfErrorRaise) {
    const char *text = nullptr;
    char caption[32];
    ASSERT_TRUE(error_critical_box(257, &text, caption, sizeof caption));
    EXPECT_STREQ(text, "Out of memory");
    EXPECT_STREQ(caption, "Critical Error #1");
    ASSERT_TRUE(error_critical_box(502, &text, caption, sizeof caption));
    EXPECT_STREQ(caption, "Critical Error #2");
    ASSERT_TRUE(error_critical_box(518, &text, caption, sizeof caption));
    EXPECT_STREQ(text, "Out of memory");
    EXPECT_STREQ(caption, "Critical Error #18");
    ASSERT_TRUE(error_critical_box(261, &text, caption, sizeof caption));
    EXPECT_STREQ(text, "Sub/Function does not exist in dynamic library");
    EXPECT_STREQ(caption, "Critical Error");
    ASSERT_TRUE(error_critical_box(271, &text, caption, sizeof caption));
    EXPECT_STREQ(text, "END/SYSTEM called within SUB _GL's scope");
    for (int32_t n : {0, 5, 10, 12, 255, 258, 264, 269, 272, 300, 501, 519, -11})
        EXPECT_FALSE(error_critical_box(n, &text, caption, sizeof caption)) << n;
}

TEST_F(Errors, FirstErrorWins) {
    EXPECT_EQ(error_raise(5), 5u);
    EXPECT_EQ(event_pending.load(), 1u);
    event_pending = 0;
    EXPECT_EQ(error_raise(9), 5u);
    EXPECT_EQ(error_pending.load(), 5u);
    EXPECT_EQ(event_pending.load(), 0u) << "a refused error raises no event";
    EXPECT_EQ(boxes.count, 0);
}

// Numbers beside the critical ones are pending as they are; zero and below
// become 5 (illegal function call).
TEST_F(Errors, NumbersBesideCriticalOnesArePendingAndZeroOrLessIsFive) {
    for (int32_t n : {0, -3, INT32_MIN, 10, 12, 255, 258, 264, 300, 313, 501, 519}) {
        const uint32_t pending = n > 0 ? uint32_t(n) : 5u;
        EXPECT_EQ(error_raise(n), pending) << n;
        EXPECT_EQ(error_pending_take(), pending) << n;
    }
    EXPECT_EQ(boxes.count, 0);
}

TEST_F(Errors, YesShowsOnlyTheFirstErrorAndContinues) {
    error_raise(5);
    error_raise(9);
    statement_event_check(10);
    EXPECT_EQ(boxes.count, 1);
    EXPECT_EQ(boxes.text, "Line:10\nIllegal function call\nContinue?");
    EXPECT_EQ(boxes.caption, "Unhandled Error #5");
    EXPECT_EQ(boxes.type, YES_NO_BOX);
    EXPECT_EQ(error_pending.load(), 0u);
    EXPECT_EQ(error_line_get(), 10u);
    EXPECT_EQ(program_stop_flag.load(), 0);
    EXPECT_EQ(threads_ended.load(), 0u);
    EXPECT_EQ(statement_retry.load(), 0u) << "the failed statement is not repeated";

    error_raise(15);
    statement_event_check(4294967295u);
    EXPECT_EQ(boxes.text, "Line:4294967295\nUnprintable error\nContinue?");
    EXPECT_EQ(boxes.caption, "Unhandled Error #15");
}

TEST_F(Errors, BoxThatCouldNotOpenContinues) {
    boxes.answer = MESSAGE_BOX_FAILED;
    error_raise(53);
    statement_event_check(7);
    EXPECT_EQ(boxes.text, "Line:7\nFile not found\nContinue?");
    EXPECT_EQ(error_pending.load(), 0u);
    EXPECT_EQ(program_stop_flag.load(), 0);
}

TEST_F(Errors, NumbersJustOutsideTheCriticalRangeAskToContinue) {
    for (int32_t n : {299, 314}) {
        error_raise(n);
        statement_event_check(1);
        EXPECT_EQ(boxes.caption, "Unhandled Error #" + std::to_string(n));
        EXPECT_EQ(error_pending.load(), 0u);
    }
}

TEST_F(Errors, AlertBoxes) {
    alert("GL extension missing");
    EXPECT_EQ(boxes.text, "GL extension missing");
    EXPECT_EQ(boxes.caption, "Alert");
    EXPECT_EQ(boxes.type, MESSAGE_BOX_OK);
    alert_number(INT32_MIN);
    EXPECT_EQ(boxes.text, "-2147483648");
    EXPECT_EQ(boxes.caption, "Alert");
}

namespace {

// What the ON ERROR handler saw when the compiled main module was re-entered.
struct handler_view {
    int calls = 0;
    uint32_t err = 0;
    double erl = 0;
    uint32_t jump = 0;
    uint32_t pending = 0;
};
handler_view handler;

void handler_record() {
    ++handler.calls;
    handler.err = rt_err();
    handler.erl = rt_erl();
    handler.jump = on_error_handler_jump.load();
    handler.pending = error_pending.load();
    on_error_handler_jump = 0; // as the compiled module does before it jumps
}

} // namespace

TEST_F(Errors, ArmedHandlerTakesTheErrorWithoutABox) {
    handler = handler_view{};
    error_handler_entry_set(handler_record);
    on_error_armed = 1;
    last_line_label = 120;
    error_raise(62);
    statement_event_check(33);
    EXPECT_EQ(boxes.count, 0);
    EXPECT_EQ(handler.calls, 1);
    EXPECT_EQ(handler.err, 62u);
    EXPECT_EQ(handler.erl, 120.0);
    EXPECT_EQ(handler.jump, 1u);
    EXPECT_EQ(handler.pending, 0u) << "the error is cleared before the handler runs";
    EXPECT_EQ(rt_err(), 62u);
}

TEST_F(Errors, ErrorInsideTheHandlerShowsTheDialog) {
    handler = handler_view{};
    error_handler_entry_set(handler_record);
    on_error_armed = 1;
    on_error_inside_handler = 1;
    error_raise(5);
    statement_event_check(8);
    EXPECT_EQ(handler.calls, 0);
    EXPECT_EQ(boxes.caption, "Unhandled Error #5");
}

TEST_F(ErrorsDeathTest, CriticalNumbersOfErrorRaiseEndTheProcessWithCodeZero) {
    EXPECT_EXIT(error_raise(257), testing::ExitedWithCode(0),
                "box type=4096 caption=<Critical Error #1> text=<Out of memory>");
    EXPECT_EXIT(error_raise(511), testing::ExitedWithCode(0),
                "box type=4096 caption=<Critical Error #11> text=<Out of memory>");
    EXPECT_EXIT(error_raise(11), testing::ExitedWithCode(0),
                "box type=4096 caption=<Critical Error> text=<Division by zero>");
    // The critical path does not depend on the program thread.
    EXPECT_EXIT(
        {
            std::thread([] { error_raise(256); }).join();
            process_exit(5);
        },
        testing::ExitedWithCode(0), "caption=<Critical Error> text=<Out of stack space>");
}

TEST_F(ErrorsDeathTest, CriticalNumberAtTheDialogEndsTheProcess) {
    EXPECT_EXIT(
        {
            error_raise(300);
            statement_event_check(12);
            process_exit(5);
        },
        testing::ExitedWithCode(0),
        "box type=0 caption=<Critical Error #300> text=<Line:12~Memory region out of range>");
    // Even an armed handler does not take a critical error.
    EXPECT_EXIT(
        {
            error_handler_entry_set([] { process_exit(5); });
            on_error_armed = 1;
            error_raise(313);
            statement_event_check(1);
        },
        testing::ExitedWithCode(0), "caption=<Critical Error #313>");
}

TEST_F(ErrorsDeathTest, ArmedHandlerWithoutEntryEndsWithCode99) {
    EXPECT_EXIT(
        {
            on_error_armed = 1;
            error_raise(5);
            statement_event_check(1);
        },
        testing::ExitedWithCode(99), "");
}

namespace {

// Stands in for the runtime loop inside a death test's child: waits (at most
// ten seconds) until the program thread reports its end, then exits with 3 when
// the stop flag is set and 4 when it is not.
void end_watcher() {
    for (int waited_ms = 0; !(threads_ended.load() & THREAD_ENDED_PROGRAM); waited_ms += 5) {
        if (waited_ms > 10000) process_exit(1);
        clock_sleep_ms(5);
    }
    process_exit(program_stop_flag.load() ? 3 : 4);
}

} // namespace

TEST_F(ErrorsDeathTest, NoOrOkEndsTheProgram) {
    for (int answer : {MESSAGE_BOX_RESULT_NO, MESSAGE_BOX_RESULT_OK}) {
        boxes.answer = answer;
        EXPECT_EXIT(
            {
                std::thread(end_watcher).detach();
                error_raise(9);
                statement_event_check(30);
                process_exit(5);
            },
            testing::ExitedWithCode(3),
            "caption=<Unhandled Error #9> text=<Line:30~Subscript out of range~Continue\\?>")
            << answer;
    }
}
