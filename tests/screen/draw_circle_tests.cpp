#include "drawing_support.h"

#include "screen/drawing.h"

#include <cmath>

namespace
{

constexpr double PI = 3.141592653589793;

class draw_circle : public drawing_test
{
  protected:
    // The pixels one CIRCLE call changes.
    pixel_set circle(image_slot *r, float x, float y, double radius, double start = 0,
                     double end = 0, uint32_t flags = 0, double aspect = 1)
    {
        auto before = page_pixels(r);
        rt_circle(x, y, radius, 9, start, end, aspect, flags | CIRCLE_COLOUR);
        return pixels_changed(r, before, page_pixels(r));
    }
};

// The angle of a pixel seen from the centre, 0 to 2 pi, y upward.
double angle_of(int32_t x, int32_t y, int32_t cx, int32_t cy)
{
    double a = std::atan2(double(cy - y), double(x - cx));
    return a < 0 ? a + 2 * PI : a;
}

TEST_F(draw_circle, radius_0_is_one_pixel_drawn_once)
{
    image_slot *r = page(32, 20, 20);
    for (double radius : {0.0, 0.3}) { // below a third of a pixel: no outline steps
        rt_line(0, 0, 19, 19, 0xFF000000, 2, 0, LINE_START | LINE_COLOUR);
        rt_circle(5, 5, radius, 0x80FEFEFE, 0, 0, 0, CIRCLE_COLOUR);
        EXPECT_EQ(pixel_of(r, 5, 5), 0xFF7F7F7Fu) << radius;
        EXPECT_EQ(pixel_of(r, 6, 5), 0xFF000000u);
        EXPECT_EQ(pixel_of(r, 5, 4), 0xFF000000u);
    }
}

TEST_F(draw_circle, extents_and_symmetry)
{
    // The pixel radius is not rounded: 10.5 reaches 11 pixels; under WINDOW
    // (-1, -1)-(1, 1) a radius of 0.5 is 159.75 pixels and reaches 160.
    struct {
        int32_t mode;
        double radius;
        int32_t half_width, half_height;
        bool window = false;
    } cases[] = {{13, 50, 50, 42}, {12, 30, 30, 30},   {12, 1, 1, 1},
                 {9, 40, 40, 29},  {12, 10.5, 11, 11}, {12, 0.5, 160, 160, true}};
    for (const auto &c : cases) {
        image_slot *r = page(c.mode);
        int32_t cx = r->width / 2, cy = r->height / 2;
        if (c.window)
            rt_window(-1, -1, 1, 1, WINDOW_COORDS);
        pixel_set got =
            c.window ? circle(r, 0, 0, c.radius) : circle(r, float(cx), float(cy), c.radius);
        int32_t max_dx = 0, max_dy = 0;
        for (auto [x, y] : got) {
            max_dx = std::max(max_dx, std::abs(x - cx));
            max_dy = std::max(max_dy, std::abs(y - cy));
            EXPECT_TRUE(got.count({2 * cx - x, y}) && got.count({x, 2 * cy - y}))
                << "mode " << c.mode << " " << x << "," << y;
        }
        EXPECT_EQ(max_dx, c.half_width) << "mode " << c.mode;
        EXPECT_EQ(max_dy, c.half_height) << "mode " << c.mode;
    }
}

TEST_F(draw_circle, arcs_gaps_and_radius_lines)
{
    image_slot *r = page(12);
    pixel_set arc = circle(r, 320, 240, 100, 0.5, 1.0, CIRCLE_START | CIRCLE_END);
    ASSERT_FALSE(arc.empty());
    for (auto [x, y] : arc) {
        double a = angle_of(x, y, 320, 240);
        EXPECT_TRUE(a > 0.48 && a < 1.02) << a;
    }
    pixel_set rest = circle(r, 320, 240, 90, 1.0, 0.5, CIRCLE_START | CIRCLE_END);
    bool near_zero = false, near_pi = false;
    for (auto [x, y] : rest) {
        double a = angle_of(x, y, 320, 240);
        EXPECT_FALSE(a > 0.52 && a < 0.98) << a;
        near_zero |= a < 0.1 || a > 6.2;
        near_pi |= std::fabs(a - PI) < 0.1;
    }
    EXPECT_TRUE(near_zero && near_pi);
    // A radius line straight up from the centre, then the arc to pi.
    pixel_set up = circle(r, 100, 200, 50, -PI / 2, PI, CIRCLE_START | CIRCLE_END);
    for (int32_t y = 151; y <= 200; y++)
        EXPECT_TRUE(up.count({100, y})) << y;
    EXPECT_FALSE(up.count({150, 200}));
    EXPECT_TRUE(up.count({50, 200}));
    // A pie far larger than a small VIEW: its outline misses the VIEW, but
    // its radius lines cross it and the drawing colour is set.
    rt_view(300, 200, 340, 240, 0, 0, VIEW_COORDS | VIEW_SCREEN);
    r->draw_color = 0;
    pixel_set pie = circle(r, 320, 220, 200, -PI / 2, -PI, CIRCLE_START | CIRCLE_END);
    EXPECT_TRUE(pie.count({320, 200}) && pie.count({300, 220}));
    EXPECT_EQ(r->draw_color, 9u);
}

TEST_F(draw_circle, bad_and_huge_arguments)
{
    image_slot *r = page(13);
    rt_pset(10, 10, 0, 0);
    for (double radius : {double(NAN), double(INFINITY), 1e12, 1e15, -1e15})
        EXPECT_TRUE(circle(r, 160, 100, radius).empty()) << radius;
    EXPECT_TRUE(circle(r, NAN, 100, 5).empty());
    EXPECT_EQ(r->gfx_cursor_x, 160.0f); // the last finite centre
    EXPECT_TRUE(circle(r, 1e30f, 100, 5).empty());
    EXPECT_EQ(error_pending_take(), 0u);
    for (double start : {double(NAN), 7.0, -7.0, -double(INFINITY)}) {
        EXPECT_TRUE(circle(r, 160, 100, 5, start, 1, CIRCLE_START).empty());
        EXPECT_EQ(error_pending_take(), 5u) << start;
    }
    // A circle far larger than the page that passes through it is drawn.
    EXPECT_FALSE(circle(r, 160, 2100, 2000, 0, 0, CIRCLE_ASPECT, 1).empty());
    EXPECT_TRUE(circle(r, 160, 100, 5000).empty());
    EXPECT_TRUE(circle(r, 1000, 100, 50).empty());
}

} // namespace
