#include "graphics/scaled_copy_reference.h"

#include <gtest/gtest.h>

#include <random>

namespace
{

class copy_engine : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_TRUE(blend_tables_ensure()); }
};

// Runs the engine on `dst` and the reference on a copy of it; the whole
// buffers, guard rows included, must agree.
void copy_expect(test_picture &src, copy_rect from, test_picture &dst, copy_rect to)
{
    test_picture want = dst;
    reference_copy(src, from, want, to);
    scaled_copy_pixels(src.view(), from, dst.view(), to);
    ASSERT_EQ(dst.bytes, want.bytes)
        << "from " << from.x1 << "," << from.y1 << "-" << from.x2 << "," << from.y2 << " to "
        << to.x1 << "," << to.y1 << "-" << to.x2 << "," << to.y2;
}

int64_t corner(std::mt19937 &rng, int32_t size)
{
    switch (rng() % 32) {
    case 0:
        return -3000000000LL;
    case 1:
        return 3000000000LL;
    default:
        return int64_t(rng() % uint32_t(size + 4)) - 2;
    }
}

copy_rect rect(std::mt19937 &rng, int32_t w, int32_t h)
{
    return {corner(rng, w), corner(rng, h), corner(rng, w), corner(rng, h)};
}

// Random rectangles (overhanging, mirrored, corners at +-3E9), every pairing
// of formats, with and without a transparent index and blending.
TEST_F(copy_engine, matches_the_per_pixel_reference)
{
    std::mt19937 rng(24);
    const int32_t formats[][2] = {{1, 4}, {1, 1}, {4, 4}};
    int drawn = 0;
    for (int i = 0; i < 3000; i++) {
        const int32_t *f = formats[i % 3];
        test_picture src(1 + rng() % 13, 1 + rng() % 11, f[0]);
        test_picture dst(1 + rng() % 17, 1 + rng() % 13, f[1]);
        picture_fill(src, rng());
        picture_fill(dst, rng());
        src.key = rng() % 3 == 0 ? int32_t(rng() % 256) : -1;
        src.blending_off = rng() % 4 == 0;
        dst.blending_off = rng() % 4 == 0;
        copy_rect from = rect(rng, src.width, src.height);
        copy_rect to = rect(rng, dst.width, dst.height);
        if (rng() % 3 == 0) // equal spans, maybe mirrored: the one-to-one road
            to = {to.x1, to.y1, to.x1 + (from.x2 - from.x1) * (rng() % 2 ? 1 : -1),
                  to.y1 + (from.y2 - from.y1) * (rng() % 2 ? 1 : -1)};
        std::vector<uint8_t> before = dst.bytes;
        copy_expect(src, from, dst, to);
        if (HasFatalFailure())
            return;
        drawn += dst.bytes != before;
    }
    EXPECT_GT(drawn, 1000); // a good share of the copies reach some pixels
}

std::vector<uint32_t> row_of(test_picture &p, int64_t y)
{
    std::vector<uint32_t> row;
    for (int64_t x = 0; x < p.width; x++)
        row.push_back(p.get(x, y));
    return row;
}

using row = std::vector<uint32_t>;

TEST_F(copy_engine, two_by_two_onto_four_by_four_gives_blocks)
{
    test_picture src(2, 2, 1), dst(4, 4, 1);
    src.set(0, 0, 1), src.set(1, 0, 2), src.set(0, 1, 3), src.set(1, 1, 4);
    scaled_copy_pixels(src.view(), {0, 0, 1, 1}, dst.view(), {0, 0, 3, 3});
    EXPECT_EQ(row_of(dst, 0), (row{1, 1, 2, 2}));
    EXPECT_EQ(row_of(dst, 1), (row{1, 1, 2, 2}));
    EXPECT_EQ(row_of(dst, 2), (row{3, 3, 4, 4}));
    EXPECT_EQ(row_of(dst, 3), (row{3, 3, 4, 4}));
}

