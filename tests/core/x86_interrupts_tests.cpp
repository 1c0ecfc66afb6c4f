#include "core/x86.h"

#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "display/mouse.h"
#include "display/window_state.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <gtest/gtest.h>

namespace
{

struct MouseInterrupt : testing::Test {
    void SetUp() override
    {
        error_pending_take();
        control_words_reset();
        frame_builder_started = false;
        dos_memory_reset();
        strings_static_init();
        screen_startup(); // SCREEN 0: 80 x 25 cells of 8 x 16 pixels
        mouse_reset();
        window_exists = 1;
    }
    void TearDown() override
    {
        mouse_reset();
        window_exists = 0;
        error_pending_take();
    }
};

// CALL INTERRUPT 33h with AX = function; the output block.
std::vector<uint16_t> mouse_call(uint16_t function)
{
    uint16_t in[8] = {function, 0x1111, 0x2222, 0x3333};
    uint16_t out[8] = {};
    rt_call_interrupt(0x33, in, sizeof in, out, sizeof out);
    return std::vector<uint16_t>(out, out + 4);
}

int32_t records_drain()
{
    int32_t n = 0;
    while (mouse_input_next())
        n++;
    return n;
}

TEST_F(MouseInterrupt, PositionOnATextScreenInEightUnitCells)
{
    mouse_motion_event(100, 50);
    mouse_button_down_event(0, 100, 50); // left
    EXPECT_EQ(mouse_call(3), (std::vector<uint16_t>{3, 1, 100, 25}));
    mouse_button_up_event(0, 100, 50);
    mouse_button_down_event(2, 100, 50); // right
    EXPECT_EQ(mouse_call(3)[1], 2);
    mouse_motion_event(639, 399); // the last cell, limited to 80 x 8 - 1
    EXPECT_EQ(mouse_call(3), (std::vector<uint16_t>{3, 2, 639, 199}));
    EXPECT_EQ(records_drain(), 7); // nothing was taken from the ring
}

TEST_F(MouseInterrupt, PositionOnModeThirteenDoublesX)
{
    rt_screen(13, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    ASSERT_EQ(error_pending_take(), 0u);
    mouse_motion_event(100, 50);
    mouse_button_down_event(1, 100, 50); // middle: not reported
    EXPECT_EQ(mouse_call(3), (std::vector<uint16_t>{3, 0, 200, 50}));
    EXPECT_EQ(records_drain(), 3);
}

TEST_F(MouseInterrupt, ResetShowAndHideFromMachineCode)
{
    // MOV AX,0; INT 33h; MOV SI,AX; MOV AX,1; INT 33h; RETF
    const uint8_t code[] = {0xB8, 0x00, 0x00, 0xCD, 0x33, 0x89, 0xC6,
                            0xB8, 0x01, 0x00, 0xCD, 0x33, 0xCB};
    std::copy(std::begin(code), std::end(code), emulated_dos_memory + 0x10000);
    rt_def_seg(0x1000, 1);
    rt_call_absolute(0, 0);
    EXPECT_EQ(x86_registers.esi, 0xFFFFu);
    EXPECT_EQ(x86_registers.ebx, 2u);
    EXPECT_EQ(mouse_cursor_request.load(), 1);
    mouse_call(2);
    EXPECT_EQ(mouse_cursor_request.load(), 101);
    EXPECT_EQ(mouse_call(7), (std::vector<uint16_t>{7, 0x1111, 0x2222, 0x3333}));
}

} // namespace
