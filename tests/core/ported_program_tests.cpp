// Short BASIC sequences as a ported program runs them, written in the
// compiled-program form: random numbers, ON TIMER with TIMER STOP and ON,
// ON ERROR with RESUME NEXT, and ON KEY for a function key. Waits run on the
// stepping fake clock; the timer-trap thread's pass is made after every sleep,
// as the thread would make it.
#include "core/basic.h"
#include "core/control_words.h"
#include "core/errors.h"
#include "core/fake_clock_support.h"
#include "core/program_thread.h"
#include "core/rnd.h"
#include "core/small_ops.h"
#include "core/startup.h"
#include "core/strings.h"
#include "core/timing.h"
#include "core/traps.h"
#include "display/keyboard.h"
#include "files/open_close.h"
#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace
{

constexpr int32_t KEY_F10 = 0x4400;

std::vector<std::string> boxes;
int box_record(const char *text, const char *caption, uint32_t)
{
    boxes.push_back(std::string(caption) + ": " + text);
    return MESSAGE_BOX_RESULT_YES;
}

std::vector<uint32_t> traps_taken;
void trap_record(uint32_t handler, uint32_t, uint32_t)
{
    traps_taken.push_back(handler);
}

class PortedProgram : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        runtime_static_init();
        program_unit_static_init();
        key_trap_codes_fill();
        control_words_reset();
        errors_reset();
        rt_close(0, 0); // file #1 of an earlier test
        rnd_reset();
        timing_reset();
        keyboard_reset();
        boxes.clear();
        traps_taken.clear();
        platform_message_box_seam_set(box_record);
        trap_handler_hook_set(trap_record);
        fake_clock_install(1'000'000, fake_clock_mode::stepping);
        // The timer-trap thread's pass after every sleep.
        fake_clock_on_sleep([](uint32_t) { timer_table_scan(double(fake_clock_now()) * 0.001); });
    }
    void TearDown() override
    {
        fake_clock_remove();
        trap_handler_hook_set(nullptr);
        platform_message_box_seam_set(nullptr);
        keyboard_reset();
        traps_static_init();
        errors_reset();
        control_words_reset();
        rnd_reset();
    }
};

} // namespace

// RANDOMIZE 1: A = RND: B = RND: C = RND(0): D = RND(-1): E = RND: F = RND(-1)
TEST_F(PortedProgram, RandomizeThenRndSequences)
{
    basic_procedure p;
    float a = 0, b = 0, c = 0, d = 0, e = 0, f = 0;
    p.stmt(10, [&] { rt_randomize(1, RANDOMIZE_SEED_GIVEN); });
    p.stmt(20, [&] { a = rt_rnd(0, false); });
    p.stmt(30, [&] { b = rt_rnd(0, false); });
    p.stmt(40, [&] { c = rt_rnd(0, true); });
    p.stmt(50, [&] { d = rt_rnd(-1, true); });
    p.stmt(60, [&] { e = rt_rnd(0, false); });
    p.stmt(70, [&] { f = rt_rnd(-1, true); });
    EXPECT_EQ(a, 0.7648736834526062f);
    EXPECT_EQ(b, 0.1054455041885376f);
    EXPECT_EQ(c, b) << "RND(0) repeats the last number";
    EXPECT_EQ(d, 0.2240070104598999f);
    EXPECT_NE(e, d);
    EXPECT_EQ(f, d) << "the same negative argument restarts the same sequence";
}

// 10 ON TIMER(1) GOSUB 500: 20 TIMER ON: 30 wait 2.5 s: 40 TIMER STOP
// 50 wait 2.3 s: 60 TIMER ON: 70 wait 0.15 s: 80 TIMER OFF: 90 wait 3 s
TEST_F(PortedProgram, OnTimerWithStopAndOn)
{
    basic_procedure p;
    size_t after_wait = 0, while_stopped = 0, after_on = 0, shortly_after_on = 0;
    p.stmt(10, [&] { timer_interval_set(0, 1.0, 500, 0, 0); });
    p.stmt(20, [&] { timer_handle_state(0, TRAP_ACTION_ON, false); });
    p.stmt(30, [&] { delay_seconds(2.5); });
    p.stmt(40, [&] {
        after_wait = traps_taken.size();
        timer_handle_state(0, TRAP_ACTION_STOP, false);
    });
    p.stmt(50, [&] { delay_seconds(2.3); });
    p.stmt(60, [&] {
        while_stopped = traps_taken.size();
        timer_handle_state(0, TRAP_ACTION_ON, false);
    });
    p.stmt(70, [&] {
        after_on = traps_taken.size();
        delay_seconds(0.15);
    });
    p.stmt(80, [&] {
        shortly_after_on = traps_taken.size();
        timer_handle_state(0, TRAP_ACTION_OFF, false);
    });
    p.stmt(90, [&] { delay_seconds(3); });
    EXPECT_EQ(after_wait, 2u);
    EXPECT_EQ(while_stopped, 2u) << "a stopped timer is not taken";
    EXPECT_EQ(after_on, 3u) << "the events seen while stopped are taken once, right after ON";
    EXPECT_EQ(shortly_after_on, 3u) << "and the timer does not fire again at once";
    EXPECT_EQ(traps_taken.size(), 3u) << "an off timer does not fire";
    EXPECT_EQ(traps_taken, std::vector<uint32_t>(traps_taken.size(), 500u));
    EXPECT_TRUE(boxes.empty());
}

