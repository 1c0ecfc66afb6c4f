// The textured triangle's hardware road on a real (virtual) display: the
// commands the statement queues run through the display's queue pass and GL
// executor, and the window is read back with glReadPixels. Run by
// renderer_readback_test.sh under its own Xvfb display with Mesa.
#include "core/errors.h"
#include "display/gl_renderer.h"
#include "display/hardware_images.h"
#include "display/hgc_queue.h"
#include "graphics/depth_control.h"
#include "graphics/triangle_map.h"

#include "gl_readback.h"

#include <vector>

namespace
{

using gl_readback::display_pass;
using gl_readback::picture_px;

constexpr int32_t WINDOW_W = 640, WINDOW_H = 400;
constexpr uint32_t RED = 0xFF0000, GREEN = 0x00FF00;
constexpr uint32_t Z = 4 | 8 | 16;

uint32_t red(int32_t, int32_t)
{
    return 0xFF000000u | RED;
}
uint32_t green(int32_t, int32_t)
{
    return 0xFF000000u | GREEN;
}

uint32_t centre()
{
    return gl_readback::window_read(WINDOW_W, WINDOW_H)[200 * WINDOW_W + 320];
}

// A 3-D triangle over the window's centre at depth z; anticlockwise on the
// screen, or clockwise when `reversed`.
void triangle_3d(int32_t source, float z, int32_t cull, bool reversed = false)
{
    float a[3] = {-z, -z, z}, b[3] = {z, -z, z};
    if (reversed)
        std::swap(a, b);
    image_triangle_map(cull, 0, 0, 1, 0, 0, 1, source, a[0], a[1], a[2], b[0], b[1], b[2], 0, z, z,
                       0, 0, Z);
}

class hardware_triangle : public ::testing::Test
{
  protected:
    void SetUp() override { gl_readback::scene_reset(WINDOW_W, WINDOW_H); }
    void TearDown() override { EXPECT_EQ(error_pending_take(), 0u); }
    void clear()
    {
        gl_render_destination_set(0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
};

// A 2-D triangle four times enlarged: each pixel inside takes the nearest
// texel; the pixels beside its two straight sides stay black.
TEST_F(hardware_triangle, a_2d_triangle_takes_the_nearest_texels)
{
    int32_t image = gl_readback::hardware_image(8, 8, picture_px);
    image_triangle_map(0, 0, 0, 8, 0, 0, 8, image, 100, 60, 0, 132, 60, 0, 100, 92, 0, 0, 0, 0);
    display_pass();
    std::vector<uint32_t> win = gl_readback::window_read(WINDOW_W, WINDOW_H);
    for (int32_t y = 0; y < 32; y++)
        for (int32_t x = 0; x + y < 30; x++)
            ASSERT_EQ(win[size_t(60 + y) * WINDOW_W + 100 + x], picture_px(x / 4, y / 4) & 0xFFFFFF)
                << x << "," << y;
    EXPECT_EQ(win[59 * WINDOW_W + 110], 0u);
    EXPECT_EQ(win[70 * WINDOW_W + 99], 0u);
    EXPECT_EQ(win[91 * WINDOW_W + 131], 0u);
}

// Near red and far green triangles in either order under each depth mode:
// with depth writes the near one stays in front; without a depth test, or
// with a test but no writes into the cleared buffer, the later one covers.
TEST_F(hardware_triangle, depth_modes_decide_which_triangle_shows)
{
    int32_t r = gl_readback::hardware_image(2, 2, red),
            g = gl_readback::hardware_image(2, 2, green);
    const struct {
        int32_t option; // depth control option: 1 read and write, 2 off, 3 read only
        bool far_first;
        uint32_t want;
    } cases[] = {{1, false, RED}, {1, true, RED},    {2, false, GREEN},
                 {2, true, RED},  {3, false, GREEN}, {3, true, RED}};
    for (const auto &c : cases) {
        clear();
        depth_buffer_control(c.option, 0, 0);
        depth_buffer_control(4, 0, 0);
        triangle_3d(c.far_first ? g : r, c.far_first ? -2.0f : -1.0f, 0);
        triangle_3d(c.far_first ? r : g, c.far_first ? -1.0f : -2.0f, 0);
        display_pass();
        EXPECT_EQ(centre(), c.want) << "option " << c.option << (c.far_first ? " far first" : "");
    }
}

// Culling 1 keeps clockwise triangles and drops anticlockwise ones; culling 2
// the reverse; 0 keeps both.
TEST_F(hardware_triangle, culling_by_winding)
{
    int32_t r = gl_readback::hardware_image(2, 2, red);
    depth_buffer_control(2, 0, 0);
    const struct {
        int32_t cull;
        bool clockwise;
        uint32_t want;
    } cases[] = {{1, true, RED}, {1, false, 0}, {2, true, 0}, {2, false, RED}, {0, false, RED}};
    for (const auto &c : cases) {
        clear();
        triangle_3d(r, -1.0f, c.cull, c.clockwise);
        display_pass();
        EXPECT_EQ(centre(), c.want) << "cull " << c.cull << (c.clockwise ? " clockwise" : "");
    }
}

} // namespace

int main(int argc, char **argv)
{
    return gl_readback::tests_run(argc, argv, "triangle readback", WINDOW_W, WINDOW_H);
}
