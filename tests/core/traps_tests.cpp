#include "core/traps.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "core/program_thread.h"
#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

namespace {

struct trap_call {
    uint32_t handler, argument1, argument2;
    bool operator==(const trap_call &) const = default;
};
std::vector<trap_call> calls;
void record_call(uint32_t handler, uint32_t a1, uint32_t a2) {
    calls.push_back({handler, a1, a2});
}

key_trap_key key_with_code(int32_t code) {
    key_trap_key key{};
    key.raw_code = key.translated_code = code;
    return key;
}

key_trap_key key_with_make(uint8_t make, uint8_t modifiers, bool extended = false) {
    key_trap_key key = key_with_code('a');
    key.make_code = make;
    key.modifiers = modifiers;
    key.extended = extended;
    return key;
}

// A user key (15-29) defined by a scan code and shift flags.
void user_key_define(int32_t key, uint8_t scan, uint8_t flags, uint32_t handler) {
    key_trap_table[key].scan_code = scan;
    key_trap_table[key].shift_flags = flags;
    key_trap_set(key, handler, 0, 0);
    key_trap_state(key, TRAP_ACTION_ON);
}

std::vector<uint32_t> handlers_called() {
    std::vector<uint32_t> ids;
    for (const trap_call &c : calls)
        ids.push_back(c.handler);
    return ids;
}

class Traps : public ::testing::Test {
  protected:
    void SetUp() override {
        control_words_reset();
        error_pending_take();
        on_error_inside_handler = 0;
        traps_static_init();
        key_trap_codes_fill();
        calls.clear();
        trap_handler_hook_set(record_call);
    }
    void TearDown() override {
        trap_handler_hook_set(nullptr);
        on_error_inside_handler = 0;
        error_pending_take();
        control_words_reset();
    }
};

TEST_F(Traps, KeyTrapsFireForTheirCodes) {
    for (int32_t key : {1, 11, 31}) {
        key_trap_set(key, 100 + key, 5, 6);
        key_trap_state(key, TRAP_ACTION_ON);
    }
    EXPECT_EQ(key_trap_match(key_with_code(0x8600)), 31); // F12
    EXPECT_EQ(key_trap_match(key_with_code(0x3B00)), 1);  // F1
    key_trap_key keypad_8 = key_with_code(100'264);
    keypad_8.translated_code = '8';
    EXPECT_EQ(key_trap_match(keypad_8), 11);              // Up through its partner code
    EXPECT_EQ(key_trap_match(key_with_code(0x3C00)), -1); // F2: no handler
    EXPECT_EQ(event_pending.load(), 1u);

    statement_event_check(0);
    EXPECT_EQ(calls, (std::vector<trap_call>{{101, 5, 6}, {111, 5, 6}, {131, 5, 6}}));
    EXPECT_EQ(sleep_wake.load(), 1u);
}

TEST_F(Traps, OffKeyTrapIgnoresPressesAndEachPressOfAnOnTrapCounts) {
    key_trap_set(2, 7, 0, 0);
    EXPECT_EQ(key_trap_match(key_with_code(0x3C00)), -1); // off
    key_trap_state(2, TRAP_ACTION_ON);
    for (int i = 0; i < 3; ++i)
        key_trap_match(key_with_code(0x3C00));
    event_dispatch();
    EXPECT_EQ(handlers_called(), (std::vector<uint32_t>{7, 7, 7}));
}

TEST_F(Traps, StoppedKeyTrapRemembersOnePressUntilOn) {
    key_trap_set(2, 7, 0, 0);
    key_trap_state(2, TRAP_ACTION_ON);
    key_trap_state(2, TRAP_ACTION_STOP);
    for (int i = 0; i < 3; ++i)
        key_trap_match(key_with_code(0x3C00));
    event_pending = 0;
    event_dispatch();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(sleep_wake.load(), 0u); // nothing was taken

    key_trap_state(2, TRAP_ACTION_ON);
    EXPECT_EQ(event_pending.load(), 1u);
    statement_event_check(0);
    EXPECT_EQ(handlers_called(), std::vector<uint32_t>{7});

    key_trap_match(key_with_code(0x3C00));
    key_trap_state(2, TRAP_ACTION_OFF); // drops the press
    key_trap_state(2, TRAP_ACTION_ON);
    event_dispatch();
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(Traps, KeyZeroSwitchesEveryKey) {
    key_trap_state(0, TRAP_ACTION_ON);
    for (const key_trap_record &record : key_trap_table)
        EXPECT_EQ(record.state.load(), TRAP_ON);
    key_trap_state(0, TRAP_ACTION_STOP);
    for (const key_trap_record &record : key_trap_table)
        EXPECT_EQ(record.state.load(), TRAP_STOPPED);
}

TEST_F(Traps, KeyNumbersAndActionsAreChecked) {
    key_trap_set(0, 1, 0, 0);
    EXPECT_EQ(error_pending_take(), 5u);
    key_trap_set(32, 1, 0, 0);
    EXPECT_EQ(error_pending_take(), 5u);
    key_trap_state(-1, TRAP_ACTION_ON);
    EXPECT_EQ(error_pending_take(), 5u);
    key_trap_state(1, TRAP_ACTION_FREE);
    EXPECT_EQ(error_pending_take(), 5u);

    error_raise(9); // while an error is pending nothing changes
    key_trap_set(1, 1, 0, 0);
    EXPECT_EQ(key_trap_table[1].handler.load(), 0u);
}

TEST_F(Traps, UserKeyMatchesByMakeCodeAndShiftFlags) {
    user_key_define(15, 30, KEY_FLAG_CTRL, 150);                     // Ctrl+A
    user_key_define(16, 72, KEY_FLAG_EXTENDED, 160);                 // grey Up
    user_key_define(17, 31, KEY_FLAG_CAPS_LOCK, 170);                // S with Caps Lock on
    user_key_define(18, 29, KEY_FLAG_CTRL | KEY_FLAG_EXTENDED, 180); // right Ctrl itself

    EXPECT_EQ(key_trap_match(key_with_make(30, KEY_FLAG_CTRL)), 15);
    EXPECT_EQ(key_trap_match(key_with_make(30, 0)), -1);
    EXPECT_EQ(key_trap_match(key_with_make(30, KEY_FLAG_CTRL | 2)), -1); // Shift too
    EXPECT_EQ(key_trap_match(key_with_make(72, 0, true)), 16);
    EXPECT_EQ(key_trap_match(key_with_make(72, 0, false)), -1); // keypad 8
    EXPECT_EQ(key_trap_match(key_with_make(31, KEY_FLAG_CAPS_LOCK | KEY_FLAG_NUM_LOCK)), 17);
    EXPECT_EQ(key_trap_match(key_with_make(31, 0)), -1);

    key_trap_key right_ctrl = key_with_make(29, KEY_FLAG_CTRL, true);
    right_ctrl.own_modifier = KEY_FLAG_CTRL;
    EXPECT_EQ(key_trap_match(right_ctrl), 18);
}

TEST_F(Traps, ButtonTrapsAddressControllerAndButton) {
    button_trap_set(0, 0, false, 201, 1, 2); // controller 1, button 1
    button_trap_set(2, 0, false, 202, 0, 0); // bit 1: controller 2, button 1
    button_trap_set(4, 3, true, 203, 0, 0);  // controller 3, button 2
    EXPECT_EQ(button_trap_table[0].handler, 201u);
    EXPECT_EQ(button_trap_table[256].handler, 202u);
    EXPECT_EQ(button_trap_table[513].handler, 203u);

    button_trap_set(1028, 0, false, 9, 0, 0); // button 258: ignored
    EXPECT_EQ(error_pending_take(), 0u);
    for (auto [n, controller, given] : {std::tuple{1, 0, false}, std::tuple{65'536, 0, false},
                                        std::tuple{0, 0, true}, std::tuple{0, 65'536, true}}) {
        button_trap_set(n, controller, given, 9, 0, 0);
        EXPECT_EQ(error_pending_take(), 5u) << n << " " << controller;
    }

    button_trap_state(0, 0, TRAP_ACTION_ON, 0); // all
    button_trap_table[256].pending = 2;         // two presses of controller 2's button
    button_trap_table[0].pending = 1;
    event_dispatch();
    EXPECT_EQ(calls, (std::vector<trap_call>{{201, 1, 2}, {202, 0, 0}, {202, 0, 0}}));

    button_trap_state(4, 3, TRAP_ACTION_STOP, 3);
    button_trap_table[513].pending = 4;
    button_trap_state(4, 3, TRAP_ACTION_STOP, 3);
    EXPECT_EQ(button_trap_table[513].pending.load(), 1);
    event_pending = 0;
    button_trap_state(4, 3, TRAP_ACTION_ON, 3);
    EXPECT_EQ(event_pending.load(), 1u);
}

// Held back, not lost: the event stays raised, so the first check after the
// handler has ended takes the traps (a due timer is not marked again).
TEST_F(Traps, RunningErrorHandlerHoldsTrapsBack) {
    key_trap_set(1, 11, 0, 0);
    key_trap_state(1, TRAP_ACTION_ON);
    timer_interval_set(0, 1.0, 300, 0, 0);
    timer_handle_state(0, TRAP_ACTION_ON, false);
    timer_table_scan(1000.0);
    timer_table_scan(1001.5);
    key_trap_match(key_with_code(0x3B00));
    on_error_inside_handler = 1;
    statement_event_check(0);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(sleep_wake.load(), 0u);
    EXPECT_EQ(event_pending.load(), 1u);
    on_error_inside_handler = 0;
    statement_event_check(0);
    EXPECT_EQ(handlers_called(), (std::vector<uint32_t>{11, 300}));
    EXPECT_EQ(event_pending.load(), 0u);
}

// The check that handles an error takes no trap; one that waits is taken at
// the next statement's check, whether the dialog or the handler took the error.
TEST_F(Traps, TrapWaitingBesideAnErrorIsTakenAtTheNextCheck) {
    platform_message_box_seam_set([](const char *, const char *, uint32_t) {
        return MESSAGE_BOX_RESULT_YES;
    });
    timer_interval_set(0, 1.0, 300, 0, 0);
    timer_handle_state(0, TRAP_ACTION_ON, false);
    timer_table_scan(1000.0);
    timer_table_scan(1001.5);
    error_raise(53);
    statement_event_check(10);
    platform_message_box_seam_set(nullptr);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(error_pending.load(), 0u);
    EXPECT_EQ(event_pending.load(), 1u);
    statement_event_check(20);
    EXPECT_EQ(handlers_called(), std::vector<uint32_t>{300});
}

// A key trap whose handler makes an event check itself: the nested dispatch
// does not take a second key trap while the first one's handler runs.
void nested_check(uint32_t handler, uint32_t a1, uint32_t a2) {
    record_call(handler, a1, a2);
    if (calls.size() == 1) {
        statement_event_check(0);
        EXPECT_EQ(calls.size(), 1u);
    }
}

TEST_F(Traps, HandlerRunningHoldsItsTableBack) {
    trap_handler_hook_set(nested_check);
    key_trap_set(1, 11, 0, 0);
    key_trap_state(1, TRAP_ACTION_ON);
    key_trap_match(key_with_code(0x3B00));
    key_trap_match(key_with_code(0x3B00));
    event_dispatch();
    EXPECT_EQ(calls.size(), 2u);
}

TEST_F(Traps, TimerHandlesAreReusedMostRecentlyFreedFirst) {
    std::vector<int32_t> handles;
    for (int i = 0; i < 20; ++i)
        handles.push_back(timer_handle_alloc());
    EXPECT_EQ(handles.front(), 1);
    EXPECT_EQ(handles.back(), 20);
    EXPECT_EQ(timer_handle_count, 21u);

    for (int32_t h : handles) // more than the free stack's first capacity
        timer_handle_state(h, TRAP_ACTION_FREE, true);
    for (int i = 19; i >= 0; --i)
        EXPECT_EQ(timer_handle_alloc(), handles[i]);
    EXPECT_EQ(timer_handle_count, 21u);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(Traps, TimerHandlesAreChecked) {
    timer_handle_state(0, TRAP_ACTION_FREE, true);
    EXPECT_EQ(error_pending_take(), 5u);
    timer_handle_state(0, TRAP_ACTION_FREE, false);
    EXPECT_EQ(error_pending_take(), 5u);
    timer_interval_set(1, 1.0, 1, 0, 0); // handle 1 not allocated
    EXPECT_EQ(error_pending_take(), 5u);
    timer_handle_state(0, 5, true);
    EXPECT_EQ(error_pending_take(), 5u);

    const int32_t h = timer_handle_alloc();
    timer_handle_state(h, TRAP_ACTION_FREE, true);
    timer_handle_release(h); // a second release must not hand h out twice
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_NE(timer_handle_alloc(), timer_handle_alloc());
}

TEST_F(Traps, TimerFiresOneIntervalAfterItIsSet) {
    timer_interval_set(0, 1.0, 300, 3, 4);
    timer_handle_state(0, TRAP_ACTION_ON, false);
    timer_table_scan(0.5); // a clock still below one interval
    timer_table_scan(1.45);
    EXPECT_EQ(timer_trap_table[0].pending.load(), TIMER_NOT_DUE);
    timer_table_scan(1.51);
    EXPECT_EQ(timer_trap_table[0].pending.load(), TIMER_DUE);
    EXPECT_EQ(event_pending.load(), 1u);

    statement_event_check(0);
    EXPECT_EQ(calls, (std::vector<trap_call>{{300, 3, 4}}));
    EXPECT_EQ(timer_trap_table[0].pending.load(), TIMER_NOT_DUE);
    EXPECT_EQ(sleep_wake.load(), 1u);

    timer_table_scan(2.45); // the cadence runs from 1.5, not from 1.51
    EXPECT_EQ(timer_trap_table[0].pending.load(), TIMER_NOT_DUE);
    timer_table_scan(2.52);
    EXPECT_EQ(timer_trap_table[0].pending.load(), TIMER_DUE);
}

// The thread sleeps until woken only while no timer can fire; every setting
// that could make one fire changes timer_wake.
TEST_F(Traps, ScanTellsWhetherAnyTimerCanFire) {
    struct step {
        std::function<void()> act;
        bool live;
    };
    const step steps[] = {
        {[] {}, false},
        {[] { timer_interval_set(0, 1.0, 300, 0, 0); }, false}, // a handler, still off
        {[] { timer_handle_state(0, TRAP_ACTION_ON, false); }, true},
        {[] { timer_handle_state(0, TRAP_ACTION_STOP, false); }, true},
        {[] { timer_handle_state(0, TRAP_ACTION_OFF, false); }, false},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        const uint32_t before = timer_wake.load();
        steps[i].act();
        EXPECT_TRUE(i == 0 || timer_wake.load() != before) << i;
        bool live = !steps[i].live;
        EXPECT_TRUE(timer_table_scan(1000.0, &live));
        EXPECT_EQ(live, steps[i].live) << i;
    }
}

TEST_F(Traps, TimerRestartsItsCadenceAfterAStall) {
    timer_interval_set(0, 1.0, 300, 0, 0);
    timer_handle_state(0, TRAP_ACTION_ON, false);
    timer_table_scan(1000.0);
    timer_table_scan(1005.5); // five intervals late: fires once
    event_dispatch();
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_EQ(timer_trap_table[0].last_fire_s.load(), 1005.5);
    timer_table_scan(1006.4);
    EXPECT_EQ(timer_trap_table[0].pending.load(), TIMER_NOT_DUE);
    timer_table_scan(1006.6);
    EXPECT_EQ(timer_trap_table[0].pending.load(), TIMER_DUE);
}

TEST_F(Traps, StoppedTimerFiresAfterOnAtTheNextCheck) {
    timer_interval_set(0, 1.0, 300, 0, 0);
    timer_handle_state(0, TRAP_ACTION_STOP, false);
    timer_table_scan(1000.0);
    timer_table_scan(1001.5);
    statement_event_check(0);
    EXPECT_TRUE(calls.empty());

    timer_table_scan(1003.0); // the one due mark stays; nothing more is counted
    timer_handle_state(0, TRAP_ACTION_ON, false);
    EXPECT_EQ(event_pending.load(), 1u);
    statement_event_check(0);
    EXPECT_EQ(calls.size(), 1u);

    // The cadence went on meanwhile: no second event at once.
    timer_table_scan(1003.1);
    EXPECT_EQ(timer_trap_table[0].pending.load(), TIMER_NOT_DUE);
    timer_table_scan(1004.2);
    EXPECT_EQ(timer_trap_table[0].pending.load(), TIMER_DUE);
}

TEST_F(Traps, OffAndNewIntervalDropADueMarkAndRestartTheCadence) {
    timer_interval_set(0, 1.0, 300, 0, 0);
    timer_handle_state(0, TRAP_ACTION_ON, false);
    timer_table_scan(1000.0);
    timer_table_scan(1001.5);
    timer_handle_state(0, TRAP_ACTION_OFF, false);
    timer_handle_state(0, TRAP_ACTION_ON, false);
    event_dispatch();
    EXPECT_TRUE(calls.empty());
    timer_table_scan(1002.0); // restarts here
    timer_table_scan(1002.9);
    EXPECT_EQ(timer_trap_table[0].pending.load(), TIMER_NOT_DUE);

    timer_table_scan(1003.1);
    timer_interval_set(0, 2.0, 301, 0, 0);
    EXPECT_EQ(timer_trap_table[0].pending.load(), TIMER_NOT_DUE);
    timer_table_scan(1004.0);
    timer_table_scan(1005.5);
    EXPECT_EQ(timer_trap_table[0].pending.load(), TIMER_NOT_DUE);
    timer_table_scan(1006.1);
    event_dispatch();
    EXPECT_EQ(handlers_called(), std::vector<uint32_t>{301});
}

// A handler that allocates timer handles moves the table while dispatch walks
// it.
void allocating_handler(uint32_t handler, uint32_t a1, uint32_t a2) {
    record_call(handler, a1, a2);
    for (int i = 0; i < 10; ++i)
        timer_handle_alloc();
}

TEST_F(Traps, HandlerMayGrowTheTimerTable) {
    trap_handler_hook_set(allocating_handler);
    const int32_t h = timer_handle_alloc();
    for (int32_t handle : {0, h}) {
        timer_interval_set(handle, 1.0, 300 + handle, 0, 0);
        timer_handle_state(handle, TRAP_ACTION_ON, true);
    }
    timer_table_scan(1000.0);
    timer_table_scan(1001.5);
    event_dispatch();
    EXPECT_EQ(handlers_called(), (std::vector<uint32_t>{300, 301}));
    EXPECT_EQ(timer_handle_count, 22u);
    EXPECT_EQ(timer_trap_table[h].pending.load(), TIMER_NOT_DUE);
}

TEST_F(Traps, GrowthGivesUpWhenTheProcessIsEnding) {
    timer_thread_running = true; // a timer thread that never answers
    exit_acknowledged = 1;
    EXPECT_EQ(timer_handle_alloc(), -1);
    EXPECT_EQ(timer_table_suspend.load(), 0u);
    EXPECT_EQ(timer_handle_count, 1u);
    timer_thread_running = false;
}

} // namespace
