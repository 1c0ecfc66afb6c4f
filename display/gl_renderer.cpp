#include "display/gl_renderer.h"

#include "core/small_ops.h"
#include "display/hardware_images.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

render_viewport display_viewport{};

namespace
{

constexpr int32_t UNSET = INT32_MIN;
constexpr int32_t RENDER_RESET = 0, RENDER_2D = 1, RENDER_3D = 2, RENDER_PLAIN = 3;
constexpr int32_t NO_IMAGE = -1;
constexpr int32_t DEPTH_TEST_ONLY = 2; // depth test without writes

struct state_cache {
    int32_t render_mode;
    int32_t destination; // 0 screen, else a hardware image handle
    int32_t bound;       // hardware image handle, NO_IMAGE unbound
    int32_t blend, depth, cull;
};
state_cache cache;
bool framebuffers = false;

// Batched triangles: `dims` coordinates a vertex, two texture coordinates.
struct triangle_batch {
    std::vector<float> vertices;
    std::vector<float> texcoords;
    int32_t dims = 2;
};
triangle_batch batch;

void batch_vertex(int32_t dims, const float *v, float u, float t)
{
    if (dims != batch.dims) {
        gl_batch_flush();
        batch.dims = dims;
    }
    batch.vertices.insert(batch.vertices.end(), v, v + dims);
    batch.texcoords.push_back(u);
    batch.texcoords.push_back(t);
}

bool destination_is_image()
{
    return cache.destination != 0 && cache.destination != UNSET;
}

hardware_img *bound_image()
{
    return cache.bound == NO_IMAGE || cache.bound == UNSET ? nullptr : hardware_img_of(cache.bound);
}

// Size the texture coordinates of an image are measured against: the GL
// texture when the picture was padded into a larger one. Mipmaps are scaled
// to fill their texture, so they are measured against the picture.
void texture_extent(const hardware_img *img, float *w, float *h)
{
    bool padded = img->texture_state == TEXTURE_PADDED;
    *w = float(padded ? img->texture_width : img->width);
    *h = float(padded ? img->texture_height : img->height);
}

GLint filter_of(int32_t value, bool minifying, const hardware_img *img)
{
    if (minifying && img->texture_state == TEXTURE_MIPMAPPED)
        return GL_LINEAR_MIPMAP_LINEAR;
    return value ? GL_LINEAR : GL_NEAREST;
}

// The destination's pixel size: an image's, or the window's.
void destination_size(int32_t *w, int32_t *h)
{
    if (hardware_img *img = destination_is_image() ? hardware_img_of(cache.destination) : nullptr) {
        *w = img->width;
        *h = img->height;
    } else {
        *w = display_viewport.window_width;
        *h = display_viewport.window_height;
    }
}

void setup_2d()
{
    int32_t w, h;
    destination_size(&w, &h);
    glEnable(GL_TEXTURE_2D);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (destination_is_image())
        glOrtho(0, w, 0, h, -1, 1); // image rows upward: row 0 is the picture's top
    else
        glOrtho(0, w, h, 0, -1, 1);
    glViewport(0, 0, w, h);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void setup_3d()
{
    int32_t w, h;
    destination_size(&w, &h);
    glEnable(GL_TEXTURE_2D);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    double fov = 90.0;
    if (destination_is_image()) {
        if (w > h)
            fov = fov * h / w;
        gluPerspective(fov, double(w) / h, 0.1, 10000.0);
        glScalef(1, -1, 1);
        glViewport(0, 0, w, h);
    } else {
        const render_viewport &v = display_viewport;
        int32_t fw = v.frame_width > 0 ? v.frame_width : 1;
        int32_t fh = v.frame_height > 0 ? v.frame_height : 1;
        if (fw > fh)
            fov = fov * fh / fw;
        gluPerspective(fov, double(fw) / fh, 0.1, 10000.0);
        glViewport(v.x1, v.window_height - v.y2 - 1, v.display_width, v.display_height);
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void setup_plain()
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glDisable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    if (framebuffers)
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor4f(1, 1, 1, 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Binds the source and sets filtering, wrapping, blending, depth and culling
// for one textured drawing; false when the source cannot be drawn.
bool source_prepare(int32_t source, int32_t min, int32_t mag, int32_t wrap, int32_t alpha)
{
    gl_hardware_img_bind(source);
    if (!bound_image())
        return false;
    gl_texture_filter_set(min, mag);
    gl_texture_wrap_set(wrap);
    gl_blend_set(alpha ? 1 : 0);
    return true;
}

// smooth of a triangle: 0 nearest, 1 linear, 2 linear when shrinking, 3 when
// enlarging.
void triangle_filters(int32_t smooth, int32_t *min, int32_t *mag)
{
    *min = smooth == 1 || smooth == 2;
    *mag = smooth == 1 || smooth == 3;
}

bool destination_enter(int32_t destination, int32_t mode)
{
    int32_t handle = destination > 0 ? hardware_img_handle(destination) : 0;
    if (!gl_render_destination_set(handle))
        return false;
    gl_render_setup(mode);
    return true;
}

// A 64-bit pixel sum held to the 32-bit range.
int32_t pixel_sum(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Clears buffers of the destination, its depth buffer always: in queue
// order, so what is batched draws first; and with depth writes on, since a
// clear obeys the write mask that the read-only depth mode turns off. The
// mask then follows the cached depth mode again (only the read-only mode
// draws with it off; without a depth test nothing writes depth whatever the
// mask).
void destination_clear(GLbitfield buffers)
{
    gl_batch_flush();
    glDepthMask(GL_TRUE);
    glClear(buffers);
    if (cache.depth == DEPTH_TEST_ONLY)
        glDepthMask(GL_FALSE);
}

float map_x(float x)
{
    return x * display_viewport.scale_x + float(display_viewport.x1);
}
float map_y(float y)
{
    return y * display_viewport.scale_y + float(display_viewport.y1);
}

} // namespace

void renderer_state_reset()
{
    cache = {UNSET, UNSET, UNSET, UNSET, UNSET, UNSET};
    batch.vertices.clear();
    batch.texcoords.clear();
    batch.dims = 2;
    display_viewport = {640, 400, 640, 400, 0, 0, 639, 399, 640, 400, 1.0f, 1.0f, 0, 0};
}

bool renderer_gl_init()
{
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK)
        return false;
    framebuffers = glewIsSupported("GL_EXT_framebuffer_object");
    return true;
}

bool renderer_framebuffers_available()
{
    return framebuffers;
}

int32_t window_x_map(float x)
{
    return pixel_sum(int64_t(round_double_to_int32(double(x) * display_viewport.scale_x)) +
                     display_viewport.x1);
}
int32_t window_y_map(float y)
{
    return pixel_sum(int64_t(round_double_to_int32(double(y) * display_viewport.scale_y)) +
                     display_viewport.y1);
}
int32_t window_x2_map(float x)
{
    return pixel_sum(
        int64_t(round_double_to_int32((double(x) + 1) * display_viewport.scale_x - 1)) +
        display_viewport.x1);
}
int32_t window_y2_map(float y)
{
    return pixel_sum(
        int64_t(round_double_to_int32((double(y) + 1) * display_viewport.scale_y - 1)) +
        display_viewport.y1);
}

void window_rect_map(int32_t *x1, int32_t *y1, int32_t *x2, int32_t *y2)
{
    int32_t w = double_to_int32_saturating(
        (std::abs(double(*x2) - *x1) + 1) * display_viewport.scale_x + 0.99);
    int32_t h = double_to_int32_saturating(
        (std::abs(double(*y2) - *y1) + 1) * display_viewport.scale_y + 0.99);
    *x1 = window_x_map(float(*x1));
    *y1 = window_y_map(float(*y1));
    *x2 = pixel_sum(int64_t(*x1) + w - 1);
    *y2 = pixel_sum(int64_t(*y1) + h - 1);
}

void gl_batch_flush()
{
    size_t count = batch.texcoords.size() / 2;
    if (count == 0)
        return;
    glVertexPointer(batch.dims, GL_FLOAT, 0, batch.vertices.data());
    glTexCoordPointer(2, GL_FLOAT, 0, batch.texcoords.data());
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(count));
    batch.vertices.clear();
    batch.texcoords.clear();
}

void gl_texture_filter_set(int32_t min, int32_t mag)
{
    hardware_img *img = bound_image();
    if (!img || (img->min_filter == min && img->mag_filter == mag))
        return;
    gl_batch_flush();
    if (img->min_filter != min)
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter_of(min, true, img));
    if (img->mag_filter != mag)
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter_of(mag, false, img));
    img->min_filter = min;
    img->mag_filter = mag;
}

void gl_texture_wrap_set(int32_t mode)
{
    hardware_img *img = bound_image();
    if (!img || img->wrap_mode == mode)
        return;
    gl_batch_flush();
    GLint wrap = mode ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    img->wrap_mode = mode;
}

void gl_blend_set(int32_t mode)
{
    if (cache.blend == mode)
        return;
    gl_batch_flush();
    if (mode == 0) {
        glDisable(GL_BLEND);
    } else {
        glEnable(GL_BLEND);
        if (framebuffers && glBlendFuncSeparate)
            glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE);
        else
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    cache.blend = mode;
}

void gl_depth_test_set(int32_t mode)
{
    if (cache.depth == mode)
        return;
    gl_batch_flush();
    if (mode == 0) {
        glDisable(GL_DEPTH_TEST);
        glAlphaFunc(GL_ALWAYS, 0);
    } else if (mode == 1) {
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.001f);
    } else {
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_FALSE);
        glAlphaFunc(GL_ALWAYS, 0);
    }
    cache.depth = mode;
}

