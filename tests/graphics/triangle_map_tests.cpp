#include "graphics_support.h"

#include "core/errors.h"
#include "display/frame_ring.h"
#include "display/hardware_images.h"
#include "display/hgc_queue.h"
#include "graphics/depth_control.h"
#include "graphics/triangle_map.h"
#include "screen/images.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace
{

using triangle_map = graphics_test;

constexpr uint32_t NSE = TRIANGLE_NO_SHARED_EDGES, SRC = TRIANGLE_SOURCE_GIVEN,
                   DST = TRIANGLE_DEST_GIVEN, Z = 4, HANDLES = SRC | DST;
const float NaN = std::numeric_limits<float>::quiet_NaN();
const float INF = std::numeric_limits<float>::infinity();

// A call with the coordinates in arrays: source (x, y) x 3, destination
// (x, y, z) x 3.
struct call {
    float s[6] = {0, 0, 3, 0, 0, 3};
    float d[9] = {0, 0, 0, 5, 0, 0, 0, 5, 0};
    void run(int32_t source, int32_t destination, uint32_t flags, int32_t cull = 0,
             int32_t smooth = 0) const
    {
        image_triangle_map(cull, s[0], s[1], s[2], s[3], s[4], s[5], source, d[0], d[1], d[2], d[3],
                           d[4], d[5], d[6], d[7], d[8], destination, smooth, flags);
    }
};

std::vector<uint8_t> pixels_of(int32_t handle)
{
    image_slot *r = record_of(handle);
    return std::vector<uint8_t>(r->pixels,
                                r->pixels + size_t(r->width) * r->height * r->bytes_per_pixel);
}

// Each check at its edge, and the refusals; nothing is drawn unless the call
// succeeds.
TEST_F(triangle_map, checks_every_argument_before_drawing)
{
    int32_t src = image_patterned(8, 8, 256, 1), dst = image_patterned(16, 16, 256, 2);
    int32_t src32 = image_patterned(8, 8, 32, 3), text = image_new(20, 5, 0, true);
    int32_t freed = image_new(4, 4, 256, true);
    image_free(freed, true);
    const struct {
        const char *what;
        int index; // coordinate changed: 0-5 source, 10-18 destination
        float value;
        int32_t source;
        uint32_t flags;
        uint32_t error;
    } cases[] = {
        {"destination x 16383", 10, 16383, src, HANDLES, 0},
        {"destination x 16383.4", 10, 16383.4f, src, HANDLES, 0},
        {"destination y -16383", 11, -16383, src, HANDLES, 0},
        {"destination x 16384", 10, 16384, src, HANDLES, 5},
        {"destination y -16383.6", 14, -16383.6f, src, HANDLES, 5},
        {"source x 16382.99", 0, 16382.99f, src, HANDLES, 0},
        {"source y -16383.99", 5, -16383.99f, src, HANDLES, 0},
        {"source x 16383", 2, 16383, src, HANDLES, 5},
        {"source y -16384", 3, -16384, src, HANDLES, 5},
        {"NaN source", 4, NaN, src, HANDLES, 5},
        {"NaN destination", 17, NaN, src, HANDLES, 5},
        {"infinite source", 1, INF, src, HANDLES, 5},
        {"infinite destination", 13, -INF, src, HANDLES, 5},
        {"a z on the software road", 0, 0, src, HANDLES | Z, 5},
        {"a text source", 0, 0, text, HANDLES, 5},
        {"pixel sizes differ", 0, 0, src32, HANDLES, 5},
        {"a freed image", 0, 0, freed, HANDLES, 258},
        {"a slot never used", 0, 0, -4000, HANDLES, 258},
        {"NaN and a dead source", 17, NaN, -4000, HANDLES, 258},
    };
    const std::vector<uint8_t> start = pixels_of(dst);
    for (const auto &c : cases) {
        std::memcpy(record_of(dst)->pixels, start.data(), start.size());
        call k;
        (c.index < 10 ? k.s[c.index] : k.d[c.index - 10]) = c.value;
        k.run(c.source, dst, c.flags);
        EXPECT_EQ(error_pending_take(), c.error) << c.what;
        EXPECT_EQ(pixels_of(dst) == start, c.error != 0) << c.what;
    }
    EXPECT_EQ(error_of([&] { call().run(src, text, HANDLES); }), 5u);
    error_raise(53);
    std::vector<uint8_t> before = pixels_of(dst);
    EXPECT_EQ(error_of([&] { call().run(src, dst, HANDLES); }), 53u);
    EXPECT_EQ(pixels_of(dst), before);
}

// Without handles the read page is drawn onto the write page; a page handle
// names a page, made when needed. A hardware handle that was released, or a
// source of 0 while hardware images exist, takes the software road.
TEST_F(triangle_map, pages_by_default_and_by_handle)
{
    hardware_image_kept(4, 4);
    int32_t src = image_new(1, 1, 256, true);
    record_of(src)->pixels[0] = 9;
    read_page_set(src);
    call k;
    k.run(0, 0, 0);
    EXPECT_EQ(error_pending_take(), 0u);
    image_slot *page0 = image_slot_get(page_table[0]);
    EXPECT_EQ(page0->pixels[320 * 5], 9);
    EXPECT_EQ(hgc_queue_last.load(), 0u);
    int32_t dst = image_patterned(8, 8, 256, 4);
    k.run(0, dst, HANDLES);
    EXPECT_EQ(record_of(dst)->pixels[8 * 5], 9);
    int32_t released = hardware_image_kept(4, 4);
    hardware_img_release(released);
    k.run(released, dst, HANDLES);
    EXPECT_EQ(error_pending_take(), 258u);
}

// The 8-bit source's transparent index is skipped, the destination's plays
// no part; 32-bit sources blend unless either image has blending off.
TEST_F(triangle_map, transparent_index_and_blending)
{
    int32_t src = image_new(2, 1, 256, true), dst = image_new(4, 4, 256, true);
    record_of(src)->pixels[0] = 3;
    record_of(src)->pixels[1] = 4;
    image_transparent_color_set(3, src, 2 | 4);
    image_transparent_color_set(4, dst, 2 | 4);
    std::memset(record_of(dst)->pixels, 7, 16);
    call k{{0, 0, 1, 0, 1, 0}, {0, 0, 0, 3, 0, 0, 3, 0, 0}};
    k.run(src, dst, HANDLES);
    EXPECT_EQ(record_of(dst)->pixels[0], 7);
    EXPECT_EQ(record_of(dst)->pixels[3], 4);

    int32_t s32 = image_new(1, 1, 32, true), d32 = image_new(1, 1, 32, true);
    auto px = [](int32_t h) { return reinterpret_cast<uint32_t *>(record_of(h)->pixels); };
    const struct {
        uint32_t texel;
        bool blending_off;
        uint32_t want;
    } cases[] = {{0x00FFFFFF, false, 0xFF204060},
                 {0xFF102030, false, 0xFF102030},
                 {0x80A0C0E0, false, 0xFF6080A0},
                 {0x00FFFFFF, true, 0x00FFFFFF}};
    for (const auto &c : cases) {
        px(s32)[0] = c.texel;
        px(d32)[0] = 0xFF204060;
        c.blending_off ? image_blend_off(d32, true) : image_blend_on(d32, true);
        call{{0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0}}.run(s32, d32, HANDLES);
        EXPECT_EQ(px(d32)[0], c.want) << std::hex << c.texel;
    }
    EXPECT_EQ(error_pending_take(), 0u);
}

// A hardware source queues one triangle: type 4 in 2-D (no culling, depth or
// z), type 5 in 3-D with the culling asked for and the destination's depth
// mode; alpha off when either hardware image has blending off.
TEST_F(triangle_map, a_hardware_source_queues_one_triangle)
{
    int32_t hw = hardware_image_kept(8, 8), target = hardware_image_kept(16, 16);
    depth_buffer_control(3, 0, 0);      // layer: read only
    depth_buffer_control(2, target, 1); // image: off
    hardware_img_of(hw)->blending_off = 0;
    const struct {
        const char *what;
        int32_t destination, cull, smooth;
        uint32_t flags;
        uint32_t type;
        int32_t want_destination, culling, depth;
        float z;
    } cases[] = {
        {"2-D with culling 1", 0, 1, 3, 0, HGC_TRIANGLE_2D, 0, 0, 0, 0},
        {"3-D with culling 3", 0, 3, 0, Z, HGC_TRIANGLE_3D, 0, 0, 2, 9},
        {"3-D onto the second layer", 1, 2, 1, 16 | NSE, HGC_TRIANGLE_3D, -1, 2, 1, 9},
        {"3-D into an image", target, 1, 2, 8, HGC_TRIANGLE_3D, 0, 1, 0, 9},
    };
    frame_order_counter = 77;
    for (const auto &c : cases) {
        call k;
        k.d[2] = k.d[5] = k.d[8] = 9;
        k.run(hw, c.destination, c.flags, c.cull, c.smooth);
        ASSERT_EQ(error_pending_take(), 0u) << c.what;
        hgc_record r = last_queued();
        int32_t want_dest = c.destination < 0 ? hardware_img_index(target) : c.want_destination;
        EXPECT_EQ(r.type, c.type) << c.what;
        EXPECT_EQ(r.source, hw) << c.what;
        EXPECT_EQ(r.destination, want_dest) << c.what;
        EXPECT_EQ(r.culling, c.culling) << c.what;
        EXPECT_EQ(r.depth_mode, c.depth) << c.what;
        EXPECT_EQ(r.smooth, c.smooth) << c.what;
        EXPECT_EQ(r.alpha, 1) << c.what;
        EXPECT_EQ(r.frame_order, 77u) << c.what;
        EXPECT_EQ((std::vector<float>{r.dest_coords[2], r.dest_coords[5], r.dest_coords[8]}),
                  (std::vector<float>(3, c.z)))
            << c.what;
        EXPECT_EQ(std::vector<float>(r.source_coords, r.source_coords + 6),
                  (std::vector<float>{0, 0, 3, 0, 0, 3}));
    }
    image_blend_off(hw, true);
    call().run(hw, 0, 0);
    EXPECT_EQ(last_queued().alpha, 0);
    image_blend_on(hw, true);
    image_blend_off(target, true);
    call().run(hw, target, 0);
    EXPECT_EQ(last_queued().alpha, 0);
}

TEST_F(triangle_map, hardware_refusals_queue_nothing)
{
    int32_t hw = hardware_image_kept(8, 8), soft = image_patterned(4, 4, 32, 1);
    const struct {
        int32_t destination;
        uint32_t flags, error;
    } cases[] = {{soft, 0, 258}, {2, 0, 5}, {0, NSE, 5}};
    for (const auto &c : cases) {
        call().run(hw, c.destination, c.flags);
        EXPECT_EQ(error_pending_take(), c.error);
    }
    EXPECT_EQ(hgc_queue_last.load(), 0u);
}

} // namespace
