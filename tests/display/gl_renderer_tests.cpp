// The renderer's mapping of frame pixels to window pixels: pure arithmetic
// over display_viewport, checked without a GL context.
#include "display/gl_renderer.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace
{

class window_mapping : public ::testing::Test
{
  protected:
    void SetUp() override { renderer_state_reset(); }
    void TearDown() override { renderer_state_reset(); }

    // A viewport that starts at (x1, y1) in the window with the given scales.
    static void viewport_set(float scale_x, float scale_y, int32_t x1, int32_t y1)
    {
        display_viewport.scale_x = scale_x;
        display_viewport.scale_y = scale_y;
        display_viewport.x1 = x1;
        display_viewport.y1 = y1;
    }
};

struct rect {
    int32_t x1, y1, x2, y2;
};

rect rect_mapped(rect r)
{
    window_rect_map(&r.x1, &r.y1, &r.x2, &r.y2);
    return r;
}

} // namespace

// Left/top edges round the scaled position to the nearest pixel; right/bottom
// edges are where the next frame pixel begins, less one.
TEST_F(window_mapping, edges_at_non_integer_scales)
{
    viewport_set(1.6f, 2.4f, 10, 7);
    struct {
        float at;
        int32_t x, x2, y, y2;
    } cases[] = {
        {0, 10, 11, 7, 8},   // 0.6 -> 1; 1.4 -> 1
        {1, 12, 12, 9, 11},  // 1.6 -> 2, 2.2 -> 2; 2.4 -> 2, 3.8 -> 4
        {3, 15, 15, 14, 16}, // 4.8 -> 5, 5.4 -> 5; 7.2 -> 7, 8.6 -> 9
        {6, 20, 20, 21, 23}, // 9.6 -> 10, 10.2 -> 10; 14.4 -> 14, 15.8 -> 16
        {7, 21, 22, 24, 25},
    };
    for (auto c : cases) {
        EXPECT_EQ(window_x_map(c.at), c.x) << c.at;
        EXPECT_EQ(window_x2_map(c.at), c.x2) << c.at;
        EXPECT_EQ(window_y_map(c.at), c.y) << c.at;
        EXPECT_EQ(window_y2_map(c.at), c.y2) << c.at;
    }
    viewport_set(0.75f, 0.75f, 3, 0); // shrinking
    EXPECT_EQ(window_x_map(3), 5);    // 2.25
    EXPECT_EQ(window_x2_map(3), 5);   // 4 x 0.75 - 1 = 2
    EXPECT_EQ(window_y_map(5), 4);    // 3.75
    EXPECT_EQ(window_y2_map(4), 3);   // 5 x 0.75 - 1 = 2.75
}

// Frame pixels tile the window: each one ends just before the next begins,
// never overlapping and never leaving a gap, whatever the scale.
TEST_F(window_mapping, neighbouring_pixels_meet_without_gap_or_overlap)
{
    for (float scale : {1.6f, 2.4f, 1.0f, 3.0f, 2.7f}) {
        viewport_set(scale, scale * 0.9f, 96, 13);
        for (int32_t at = 0; at < 700; at++) {
            ASSERT_EQ(window_x2_map(float(at)) + 1, window_x_map(float(at + 1)))
                << scale << " " << at;
            ASSERT_EQ(window_y2_map(float(at)) + 1, window_y_map(float(at + 1)))
                << scale << " " << at;
            ASSERT_GE(window_x2_map(float(at)), window_x_map(float(at))) << scale << " " << at;
        }
    }
}

// A rectangle keeps its mapped top left corner; its size is the scaled size
// truncated after adding 0.99, measured the same for corners in either order.
TEST_F(window_mapping, rectangles)
{
    viewport_set(1.6f, 2.4f, 10, 7);
    rect r = rect_mapped({3, 1, 7, 10}); // 5 x 1.6 = 8 wide, 10 x 2.4 = 24 high
    EXPECT_EQ(r.x1, 15);
    EXPECT_EQ(r.y1, 9);
    EXPECT_EQ(r.x2, 22);
    EXPECT_EQ(r.y2, 32);
    r = rect_mapped({7, 10, 3, 1}); // the same size from the other corner
    EXPECT_EQ(r.x1, 21);
    EXPECT_EQ(r.y1, 31);
    EXPECT_EQ(r.x2 - r.x1 + 1, 8);
    EXPECT_EQ(r.y2 - r.y1 + 1, 24);

    viewport_set(1.25f, 0.75f, 0, 3);
    r = rect_mapped({3, 3, 5, 3}); // 3.75 + 0.99 -> 4 wide; 0.75 + 0.99 -> 1 high
    EXPECT_EQ(r.x1, 4);
    EXPECT_EQ(r.x2, 7);
    EXPECT_EQ(r.y1, 5);
    EXPECT_EQ(r.y2, 5);
    viewport_set(0.5f, 0.5f, 0, 0);
    r = rect_mapped({0, 0, 0, 0}); // a single pixel never vanishes
    EXPECT_EQ(r.x2, r.x1);
    EXPECT_EQ(r.y2, r.y1);
}
