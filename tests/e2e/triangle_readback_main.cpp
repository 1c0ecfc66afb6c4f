// The textured triangle's hardware road on a real (virtual) display: the
// commands the statement queues run through the display's queue pass and GL
// executor, and the window is read back with glReadPixels. Run by
// renderer_readback_test.sh under its own Xvfb display with Mesa.
#include "core/errors.h"
#include "display/gl_renderer.h"
#include "display/hardware_images.h"
#include "display/hgc_queue.h"
#include "graphics/depth_control.h"
#include "graphics/scaled_copy.h"
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

// A 3-D triangle over the centre of the destination (the window by default)
// at depth z, covering the same pixels at every depth; anticlockwise on the
// screen, or clockwise when `reversed`.
void triangle_3d(int32_t source, float z, int32_t cull, bool reversed = false,
                 int32_t destination = 0)
{
    float a[3] = {-z, -z, z}, b[3] = {z, -z, z};
    if (reversed)
        std::swap(a, b);
    image_triangle_map(cull, 0, 0, 1, 0, 0, 1, source, a[0], a[1], a[2], b[0], b[1], b[2], 0, z, z,
                       destination, 0, Z);
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

// The images of a depth clear scene: red triangle A, green triangle B, and a
// black 32 x 32 canvas shown twice as large over the window's centre.
struct depth_scene {
    int32_t a, b, canvas;
};
constexpr float NEAR_Z = -2.0f, FAR_Z = -3.0f, BEHIND_Z = -4.0f;

void depth_set(int32_t option, int32_t handle = 0)
{
    depth_buffer_control(option, handle, 1);
}

// Near A, a depth clear, far B: B covers A once A's depth is gone.
void near_clear_far(const depth_scene &s, int32_t handle)
{
    triangle_3d(s.a, NEAR_Z, 0, false, handle);
    depth_set(4, handle);
    triangle_3d(s.b, FAR_Z, 0, false, handle);
}

// Near A, then a read-only triangle behind it on the screen.
void near_then_read_only(const depth_scene &s)
{
    triangle_3d(s.a, NEAR_Z, 0);
    depth_set(3);
    triangle_3d(s.a, BEHIND_Z, 0);
}

void canvas_show(const depth_scene &s)
{
    image_rect_copy_scaled(288, 168, 351, 231, s.canvas, 0, 0, 0, 31, 31,
                           COPY_DEST_CORNER1_GIVEN | COPY_DEST_CORNER2_GIVEN |
                               COPY_SOURCE_CORNER1_GIVEN | COPY_SOURCE_CORNER2_GIVEN);
}

// The display's drawing of one frame: the picture's clear, then the queue.
void frame_draw()
{
    gl_screen_clear();
    display_pass();
}

// Every depth clear clears, in queue order, whatever depth mode came before:
// each scene ends with far triangle B drawn where nearer depth was cleared.
TEST_F(hardware_triangle, depth_clears_clear_in_queue_order_after_any_mode)
{
    ASSERT_TRUE(renderer_framebuffers_available());
    const struct {
        const char *name;
        void (*draw)(const depth_scene &);
    } rows[] = {
        {"screen: A, clear, B", [](const depth_scene &s) { near_clear_far(s, 0); }},
        {"second layer: A, clear, B", [](const depth_scene &s) { near_clear_far(s, 1); }},
        {"image shown 2x: A, clear, B",
         [](const depth_scene &s) {
             depth_set(4, s.canvas);
             near_clear_far(s, s.canvas);
             canvas_show(s);
         }},
        {"A, read-only triangle, clear, B",
         [](const depth_scene &s) {
             near_then_read_only(s);
             depth_set(1);
             depth_set(4);
             triangle_3d(s.b, FAR_Z, 0);
         }},
        {"read-only frame, then B in the next",
         [](const depth_scene &s) {
             near_then_read_only(s);
             frame_draw();
             depth_set(1);
             triangle_3d(s.b, FAR_Z, 0);
         }},
        {"read-only frame, then a new image's first clear and B",
         [](const depth_scene &s) {
             near_then_read_only(s);
             frame_draw();
             depth_set(4, s.canvas);
             triangle_3d(s.b, FAR_Z, 0, false, s.canvas);
             canvas_show(s);
         }},
    };
    for (const auto &row : rows) {
        gl_readback::scene_reset(WINDOW_W, WINDOW_H);
        const depth_scene s{
            gl_readback::hardware_image(2, 2, red), gl_readback::hardware_image(2, 2, green),
            gl_readback::hardware_image(32, 32, [](int32_t, int32_t) { return 0xFF000000u; })};
        row.draw(s);
        frame_draw();
        EXPECT_EQ(centre(), GREEN) << row.name;
    }
}

} // namespace

int main(int argc, char **argv)
{
    return gl_readback::tests_run(argc, argv, "triangle readback", WINDOW_W, WINDOW_H);
}
