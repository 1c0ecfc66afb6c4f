// The textured-triangle statement: the road by the source image, the checks
// of each road, and the hardware commands.
#include "graphics/triangle_map.h"

#include "core/errors.h"
#include "display/hardware_images.h"
#include "display/hgc_queue.h"
#include "graphics/depth_control.h"
#include "screen/image_slots.h"
#include "screen/images.h"

#include <atomic>

namespace
{

constexpr int32_t CULL_CLOCKWISE = 1, CULL_ANTICLOCKWISE = 2;

// The statement's coordinates as given.
struct triangle_args {
    float source[6];
    float dest[9]; // x, y, z of each vertex
};

bool blending_off_of(hardware_img *img)
{
    return std::atomic_ref<uint32_t>(img->blending_off).load(std::memory_order_relaxed) != 0;
}

// Queues one 2-D or 3-D textured triangle drawn from the source image.
void hardware_triangle(int32_t cull_mode, const triangle_args &a, int32_t source,
                       hardware_img *source_img, int32_t destination, int32_t smooth,
                       uint32_t flags)
{
    hardware_queue_flush();
    int32_t target;
    if (!hardware_destination_resolve(destination, &target))
        return;
    hardware_img *dest_img = target > 0 ? hardware_img_record(target) : nullptr;
    bool three_d = flags & TRIANGLE_Z_GIVEN;
    if ((flags & TRIANGLE_NO_SHARED_EDGES) && !three_d) {
        error_raise(5);
        return;
    }
    hgc_record c{};
    c.type = three_d ? HGC_TRIANGLE_3D : HGC_TRIANGLE_2D;
    c.source = source;
    c.destination = target;
    for (int i = 0; i < 6; i++)
        c.source_coords[i] = a.source[i];
    for (int i = 0; i < 9; i++)
        c.dest_coords[i] = (i % 3 == 2 && !three_d) ? 0.0f : a.dest[i];
    if (three_d) {
        bool known = cull_mode == CULL_CLOCKWISE || cull_mode == CULL_ANTICLOCKWISE;
        c.culling = known ? cull_mode : 0;
        c.depth_mode = int32_t(depth_mode_of(target));
    }
    c.smooth = smooth;
    c.alpha = blending_off_of(source_img) || (dest_img && blending_off_of(dest_img)) ? 0 : 1;
    hgc_queue_command(c);
}

// A software image or page for the triangle: the given handle, or the
// fallback page. Null after the error.
image_slot *software_image(int32_t handle, bool given, const page_ref &fallback)
{
    image_slot *r = given ? image_handle_record(handle, true) : fallback.record;
    if (!r || !r->in_use) {
        error_raise(258);
        return nullptr;
    }
    return r;
}

triangle_picture picture_of(const image_slot *r)
{
    return {r->pixels,        r->width, r->height, r->bytes_per_pixel, r->transparent_color,
            r->blend_off != 0};
}

void software_triangle(const triangle_args &a, int32_t source, int32_t destination, uint32_t flags)
{
    if (flags & TRIANGLE_Z_GIVEN) {
        error_raise(5);
        return;
    }
    image_slot *s = software_image(source, flags & TRIANGLE_SOURCE_GIVEN, read_page);
    if (!s)
        return;
    image_slot *d = software_image(destination, flags & TRIANGLE_DEST_GIVEN, write_page);
    if (!d)
        return;
    if (s->text_mode || d->text_mode || s->bytes_per_pixel != d->bytes_per_pixel) {
        error_raise(5);
        return;
    }
    const float xy[6] = {a.dest[0], a.dest[1], a.dest[3], a.dest[4], a.dest[6], a.dest[7]};
    if (!triangle_map_pixels(picture_of(s), picture_of(d), a.source, xy,
                             flags & TRIANGLE_NO_SHARED_EDGES))
        error_raise(5);
}

} // namespace

void image_triangle_map(int32_t cull_mode, float sx1, float sy1, float sx2, float sy2, float sx3,
                        float sy3, int32_t source, float dx1, float dy1, float dz1, float dx2,
                        float dy2, float dz2, float dx3, float dy3, float dz3, int32_t destination,
                        int32_t smooth, uint32_t flags)
{
    if (error_pending.load(std::memory_order_relaxed))
        return;
    const triangle_args a{{sx1, sy1, sx2, sy2, sx3, sy3},
                          {dx1, dy1, dz1, dx2, dy2, dz2, dx3, dy3, dz3}};
    hardware_img *source_img = source != 0 ? hardware_img_lookup(source) : nullptr;
    if (source_img)
        hardware_triangle(cull_mode, a, source, source_img, destination, smooth, flags);
    else
        software_triangle(a, source, destination, flags);
}
