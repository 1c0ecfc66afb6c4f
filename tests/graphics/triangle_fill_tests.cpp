#include "graphics/triangle_reference.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace
{

// A picture filled with varied texels; 32-bit ones with every kind of alpha.
test_picture patterned(int32_t w, int32_t h, int32_t bpp, uint32_t seed)
{
    test_picture p(w, h, bpp);
    picture_fill(p, seed);
    return p;
}

// Draws with the fill and with the reference; both pictures must agree to
// the byte, guard rows included, and the reference must have stayed inside
// the source.
void expect_same(test_picture &src, const test_picture &dst, const float s[6], const float d[6],
                 bool nse, const std::string &what)
{
    test_picture got = dst, want = dst;
    bool ok = triangle_map_pixels(triangle_view(src), triangle_view(got), s, d, nse);
    triangle_ref::result r = reference_triangle(src, want, s, d, nse);
    ASSERT_EQ(ok, r.valid) << what;
    ASSERT_FALSE(r.read_outside) << what;
    ASSERT_TRUE(got.bytes == want.bytes) << what;
}

// The eight fills: pixel size, rule (transparent index or blending off) and
// whether the source triangle reaches beyond the image (modulo addressing).
TEST(triangle_fill, random_triangles_match_the_reference_in_every_fill)
{
    std::mt19937 rng(2024);
    std::uniform_real_distribution<float> dest(-40, 100), inside(0.5f, 11.4f), around(-30, 45);
    for (int fill = 0; fill < 8; fill++) {
        bool wide = fill & 4, plain = fill & 2, wrap = fill & 1;
        test_picture src = patterned(16, 12, wide ? 4 : 1, fill);
        src.key = !wide && !plain ? 7 : -1;
        src.blending_off = wide && plain;
        test_picture dst = patterned(64, 64, src.bpp, 99);
        for (int i = 0; i < 400; i++) {
            float s[6], d[6];
            for (float &v : s)
                v = wrap ? around(rng) : inside(rng);
            for (float &v : d)
                v = dest(rng);
            expect_same(src, dst, s, d, i & 1, "fill " + std::to_string(fill));
        }
    }
}

// Which pixels of a zeroed 1-byte picture a triangle covers (1 each).
std::vector<uint8_t> coverage(const float d[6], bool nse, int32_t w = 16, int32_t h = 16)
{
    test_picture src(1, 1, 1), dst(w, h, 1);
    src.set(0, 0, 1);
    std::fill(dst.pixels(), dst.pixels() + w * h, 0);
    const float s[6] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
    EXPECT_TRUE(triangle_map_pixels(triangle_view(src), triangle_view(dst), s, d, nse));
    return std::vector<uint8_t>(dst.pixels(), dst.pixels() + w * h);
}

// Columns drawn on each row, as "first-last" or "" for none.
std::vector<std::string> rows_of(const std::vector<uint8_t> &c, int32_t w, int32_t rows)
{
    std::vector<std::string> out;
    for (int32_t y = 0; y < rows; y++) {
        int32_t lo = -1, hi = -1;
        for (int32_t x = 0; x < w; x++)
            if (c[size_t(y * w + x)]) {
                lo = lo < 0 ? x : lo;
                hi = x;
            }
        out.push_back(lo < 0 ? "" : std::to_string(lo) + "-" + std::to_string(hi));
    }
    return out;
}

TEST(triangle_fill, the_corner_triangle_with_and_without_the_rule)
{
    const float d[6] = {0, 0, 8, 0, 0, 8};
    std::vector<std::string> all, ruled;
    for (int y = 0; y <= 9; y++) {
        all.push_back(y <= 8 ? "0-" + std::to_string(8 - y) : "");
        ruled.push_back(y <= 7 ? "0-" + std::to_string(7 - y) : "");
    }
    EXPECT_EQ(rows_of(coverage(d, false), 16, 10), all);
    EXPECT_EQ(rows_of(coverage(d, true), 16, 10), ruled);
}

TEST(triangle_fill, flat_triangles_draw_one_row_or_nothing)
{
    const float flat[6] = {5, 3, 1, 3, 9, 3};
    std::vector<std::string> want(6, "");
    want[3] = "1-9";
    EXPECT_EQ(rows_of(coverage(flat, false), 16, 6), want);
    EXPECT_EQ(rows_of(coverage(flat, true), 16, 6), std::vector<std::string>(6, ""));
}

// Two triangles sharing a diagonal, added up: with the rule no pixel counts
// twice. The square tiles exactly; random quads reach above row 0 and left
// of column 0, so both are clipped at the shared edge.
TEST(triangle_fill, triangles_sharing_an_edge_draw_its_pixels_once)
{
    auto sum = [](const float a[6], const float b[6]) {
        std::vector<uint8_t> ca = coverage(a, true, 32, 32), cb = coverage(b, true, 32, 32);
        for (size_t i = 0; i < ca.size(); i++)
            ca[i] += cb[i];
        return ca;
    };
    const float a[6] = {0, 0, 8, 0, 0, 8}, b[6] = {8, 0, 8, 8, 0, 8};
    std::vector<uint8_t> square = sum(a, b);
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++)
            ASSERT_EQ(square[size_t(y * 32 + x)], x < 8 && y < 8 ? 1 : 0) << x << "," << y;
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> c(-40, 60);
    for (int i = 0; i < 3000; i++) {
        float p[8];
        for (float &v : p)
            v = std::nearbyint(c(rng));
        // p1 and p3 on opposite sides of the diagonal p0-p2.
        auto side = [&](int k) {
            return (p[4] - p[0]) * (p[k * 2 + 1] - p[1]) - (p[5] - p[1]) * (p[k * 2] - p[0]);
        };
        if (side(1) * side(3) >= 0)
            continue;
        const float t1[6] = {p[0], p[1], p[2], p[3], p[4], p[5]};
        const float t2[6] = {p[0], p[1], p[4], p[5], p[6], p[7]};
        std::vector<uint8_t> s = sum(t1, t2);
        ASSERT_LE(*std::max_element(s.begin(), s.end()), 1) << "quad " << i;
    }
}

