#include "display/hardware_images.h"

#include "core/errors.h"
#include "core/lists.h"
#include "display/gl_renderer.h"
#include "display/hgc_queue.h"
#include "screen/images.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

indexed_list *hardware_img_list = nullptr;

namespace
{

// Shared padding buffer (main thread), exactly as large as the largest padded
// picture so far.
uint32_t *pad_buffer = nullptr;
size_t pad_capacity = 0;

std::atomic_ref<uint32_t> shared_word(uint32_t &word)
{
    return std::atomic_ref<uint32_t>(word);
}

int32_t power_of_two_above(int32_t n)
{
    int32_t p = 1;
    while (p < n && p < (1 << 30))
        p <<= 1;
    return p;
}

bool pad_buffer_reserve(size_t pixels)
{
    if (pixels <= pad_capacity)
        return true;
    void *grown = std::realloc(pad_buffer, pixels * 4);
    if (!grown)
        return false;
    pad_buffer = static_cast<uint32_t *>(grown);
    pad_capacity = pixels;
    return true;
}

// Frees every record's memory (not its GL objects: the context may be gone)
// and the list itself.
void hardware_img_list_free()
{
    if (!hardware_img_list)
        return;
    for (int32_t i = 1; i <= list_highest_index(hardware_img_list); i++)
        if (auto *img = static_cast<hardware_img *>(list_get(hardware_img_list, i)))
            std::free(img->pixels);
    list_free(hardware_img_list);
    hardware_img_list = nullptr;
}

// Uploads pixels into a new texture: the exact size first, padded to powers
// of two when GL refuses, mipmaps as the last resort.
void texture_upload(hardware_img *img, const uint32_t *pixels)
{
    img->texture = gl_texture_new();
    glBindTexture(GL_TEXTURE_2D, img->texture);
    while (glGetError() != GL_NO_ERROR) {
    }
    int32_t w = img->width, h = img->height;
    img->texture_state = TEXTURE_EXACT;
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    if (glGetError() != GL_NO_ERROR) {
        const uint32_t *padded = power_of_two_pad(&w, &h, pixels);
        img->texture_state = TEXTURE_PADDED;
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, padded);
        if (glGetError() != GL_NO_ERROR) {
            w = img->width;
            h = img->height;
            img->texture_state = TEXTURE_MIPMAPPED;
            GLint error =
                gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, w, h, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
            if (error != 0) {
                alert("gluBuild2DMipmaps failed");
                alert_number(error);
            }
        }
    }
    img->texture_width = w;
    img->texture_height = h;
    // Unbound with the renderer told, so that its cache matches GL.
    glBindTexture(GL_TEXTURE_2D, 0);
    renderer_texture_unbound();
}

// The image layer's view of hardware images.
int32_t hook_create(int32_t width, int32_t height, const uint32_t *pixels)
{
    int32_t index = hardware_img_new(width, height, const_cast<uint32_t *>(pixels),
                                     HARDWARE_IMG_KEEP | HARDWARE_IMG_COPY);
    return index ? hardware_img_handle(index) : -1;
}
bool hook_exists(int32_t handle)
{
    return hardware_img_lookup(handle) != nullptr;
}
int32_t hook_width(int32_t handle)
{
    hardware_img *img = hardware_img_lookup(handle);
    return img ? img->width : 0;
}
int32_t hook_height(int32_t handle)
{
    hardware_img *img = hardware_img_lookup(handle);
    return img ? img->height : 0;
}
void hook_blend_set(int32_t handle, bool on)
{
    if (hardware_img *img = hardware_img_lookup(handle))
        shared_word(img->blending_off).store(on ? 0 : 1, std::memory_order_relaxed);
}
const hardware_image_hooks image_layer_hooks{hook_create, hook_exists,          hook_width,
                                             hook_height, hardware_img_release, hook_blend_set};

} // namespace

void hardware_lists_create()
{
    hardware_img_list_free();
    hardware_img_list = list_new_locked(sizeof(hardware_img));
    hgc_list_create();
    hardware_image_hooks_set(&image_layer_hooks);
}

