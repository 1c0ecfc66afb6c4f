#include "graphics_support.h"

#include "core/errors.h"
#include "display/frame_ring.h"
#include "display/hardware_images.h"
#include "display/hgc_queue.h"
#include "screen/images.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{

constexpr uint32_t D1 = COPY_DEST_CORNER1_GIVEN, D1S = COPY_DEST_CORNER1_STEP,
                   D2 = COPY_DEST_CORNER2_GIVEN, D2S = COPY_DEST_CORNER2_STEP,
                   S1 = COPY_SOURCE_CORNER1_GIVEN, S1S = COPY_SOURCE_CORNER1_STEP,
                   S2 = COPY_SOURCE_CORNER2_GIVEN, S2S = COPY_SOURCE_CORNER2_STEP,
                   HANDLES = COPY_SOURCE_GIVEN | COPY_DEST_GIVEN;
const double NaN = std::nan("");

using scaled_copy = graphics_test;

std::vector<uint8_t> pixels_of(image_slot *r)
{
    size_t n = size_t(r->width) * r->height * r->bytes_per_pixel;
    return std::vector<uint8_t>(r->pixels, r->pixels + n);
}

// What the engine makes of the destination with the given physical rectangles.
std::vector<uint8_t> engine_result(image_slot *src, copy_rect from, image_slot *dst, copy_rect to)
{
    std::vector<uint8_t> out = pixels_of(dst);
    copy_picture d = picture_of(dst);
    d.pixels = out.data();
    scaled_copy_pixels(picture_of(src), from, d, to);
    return out;
}

// Each row of the completion table and each STEP form, on a 6 x 5 source and
// a 10 x 8 destination whose cursors stand at (1, 1) and (2, 1): the pixels
// copied and both cursors afterwards.
TEST_F(scaled_copy, completes_rectangles_and_moves_both_cursors)
{
    const struct {
        const char *what;
        uint32_t flags;
        double d[4], s[4];
        copy_rect dest, source;
        float dest_cursor[2], source_cursor[2];
    } cases[] = {
        // clang-format off
        // what, flags, destination and source corners given,
        // destination and source rectangles, destination and source cursors
        {"both rectangles", D1 | D2 | S1 | S2, {1, 1, 8, 6}, {0, 0, 3, 2},
         {1, 1, 8, 6}, {0, 0, 3, 2}, {8, 6}, {3, 2}},
        {"mirrored", D1 | D2 | S1 | S2, {8, 1, 1, 6}, {0, 0, 3, 2},
         {8, 1, 1, 6}, {0, 0, 3, 2}, {1, 6}, {3, 2}},
        {"destination and a source corner", D1 | D2 | S1, {2, 1, 5, 3}, {1, 1, 0, 0},
         {2, 1, 5, 3}, {1, 1, 4, 3}, {5, 3}, {6, 5}},
        {"destination alone", D1 | D2, {0, 0, 9, 7}, {},
         {0, 0, 9, 7}, {0, 0, 5, 4}, {9, 7}, {6, 5}},
        {"second destination corner alone", D2, {0, 0, 4, 4}, {},
         {0, 0, 0, 0}, {0, 0, 5, 4}, {4, 4}, {6, 5}},
        // The cursor counts logical units, the rectangle physical pixels.
        {"source and a destination corner", D1 | S1 | S2, {4, 2, 0, 0}, {1, 1, 3.7, 4.2},
         {4, 2, 7, 5}, {1, 1, 4, 4}, {6, 5}, {3.7f, 4.2f}},
        {"source alone", S1 | S2, {}, {1, 1, 3, 4},
         {0, 0, 9, 7}, {1, 1, 3, 4}, {10, 8}, {3, 4}},
        {"a destination corner alone", D1, {3, 2, 0, 0}, {},
         {3, 2, 8, 6}, {0, 0, 5, 4}, {9, 7}, {6, 5}},
        {"nothing", 0, {}, {},
         {0, 0, 9, 7}, {0, 0, 5, 4}, {10, 8}, {6, 5}},
        {"every STEP", D1 | D1S | D2 | D2S | S1 | S1S | S2 | S2S, {1, 1, 3, 2}, {0, 0, 2, 1},
         {3, 2, 6, 4}, {1, 1, 3, 2}, {6, 4}, {3, 2}},
        // clang-format on
    };
    for (const auto &c : cases) {
        int32_t src = image_patterned(6, 5, 256, 1), dst = image_patterned(10, 8, 256, 2);
        image_slot *s = record_of(src), *d = record_of(dst);
        s->gfx_cursor_x = s->gfx_cursor_y = 1;
        d->gfx_cursor_x = 2, d->gfx_cursor_y = 1;
        std::vector<uint8_t> want = engine_result(s, c.source, d, c.dest);
        image_rect_copy_scaled(c.d[0], c.d[1], c.d[2], c.d[3], src, dst, c.s[0], c.s[1], c.s[2],
                               c.s[3], c.flags | HANDLES);
        EXPECT_EQ(error_pending_take(), 0u) << c.what;
        EXPECT_EQ(pixels_of(d), want) << c.what;
        EXPECT_EQ(d->gfx_cursor_x, c.dest_cursor[0]) << c.what;
        EXPECT_EQ(d->gfx_cursor_y, c.dest_cursor[1]) << c.what;
        EXPECT_EQ(s->gfx_cursor_x, c.source_cursor[0]) << c.what;
        EXPECT_EQ(s->gfx_cursor_y, c.source_cursor[1]) << c.what;
    }
}

