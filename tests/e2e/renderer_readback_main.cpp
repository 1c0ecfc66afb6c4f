// The GL renderer on a real (virtual) display: pictures drawn through it are
// read back with glReadPixels and compared pixel by pixel. Run by
// renderer_readback_test.sh under its own Xvfb display with Mesa.
#include "core/dos_memory.h"
#include "display/frame_builder.h"
#include "display/frame_ring.h"
#include "display/gl_renderer.h"
#include "display/hardware_images.h"
#include "display/hgc_queue.h"
#include "display/software_screen.h"
#include "screen/fonts.h"
#include "screen/image_slots.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include "gl_readback.h"

#include <vector>

namespace
{

constexpr int32_t WINDOW_W = 640, WINDOW_H = 400;
constexpr int32_t IMAGE_W = 8, IMAGE_H = 6;

// Every pixel of the test picture differs from every other.
uint32_t picture_px(int32_t x, int32_t y)
{
    return 0xFF000000u | uint32_t(x * 30 + 5) << 16 | uint32_t(y * 40 + 3) << 8 |
           uint32_t(x * 7 + y * 11);
}

std::vector<uint32_t> picture()
{
    std::vector<uint32_t> px(IMAGE_W * IMAGE_H);
    for (int32_t y = 0; y < IMAGE_H; y++)
        for (int32_t x = 0; x < IMAGE_W; x++)
            px[y * IMAGE_W + x] = picture_px(x, y);
    return px;
}

std::vector<uint32_t> window_read()
{
    return gl_readback::window_read(WINDOW_W, WINDOW_H);
}

void viewport_set(float scale)
{
    render_viewport &v = display_viewport;
    v.window_width = WINDOW_W;
    v.window_height = WINDOW_H;
    v.frame_width = int32_t(WINDOW_W / scale);
    v.frame_height = int32_t(WINDOW_H / scale);
    v.x1 = v.y1 = 0;
    v.x2 = WINDOW_W - 1;
    v.y2 = WINDOW_H - 1;
    v.display_width = WINDOW_W;
    v.display_height = WINDOW_H;
    v.scale_x = v.scale_y = scale;
    v.smooth = 0;
}

class renderer : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        hardware_lists_create();
        software_screen_forget();
        gl_render_setup(3);
        viewport_set(1.0f);
        gl_render_destination_set(0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        std::vector<uint32_t> px = picture();
        image = hardware_img_handle(hardware_img_new(IMAGE_W, IMAGE_H, px.data(), 0));
    }
    int32_t image = 0;
};

template <typename F>
void block_expect(const std::vector<uint32_t> &win, int32_t x0, int32_t y0, int32_t w, int32_t h,
                  F want)
{
    gl_readback::block_expect(win, WINDOW_W, x0, y0, w, h, want);
}

TEST_F(renderer, an_image_drawn_one_to_one_reads_back_exactly)
{
    gl_draw_textured_rect(10, 5, 17, 10, image, 0, 0, 0, 7, 5, 0, 0);
    std::vector<uint32_t> win = window_read();
    block_expect(win, 10, 5, IMAGE_W, IMAGE_H, picture_px);
    EXPECT_EQ(win[5 * WINDOW_W + 9], 0u);
    EXPECT_EQ(win[5 * WINDOW_W + 18], 0u);
    EXPECT_EQ(win[11 * WINDOW_W + 10], 0u);
}

TEST_F(renderer, an_image_scaled_twice_doubles_every_pixel)
{
    viewport_set(2.0f);
    gl_render_setup(0);
    gl_draw_textured_rect(3, 2, 10, 7, image, 0, 0, 0, 7, 5, 0, 0);
    std::vector<uint32_t> win = window_read();
    block_expect(win, 6, 4, IMAGE_W * 2, IMAGE_H * 2,
                 [](int32_t x, int32_t y) { return picture_px(x / 2, y / 2); });
    EXPECT_EQ(win[4 * WINDOW_W + 5], 0u);
    EXPECT_EQ(win[4 * WINDOW_W + 22], 0u);
    EXPECT_EQ(win[16 * WINDOW_W + 6], 0u);
}

TEST_F(renderer, corners_given_the_other_way_round_mirror_the_image)
{
    gl_draw_textured_rect(17, 5, 10, 10, image, 0, 0, 0, 7, 5, 0, 0);
    gl_draw_textured_rect(30, 10, 37, 5, image, 0, 0, 0, 7, 5, 0, 0);
    std::vector<uint32_t> win = window_read();
    block_expect(win, 10, 5, IMAGE_W, IMAGE_H,
                 [](int32_t x, int32_t y) { return picture_px(IMAGE_W - 1 - x, y); });
    block_expect(win, 30, 5, IMAGE_W, IMAGE_H,
                 [](int32_t x, int32_t y) { return picture_px(x, IMAGE_H - 1 - y); });
}

