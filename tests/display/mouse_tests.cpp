#include "display_support.h"

#include "display/mouse.h"

#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/small_ops.h"
#include "core/strings.h"
#include "display/devices.h"
#include "display/window_state.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{

class Mouse : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        error_pending_take();
        control_words_reset();
        frame_builder_started = false;
        dos_memory_reset();
        strings_static_init();
        screen_startup(); // SCREEN 0: 80 x 25 cells of 8 x 16 pixels
        devices_static_init();
        devices_startup();
        mouse_reset();
        window_exists = 1;
    }
    void TearDown() override
    {
        mouse_reset();
        window_exists = 0;
        window_hidden = 0;
        error_pending_take();
    }
};

// Takes every record, returning how many there were.
int32_t records_drain()
{
    int32_t n = 0;
    while (mouse_input_next())
        n++;
    return n;
}

TEST_F(Mouse, ClickGivesADownAndAnUpRecordAndTwoDeviceEvents)
{
    mouse_button_down_event(0, 10, 20);
    mouse_button_up_event(0, 10, 20);
    EXPECT_EQ(mouse_input_next(), -1);
    EXPECT_EQ(mouse_button_held(1), -1);
    EXPECT_EQ(mouse_input_next(), -1);
    EXPECT_EQ(mouse_button_held(1), 0);
    EXPECT_EQ(mouse_input_next(), 0);

    EXPECT_EQ(device_next_input(0, 0), DEVICE_MOUSE);
    EXPECT_EQ(device_button_state(1, 1), -1);
    EXPECT_EQ(device_button_change(1, 1), -1);
    EXPECT_EQ(device_next_input(0, 0), DEVICE_MOUSE);
    EXPECT_EQ(device_button_change(1, 1), 1);
    EXPECT_EQ(device_next_input(0, 0), 0);
}

TEST_F(Mouse, ButtonQueriesSwapMiddleAndRight)
{
    mouse_button_down_event(2, 0, 0); // right
    mouse_input_next();
    EXPECT_EQ(mouse_button_held(2), -1);
    EXPECT_EQ(mouse_button_held(3), 0);
    mouse_button_down_event(1, 0, 0); // middle
    mouse_input_next();
    EXPECT_EQ(mouse_button_held(3), -1);
    EXPECT_EQ(mouse_button_held(4), 0);
    EXPECT_EQ(mouse_button_held(0), 0);
    EXPECT_EQ(error_pending_take(), 5u);
}

TEST_F(Mouse, WheelNotchesReachTheWheelQueryAndHorizontalScrollIsIgnored)
{
    mouse_wheel_event(0, 1, 5, 5);
    EXPECT_EQ(mouse_input_next(), -1);
    EXPECT_EQ(mouse_wheel_get(), -1);
    EXPECT_EQ(mouse_input_next(), -1);
    EXPECT_EQ(mouse_wheel_get(), 0);
    mouse_button_down_event(4, 5, 5); // the wheel as buttons: a notch down
    mouse_input_next();
    EXPECT_EQ(mouse_wheel_get(), 1);
    mouse_button_up_event(4, 5, 5);
    mouse_input_next();

    mouse_wheel_event(1, 1, 5, 5); // horizontal wheel
    mouse_wheel_event(0, 0, 5, 5);
    mouse_button_down_event(5, 5, 5); // horizontal scroll as buttons
    mouse_button_down_event(6, 5, 5);
    EXPECT_EQ(mouse_input_next(), 0);
    EXPECT_EQ(mouse_wheel_get(), 0);
    EXPECT_EQ(mouse_button_held(1), 0);
}

struct position_case {
    int32_t x_px, y_px;
    int32_t column, row;
};

TEST_F(Mouse, TextPagePositionsRoundToTheCellUnderThePointer)
{
    const position_case cases[] = {
        {0, 0, 1, 1},   {7, 15, 1, 1},      {8, 16, 2, 2},      {16, 32, 3, 3},
        {24, 48, 4, 4}, {639, 399, 80, 25}, {900, 700, 80, 25}, {-5, -5, 1, 1},
    };
    for (const position_case &c : cases) {
        SCOPED_TRACE(c.x_px);
        mouse_motion_event(c.x_px, c.y_px);
        EXPECT_EQ(records_drain(), 2);
        EXPECT_EQ(round_double_to_int32(mouse_x()), c.column);
        EXPECT_EQ(round_double_to_int32(mouse_y()), c.row);
        EXPECT_NEAR(mouse_x(), std::clamp(c.x_px, 0, 639) / 8.0 + 0.5, 0.0011);
    }
}

