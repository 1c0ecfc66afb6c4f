#include "display/devices.h"

#include "core/errors.h"
#include "core/strings.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

class Devices : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        error_pending_take();
        strings_static_init();
        devices_static_init();
        devices_startup();
    }
    void TearDown() override
    {
        devices_static_init();
        error_pending_take();
    }
};

std::string name_of(int32_t n, uint32_t given)
{
    const string_descriptor *s = device_name_str(n, given);
    return std::string(reinterpret_cast<const char *>(s->chr), size_t(s->len));
}

constexpr int32_t KEY_A_BUTTON = 30;        // PC scan code of "a"
constexpr int32_t KEY_A = KEY_A_BUTTON + 1; // its 1-based button number

TEST_F(Devices, DescribeKeyboardAndMouseAndNeedACurrentDevice)
{
    EXPECT_EQ(device_count(), 2);
    EXPECT_EQ(name_of(1, 1), "Keyboard");
    EXPECT_EQ(name_of(2, 1), "Mouse");
    EXPECT_EQ(device_button_count(1, 1), 512);
    EXPECT_EQ(device_axis_count(2, 1), 2);
    EXPECT_EQ(device_wheel_count(2, 1), 3);
    EXPECT_EQ(error_pending_take(), 0u);

    EXPECT_EQ(device_next_input(0, 0), 0);
    EXPECT_EQ(device_button_state(1, 1), 0);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(name_of(0, 0), "");
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(device_button_count(3, 1), 0);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(device_next_input(0, 1), 0);
    EXPECT_EQ(error_pending_take(), 5u);
}

TEST_F(Devices, KeyPressAndReleaseAreTakenInTurnAndRepeatsAddNothing)
{
    for (int i = 0; i < 3; i++)
        device_keyboard_button_event(KEY_A_BUTTON, true);
    device_keyboard_button_event(KEY_A_BUTTON, false);
    EXPECT_EQ(device_next_input(0, 0), 1);
    EXPECT_EQ(device_button_state(KEY_A, 1), -1);
    EXPECT_EQ(device_button_change(KEY_A, 1), -1);
    EXPECT_EQ(name_of(0, 0), "Keyboard");
    EXPECT_EQ(device_next_input(0, 0), 1);
    EXPECT_EQ(device_button_state(KEY_A, 1), 0);
    EXPECT_EQ(device_button_change(KEY_A, 1), 1);
    EXPECT_EQ(device_next_input(0, 0), 0);
    EXPECT_EQ(device_button_change(KEY_A, 1), 1); // still the last change seen
    EXPECT_EQ(device_button_state(513, 1), 0);
    EXPECT_EQ(error_pending_take(), 5u);
}

TEST_F(Devices, ChangeIsZeroAfterAnEventOfAnotherButton)
{
    device_keyboard_button_event(KEY_A_BUTTON, true);
    device_keyboard_button_event(48, true);
    device_next_input(0, 0);
    EXPECT_EQ(device_button_change(KEY_A, 1), -1);
    device_next_input(0, 0);
    EXPECT_EQ(device_button_change(KEY_A, 1), 0);
    EXPECT_EQ(device_button_state(KEY_A, 1), -1);
    EXPECT_EQ(device_button_change(49, 1), -1);
}

TEST_F(Devices, NextInputTakesTheOldestEventOfAllDevices)
{
    device_keyboard_button_event(KEY_A_BUTTON, true);
    device_mouse_button_event(1, true);
    device_keyboard_button_event(KEY_A_BUTTON, false);
    device_mouse_axes_event(0.25f, -0.5f);
    EXPECT_EQ(device_next_input(0, 0), 1);
    EXPECT_EQ(device_next_input(0, 0), 2);
    EXPECT_EQ(device_next_input(0, 0), 1);
    EXPECT_EQ(device_next_input(0, 0), 2);
    EXPECT_EQ(device_axis_value(1, 1), 0.25);
    EXPECT_EQ(device_axis_value(2, 1), -0.5);
    EXPECT_EQ(device_wheel_value(0, 0), 0.0); // wheel 1 by default
    EXPECT_EQ(device_button_state(0, 0), -1); // button 1 by default
    EXPECT_EQ(device_axis_value(3, 1), 0.0);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(device_next_input(0, 0), 0);
}

TEST_F(Devices, NextInputOfANamedDevice)
{
    EXPECT_EQ(device_next_input(2, 1), 0);
    EXPECT_EQ(device_button_state(1, 1), 0); // current now, with no event yet
    device_mouse_button_event(3, true);
    EXPECT_EQ(device_next_input(2, 1), -1);
    EXPECT_EQ(device_button_state(3, 1), -1);
    EXPECT_EQ(device_next_input(3, 1), 0);
    EXPECT_EQ(error_pending_take(), 5u);
}

TEST_F(Devices, FullQueueDropsItsOldestEntries)
{
    for (int i = 0; i < 301; i++)
        device_keyboard_button_event(1, i % 2 == 0);
    int taken = 0;
    while (device_next_input(0, 0))
        taken++;
    EXPECT_EQ(taken, int(KEYBOARD_QUEUE_CAPACITY) - 2);
    EXPECT_EQ(device_button_state(2, 1), -1); // the last event: down
}

TEST_F(Devices, StickAndStrigWithoutControllers)
{
    EXPECT_EQ(rt_stick(0, 0, 0), 128);
    EXPECT_EQ(rt_stick(3, 2, 1), 128);
    EXPECT_EQ(rt_strig(0, 0, 0), 0);
    EXPECT_EQ(rt_strig(7, 0, 0), 0);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(rt_stick(-1, 0, 0), 0);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(rt_stick(0, 0, 1), 0);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(rt_strig(65536, 0, 0), 0);
    EXPECT_EQ(error_pending_take(), 5u);
}

} // namespace
