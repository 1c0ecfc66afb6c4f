// The scaled copy's hardware road and depth control on a real (virtual)
// display: commands queued by the statements run through the display's
// queue pass and GL executor, and the window is read back with glReadPixels.
// Run by scaled_copy_readback_test.sh under its own Xvfb display with Mesa.
#include "core/errors.h"
#include "display/gl_renderer.h"
#include "display/hardware_images.h"
#include "display/hgc_queue.h"
#include "graphics/depth_control.h"
#include "graphics/scaled_copy.h"

#include "gl_readback.h"

#include <vector>

namespace
{

using gl_readback::display_pass;
using gl_readback::picture_px;

constexpr int32_t WINDOW_W = 640, WINDOW_H = 400;
constexpr int32_t IMAGE_W = 8, IMAGE_H = 6;
constexpr uint32_t CORNERS = COPY_DEST_CORNER1_GIVEN | COPY_DEST_CORNER2_GIVEN |
                             COPY_SOURCE_CORNER1_GIVEN | COPY_SOURCE_CORNER2_GIVEN;

std::vector<uint32_t> window_read()
{
    return gl_readback::window_read(WINDOW_W, WINDOW_H);
}

template <typename F>
void block_expect(const std::vector<uint32_t> &win, int32_t x0, int32_t y0, int32_t w, int32_t h,
                  F want)
{
    gl_readback::block_expect(win, WINDOW_W, x0, y0, w, h, want);
}

class hardware_copy : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        gl_readback::scene_reset(WINDOW_W, WINDOW_H);
        image = gl_readback::hardware_image(IMAGE_W, IMAGE_H, picture_px);
    }
    void TearDown() override { EXPECT_EQ(error_pending_take(), 0u); }
    int32_t image = 0;
};

// Onto the hardware layer, twice as large and mirrored left to right.
TEST_F(hardware_copy, onto_the_layer_scaled_and_mirrored)
{
    image_rect_copy_scaled(50, 10, 35, 21, image, 0, 0, 0, 7, 5, CORNERS);
    display_pass();
    std::vector<uint32_t> win = window_read();
    block_expect(win, 35, 10, 16, 12,
                 [](int32_t x, int32_t y) { return picture_px(7 - x / 2, y / 2); });
    EXPECT_EQ(win[10 * WINDOW_W + 34], 0u);
    EXPECT_EQ(win[10 * WINDOW_W + 51], 0u);
    EXPECT_EQ(win[22 * WINDOW_W + 35], 0u);
}

// Into a hardware image, scaled and mirrored upside down; the image then
// shown one to one.
TEST_F(hardware_copy, into_a_hardware_image)
{
    ASSERT_TRUE(renderer_framebuffers_available());
    int32_t canvas =
        gl_readback::hardware_image(20, 16, [](int32_t, int32_t) { return 0xFF000000u; });
    image_rect_copy_scaled(2, 13, 17, 2, image, canvas, 0, 0, 7, 5, CORNERS);
    image_rect_copy_scaled(100, 100, 0, 0, canvas, 0, 0, 0, 0, 0, COPY_DEST_CORNER1_GIVEN);
    display_pass();
    std::vector<uint32_t> win = window_read();
    block_expect(win, 102, 102, 16, 12,
                 [](int32_t x, int32_t y) { return picture_px(x / 2, 5 - y / 2); });
    EXPECT_EQ(win[101 * WINDOW_W + 102], 0u);
    EXPECT_EQ(win[114 * WINDOW_W + 117], 0u);
}

uint32_t red(int32_t, int32_t)
{
    return 0xFFFF0000u;
}
uint32_t green(int32_t, int32_t)
{
    return 0xFF00FF00u;
}

// A 3-D triangle over the window's centre at depth z, coloured by `source`,
// carrying the layer's depth mode as it stands now.
void triangle_queue(int32_t source, float z)
{
    hgc_record c{};
    c.type = HGC_TRIANGLE_3D;
    c.source = source;
    c.destination = HGC_HARDWARE_LAYER;
    const float st[6] = {0, 0, 1, 0, 0, 1};
    const float xyz[9] = {-z, -z, z, z, -z, z, 0, z, z};
    std::copy(st, st + 6, c.source_coords);
    std::copy(xyz, xyz + 9, c.dest_coords);
    c.depth_mode = int32_t(depth_mode_of(HGC_HARDWARE_LAYER));
    c.alpha = 1;
    hgc_queue_command(c);
}

// With the depth test the near red triangle stays in front of the far green
// one drawn after it; once depth is off for the layer, triangles queued
// afterwards draw in order and the green one covers it.
TEST_F(hardware_copy, a_depth_mode_reaches_the_triangles_queued_after_it)
{
    int32_t r = gl_readback::hardware_image(2, 2, red),
            g = gl_readback::hardware_image(2, 2, green);
    depth_buffer_control(4, 0, 0);
    triangle_queue(r, -1.0f);
    triangle_queue(g, -2.0f);
    display_pass();
    EXPECT_EQ(window_read()[200 * WINDOW_W + 320], 0xFF0000u);

    depth_buffer_control(2, 0, 0);
    depth_buffer_control(4, 0, 0);
    triangle_queue(r, -1.0f);
    triangle_queue(g, -2.0f);
    display_pass();
    EXPECT_EQ(window_read()[200 * WINDOW_W + 320], 0x00FF00u);
}

TEST_F(hardware_copy, a_depth_clear_gives_a_hardware_image_its_depth_texture)
{
    ASSERT_TRUE(renderer_framebuffers_available());
    int32_t canvas = gl_readback::hardware_image(16, 16, red);
    depth_buffer_control(4, canvas, 1);
    EXPECT_EQ(hardware_img_of(canvas)->depth_texture, 0u);
    display_pass();
    EXPECT_NE(hardware_img_of(canvas)->depth_texture, 0u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace

int main(int argc, char **argv)
{
    return gl_readback::tests_run(argc, argv, "scaled copy readback", WINDOW_W, WINDOW_H);
}