void gl_cull_set(int32_t mode)
{
    if (cache.cull == mode)
        return;
    gl_batch_flush();
    if (mode == 0) {
        glDisable(GL_CULL_FACE);
    } else {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(mode == 1 ? GL_CW : GL_CCW);
    }
    cache.cull = mode;
}

void gl_render_setup(int32_t mode)
{
    if (mode == RENDER_PLAIN) {
        gl_batch_flush();
        setup_plain();
        cache = {RENDER_RESET, UNSET, UNSET, UNSET, UNSET, UNSET};
        return;
    }
    if (mode == cache.render_mode)
        return;
    gl_batch_flush();
    if (mode == RENDER_2D)
        setup_2d();
    else if (mode == RENDER_3D)
        setup_3d();
    cache.render_mode = mode;
}

void gl_hardware_img_bind(int32_t handle)
{
    if (handle == cache.bound)
        return;
    gl_batch_flush();
    hardware_img *img = handle == NO_IMAGE ? nullptr : hardware_img_of(handle);
    if (img && !img->texture)
        hardware_img_make_texture(hardware_img_index(handle));
    glBindTexture(GL_TEXTURE_2D, img ? img->texture : 0);
    cache.bound = img ? handle : NO_IMAGE;
}

bool gl_render_destination_set(int32_t handle)
{
    if (handle == cache.destination)
        return true;
    gl_batch_flush();
    if (handle == 0) {
        if (framebuffers)
            glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    } else {
        hardware_img *img = hardware_img_of(handle);
        if (!img || !framebuffers)
            return false;
        if (!img->texture)
            hardware_img_make_texture(hardware_img_index(handle));
        if (!img->framebuffer) {
            glGenFramebuffersEXT(1, &img->framebuffer);
            glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, img->framebuffer);
            glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D,
                                      img->texture, 0);
        } else {
            glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, img->framebuffer);
        }
    }
    glColor4f(1, 1, 1, 1);
    cache.destination = handle;
    cache.render_mode = RENDER_RESET; // the projection follows the destination
    return true;
}

