// The GL renderer: every OpenGL drawing of the runtime goes through here, on
// the main thread.
//
// A cache of GL state changes the state only when the requested value
// differs; textured triangles are batched and drawn with one call when the
// state changes or the batch is flushed; the render destination is the screen
// or a hardware image's framebuffer object.
//
// Coordinates: drawing on the screen is given in frame pixels and mapped into
// the window through display_viewport (filled by the display callback);
// drawing into a hardware image is given in the image's pixels.
//
// Image arguments: `source` is a hardware image handle; `destination` of the
// draw calls is, as in a hardware command, a hardware image list index above
// 0, or 0 / -1 (or any negative value) for the screen.
//
// Order of calls: renderer_state_reset at start-up, before a context exists;
// renderer_gl_init once the window's context is current; then drawing from the
// display callback, which flushes the batch after each layer.
#pragma once

#include <cstdint>

// Where the frame goes in the window.
struct render_viewport {
    int32_t frame_width, frame_height;
    int32_t window_width, window_height;
    int32_t x1, y1, x2, y2; // display rectangle, window pixels, inclusive
    int32_t display_width, display_height;
    float scale_x, scale_y;
    int32_t smooth;   // 1: linear filtering of the frame
    int32_t bar_side; // 0 none, 1 left and right, 2 top and bottom
};
extern render_viewport display_viewport;

// Start-up: every cached value unset, no render mode, no destination, empty
// batch, the viewport 640 x 400 at scale 1. Makes no GL call.
void renderer_state_reset();
// After the context exists: loads the GL extensions and checks for
// framebuffer objects and separate blend functions. False when the extension
// loader fails.
bool renderer_gl_init();
// Whether framebuffer objects (and so drawing into images) are available.
bool renderer_framebuffers_available();

// Frame pixels to window pixels.
int32_t window_x_map(float x);
int32_t window_y_map(float y);
int32_t window_x2_map(float x); // right edge of a frame pixel
int32_t window_y2_map(float y);
void window_rect_map(int32_t *x1, int32_t *y1, int32_t *x2, int32_t *y2);

void gl_batch_flush();

// Cached setters; each flushes the batch before a change.
void gl_texture_filter_set(int32_t min, int32_t mag); // 0 nearest, 1 linear
void gl_texture_wrap_set(int32_t mode);               // 0 clamp to edge, 1 repeat
void gl_blend_set(int32_t mode);                      // 0 off, 1 alpha blending
void gl_depth_test_set(int32_t mode);                 // 0 off, 1 test and write, 2 test only
void gl_cull_set(int32_t mode); // 0 off, 1 clockwise front, 2 anticlockwise front

// 0 forgets the projection; 3 puts every GL state back to plain values and
// forgets the cache; 1 sets up 2D and 2 3D drawing over the destination.
void gl_render_setup(int32_t mode);
// Binds an image's texture (uploading it first when it is still in memory);
// -1 unbinds.
void gl_hardware_img_bind(int32_t handle);
// 0 the screen, else a hardware image handle. False when the image cannot be
// drawn into (no such image, or no framebuffer objects).
bool gl_render_destination_set(int32_t handle);

// Copies the source rectangle (inclusive pixel corners) onto the destination
// rectangle; a destination corner left of or above the first mirrors.
void gl_draw_textured_rect(int32_t dx1, int32_t dy1, int32_t dx2, int32_t dy2, int32_t source,
                           int32_t destination, float sx1, float sy1, float sx2, float sy2,
                           int32_t alpha, int32_t smooth);
// Copies the whole source image onto a rectangle of window pixels (inclusive
// corners), not mapped through the viewport: the bars beside the display
// rectangle.
void gl_draw_window_rect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t source);
// One textured triangle; source vertices (x, y) x 3 in texels. smooth: 0
// nearest, 1 linear, 2 linear when shrinking, 3 linear when enlarging.
void gl_draw_textured_triangle_2d(const float source_xy[6], const float dest_xy[6], int32_t source,
                                  int32_t destination, int32_t smooth, int32_t alpha);
void gl_draw_textured_triangle_3d(const float source_xy[6], const float dest_xyz[9], int32_t source,
                                  int32_t destination, int32_t smooth, int32_t culling,
                                  int32_t depth_mode, int32_t alpha);
// Clears the depth buffer of a destination; an image gets a depth texture
// first. Like every clear here it comes after what is batched, and clears
// whatever depth mode the last triangle used.
void gl_depth_clear(int32_t destination);
// The start of each picture: the screen becomes the destination, its colour
// opaque black and its depth buffer cleared.
void gl_screen_clear();

// Told by the hardware images before one is deleted: draws what is batched
// (it may use the image) and forgets the image, so the cache never names a
// deleted texture or framebuffer. Also told when they unbind a texture.
void renderer_image_forget(int32_t handle);
void renderer_texture_unbound();
