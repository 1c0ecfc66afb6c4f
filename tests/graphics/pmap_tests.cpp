#include "core/dos_memory.h"
#include "core/errors.h"
#include "graphics/pmap.h"
#include "screen/drawing.h"
#include "screen/image_slots.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

class pmap : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        error_pending_take();
        frame_builder_started = false;
        dos_memory_reset();
        screen_startup();
        rt_screen(13, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    }
    void TearDown() override { error_pending_take(); }
};

TEST_F(pmap, without_window_it_only_rounds)
{
    EXPECT_EQ(rt_pmap(10.5f, 0), 10.0f);
    EXPECT_EQ(rt_pmap(11.5f, 0), 12.0f);
    EXPECT_EQ(rt_pmap(10.4f, 2), 10.0f);
    EXPECT_EQ(rt_pmap(-3.5f, 3), -4.0f);
    rt_view(100, 50, 200, 150, 0, 0, VIEW_COORDS); // the VIEW offset plays no part
    EXPECT_EQ(rt_pmap(7, 1), 7.0f);
}

TEST_F(pmap, the_four_functions_and_their_round_trip)
{
    rt_window(0, 0, 1, 1, WINDOW_COORDS);
    EXPECT_EQ(rt_pmap(0.5f, 0), 160.0f); // 159.5 to even
    EXPECT_EQ(rt_pmap(0, 1), 199.0f);
    EXPECT_EQ(rt_pmap(1, 1), 0.0f);
    EXPECT_FLOAT_EQ(rt_pmap(319, 2), 1.0f);
    EXPECT_FLOAT_EQ(rt_pmap(199, 3), 0.0f);
    rt_window(-50, -20, 30, 80, WINDOW_COORDS | WINDOW_SCREEN);
    for (float v = -50; v <= 30; v += 0.37f) {
        float back = rt_pmap(rt_pmap(v, 0), 2);
        EXPECT_NEAR(back, v, 80.0 / 319 / 2 + 1e-4) << v;
        float pixel = float(std::lround(v * 3 + 100));
        EXPECT_EQ(rt_pmap(rt_pmap(pixel, 3), 1), pixel);
    }
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(pmap, errors_and_a_zero_scale)
{
    EXPECT_EQ(rt_pmap(1, 4), 0.0f);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(rt_pmap(1, -1), 0.0f);
    EXPECT_EQ(error_pending_take(), 5u);
    rt_window(0, 0, 10, 10, WINDOW_COORDS);
    rt_view(7, 7, 7, 7, 0, 0, VIEW_COORDS);
    EXPECT_EQ(rt_pmap(5, 0), 0.0f);
    EXPECT_TRUE(std::isfinite(rt_pmap(3, 2)));
    EXPECT_TRUE(std::isfinite(rt_pmap(3, 3)));
    EXPECT_EQ(error_pending_take(), 0u);
    rt_screen(0, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    EXPECT_EQ(rt_pmap(1, 0), 0.0f);
    EXPECT_EQ(error_pending_take(), 5u);
}

} // namespace