namespace
{

// A textured rectangle on the destination, its corners in the destination's
// own pixels.
void textured_rect_draw(int32_t dx1, int32_t dy1, int32_t dx2, int32_t dy2, float sx1, float sy1,
                        float sx2, float sy2)
{
    gl_depth_test_set(0);
    gl_cull_set(0);
    float w, h;
    texture_extent(bound_image(), &w, &h);
    float u1 = sx1 <= sx2 ? (sx1 + 0.01f) / w : (sx1 + 0.99f) / w;
    float u2 = sx1 <= sx2 ? (sx2 + 0.99f) / w : (sx2 + 0.01f) / w;
    float v1 = sy1 <= sy2 ? (sy1 + 0.01f) / h : (sy1 + 0.99f) / h;
    float v2 = sy1 <= sy2 ? (sy2 + 0.99f) / h : (sy2 + 0.01f) / h;
    float left = float(dx1), top = float(dy1);
    float right = float(int64_t(dx2) + 1), bottom = float(int64_t(dy2) + 1);
    const float corners[6][4] = {{left, top, u1, v1},    {right, top, u2, v1},
                                 {left, bottom, u1, v2}, {left, bottom, u1, v2},
                                 {right, top, u2, v1},   {right, bottom, u2, v2}};
    for (const auto &c : corners)
        batch_vertex(2, c, c[2], c[3]);
}

} // namespace