TEST_F(Mouse, GraphicsPositionsAndDeviceAxesMapThroughTheViewport)
{
    rt_screen(13, 0, 0, 0, 0, SCREEN_MODE_GIVEN); // 320 x 200
    ASSERT_EQ(error_pending_take(), 0u);
    mouse_viewport v;
    v.x1_px = 100; // drawn at twice the size with bars at the sides
    v.scale_x = v.scale_y = 2.0f;
    v.frame_width_px = 320;
    v.frame_height_px = 200;
    mouse_viewport_set(v);

    const position_case cases[] = {
        {100, 0, 0, 0}, {100 + 2 * 160 + 1, 2 * 100, 160, 100}, {5000, 5000, 319, 199}};
    for (const position_case &c : cases) {
        mouse_motion_event(c.x_px, c.y_px);
        records_drain();
        EXPECT_EQ(mouse_x(), c.column) << c.x_px;
        EXPECT_EQ(mouse_y(), c.row) << c.x_px;
    }

    // The device's axes follow the same mapping: the left bar is -1, the right
    // edge of the frame +1.
    while (device_next_input(0, 0)) {
    }
    mouse_motion_event(40, 399);
    EXPECT_EQ(device_next_input(DEVICE_MOUSE, 1), -1);
    EXPECT_EQ(device_axis_value(1, 1), -1.0);
    EXPECT_EQ(device_axis_value(2, 1), 1.0);
    mouse_motion_event(100 + 639, 200);
    device_next_input(DEVICE_MOUSE, 1);
    EXPECT_EQ(device_axis_value(1, 1), 1.0);
    EXPECT_NEAR(device_axis_value(2, 1), 0.0, 0.01);
}

TEST_F(Mouse, RawMotionCarriesMovementInItsFirstRecordOnly)
{
    mouse_button_down_event(0, 30, 40);
    records_drain();
    mouse_raw_motion_event(3, -4);
    mouse_raw_motion_event(0, 0);
    ASSERT_EQ(mouse_input_next(), -1);
    EXPECT_EQ(mouse_movement_x(), 3.0);
    EXPECT_EQ(mouse_movement_y(), -4.0);
    EXPECT_EQ(mouse_button_held(1), -1); // buttons and position carried on
    EXPECT_EQ(round_double_to_int32(mouse_x()), 4);
    ASSERT_EQ(mouse_input_next(), -1);
    EXPECT_EQ(mouse_movement_x(), 0.0);
    EXPECT_EQ(mouse_input_next(), 0);
}

TEST_F(Mouse, FullRingDropsTheOldestRecords)
{
    for (int32_t i = 0; i < 40000; i++)
        mouse_raw_motion_event(1 + i % 100, 0); // 80,000 records
    mouse_raw_motion_event(7, 0);
    EXPECT_EQ(records_drain(), int32_t(MOUSE_EVENT_RING_SLOTS) - 1);
    EXPECT_EQ(mouse_movement_x(), 0.0);
}

TEST_F(Mouse, MoveToChecksThePositionAgainstTheDisplayPage)
{
    mouse_move_to(0.5, 0.5);
    EXPECT_EQ(error_of([&] { mouse_move_to(80.5, 25.5); }), 0u);
    EXPECT_EQ(error_of([&] { mouse_move_to(81, 1); }), 5u);
    EXPECT_EQ(error_of([&] { mouse_move_to(NAN, 1); }), 5u);
    rt_screen(13, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    EXPECT_EQ(error_of([&] { mouse_move_to(319, 199); }), 0u);
    EXPECT_EQ(error_of([&] { mouse_move_to(0, 200); }), 5u);
}

string_descriptor text_of(const char *s)
{
    string_descriptor d{};
    d.chr = reinterpret_cast<uint8_t *>(const_cast<char *>(s));
    d.len = int32_t(std::strlen(s));
    return d;
}

TEST_F(Mouse, PointerStylesBecomeCursorRequests)
{
    mouse_hide();
    EXPECT_EQ(mouse_cursor_request.load(), 101);
    string_descriptor crosshair = text_of("crosshair");
    mouse_show(&crosshair, 1);
    EXPECT_EQ(mouse_cursor_request.load(), 9);
    mouse_hide();
    mouse_show(nullptr, 0); // the last style again
    EXPECT_EQ(mouse_cursor_request.load(), 9);
    string_descriptor bogus = text_of("DEFAULTS");
    EXPECT_EQ(error_of([&] { mouse_show(&bogus, 1); }), 5u);
    EXPECT_EQ(mouse_cursor_request.load(), 9);
    // With no window yet the request waits for it, but not past the exit.
    window_exists = 0;
    exit_acknowledged = 1;
    mouse_hide();
    EXPECT_EQ(mouse_cursor_request.load(), 101);
}

} // namespace
