// Hardware images: pictures held as OpenGL textures.
//
// The records live in the mutex-guarded indexed list hardware_img_list; an
// image's handle is its list index - 16,777,216. Records may be added from the
// program thread (an image copied to the graphics card) and from the main
// thread (the software screen, the full-screen bars), but every GL call -
// making, uploading and deleting textures - happens on the main thread. That
// is why an image made on the program thread keeps its pixels in memory until
// the main thread first binds it or draws into it.
//
// The program releases an image through the hardware command queue
// (hgc_queue.h): the record is marked invalid at once, so the program can no
// longer name it, and the display callback deletes it after every command
// queued before the release has run.
//
// Order of calls: hardware_lists_create at start-up (before the program thread
// runs); renderer_gl_init (gl_renderer.h) once the GL context exists.
#pragma once

#include <cstdint>

struct indexed_list;

constexpr int32_t HARDWARE_IMG_HANDLE_BASE = -16777216;
constexpr int32_t HARDWARE_IMG_HANDLE_TOP = -8388608; // exclusive

// hardware_img_new flags.
constexpr uint32_t HARDWARE_IMG_KEEP = 1; // keep the pixels for a later upload
constexpr uint32_t HARDWARE_IMG_COPY = 2; // with KEEP: copy them (else take the buffer)

// texture_state values.
constexpr int32_t TEXTURE_EXACT = 0;
constexpr int32_t TEXTURE_PADDED = 1;
constexpr int32_t TEXTURE_MIPMAPPED = 2;

struct hardware_img {
    int32_t width, height;  // pixels
    uint32_t texture;       // GL texture name, 0 = none yet
    uint32_t framebuffer;   // GL framebuffer object once it was a render destination
    uint32_t depth_texture; // 0 = none
    uint32_t *pixels;       // kept until uploaded (owned, malloc'd), else null
    uint32_t blending_off;  // non-zero: drawn without alpha blending (both threads)
    uint32_t depth_mode;    // depth handling while the image is a destination
    uint32_t valid;         // non-zero while the program may name the image (both threads)
    // Renderer cache for this texture, -1 unset.
    int32_t mag_filter, min_filter, wrap_mode;
    int32_t texture_state;                 // TEXTURE_*
    int32_t texture_width, texture_height; // size of the GL texture
};

extern indexed_list *hardware_img_list;

// Makes the hardware-image and hardware-command lists (freeing earlier ones
// with their images' memory; no GL call) and installs the image handle
// layer's hooks. Start-up, and tests that start fresh.
void hardware_lists_create();

// Adds an image; its list index, or 0 when the size is below 1 x 1 or the
// pixel copy cannot be had. Without HARDWARE_IMG_KEEP the texture is made and
// uploaded at once (main thread only) and the caller keeps its buffer.
int32_t hardware_img_new(int32_t width, int32_t height, uint32_t *pixels, uint32_t flags);
// The record of a live image handle, or null (also for released images).
hardware_img *hardware_img_lookup(int32_t handle);
inline int32_t hardware_img_index(int32_t handle)
{
    return handle - HARDWARE_IMG_HANDLE_BASE;
}
inline int32_t hardware_img_handle(int32_t index)
{
    return index + HARDWARE_IMG_HANDLE_BASE;
}
// The record of a list index, or of a handle, whether or not it was released;
// null when the record is gone.
hardware_img *hardware_img_record(int32_t index);
hardware_img *hardware_img_of(int32_t handle);

// Main thread: uploads an image kept in memory and frees its pixel copy.
void hardware_img_make_texture(int32_t index);
// Main thread: a new GL texture name.
uint32_t gl_texture_new();
// Pads a picture to power-of-two sides in the shared padding buffer: rows
// copied at the new row length, the column right of each row repeating its
// last pixel and the row below repeating the last row, each only where the
// side grew. Returns the pixels themselves when both sides are powers of two.
// Sides are updated.
const uint32_t *power_of_two_pad(int32_t *width, int32_t *height, const uint32_t *pixels);
// Main thread: gives the image a depth texture of its own size, when it has
// none, and attaches it to the framebuffer that is bound (the image must be
// the render destination). What was batched draws first. The new texture's
// depth is undefined until cleared: gl_depth_clear, its caller, clears it.
void hardware_img_depth_texture(int32_t index);
// Main thread: deletes the image's GL objects, pixel copy and record. A handle
// without a record shows the alert "free_hardware_img: image does not exist";
// `caller` only tells call sites apart.
void free_hardware_img(int32_t handle, int32_t caller);

// Program thread: queues the release of a live image (the image handle
// layer's image_free). The record turns invalid at once.
void hardware_img_release(int32_t handle);