TEST_F(copy_engine, four_onto_two_takes_the_end_columns)
{
    test_picture src(4, 1, 1), dst(2, 1, 1);
    for (int x = 0; x < 4; x++)
        src.set(x, 0, uint32_t(10 + x));
    scaled_copy_pixels(src.view(), {0, 0, 3, 0}, dst.view(), {0, 0, 1, 0});
    EXPECT_EQ(row_of(dst, 0), (row{10, 13}));
    scaled_copy_pixels(src.view(), {0, 0, 3, 0}, dst.view(), {1, 0, 0, 0});
    EXPECT_EQ(row_of(dst, 0), (row{13, 10}));
}

// Rows and columns follow a running sum of the step from the low end of the
// source span, halves to even; at the source's edges whole steps are cut by
// count, also a step whose sample would round onto the edge pixel from just
// beyond it.
TEST_F(copy_engine, running_sums_and_whole_step_edge_cuts)
{
    test_picture tall(1, 8, 1), column(1, 15, 1);
    for (int y = 0; y < 8; y++)
        tall.set(0, y, uint32_t(y));
    scaled_copy_pixels(tall.view(), {0, 0, 0, 7}, column.view(), {0, 0, 0, 14});
    row rows;
    for (int y = 0; y < 15; y++)
        rows.push_back(column.get(0, y));
    EXPECT_EQ(rows, (row{0, 0, 1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6, 7, 7})); // 3.5 reached from above
    const struct {
        int32_t source_width;
        copy_rect from;
        row want;
    } cases[] = {
        {8, {2, 0, -3, 0}, {12, 99, 99}}, // near edge, mirrored: -0.5 is cut
        {7, {4, 0, 9, 0}, {14, 99, 99}},  // far edge: 6.5 is cut
        {7, {9, 0, 4, 0}, {99, 99, 14}},  // the same mirrored
    };
    for (const auto &c : cases) {
        test_picture src(c.source_width, 1, 1), dst(3, 1, 1);
        for (int x = 0; x < c.source_width; x++)
            src.set(x, 0, uint32_t(10 + x));
        for (int x = 0; x < 3; x++)
            dst.set(x, 0, 99);
        scaled_copy_pixels(src.view(), c.from, dst.view(), {0, 0, 2, 0});
        EXPECT_EQ(row_of(dst, 0), c.want) << c.from.x1 << "-" << c.from.x2;
    }
}

