#include "keyboard_support.h"

#include "display/devices.h"
#include "display/key_table.h"
#include "display/runtime_loop.h"
#include "platform/system_keys.h"

#include <algorithm>

namespace
{

TEST_F(Keyboard, EnterGivesPressAndReleaseAndWithAltOnlyTheReleaseAndAFullScreenRequest)
{
    glut_key_translate(13, 0, true, X_KEY_ENTER);
    glut_key_translate(13, 0, false, X_KEY_ENTER);
    EXPECT_EQ(ring_drain(), (std::vector<int32_t>{13, -13}));
    EXPECT_EQ(inkey(), "\r");
    EXPECT_FALSE(alt_enter_request_take());

    glut_special_key_translate(116, true, 64); // left Alt
    glut_key_translate(13, KEY_MOD_ALT, true, X_KEY_ENTER);
    glut_key_translate(13, KEY_MOD_ALT, false, X_KEY_ENTER);
    EXPECT_EQ(ring_drain(), (std::vector<int32_t>{KEY_ALT_LEFT, -13}));
    EXPECT_EQ(inkey(), "");
    EXPECT_TRUE(alt_enter_request_take());
    EXPECT_FALSE(alt_enter_request_take());
}

TEST_F(Keyboard, AltEnterCyclesThroughTheFullScreenModes)
{
    full_screen_choice c{0, false};
    std::vector<std::pair<int32_t, bool>> seen;
    for (int i = 0; i < 6; i++) {
        c = full_screen_alt_enter_next(c.mode, c.smooth);
        seen.push_back({c.mode, c.smooth});
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int32_t, bool>>{
                        {1, false}, {1, true}, {2, false}, {2, true}, {0, true}, {1, false}}));
}

TEST_F(Keyboard, FullBiosBufferDropsTheNewKeyWhileTheRingKeepsIt)
{
    const std::string letters = "abcdefghijklmnop"; // 16 keys
    for (char c : letters)
        tap(c);
    std::string typed;
    for (std::string s; !(s = inkey()).empty();)
        typed += s;
    EXPECT_EQ(typed, letters.substr(0, 15));
    EXPECT_EQ(ring_drain().size(), 32u);
}

TEST_F(Keyboard, RingDropsTheOldestEntryWhenFull)
{
    constexpr int32_t PRESSES = 8192;
    for (int32_t i = 0; i < PRESSES; i++)
        press(300000 + i); // codes that reach only the ring
    const std::vector<int32_t> codes = ring_drain();
    ASSERT_EQ(codes.size(), size_t(PRESSES - 1));
    EXPECT_EQ(codes.front(), 300001);
    EXPECT_EQ(codes.back(), 300000 + PRESSES - 1);
}

struct inkey_case {
    const char *name;
    std::vector<int32_t> modifiers; // toolkit special keys held
    int32_t code;                   // runtime key code pressed
    std::string expected;
};

TEST_F(Keyboard, InkeyBytesOfKeyTableRowsWithModifiers)
{
    const inkey_case cases[] = {
        {"a", {}, 'a', "a"},
        {"Ctrl+a", {CTRL}, 'a', "\x01"},
        {"Alt+a", {ALT}, 'a', std::string("\0\x1e", 2)},
        {"Shift+Tab", {SHIFT}, 9, std::string("\0\x0f", 2)},
        {"Ctrl+Tab", {CTRL}, 9, std::string("\0\x94", 2)},
        {"Ctrl+Backspace", {CTRL}, 8, "\x7f"},
        {"Ctrl+Enter", {CTRL}, 13, "\n"},
        {"Ctrl+2", {CTRL}, '2', std::string("\0\x03", 2)},
        {"Alt+1", {ALT}, '1', std::string("\0\x78", 2)},
        {"Ctrl+-", {CTRL}, '-', "\x1f"},
        {"Alt+]", {ALT}, ']', std::string("\0\x1b", 2)},
        {"F1", {}, KEY_F1, std::string("\0\x3b", 2)},
        {"Shift+F1", {SHIFT}, KEY_F1, std::string("\0\x54", 2)},
        {"Alt+F10", {ALT}, KEY_F1 + 9 * 256, std::string("\0\x71", 2)},
        {"Shift+F12", {SHIFT}, KEY_F12, std::string("\0\x86", 2)},
        {"Ctrl+Home", {CTRL}, KEY_HOME, std::string("\0\x77", 2)},
        {"Alt+Delete", {ALT}, KEY_DELETE, std::string("\0\xa3", 2)},
        {"keypad Enter with Alt", {ALT}, KEY_PAD_LAST, std::string("\0\xa6", 2)},
        {"keypad 0 with Shift", {SHIFT}, KEY_PAD_0, "0"},
        {"keypad 5 with Ctrl", {CTRL}, KEY_PAD_0 + 5, std::string("\0\x8f", 2)},
        {"keypad 7", {}, KEY_PAD_0 + 7, std::string("\0\x47", 2)},
        {"keypad centre", {}, KEY_CENTRE, std::string("\0\x4c", 2)},
        {"code-page character", {}, 130, "\x82"},
    };
    for (const inkey_case &c : cases) {
        SCOPED_TRACE(c.name);
        for (int32_t m : c.modifiers)
            modifier(m, true);
        tap(c.code);
        for (int32_t m : c.modifiers)
            modifier(m, false);
        EXPECT_EQ(inkey(), c.expected);
        EXPECT_EQ(inkey(), "");
    }
}

