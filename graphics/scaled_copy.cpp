#include "graphics/scaled_copy.h"

#include "core/errors.h"
#include "core/small_ops.h"
#include "display/hardware_images.h"
#include "display/hgc_queue.h"
#include "screen/image_slots.h"
#include "screen/images.h"

#include <atomic>
#include <cmath>
#include <cstdlib>

copy_cursor hardware_source_cursor{0.0f, 0.0f};
copy_cursor hardware_dest_cursor{0.0f, 0.0f};

namespace
{

// One side of a copy as the rectangle arithmetic sees it. A hardware image
// maps its coordinates one to one (no `mapping`) and uses a shared cursor.
struct copy_side {
    image_slot *record = nullptr;        // software image or page; the display page for a layer
    const image_slot *mapping = nullptr; // coordinate mapping, null: plain pixels
    float *cursor_x = nullptr;           // the side's graphics cursor
    float *cursor_y = nullptr;
    int64_t width = 0, height = 0;
    bool blending_off = false;
    int32_t target = 0; // hardware destinations: list index, 0 or -1
};

// The logical corners of one call, after STEP.
struct corners {
    double x1, y1, x2, y2;
};

bool blending_off_of(hardware_img *img)
{
    auto word = std::atomic_ref<uint32_t>(img->blending_off);
    return (word.load(std::memory_order_relaxed) & 0xFF) != 0;
}

void side_from_record(copy_side &side, image_slot *r)
{
    side.record = r;
    side.mapping = r;
    side.width = r->width;
    side.height = r->height;
    side.blending_off = r->blend_off != 0;
    side.cursor_x = &r->gfx_cursor_x;
    side.cursor_y = &r->gfx_cursor_y;
}

// A hardware image as one side. Its full 32-bit size counts (not cut to the
// 16 bits of an image record).
void side_from_hardware(copy_side &side, hardware_img *img, copy_cursor *cursor)
{
    side.cursor_x = &cursor->x;
    side.cursor_y = &cursor->y;
    side.width = img->width;
    side.height = img->height;
    side.blending_off = blending_off_of(img);
}

// A copy from a hardware image: the destination is another hardware image
// (handle < 0) or a window layer (0 the hardware layer, 1 the second one),
// whose size and coordinates are the display page's.
bool hardware_sides(hardware_img *source_img, int32_t destination, copy_side &src, copy_side &dst)
{
    side_from_hardware(src, source_img, &hardware_source_cursor);
    if (destination < 0) {
        hardware_img *img = hardware_img_lookup(destination);
        if (!img) {
            error_raise(258);
            return false;
        }
        side_from_hardware(dst, img, &hardware_dest_cursor);
        dst.target = hardware_img_index(destination);
        return true;
    }
    if (destination > 1) {
        error_raise(5);
        return false;
    }
    image_slot *page = display_page_record.load(std::memory_order_acquire);
    if (!page) {
        error_raise(258);
        return false;
    }
    side_from_record(dst, page);
    dst.target = destination == 0 ? HGC_HARDWARE_LAYER : HGC_SECOND_HARDWARE_LAYER;
    return true;
}

image_slot *software_record(int32_t handle, bool given, const page_ref &fallback)
{
    image_slot *r = given ? image_handle_record(handle, true) : fallback.record;
    if (!r || !r->in_use) {
        error_raise(258);
        return nullptr;
    }
    if (r->text_mode) {
        error_raise(5);
        return nullptr;
    }
    return r;
}

bool software_sides(int32_t source, int32_t destination, uint32_t flags, copy_side &src,
                    copy_side &dst)
{
    image_slot *s = software_record(source, flags & COPY_SOURCE_GIVEN, read_page);
    if (!s)
        return false;
    image_slot *d = software_record(destination, flags & COPY_DEST_GIVEN, write_page);
    if (!d)
        return false;
    if ((s->bytes_per_pixel == 4 && d->bytes_per_pixel == 1) || s == d) {
        error_raise(5);
        return false;
    }
    side_from_record(src, s);
    side_from_record(dst, d);
    return true;
}

// STEP: a first corner relative to the side's graphics cursor, a second one
// relative to the first, in this order and in f64.
void corners_step(corners &c, bool first, bool second, const copy_side &side)
{
    if (first) {
        c.x1 += *side.cursor_x;
        c.y1 += *side.cursor_y;
    }
    if (second) {
        c.x2 += c.x1;
        c.y2 += c.y1;
    }
}

void cursor_set(const copy_side &side, double x, double y)
{
    *side.cursor_x = float(x);
    *side.cursor_y = float(y);
}

// Both graphics cursors move before any later check can fail.
void cursors_update(const corners &d, const corners &s, uint32_t flags, copy_side &dst,
                    copy_side &src)
{
    if (flags & COPY_DEST_CORNER2_GIVEN) {
        cursor_set(dst, d.x2, d.y2);
    } else if (flags & COPY_DEST_CORNER1_GIVEN) {
        bool s2 = flags & COPY_SOURCE_CORNER2_GIVEN;
        double w = s2 ? s.x2 - s.x1 : double(src.width) - s.x1;
        double h = s2 ? s.y2 - s.y1 : double(src.height) - s.y1;
        cursor_set(dst, d.x1 + std::fabs(std::trunc(w)), d.y1 + std::fabs(std::trunc(h)));
    } else {
        cursor_set(dst, double(dst.width), double(dst.height));
    }
    if (flags & COPY_SOURCE_CORNER2_GIVEN)
        cursor_set(src, s.x2, s.y2);
    else
        cursor_set(src, double(src.width), double(src.height));
}

// One logical coordinate to a physical one: WINDOW's product and sum in
// extended precision, then single precision, then the nearest 32-bit integer
// (ties to even, infinities saturating); the VIEW offset is added in 64 bits.
// False for NaN.
bool coordinate_map(const image_slot *m, double v, bool y_axis, int64_t *out)
{
    long double value = v;
    int64_t offset = 0;
    if (m && m->coord_mode == 2)
        value = (long double)(y_axis ? m->scale_y : m->scale_x) * value +
                (y_axis ? m->offset_y : m->offset_x);
    if (m && m->coord_mode != 0)
        offset = y_axis ? m->view_offset_y : m->view_offset_x;
    if (std::isnan(value))
        return false;
    *out = int64_t(round_float_to_int32(float(value))) + offset;
    return true;
}

bool corner_map(const copy_side &side, double x, double y, int64_t *px, int64_t *py)
{
    return coordinate_map(side.mapping, x, false, px) && coordinate_map(side.mapping, y, true, py);
}

// The physical corners of one side: corner 1 when given, corner 2 only with
// corner 1; the rest 0. False after error 5 for NaN.
bool side_corners(const copy_side &side, const corners &c, bool first, bool second, copy_rect &r)
{
    r = {0, 0, 0, 0};
    if (!first)
        return true;
    if (!corner_map(side, c.x1, c.y1, &r.x1, &r.y1) ||
        (second && !corner_map(side, c.x2, c.y2, &r.x2, &r.y2))) {
        error_raise(5);
        return false;
    }
    return true;
}

copy_rect whole(const copy_side &side)
{
    return {0, 0, side.width - 1, side.height - 1};
}

// Completes partly given rectangles. False after error 5 for a first source
// corner given alone.
bool rects_complete(uint32_t flags, const copy_side &dst, const copy_side &src, copy_rect &d,
                    copy_rect &s)
{
    bool d1 = flags & COPY_DEST_CORNER1_GIVEN, d2 = flags & COPY_DEST_CORNER2_GIVEN;
    bool s1 = flags & COPY_SOURCE_CORNER1_GIVEN, s2 = flags & COPY_SOURCE_CORNER2_GIVEN;
    if (d2 && s2)
        return true;
    if (d2) {
        if (s1) {
            s.x2 = s.x1 + std::abs(d.x2 - d.x1);
            s.y2 = s.y1 + std::abs(d.y2 - d.y1);
        } else {
            s = whole(src);
        }
    } else if (s2) {
        if (d1) {
            d.x2 = d.x1 + std::abs(s.x2 - s.x1);
            d.y2 = d.y1 + std::abs(s.y2 - s.y1);
        } else {
            d = whole(dst);
        }
    } else if (s1) {
        error_raise(5);
        return false;
    } else if (d1) {
        s = whole(src);
        d.x2 = d.x1 + src.width - 1;
        d.y2 = d.y1 + src.height - 1;
    } else {
        s = whole(src);
        d = whole(dst);
    }
    return true;
}

copy_picture picture_of(const image_slot *r)
{
    return {r->pixels,          r->width,   r->height,
            r->bytes_per_pixel, r->palette, r->transparent_color,
            r->blend_off != 0};
}

// The textured rectangle for the display: corners unclipped and in the order
// given (the display mirrors). The command carries the source's handle, the
// form the queue's executor binds by.
void hardware_rect_queue(int32_t source, const copy_side &src, const copy_side &dst,
                         const copy_rect &s, const copy_rect &d, uint32_t flags)
{
    hgc_record c{};
    c.type = HGC_RECT;
    c.source = source;
    c.destination = dst.target;
    c.source_coords[0] = float(s.x1);
    c.source_coords[1] = float(s.y1);
    c.source_coords[2] = float(s.x2);
    c.source_coords[3] = float(s.y2);
    c.dest_coords[0] = float(d.x1);
    c.dest_coords[1] = float(d.y1);
    c.dest_coords[3] = float(d.x2);
    c.dest_coords[4] = float(d.y2);
    c.smooth = (flags & COPY_SMOOTH) ? 1 : 0;
    c.alpha = src.blending_off || dst.blending_off ? 0 : 1;
    hgc_queue_command(c);
}

} // namespace