// Equal spans copy one to one, mirrored pixel for pixel, also where a scaled
// walk over 10 pixels would sample differently.
TEST_F(copy_engine, equal_spans_copy_one_to_one_also_mirrored)
{
    test_picture src(11, 1, 1), dst(11, 1, 1);
    for (int x = 0; x < 11; x++)
        src.set(x, 0, uint32_t(x + 1));
    scaled_copy_pixels(src.view(), {0, 0, 10, 0}, dst.view(), {10, 0, 0, 0});
    EXPECT_EQ(row_of(dst, 0), (row{11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
}

// The transparent index leaves the destination in every kind of loop: one to
// one forwards, one to one mirrored, and scaled; onto 8- and 32-bit images.
TEST_F(copy_engine, the_transparent_index_is_skipped_in_every_loop)
{
    const copy_rect walks[] = {{0, 0, 2, 0}, {2, 0, 0, 0}, {0, 0, 5, 0}};
    for (int32_t bpp : {1, 4})
        for (const copy_rect &to : walks) {
            test_picture src(3, 1, 1), dst(6, 1, bpp);
            src.set(0, 0, 7), src.set(1, 0, 9), src.set(2, 0, 7);
            for (int x = 0; x < 6; x++)
                dst.set(x, 0, 0x55);
            src.key = 7;
            scaled_copy_pixels(src.view(), {0, 0, 2, 0}, dst.view(), to);
            uint32_t nine = bpp == 4 ? src.palette[9] : 9;
            row want = to.x2 == 5 ? row{0x55, 0x55, nine, nine, 0x55, 0x55}
                                  : row{0x55, nine, 0x55, 0x55, 0x55, 0x55};
            EXPECT_EQ(row_of(dst, 0), want) << bpp << " " << to.x2;
        }
}

// Alpha 0 keeps, 255 replaces, 127 and 128 average, 200 blends by the
// formula; blending off copies the word with its alpha.
TEST_F(copy_engine, blends_follow_the_blend_formula)
{
    const uint32_t d = 0x40102030;
    const struct {
        uint32_t alpha, want;
    } cases[] = {
        {0, d},
        {255, 0xFFC08040},
        {127, uint32_t(alpha_entry_reference(127, 0x40)) << 24 | 0x685038},
        {128, uint32_t(alpha_entry_reference(128, 0x40)) << 24 | 0x685038},
        {200, uint32_t(alpha_entry_reference(0x40, 200)) << 24 |
                  uint32_t(blend_entry_reference(200, 0xC0, 0x10)) << 16 |
                  uint32_t(blend_entry_reference(200, 0x80, 0x20)) << 8 |
                  blend_entry_reference(200, 0x40, 0x30)},
    };
    for (const auto &c : cases)
        for (bool off : {false, true}) {
            test_picture src(1, 1, 4), dst(2, 1, 4);
            src.set(0, 0, c.alpha << 24 | 0xC08040);
            dst.set(0, 0, d), dst.set(1, 0, d);
            dst.blending_off = off;
            scaled_copy_pixels(src.view(), {0, 0, 0, 0}, dst.view(), {0, 0, 0, 0}); // one to one
            scaled_copy_pixels(src.view(), {0, 0, 0, 0}, dst.view(), {1, 0, 2, 0}); // scaled
            uint32_t want = off ? c.alpha << 24 | 0xC08040 : c.want;
            EXPECT_EQ(row_of(dst, 0), (row{want, want})) << c.alpha << " " << off;
        }
}

// A one-pixel destination whose source start lies outside the source draws
// nothing (and reads nothing there); inside, it samples the start pixel.
TEST_F(copy_engine, a_zero_span_samples_the_source_start_only_when_it_exists)
{
    test_picture src(4, 4, 1), dst(3, 3, 1);
    picture_fill(src, 5);
    const copy_rect outside[] = {{-3000000000LL, 0, 3, 3}, {5, 1, 7, 2}, {1, -2, 2, 3}};
    for (const copy_rect &from : outside)
        copy_expect(src, from, dst, {1, 1, 1, 2});
    EXPECT_EQ(dst.get(1, 1), 0xA5u);
    scaled_copy_pixels(src.view(), {2, 1, 0, 3}, dst.view(), {1, 0, 1, 2});
    EXPECT_EQ(dst.get(1, 0), src.get(0, 1)); // the lower end once ordered
}

// Corners billions of pixels away clip exactly: the few destination pixels
// that exist take the source pixels the full walk gives them.
TEST_F(copy_engine, far_corners_clip_in_64_bits)
{
    test_picture src(8, 8, 4), dst(8, 8, 4);
    picture_fill(src, 1);
    src.blending_off = true;
    copy_expect(src, {0, 0, 7, 7}, dst, {-3000000000LL, 0, 3000000000LL, 7});
    copy_expect(src, {-3000000000LL, 0, 3, 7}, dst, {0, 0, 3000000003LL, 7});
    copy_expect(src, {3000000000LL, 0, -3000000000LL, 7}, dst, {0, 0, 7, 7});
    // The same span on both sides: one to one, nothing overlaps.
    copy_expect(src, {0, 0, 7, 7}, dst, {-3000000000LL, 0, -2999999993LL, 7});
    // Sides beyond 16 bits.
    test_picture wide(70000, 1, 4), narrow(3, 1, 4);
    picture_fill(narrow, 2);
    copy_expect(narrow, {0, 0, 2, 0}, wide, {3000000000LL, 0, -3000000000LL, 0});
    copy_expect(narrow, {2, 0, 0, 0}, wide, {69998, 0, 70001, 0});
    copy_expect(wide, {-5, 0, 69999, 0}, narrow, {2, 0, 0, 0});
}

} // namespace