TEST_F(Keyboard, KeypadDigitWithNumLockIsTheDigitWithItsKeypadScan)
{
    press(KEY_NUM_LOCK);
    ring_drain();
    press(KEY_PAD_0 + 5);
    EXPECT_EQ(ring_drain(), std::vector<int32_t>{'5'});
    EXPECT_TRUE(key_is_down('5'));
    EXPECT_EQ(bios_byte(0x41E), '5'); // Num Lock itself put nothing there
    EXPECT_EQ(bios_byte(0x41F), 76);
    EXPECT_EQ(inkey(), "5");
    modifier(SHIFT, true);
    tap(KEY_PAD_0);
    EXPECT_EQ(inkey(), std::string("\0\x52", 2)); // Num Lock and Shift: Insert
}

TEST_F(Keyboard, AutoRepeatQueuesTheMakeCodeOnceAndHoldsTheKeyOnce)
{
    for (int i = 0; i < 3; i++)
        glut_key_translate('a', 0, true, X_KEY_A);
    EXPECT_TRUE(key_is_down('a'));
    glut_key_translate('a', 0, false, X_KEY_A);
    EXPECT_FALSE(key_is_down('a'));
    EXPECT_EQ(scancodes_drain(), (std::vector<uint8_t>{30, 30 + 128}));
    EXPECT_EQ(ring_drain(), (std::vector<int32_t>{'a', 'a', 'a', -'a'}));
}

TEST_F(Keyboard, BreakStopsTheProgramOrRequestsExitWhenTheProgramHandlesIt)
{
    EXPECT_EQ(window_key_hook_event(KEY_BREAK, 1), 0);
    EXPECT_EQ(program_stop_flag.load(), 1);
    EXPECT_EQ(window_key_hook_event(KEY_BREAK, 0), 0);
    EXPECT_EQ(window_key_hook_event('a', 1), -1);

    program_stop_flag = 0;
    exit_handled = 1;
    modifier(CTRL, true);
    press(KEY_SCROLL_LOCK);
    EXPECT_EQ(exit_request.load(), 2u);
    EXPECT_EQ(program_stop_flag.load(), 0);
    EXPECT_EQ(sleep_wake.load(), 1u);
}

TEST_F(Keyboard, PauseHoldsTheProgramAndTheNextKeyOnlyResumesIt)
{
    window_key_hook_event(KEY_PAUSE, 1);
    EXPECT_EQ(program_suspended.load() & 1, 1);
    EXPECT_EQ(event_pending.load(), 1u);
    window_key_hook_event(KEY_PAUSE, 0);
    press('x');
    EXPECT_EQ(program_suspended.load() & 1, 0);
    release('x');
    EXPECT_EQ(ring_drain(), (std::vector<int32_t>{-KEY_PAUSE, -'x'}));
    EXPECT_EQ(inkey(), "");
}

TEST_F(Keyboard, TrappedKeyReachesNeitherRingNorBuffer)
{
    key_trap_set(1, 7, 0, 0);
    key_trap_state(1, TRAP_ACTION_ON);
    tap(KEY_F1);
    EXPECT_EQ(ring_drain(), std::vector<int32_t>{});
    EXPECT_EQ(inkey(), "");
    EXPECT_EQ(key_trap_table[1].pending.load(), 1);
    EXPECT_EQ(event_pending.load(), 1u);
    // Off again: F1 is an ordinary key.
    key_trap_state(1, TRAP_ACTION_OFF);
    tap(KEY_F1);
    EXPECT_EQ(ring_drain(), (std::vector<int32_t>{KEY_F1, -KEY_F1}));
}

TEST_F(Keyboard, SoftKeyTypesItsStringAndSwallowsItsOwnRelease)
{
    uint8_t text[] = {'R', 'U', 'N', 13};
    string_descriptor label{};
    label.chr = text;
    label.len = 4;
    key_trap_table[2].label.store(&label);
    tap(KEY_F1 + 256); // F2
    key_trap_table[2].label.store(nullptr);
    EXPECT_EQ(ring_drain(), (std::vector<int32_t>{'R', -'R', 'U', -'U', 'N', -'N', 13, -13}));
    std::string typed;
    for (std::string s; !(s = inkey()).empty();)
        typed += s;
    EXPECT_EQ(typed, "RUN\r");
}