void image_rect_copy_scaled(double dx1, double dy1, double dx2, double dy2, int32_t source,
                            int32_t destination, double sx1, double sy1, double sx2, double sy2,
                            uint32_t flags)
{
    copy_side src, dst;
    hardware_img *source_img = source != 0 ? hardware_img_lookup(source) : nullptr;
    if (source_img ? !hardware_sides(source_img, destination, src, dst)
                   : !software_sides(source, destination, flags, src, dst))
        return;
    corners d{dx1, dy1, dx2, dy2}, s{sx1, sy1, sx2, sy2};
    corners_step(d, flags & COPY_DEST_CORNER1_STEP, flags & COPY_DEST_CORNER2_STEP, dst);
    corners_step(s, flags & COPY_SOURCE_CORNER1_STEP, flags & COPY_SOURCE_CORNER2_STEP, src);
    cursors_update(d, s, flags, dst, src);
    copy_rect dr, sr;
    if (!side_corners(dst, d, flags & COPY_DEST_CORNER1_GIVEN, flags & COPY_DEST_CORNER2_GIVEN,
                      dr) ||
        !side_corners(src, s, flags & COPY_SOURCE_CORNER1_GIVEN, flags & COPY_SOURCE_CORNER2_GIVEN,
                      sr) ||
        !rects_complete(flags, dst, src, dr, sr))
        return;
    if (source_img)
        hardware_rect_queue(source, src, dst, sr, dr, flags);
    else
        scaled_copy_pixels(picture_of(src.record), sr, picture_of(dst.record), dr);
}