void gl_draw_textured_rect(int32_t dx1, int32_t dy1, int32_t dx2, int32_t dy2, int32_t source,
                           int32_t destination, float sx1, float sy1, float sx2, float sy2,
                           int32_t alpha, int32_t smooth)
{
    // A destination corner left of or above the first mirrors the picture.
    if (dx2 < dx1) {
        std::swap(dx1, dx2);
        std::swap(sx1, sx2);
    }
    if (dy2 < dy1) {
        std::swap(dy1, dy2);
        std::swap(sy1, sy2);
    }
    if (!destination_enter(destination, RENDER_2D))
        return;
    if (destination <= 0)
        window_rect_map(&dx1, &dy1, &dx2, &dy2);
    int32_t filter = smooth ? 1 : 0;
    if (!source_prepare(source, filter, filter, 0, alpha))
        return;
    textured_rect_draw(dx1, dy1, dx2, dy2, sx1, sy1, sx2, sy2);
}

void gl_draw_window_rect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t source)
{
    if (!destination_enter(0, RENDER_2D) || !source_prepare(source, 0, 0, 0, 0))
        return;
    const hardware_img *img = bound_image();
    textured_rect_draw(x1, y1, x2, y2, 0, 0, float(img->width - 1), float(img->height - 1));
}

void gl_draw_textured_triangle_2d(const float source_xy[6], const float dest_xy[6], int32_t source,
                                  int32_t destination, int32_t smooth, int32_t alpha)
{
    if (!destination_enter(destination, RENDER_2D))
        return;
    int32_t min, mag;
    triangle_filters(smooth, &min, &mag);
    if (!source_prepare(source, min, mag, 1, alpha))
        return;
    gl_depth_test_set(0);
    gl_cull_set(0);
    float w, h;
    texture_extent(bound_image(), &w, &h);
    for (int32_t i = 0; i < 3; i++) {
        float v[2] = {dest_xy[i * 2], dest_xy[i * 2 + 1]};
        if (destination <= 0) {
            v[0] = map_x(v[0]);
            v[1] = map_y(v[1]);
        }
        batch_vertex(2, v, source_xy[i * 2] / w, source_xy[i * 2 + 1] / h);
    }
}

void gl_draw_textured_triangle_3d(const float source_xy[6], const float dest_xyz[9], int32_t source,
                                  int32_t destination, int32_t smooth, int32_t culling,
                                  int32_t depth_mode, int32_t alpha)
{
    if (!destination_enter(destination, RENDER_3D))
        return;
    int32_t min, mag;
    triangle_filters(smooth, &min, &mag);
    if (!source_prepare(source, min, mag, 1, alpha))
        return;
    gl_depth_test_set(depth_mode);
    // An image's rows run upward, which turns the winding around.
    if (destination > 0 && culling != 0)
        culling = culling == 1 ? 2 : 1;
    gl_cull_set(culling);
    float w, h;
    texture_extent(bound_image(), &w, &h);
    for (int32_t i = 0; i < 3; i++)
        batch_vertex(3, dest_xyz + i * 3, source_xy[i * 2] / w, source_xy[i * 2 + 1] / h);
}

void gl_depth_clear(int32_t destination)
{
    int32_t handle = destination > 0 ? hardware_img_handle(destination) : 0;
    if (!gl_render_destination_set(handle))
        return;
    if (handle != 0)
        hardware_img_depth_texture(destination);
    destination_clear(GL_DEPTH_BUFFER_BIT);
}

void gl_screen_clear()
{
    gl_render_destination_set(0);
    glClearColor(0, 0, 0, 1);
    destination_clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void renderer_image_forget(int32_t handle)
{
    // Batched triangles may still draw from or into the image.
    gl_batch_flush();
    if (cache.bound == handle)
        cache.bound = UNSET;
    if (cache.destination == handle)
        cache.destination = UNSET;
}

void renderer_texture_unbound()
{
    cache.bound = NO_IMAGE;
}