// Sources at their extremes: 40,000 pixels wide, and one to three pixels
// wide under spans of thousands of texels whose positions pass 2^31 after the
// wrap move. Every texel comes from inside the source.
TEST(triangle_fill, wide_and_narrow_sources_stay_inside)
{
    const struct {
        int32_t w, h;
        float s[6];
    } cases[] = {
        {40000, 2, {0.5f, 0.5f, 39999.4f, 0.5f, 20000, 1.4f}},
        {40000, 2, {-3.5f, 0, 39999.9f, 1.9f, 16382.9f, 0}},
        {40000, 2, {39990, 0, 40020, 1, 40005, -1}},
        {1, 1, {-16383.9f, -16383.9f, 16382.9f, 0, 0, 16382.9f}},
        {3, 2, {16382.9f, 16382.9f, -16383.9f, 9, 7, -16383.9f}},
        {2, 3, {-16383.9f, 0, -16383.9f, 2, 16382.9f, 16382.9f}},
    };
    const float d[6] = {-20, -10, 70, 5, 10, 60};
    for (const auto &c : cases)
        for (int bpp : {1, 4})
            for (bool nse : {false, true}) {
                test_picture src = patterned(c.w, c.h, bpp, 5);
                expect_same(src, patterned(64, 64, bpp, 6), c.s, d, nse,
                            std::to_string(c.w) + " wide, " + std::to_string(bpp));
            }
}

// A source triangle lying whole image widths to the right draws as the one
// inside the image; one straddling the right edge repeats the image.
TEST(triangle_fill, sources_beyond_the_image_repeat_it)
{
    test_picture src = patterned(8, 8, 1, 3);
    test_picture base = patterned(32, 32, 1, 4);
    auto draw = [&](float dx) {
        test_picture out = base;
        const float s[6] = {1 + dx, 1, 6.5f + dx, 2, 3 + dx, 6}, d[6] = {2, 2, 29, 5, 9, 30};
        triangle_map_pixels(triangle_view(src), triangle_view(out), s, d, false);
        return out.bytes;
    };
    EXPECT_TRUE(draw(0) == draw(8));
    EXPECT_TRUE(draw(0) == draw(-16));
    test_picture straddle = base;
    const float s[6] = {5, 1, 12, 1, 5, 6}, d[6] = {0, 0, 28, 0, 0, 20};
    expect_same(src, straddle, s, d, false, "straddling");
}

} // namespace