TEST_F(Keyboard, FlagBytesFollowTheHeldKeys)
{
    EXPECT_EQ(bios_byte(0x496), 16);
    modifier(SHIFT, true);
    modifier(115, true); // right Ctrl
    press(KEY_CAPS_LOCK);
    EXPECT_EQ(bios_byte(0x417), 2 | 4 | 64);
    EXPECT_EQ(bios_byte(0x418), 0);
    EXPECT_EQ(bios_byte(0x496), 16 | 1);
    modifier(115, false);
    modifier(SHIFT, false);
    EXPECT_EQ(bios_byte(0x417), 64);
    EXPECT_EQ(scancodes_drain(), (std::vector<uint8_t>{42, 29, 58, 29 + 128, 42 + 128}));
}

TEST_F(Keyboard, InsertAndScrollLockToggleTheirStatesOnFreshPressesOnly)
{
    press(KEY_INSERT);
    press(KEY_INSERT); // auto-repeat
    EXPECT_TRUE(key_is_down(KEY_INSERT_MODE_ON));
    EXPECT_EQ(bios_byte(0x417), 128);
    release(KEY_INSERT);
    tap(KEY_INSERT);
    EXPECT_FALSE(key_is_down(KEY_INSERT_MODE_ON));
    modifier(SHIFT, true);
    tap(KEY_INSERT);
    EXPECT_FALSE(key_is_down(KEY_INSERT_MODE_ON));
    modifier(SHIFT, false);

    tap(KEY_SCROLL_LOCK);
    EXPECT_TRUE(key_is_down(KEY_SCROLL_LOCK_ON));
    EXPECT_EQ(bios_byte(0x417), 16);
    tap(KEY_SCROLL_LOCK);
    EXPECT_FALSE(key_is_down(KEY_SCROLL_LOCK_ON));
}

TEST_F(Keyboard, ClearingBuffersByNumber)
{
    tap('a');
    key_buffers_clear(4, 1);
    EXPECT_EQ(error_pending_take(), 5u);
    key_buffers_clear(1, 1);
    EXPECT_EQ(inkey(), "");
    EXPECT_EQ(ring_drain().size(), 2u);
    tap('b');
    key_buffers_clear(2, 1);
    EXPECT_EQ(ring_drain().size(), 0u);
    EXPECT_EQ(inkey(), "b");
    tap('c');
    key_buffers_clear(3, 1);
    EXPECT_EQ(scancode_queue_take(), 0x81); // the last byte taken again
    key_buffers_clear(0, 0);
    EXPECT_EQ(inkey(), "");
    EXPECT_EQ(ring_drain().size(), 0u);
}

TEST_F(Keyboard, QueriesRefuseBadCodesAndEmptyInkeyWhileAnErrorIsPending)
{
    EXPECT_EQ(key_down_query(0), 0);
    EXPECT_EQ(error_pending_take(), 5u);
    press(KEY_PAD_0 + 10); // keypad "." (Delete with Num Lock off)
    EXPECT_EQ(key_down_query('.'), -1);
    error_raise(6);
    EXPECT_EQ(inkey(), "");
    key_buffers_clear(0, 0); // ignored while the error is pending
    error_pending_take();
    EXPECT_EQ(inkey(), std::string("\0\x53", 2));
}

TEST_F(Keyboard, CharacterWithoutAMakeCodeQueuesNoBreakCode)
{
    tap(130);
    tap(KEY_CENTRE);
    EXPECT_EQ(scancodes_drain(), std::vector<uint8_t>{});
}

