#include "display/window_hooks.h"

#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "core/traps.h"
#include "display/devices.h"
#include "display/key_table.h"
#include "display/keyboard.h"
#include "display/mouse.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <gtest/gtest.h>

namespace
{

class WindowHooks : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        errors_reset();
        control_words_reset();
        dos_memory_reset();
        strings_static_init();
        frame_builder_started = false;
        screen_startup();
        traps_static_init();
        keyboard_reset();
        devices_static_init();
        devices_startup();
        mouse_reset();
    }
    void TearDown() override
    {
        keyboard_reset();
        mouse_reset();
        control_words_reset();
        errors_reset();
    }
};

int32_t mouse_records()
{
    int32_t n = 0;
    while (mouse_input_next())
        n++;
    return n;
}

} // namespace

TEST_F(WindowHooks, CloseButtonIsAnExitRequestAndNothingElse)
{
    EXPECT_EQ(window_proc_event_hook(WINDOW_EVENT_CLOSE, 0, 0), 0);
    EXPECT_EQ(exit_request.load(), 1u);
    EXPECT_EQ(program_stop_flag.load(), 0);
    EXPECT_EQ(window_proc_event_hook(9, 0, 0), -1);
}

TEST_F(WindowHooks, PauseAndBreakGoToTheKeyboardOtherKeysAreRefused)
{
    EXPECT_EQ(window_proc_event_hook(WINDOW_EVENT_KEY, KEY_BREAK, 1), 0);
    EXPECT_EQ(program_stop_flag.load(), 1);
    EXPECT_EQ(window_proc_event_hook(WINDOW_EVENT_KEY, KEY_BREAK, 0), 0);
    EXPECT_FALSE(key_is_down(KEY_BREAK));
    EXPECT_EQ(window_proc_event_hook(WINDOW_EVENT_KEY, 'a', 1), -1);
    EXPECT_FALSE(key_is_down('a'));
}

TEST_F(WindowHooks, RawMotionAddsAMovingAndAStillRecordButZeroMotionNothing)
{
    mouse_records();
    EXPECT_EQ(window_proc_event_hook(WINDOW_EVENT_RAW_MOTION, 0, 0), 0);
    EXPECT_EQ(mouse_records(), 0);
    window_proc_event_hook(WINDOW_EVENT_RAW_MOTION, 5, -3);
    ASSERT_EQ(mouse_input_next(), -1);
    EXPECT_EQ(mouse_movement_x(), 5.0);
    EXPECT_EQ(mouse_movement_y(), -3.0);
    ASSERT_EQ(mouse_input_next(), -1);
    EXPECT_EQ(mouse_movement_x(), 0.0);
    EXPECT_EQ(mouse_input_next(), 0);
}

TEST_F(WindowHooks, KeyMessagesFeedTheKeyboardDeviceOncePerPress)
{
    const int32_t button_a = 30;
    window_proc_key_hook(button_a, true);
    window_proc_key_hook(button_a, true); // auto-repeat
    window_proc_key_hook(button_a, false);
    window_proc_key_hook(0, true);   // not a PC key
    window_proc_key_hook(600, true); // beyond the device's buttons
    // The device numbers its buttons from 1: scan code + 1.
    EXPECT_EQ(device_next_input(0, 0), DEVICE_KEYBOARD);
    EXPECT_EQ(device_button_state(button_a + 1, 1), -1);
    EXPECT_EQ(device_next_input(0, 0), DEVICE_KEYBOARD);
    EXPECT_EQ(device_button_state(button_a + 1, 1), 0);
    EXPECT_EQ(device_next_input(0, 0), 0);
}

TEST_F(WindowHooks, WindowHandleIsKeptAndTheBorderIsFixed)
{
    window_handle_store(0x400002);
    EXPECT_EQ(window_handle(), 0x400002u);
    EXPECT_EQ(window_resizable_flag(), 0);
}
