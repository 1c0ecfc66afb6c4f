// Helpers of the programs that draw through the GL renderer on a virtual
// display and read the window back: the window with its context, the
// window's pixels, and a block of them checked against expected pixels.
#pragma once

#include "core/dos_memory.h"
#include "core/errors.h"
#include "display/frame_ring.h"
#include "display/gl_renderer.h"
#include "display/hardware_images.h"
#include "display/hgc_queue.h"
#include "display/software_screen.h"
#include "graphics/depth_control.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

// GLEW's header must come before every other GL header.
#include <GL/glew.h>

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace gl_readback
{

inline bool displayed = false;
inline void display_seen()
{
    displayed = true;
}

// Opens a double-buffered window with depth, waits for its first display,
// resets the renderer and loads the GL extensions. False (after a message)
// when they cannot be loaded.
inline bool window_open(int *argc, char **argv, const char *title, int32_t w, int32_t h)
{
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
    glutInitWindowSize(w, h);
    glutCreateWindow(title);
    glutDisplayFunc(display_seen);
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!displayed && std::chrono::steady_clock::now() < give_up)
        glutMainLoopEvent();
    renderer_state_reset();
    if (!renderer_gl_init()) {
        std::fprintf(stderr, "%s: GL extensions could not be loaded\n", title);
        return false;
    }
    return true;
}

// The window's pixels (w x h), top row first, as 0xRRGGBB.
inline std::vector<uint32_t> window_read(int32_t w, int32_t h)
{
    gl_batch_flush();
    glFinish();
    std::vector<uint32_t> gl_rows(size_t(w) * h);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, gl_rows.data());
    std::vector<uint32_t> top_down(gl_rows.size());
    for (int32_t y = 0; y < h; y++)
        for (int32_t x = 0; x < w; x++)
            top_down[size_t(y) * w + x] = gl_rows[size_t(h - 1 - y) * w + x] & 0xFFFFFF;
    return top_down;
}

// Checks a w x h block at (x0, y0) of a window `stride` pixels wide against
// want(x, y).
template <typename F>
void block_expect(const std::vector<uint32_t> &win, int32_t stride, int32_t x0, int32_t y0,
                  int32_t w, int32_t h, F want)
{
    for (int32_t y = 0; y < h; y++)
        for (int32_t x = 0; x < w; x++)
            ASSERT_EQ(win[size_t(y0 + y) * stride + x0 + x], want(x, y) & 0xFFFFFF)
                << "at " << x0 + x << "," << y0 + y;
}

// A fresh runtime on SCREEN 13 with fresh hardware lists and depth modes, no
// pending error, the GL state plain, a w x h frame shown one to one in the
// window, and the window cleared to black with the depth buffer at its far
// end.
inline void scene_reset(int32_t w, int32_t h)
{
    error_pending_take();
    dos_memory_reset();
    screen_startup();
    rt_screen(13, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    hardware_lists_create();
    depth_modes_reset();
    software_screen_forget();
    gl_render_setup(3);
    display_viewport = {w, h, w, h, 0, 0, w - 1, h - 1, w, h, 1.0f, 1.0f, 0, 0};
    gl_render_destination_set(0);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// A test picture in which every pixel differs from every other.
inline uint32_t picture_px(int32_t x, int32_t y)
{
    return 0xFF000000u | uint32_t(x * 30 + 5) << 16 | uint32_t(y * 40 + 3) << 8 |
           uint32_t(x * 7 + y * 11);
}

// A hardware image of w x h pixels px(x, y), kept in memory until drawn; its
// handle.
template <typename F> int32_t hardware_image(int32_t w, int32_t h, F px)
{
    std::vector<uint32_t> pixels(size_t(w) * h);
    for (int32_t y = 0; y < h; y++)
        for (int32_t x = 0; x < w; x++)
            pixels[size_t(y) * w + x] = px(x, y);
    return hardware_img_handle(
        hardware_img_new(w, h, pixels.data(), HARDWARE_IMG_KEEP | HARDWARE_IMG_COPY));
}

// One display pass over what was queued for the current frame, then the
// next frame.
inline void display_pass()
{
    hgc_pass pass{};
    hgc_pass_begin(pass, frame_order_counter.load());
    hgc_layer_run(pass, HGC_HARDWARE_LAYER);
    hgc_layer_run(pass, HGC_SECOND_HARDWARE_LAYER);
    frame_order_counter++;
}

// The test program's main: gtest, then the window, then every test.
inline int tests_run(int argc, char **argv, const char *title, int32_t w, int32_t h)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!window_open(&argc, argv, title, w, h))
        return 1;
    return RUN_ALL_TESTS();
}

} // namespace gl_readback