int32_t hardware_img_new(int32_t width, int32_t height, uint32_t *pixels, uint32_t flags)
{
    if (width < 1 || height < 1)
        return 0;
    uint32_t *kept = nullptr;
    if ((flags & HARDWARE_IMG_KEEP) && (flags & HARDWARE_IMG_COPY)) {
        size_t bytes = size_t(width) * size_t(height) * 4;
        kept = static_cast<uint32_t *>(std::malloc(bytes));
        if (!kept)
            return 0;
        std::memcpy(kept, pixels, bytes);
    } else if (flags & HARDWARE_IMG_KEEP) {
        kept = pixels;
    }
    int32_t index = list_add(hardware_img_list);
    auto *img = static_cast<hardware_img *>(list_get(hardware_img_list, index));
    img->width = width;
    img->height = height;
    img->depth_mode = 1;
    img->mag_filter = img->min_filter = img->wrap_mode = -1;
    img->texture_width = width;
    img->texture_height = height;
    img->pixels = kept;
    if (!(flags & HARDWARE_IMG_KEEP))
        texture_upload(img, pixels);
    shared_word(img->valid).store(1, std::memory_order_release);
    return index;
}

hardware_img *hardware_img_record(int32_t index)
{
    if (!hardware_img_list || index < 1)
        return nullptr;
    return static_cast<hardware_img *>(list_get(hardware_img_list, index));
}

hardware_img *hardware_img_of(int32_t handle)
{
    if (handle < HARDWARE_IMG_HANDLE_BASE || handle >= HARDWARE_IMG_HANDLE_TOP)
        return nullptr;
    return hardware_img_record(hardware_img_index(handle));
}

hardware_img *hardware_img_lookup(int32_t handle)
{
    hardware_img *img = hardware_img_of(handle);
    if (!img || !shared_word(img->valid).load(std::memory_order_acquire))
        return nullptr;
    return img;
}

void hardware_img_make_texture(int32_t index)
{
    hardware_img *img = hardware_img_record(index);
    if (!img || !img->pixels || img->texture)
        return;
    texture_upload(img, img->pixels);
    std::free(img->pixels);
    img->pixels = nullptr;
}

uint32_t gl_texture_new()
{
    GLuint name = 0;
    glGenTextures(1, &name);
    return name;
}

const uint32_t *power_of_two_pad(int32_t *width, int32_t *height, const uint32_t *pixels)
{
    int32_t w = *width, h = *height;
    int32_t pw = power_of_two_above(w), ph = power_of_two_above(h);
    if (pw == w && ph == h)
        return pixels;
    if (!pad_buffer_reserve(size_t(pw) * size_t(ph)))
        return pixels;
    bool wider = pw > w && w > 0, taller = ph > h && h > 0;
    for (int32_t y = 0; y < h; y++) {
        uint32_t *row = pad_buffer + size_t(y) * pw;
        std::memcpy(row, pixels + size_t(y) * w, size_t(w) * 4);
        if (wider)
            row[w] = row[w - 1];
    }
    if (taller)
        std::memcpy(pad_buffer + size_t(h) * pw, pad_buffer + size_t(h - 1) * pw,
                    size_t(w + (wider ? 1 : 0)) * 4);
    *width = pw;
    *height = ph;
    return pad_buffer;
}

void hardware_img_depth_texture(int32_t index)
{
    hardware_img *img = hardware_img_record(index);
    if (!img || img->depth_texture)
        return;
    gl_batch_flush(); // batched triangles draw with the texture and buffers they were given
    img->depth_texture = gl_texture_new();
    glBindTexture(GL_TEXTURE_2D, img->depth_texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, img->texture_width, img->texture_height, 0,
                 GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_DEPTH_TEXTURE_MODE, GL_INTENSITY);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_R_TO_TEXTURE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_TEXTURE_2D,
                              img->depth_texture, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    renderer_texture_unbound();
}

void free_hardware_img(int32_t handle, int32_t caller)
{
    (void)caller;
    hardware_img *img = hardware_img_of(handle);
    if (!img) {
        alert("free_hardware_img: image does not exist");
        return;
    }
    renderer_image_forget(handle);
    if (img->framebuffer)
        glDeleteFramebuffersEXT(1, &img->framebuffer);
    if (img->depth_texture)
        glDeleteTextures(1, &img->depth_texture);
    if (img->texture)
        glDeleteTextures(1, &img->texture);
    std::free(img->pixels);
    img->pixels = nullptr;
    list_remove(hardware_img_list, hardware_img_index(handle));
}

void hardware_img_release(int32_t handle)
{
    hardware_img *img = hardware_img_lookup(handle);
    if (!img)
        return;
    shared_word(img->valid).store(0, std::memory_order_release);
    hardware_queue_flush();
    hgc_record command{};
    command.type = HGC_FREE_REQUEST;
    command.source = handle;
    hgc_append(command);
}