namespace
{

// ERR and ERL as the handler at line 900 saw them, and whether line 30 ran.
struct handler_log {
    std::vector<uint32_t> err;
    std::vector<double> erl;
    bool line_30_ran = false;
    bool line_50_ran = false;
};
handler_log seen;

// A numbered line: the compiled program notes its label before it runs.
template <typename Body> void numbered(basic_procedure &p, uint32_t line, Body &&body)
{
    p.stmt(line, [&] {
        last_line_label = line;
        body();
    });
}

// 900 (log ERR and ERL): 910 IF ERR = 5 THEN ERROR 13: 920 RESUME NEXT
void on_error_handler(basic_procedure &p)
{
    on_error_inside_handler = 1;
    numbered(p, 900, [] {
        seen.err.push_back(rt_err());
        seen.erl.push_back(rt_erl());
    });
    numbered(p, 910, [] {
        if (rt_err() == 5)
            error_raise(13);
    });
    on_error_inside_handler = 0; // RESUME NEXT: back after the failed statement
}

// 10 ON ERROR GOTO 900: 20 OPEN "NOSUCH.DAT" FOR INPUT AS #1: 30 ...
// 40 ERROR 5: 50 ...
void on_error_module()
{
    basic_procedure p;
    if (on_error_handler_jump.exchange(0)) {
        on_error_handler(p);
        return;
    }
    numbered(p, 10, [] { on_error_armed = 1; });
    numbered(p, 20,
             [] { rt_open(string_from_cstr("NOSUCH.DAT"), OPEN_MODE_INPUT, 0, 0, 1, 0, 0); });
    numbered(p, 30, [] { seen.line_30_ran = true; });
    numbered(p, 40, [] { error_raise(5); });
    numbered(p, 50, [] { seen.line_50_ran = true; });
}

} // namespace

TEST_F(PortedProgram, OnErrorWithResumeNextAndAnErrorInsideTheHandler)
{
    seen = handler_log{};
    error_handler_entry_set(on_error_module);
    on_error_module();
    EXPECT_EQ(seen.err, (std::vector<uint32_t>{53, 5}));
    EXPECT_EQ(seen.erl, (std::vector<double>{20, 40}));
    EXPECT_TRUE(seen.line_30_ran);
    EXPECT_TRUE(seen.line_50_ran);
    // The error inside the handler is not trapped again: the dialog shows it.
    EXPECT_EQ(boxes,
              std::vector<std::string>{"Unhandled Error #13: Line:910\nType mismatch\nContinue?"});
    EXPECT_EQ(error_pending.load(), 0u);
}

using PortedProgramDeathTest = PortedProgram;

// Division by zero is critical: an armed handler does not get it.
TEST_F(PortedProgramDeathTest, DivisionByZeroEndsTheProgramEvenWithAHandler)
{
    EXPECT_EXIT(
        {
            platform_message_box_seam_set([](const char *text, const char *, uint32_t) {
                std::fprintf(stderr, "box <%s>\n", text);
                return MESSAGE_BOX_RESULT_OK;
            });
            error_handler_entry_set(on_error_module);
            on_error_armed = 1;
            volatile int32_t zero = 0;
            int_div_i32(1, zero);
        },
        testing::ExitedWithCode(0), "box <Division by zero>");
}

// 10 ON KEY(10) GOSUB 700: 20 KEY(10) ON: 30 SLEEP (F10 pressed): 40 KEY(10)
// STOP: 50 F10 twice: 60 KEY(10) ON: 70 ...: 80 KEY(10) OFF: 90 F10
TEST_F(PortedProgram, OnKeyForAFunctionKey)
{
    const auto press_f10 = [] {
        keyboard_key_down_event(KEY_F10);
        keyboard_key_up_event(KEY_F10);
    };
    basic_procedure p;
    size_t after_sleep = 0, while_stopped = 0, after_on = 0;
    p.stmt(10, [&] { key_trap_set(10, 700, 0, 0); });
    p.stmt(20, [&] { key_trap_state(10, TRAP_ACTION_ON); });
    fake_clock_on_sleep([&](uint32_t) {
        if (fake_clock_sleeps().size() == 5)
            press_f10();
    });
    p.stmt(30, [&] { rt_sleep(0, false); });
    fake_clock_on_sleep(nullptr);
    p.stmt(40, [&] {
        after_sleep = traps_taken.size();
        key_trap_state(10, TRAP_ACTION_STOP);
    });
    p.stmt(50, [&] {
        press_f10();
        press_f10();
    });
    p.stmt(60, [&] {
        while_stopped = traps_taken.size();
        key_trap_state(10, TRAP_ACTION_ON);
    });
    p.stmt(70, [&] { after_on = traps_taken.size(); });
    p.stmt(80, [&] { key_trap_state(10, TRAP_ACTION_OFF); });
    p.stmt(90, [&] { press_f10(); });
    EXPECT_EQ(fake_clock_sleeps().size(), 5u) << "the trap ends the SLEEP";
    EXPECT_EQ(after_sleep, 1u);
    EXPECT_EQ(while_stopped, 1u);
    EXPECT_EQ(after_on, 2u) << "two presses while stopped are remembered as one";
    EXPECT_EQ(traps_taken, (std::vector<uint32_t>{700, 700}));
    // Trapped presses do not reach the key ring; the press while off does.
    EXPECT_EQ(key_hit_next(), KEY_F10);
    EXPECT_EQ(key_hit_next(), -KEY_F10);
    EXPECT_EQ(key_hit_next(), 0);
}