// Without handles the read page is copied onto the write page, stretched.
TEST_F(scaled_copy, copies_the_read_page_onto_the_write_page_by_default)
{
    int32_t src = image_patterned(16, 10, 256, 3);
    read_page_set(src);
    image_slot *page = image_slot_get(page_table[0]);
    std::vector<uint8_t> want =
        engine_result(record_of(src), {0, 0, 15, 9}, page, {0, 0, 319, 199});
    image_rect_copy_scaled(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(pixels_of(page), want);
    EXPECT_EQ(page->pixels[319 + 199 * 320], record_of(src)->pixels[15 + 9 * 16]);
}

// One source pixel placed by the destination's coordinate mode; `x` is
// where it lands.
int64_t landing_column(image_slot *d, int32_t src, int32_t dst, double x)
{
    std::memset(d->pixels, 0, size_t(d->width) * d->height);
    image_rect_copy_scaled(x, 0, 0, 0, src, dst, 0, 0, 0, 0, D1 | HANDLES);
    for (int64_t i = 0; i < d->width; i++)
        if (d->pixels[i])
            return i;
    return -1;
}

TEST_F(scaled_copy, maps_corners_by_window_and_view)
{
    int32_t src = image_new(1, 1, 256, true), dst = image_new(4600, 1, 256, true);
    record_of(src)->pixels[0] = 9;
    image_slot *d = record_of(dst);
    d->coord_mode = 1;
    d->view_offset_x = 2;
    EXPECT_EQ(landing_column(d, src, dst, 3.5), 6); // round(3.5) = 4, plus the view
    d->coord_mode = 2;
    d->scale_x = 0.5f, d->offset_x = 0, d->view_offset_x = 1;
    EXPECT_EQ(landing_column(d, src, dst, 5), 3); // 2.5 goes to even
    EXPECT_EQ(landing_column(d, src, dst, 7), 5); // 3.5 goes to even
    // 9.1796875 x + 31.25 is 4511.49975585937470 in extended precision,
    // which single precision takes below the half; in double precision the
    // sum would be the half itself and round up to 4512.
    d->scale_x = 9.1796875f, d->offset_x = 31.25f, d->view_offset_x = 0;
    EXPECT_EQ(landing_column(d, src, dst, 488.06124999999997), 4511);
    // Infinite corners saturate and clip: nothing lands.
    EXPECT_EQ(landing_column(d, src, dst, INFINITY), -1);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(scaled_copy, an_8_bit_source_onto_a_32_bit_image_goes_through_its_palette)
{
    int32_t src = image_patterned(2, 1, 256, 0), dst = image_new(2, 1, 32, true);
    image_slot *s = record_of(src);
    s->pixels[0] = 5, s->pixels[1] = 6;
    palette_entry_set(5, 0x123456, src, true);
    palette_entry_set(6, 0xABCDEF, src, true);
    image_rect_copy_scaled(0, 0, 0, 0, src, dst, 0, 0, 0, 0, HANDLES);
    auto *px = reinterpret_cast<uint32_t *>(record_of(dst)->pixels);
    EXPECT_EQ(px[0], s->palette[5]);
    EXPECT_EQ(px[1], s->palette[6]);
    EXPECT_EQ(px[1] & 0xFFFFFF, 0xABCDEFu);
}

TEST_F(scaled_copy, refuses_what_it_cannot_copy_and_leaves_the_pixels)
{
    int32_t img8 = image_patterned(4, 4, 256, 1), other8 = image_patterned(4, 4, 256, 2);
    int32_t img32 = image_patterned(4, 4, 32, 3), text = image_new(20, 5, 0, true);
    int32_t hw = hardware_image_kept(4, 4), released = hardware_image_kept(4, 4);
    hardware_img_release(released);
    const struct {
        const char *what;
        int32_t source, destination;
        uint32_t flags;
        double dx2;
        uint32_t error;
    } cases[] = {
        {"a source slot not in use", -4000, other8, HANDLES, 0, 258},
        {"a destination slot not in use", img8, -4000, HANDLES, 0, 258},
        {"a text source", text, other8, HANDLES, 0, 5},
        {"a text destination", img8, text, HANDLES, 0, 5},
        {"32 bits onto 8", img32, other8, HANDLES, 0, 5},
        {"an image onto itself", other8, other8, HANDLES, 0, 5},
        {"a first source corner alone", img8, other8, HANDLES | S1, 0, 5},
        {"NaN in a used corner", img8, other8, HANDLES | D1 | D2, NaN, 5},
        {"NaN in an unused corner", img8, other8, HANDLES | D1, NaN, 0},
        {"a hardware source onto a software image", hw, other8, HANDLES, 0, 258},
        {"a hardware source onto handle 2", hw, 2, HANDLES, 0, 5},
        {"a released hardware source", released, other8, HANDLES, 0, 258},
        {"a software source onto a hardware image", img8, hw, HANDLES, 0, 258},
    };
    for (const auto &c : cases) {
        image_slot *d = record_of(other8);
        std::memset(d->pixels, 0, 16);
        std::vector<uint8_t> before = pixels_of(d);
        image_rect_copy_scaled(1, 1, c.dx2, 2, c.source, c.destination, 0, 0, 1, 1, c.flags);
        EXPECT_EQ(error_pending_take(), c.error) << c.what;
        EXPECT_EQ(pixels_of(d) == before, c.error != 0) << c.what;
    }
    EXPECT_EQ(hgc_queue_last.load(), hgc_queue_first.load()); // only the release was queued
}

TEST_F(scaled_copy, a_first_source_corner_alone_fails_after_moving_both_cursors)
{
    int32_t src = image_patterned(6, 5, 256, 1), dst = image_patterned(10, 8, 256, 2);
    image_rect_copy_scaled(0, 0, 0, 0, src, dst, 1, 1, 0, 0, HANDLES | S1);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(record_of(dst)->gfx_cursor_x, 10.0f);
    EXPECT_EQ(record_of(src)->gfx_cursor_y, 5.0f);
}

TEST_F(scaled_copy, runs_while_an_error_is_pending)
{
    int32_t src = image_patterned(4, 4, 256, 1), dst = image_patterned(4, 4, 256, 2);
    error_raise(53);
    image_rect_copy_scaled(0, 0, 0, 0, src, dst, 0, 0, 0, 0, HANDLES);
    EXPECT_EQ(pixels_of(record_of(dst)), pixels_of(record_of(src)));
    EXPECT_EQ(error_pending_take(), 53u);
}

// A hardware source queues one textured rectangle with the source's handle,
// the corners unclipped and in the order given, and draws nothing at once.
TEST_F(scaled_copy, a_hardware_source_queues_one_textured_rectangle)
{
    int32_t hw = hardware_image_kept(8, 6);
    image_slot *page = image_slot_get(page_table[0]);
    std::vector<uint8_t> before = pixels_of(page);
    frame_order_counter = 41;
    image_rect_copy_scaled(30, 20, -5, 9, hw, 1, 7, 0, 0, 5, D1 | D2 | S1 | S2 | COPY_SMOOTH);
    hgc_record c = last_queued();
    EXPECT_EQ(c.type, HGC_RECT);
    EXPECT_EQ(c.source, hw);
    EXPECT_EQ(c.destination, HGC_SECOND_HARDWARE_LAYER);
    EXPECT_EQ(std::vector<float>(c.source_coords, c.source_coords + 4),
              (std::vector<float>{7, 0, 0, 5}));
    EXPECT_EQ(std::vector<float>(c.dest_coords, c.dest_coords + 5),
              (std::vector<float>{30, 20, 0, -5, 9}));
    EXPECT_EQ(c.smooth, 1);
    EXPECT_EQ(c.alpha, 1);
    EXPECT_EQ(c.frame_order, 41u);
    EXPECT_EQ(pixels_of(page), before);
    EXPECT_EQ(page->gfx_cursor_x, -5.0f); // the layer's cursor is the display page's

    // Onto the hardware layer without corners: both wholes; blending off on
    // the source draws without alpha.
    image_blend_off(hw, true);
    image_rect_copy_scaled(0, 0, 0, 0, hw, 0, 0, 0, 0, 0, 0);
    c = last_queued();
    EXPECT_EQ(c.destination, HGC_HARDWARE_LAYER);
    EXPECT_EQ(std::vector<float>(c.source_coords, c.source_coords + 4),
              (std::vector<float>{0, 0, 7, 5}));
    EXPECT_EQ(c.dest_coords[3], 319.0f);
    EXPECT_EQ(c.dest_coords[4], 199.0f);
    EXPECT_EQ(c.alpha, 0);
    EXPECT_EQ(c.smooth, 0);
    EXPECT_EQ(error_pending_take(), 0u);
}

// All hardware sources share one cursor: a STEP source corner follows the
// one the last hardware copy left, whichever image that copy used.
TEST_F(scaled_copy, hardware_sources_share_one_graphics_cursor)
{
    int32_t a = hardware_image_kept(8, 6), b = hardware_image_kept(4, 4);
    int32_t target = hardware_image_kept(16, 16);
    image_rect_copy_scaled(0, 0, 0, 0, a, target, 1, 1, 3, 2, D1 | S1 | S2);
    EXPECT_EQ(last_queued().destination, hardware_img_index(target));
    image_rect_copy_scaled(0, 0, 0, 0, b, target, 1, 1, 1, 1, D1 | S1 | S1S | S2 | S2S);
    hgc_record c = last_queued();
    EXPECT_EQ(std::vector<float>(c.source_coords, c.source_coords + 4),
              (std::vector<float>{4, 3, 5, 4}));
    EXPECT_EQ(hardware_source_cursor.x, 5.0f);
    EXPECT_EQ(hardware_dest_cursor.x, 1.0f); // dx1 + |trunc(sx2 - sx1)|
}

std::vector<int32_t> executed_sources, executed_destinations;
void source_record(const hgc_record &c)
{
    executed_sources.push_back(c.source);
    executed_destinations.push_back(c.destination);
}

void display_pass_run(uint64_t bound)
{
    hgc_executor_set(source_record);
    hgc_pass pass{};
    hgc_pass_begin(pass, bound);
    hgc_layer_run(pass, HGC_HARDWARE_LAYER);
    hgc_executor_set(nullptr);
}

// GL cannot read a texture while drawing into it: a copy of a hardware
// image into itself is queued but skipped when the display runs it.
TEST_F(scaled_copy, a_hardware_image_copied_into_itself_is_skipped_by_the_display)
{
    int32_t a = hardware_image_kept(8, 6), b = hardware_image_kept(8, 6);
    image_rect_copy_scaled(0, 0, 0, 0, a, a, 0, 0, 0, 0, 0);
    image_rect_copy_scaled(0, 0, 0, 0, b, a, 0, 0, 0, 0, 0);
    executed_sources.clear();
    display_pass_run(frame_order_counter.load());
    EXPECT_EQ(executed_sources, std::vector<int32_t>{b});
}

// The window drawn again with the same frame (moved, exposed, a frame that
// changed nothing): the copy onto the layer is drawn again, the copy into an
// image is not repeated.
TEST_F(scaled_copy, a_frame_drawn_again_draws_its_layer_copies_again)
{
    int32_t a = hardware_image_kept(8, 6), b = hardware_image_kept(8, 6);
    image_rect_copy_scaled(0, 0, 0, 0, a, 0, 0, 0, 0, 0, 0);
    image_rect_copy_scaled(0, 0, 0, 0, a, b, 0, 0, 0, 0, 0);
    executed_destinations.clear();
    uint64_t bound = frame_order_counter.load();
    display_pass_run(bound);
    display_pass_run(bound);
    EXPECT_EQ(executed_destinations, (std::vector<int32_t>{0, hardware_img_index(b), 0}));
}

} // namespace