TEST_F(Keyboard, FocusLossReleasesHeldKeysButKeepsLockStates)
{
    devices_static_init();
    devices_startup();
    device_keyboard_button_event(17, true); // w, as the window's first look saw it
    press(KEY_CAPS_LOCK);
    tap(KEY_INSERT);
    modifier(ALT, true);
    press(KEY_SYSREQ); // released after Alt, whose release rewrites the flags
    glut_key_translate('w', 0, true, 25);
    ring_drain();
    scancodes_drain();
    device_keyboard_release_all(); // the window's first look at the focus loss
    key_focus_lost();
    EXPECT_FALSE(key_is_down(KEY_ALT_LEFT));
    EXPECT_FALSE(key_is_down('w'));
    EXPECT_TRUE(key_is_down(KEY_CAPS_LOCK));
    EXPECT_TRUE(key_is_down(KEY_INSERT_MODE_ON));
    std::vector<int32_t> released = ring_drain();
    std::sort(released.begin(), released.end());
    EXPECT_EQ(released, (std::vector<int32_t>{-KEY_SYSREQ, -KEY_ALT_LEFT, -'w'}));
    EXPECT_EQ(scancodes_drain(), (std::vector<uint8_t>{56 | 0x80, 17 | 0x80}));
    EXPECT_EQ(bios_byte(0x417), 64 | 128); // Caps Lock and Insert mode stay on
    EXPECT_EQ(bios_byte(0x418), 0);
    EXPECT_EQ(device_next_input(0, 0), DEVICE_KEYBOARD);
    EXPECT_EQ(device_next_input(0, 0), DEVICE_KEYBOARD);
    EXPECT_EQ(device_button_state(18, 1), 0);
    EXPECT_EQ(device_next_input(0, 0), 0);
    devices_static_init();
    // The late release of "w" finds nothing left to release.
    glut_key_translate('w', 0, false, 25);
    EXPECT_EQ(ring_drain(), std::vector<int32_t>{-'w'});
    EXPECT_FALSE(key_is_down('w'));
}

TEST_F(Keyboard, FocusBackHoldsTheModifiersStillDownAndNotThoseReleasedElsewhere)
{
    modifier(ALT, true);
    modifier(SHIFT, true);
    key_focus_lost();
    ring_drain();
    system_key_state s;
    s.alt_left_down = true; // Shift went up while the focus was elsewhere
    key_focus_regained(s);
    key_focus_regained(s); // a second look finds Alt held already
    EXPECT_TRUE(key_is_down(KEY_ALT_LEFT));
    EXPECT_FALSE(key_is_down(KEY_SHIFT_LEFT));
    EXPECT_EQ(bios_byte(0x417), 8);
    glut_key_translate(13, KEY_MOD_ALT, true, X_KEY_ENTER);
    glut_key_translate(13, KEY_MOD_ALT, false, X_KEY_ENTER);
    EXPECT_TRUE(alt_enter_request_take());
    EXPECT_EQ(ring_drain(), (std::vector<int32_t>{KEY_ALT_LEFT, -13}));
    modifier(ALT, false);
    EXPECT_FALSE(key_is_down(KEY_ALT_LEFT));
}

TEST_F(Keyboard, LockKeysPostedByTheLoopAreAppliedByTheMainThreadPoll)
{
    system_lock_states s;
    s.caps_lock_on = true;
    s.scroll_lock_on = true;
    lock_keys_post(s);
    EXPECT_FALSE(key_is_down(KEY_CAPS_LOCK)); // nothing changes before the poll
    key_main_thread_poll();
    EXPECT_TRUE(key_is_down(KEY_CAPS_LOCK));
    EXPECT_TRUE(key_is_down(KEY_SCROLL_LOCK_ON));
    EXPECT_EQ(bios_byte(0x417), 16 | 64);
    EXPECT_EQ(ring_drain(), std::vector<int32_t>{KEY_CAPS_LOCK}); // Scroll Lock's state: no key
    key_held_release_by_value(301);
    EXPECT_FALSE(key_is_down(KEY_CAPS_LOCK));

    lock_keys_post(system_lock_states{});
    key_main_thread_poll();
    EXPECT_FALSE(key_is_down(KEY_SCROLL_LOCK_ON));
    EXPECT_EQ(bios_byte(0x417), 0);
    key_main_thread_poll(); // nothing posted: nothing happens
    EXPECT_EQ(ring_drain(), std::vector<int32_t>{-KEY_CAPS_LOCK});
}

TEST_F(Keyboard, StartupFeedsHeldModifiersWithoutPausingAndEmptiesTheRing)
{
    system_key_state s;
    s.locks.num_lock_on = true;
    s.locks.scroll_lock_on = true;
    s.scroll_lock_down = true;
    s.ctrl_left_down = true;
    s.shift_right_down = true;
    keyboard_startup(s);
    EXPECT_EQ(program_suspended.load(), 0);
    EXPECT_EQ(program_stop_flag.load(), 0);
    EXPECT_TRUE(key_is_down(KEY_NUM_LOCK));
    EXPECT_TRUE(key_is_down(KEY_CTRL_LEFT));
    EXPECT_TRUE(key_is_down(KEY_SCROLL_LOCK_ON));
    EXPECT_EQ(bios_byte(0x417), 1 | 4 | 16 | 32);
    EXPECT_EQ(bios_byte(0x418), 1 | 16);
    EXPECT_EQ(key_hit_next(), 0);
    key_held_release_by_value(306);
    EXPECT_FALSE(key_is_down(KEY_CTRL_LEFT));
}

} // namespace
