// Helpers of the programs that draw through the GL renderer on a virtual
// display and read the window back: the window with its context, the
// window's pixels, and a block of them checked against expected pixels.
#pragma once

#include "display/gl_renderer.h"

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

} // namespace gl_readback
