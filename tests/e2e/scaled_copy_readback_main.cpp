// The scaled copy's hardware road and depth control on a real (virtual)
// display: commands queued by the statements run through the display's
// queue pass and GL executor, and the window is read back with glReadPixels.
// Run by scaled_copy_readback_test.sh under its own Xvfb display with Mesa.
#include "core/dos_memory.h"
#include "core/errors.h"
#include "display/frame_ring.h"
#include "display/gl_renderer.h"
#include "display/hardware_images.h"
#include "display/hgc_queue.h"
#include "display/software_screen.h"
#include "graphics/depth_control.h"
#include "graphics/scaled_copy.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include "gl_readback.h"

#include <vector>

namespace
{

constexpr int32_t WINDOW_W = 640, WINDOW_H = 400;
constexpr int32_t IMAGE_W = 8, IMAGE_H = 6;
constexpr uint32_t CORNERS = COPY_DEST_CORNER1_GIVEN | COPY_DEST_CORNER2_GIVEN |
                             COPY_SOURCE_CORNER1_GIVEN | COPY_SOURCE_CORNER2_GIVEN;

// Every pixel of the test picture differs from every other.
uint32_t picture_px(int32_t x, int32_t y)
{
    return 0xFF000000u | uint32_t(x * 30 + 5) << 16 | uint32_t(y * 40 + 3) << 8 |
           uint32_t(x * 7 + y * 11);
}

int32_t image_new(int32_t w, int32_t h, uint32_t (*px)(int32_t, int32_t))
{
    std::vector<uint32_t> pixels(size_t(w) * h);
    for (int32_t y = 0; y < h; y++)
        for (int32_t x = 0; x < w; x++)
            pixels[size_t(y) * w + x] = px(x, y);
    return hardware_img_handle(
        hardware_img_new(w, h, pixels.data(), HARDWARE_IMG_KEEP | HARDWARE_IMG_COPY));
}

std::vector<uint32_t> window_read()
{
    return gl_readback::window_read(WINDOW_W, WINDOW_H);
}

// One display pass over what was queued for the current frame, then the
// next frame.
void display_pass()
{
    hgc_pass pass{};
    hgc_pass_begin(pass, frame_order_counter.load());
    hgc_layer_run(pass, HGC_HARDWARE_LAYER);
    hgc_layer_run(pass, HGC_SECOND_HARDWARE_LAYER);
    frame_order_counter++;
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
        error_pending_take();
        dos_memory_reset();
        screen_startup();
        rt_screen(13, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
        hardware_lists_create();
        depth_modes_reset();
        software_screen_forget();
        gl_render_setup(3);
        render_viewport &v = display_viewport;
        v = {WINDOW_W,     WINDOW_H, WINDOW_W, WINDOW_H, 0,    0, WINDOW_W - 1,
             WINDOW_H - 1, WINDOW_W, WINDOW_H, 1.0f,     1.0f, 0, 0};
        gl_render_destination_set(0);
        glClearColor(0, 0, 0, 1);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        image = image_new(IMAGE_W, IMAGE_H, picture_px);
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
    int32_t canvas = image_new(20, 16, [](int32_t, int32_t) { return 0xFF000000u; });
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
    int32_t r = image_new(2, 2, red), g = image_new(2, 2, green);
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
    int32_t canvas = image_new(16, 16, red);
    depth_buffer_control(4, canvas, 1);
    EXPECT_EQ(hardware_img_of(canvas)->depth_texture, 0u);
    display_pass();
    EXPECT_NE(hardware_img_of(canvas)->depth_texture, 0u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!gl_readback::window_open(&argc, argv, "scaled copy readback", WINDOW_W, WINDOW_H))
        return 1;
    return RUN_ALL_TESTS();
}