TEST_F(renderer, queued_commands_draw_into_an_image_and_free_it)
{
    ASSERT_TRUE(renderer_framebuffers_available());
    std::vector<uint32_t> blank(16 * 16, 0xFF000000);
    int32_t canvas_index =
        hardware_img_new(16, 16, blank.data(), HARDWARE_IMG_KEEP | HARDWARE_IMG_COPY);
    hgc_record copy{};
    copy.type = HGC_RECT;
    copy.source = image;
    copy.destination = canvas_index;
    const float source[4] = {0, 0, 7, 5}, dest[5] = {4, 3, 0, 11, 8};
    std::copy(source, source + 4, copy.source_coords);
    std::copy(dest, dest + 5, copy.dest_coords);
    hgc_queue_command(copy);
    hgc_record release{};
    release.type = HGC_FREE_IMAGE;
    release.source = image;
    hgc_queue_command(release);

    hgc_pass pass{};
    hgc_pass_begin(pass, frame_order_counter.load());
    hgc_layer_run(pass, HGC_HARDWARE_LAYER);
    EXPECT_EQ(hardware_img_of(image), nullptr);

    gl_draw_textured_rect(100, 100, 115, 115, hardware_img_handle(canvas_index), 0, 0, 0, 15, 15, 0,
                          0);
    std::vector<uint32_t> win = window_read();
    block_expect(win, 104, 103, IMAGE_W, IMAGE_H, picture_px);
    EXPECT_EQ(win[103 * WINDOW_W + 103], 0u);
    EXPECT_EQ(win[102 * WINDOW_W + 104], 0u);
}

TEST_F(renderer, the_games_text_frame_reaches_the_window_unchanged)
{
    dos_memory_reset();
    screen_startup();
    rt_width(0, 66, 37, 1 | 2);
    image_font_set(8, 0, false);
    frame_ring_reset();
    frame_builder_reset();
    image_slot *page = display_page_record.load();
    for (int32_t i = 0; i < 66 * 37; i++) {
        page->pixels[i * 2] = uint8_t(i);
        page->pixels[i * 2 + 1] = uint8_t(i * 7) & 0x7F;
    }
    software_frame_build();
    frame_slot *shown = frame_ring_take_newest();
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->width, 528);
    software_screen_draw(shown, 1);
    std::vector<uint32_t> win = window_read();
    block_expect(win, 0, 0, 528, 296,
                 [&](int32_t x, int32_t y) { return shown->pixels[size_t(y) * 528 + x]; });
}

GLint gl_int(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

GLint texture_int(GLenum name)
{
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

// The state cache calls GL only when a value changes. Each setter is checked
// against the GL state it sets; then that state is changed behind the
// renderer's back: setting the same value again leaves it changed (no GL
// call), and a different value in between makes the next set reach GL again.
TEST_F(renderer, state_setters_call_gl_only_on_a_change)
{
    gl_blend_set(1);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(gl_int(GL_BLEND_SRC_RGB), GL_SRC_ALPHA);
    EXPECT_EQ(gl_int(GL_BLEND_DST_RGB), GL_ONE_MINUS_SRC_ALPHA);
    if (renderer_framebuffers_available()) {
        EXPECT_EQ(gl_int(GL_BLEND_SRC_ALPHA), GL_ONE);
        EXPECT_EQ(gl_int(GL_BLEND_DST_ALPHA), GL_ONE);
    }
    glDisable(GL_BLEND);
    gl_blend_set(1);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    gl_blend_set(0);
    gl_blend_set(1);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));

    gl_depth_test_set(1);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(gl_int(GL_DEPTH_WRITEMASK), GL_TRUE);
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_EQ(gl_int(GL_ALPHA_TEST_FUNC), GL_GREATER);
    glDisable(GL_DEPTH_TEST);
    gl_depth_test_set(1);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    gl_depth_test_set(2);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(gl_int(GL_DEPTH_WRITEMASK), GL_FALSE);
    EXPECT_EQ(gl_int(GL_ALPHA_TEST_FUNC), GL_ALWAYS);
    glDepthMask(GL_TRUE);
    gl_depth_test_set(2);
    EXPECT_EQ(gl_int(GL_DEPTH_WRITEMASK), GL_TRUE);
    gl_depth_test_set(0);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));

    gl_cull_set(1);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(gl_int(GL_FRONT_FACE), GL_CW);
    glFrontFace(GL_CCW);
    gl_cull_set(1);
    EXPECT_EQ(gl_int(GL_FRONT_FACE), GL_CCW);
    glFrontFace(GL_CW);
    gl_cull_set(2);
    EXPECT_EQ(gl_int(GL_FRONT_FACE), GL_CCW);
    gl_cull_set(0);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));

    gl_hardware_img_bind(image);
    gl_texture_filter_set(1, 1);
    EXPECT_EQ(texture_int(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(texture_int(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl_texture_filter_set(1, 1);
    EXPECT_EQ(texture_int(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(texture_int(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl_texture_filter_set(0, 1); // only the minifying filter changes
    EXPECT_EQ(texture_int(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(texture_int(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!gl_readback::window_open(&argc, argv, "renderer readback", WINDOW_W, WINDOW_H))
        return 1;
    return RUN_ALL_TESTS();
}
