#include "drawing_support.h"

#include "screen/drawing.h"
#include "screen/images.h"
#include "screen/pixels.h"
#include "screen/screen_modes.h"

#include <array>
#include <cmath>
#include <random>

namespace
{

class draw_lines : public drawing_test
{
};

TEST_F(draw_lines, pset_preset_and_point)
{
    image_slot *r = page(13);
    EXPECT_EQ(error_of([&] { rt_pset(-1, 0, 4, PSET_COLOUR); }), 0u);
    EXPECT_EQ(r->gfx_cursor_x, -1.0f);
    rt_pset(2, 3, 0x1FF, PSET_COLOUR); // masked to the page's 8 bits
    rt_pset(1, 1, 0, PSET_STEP);       // STEP from (2, 3), the foreground colour
    EXPECT_EQ(pixel_of(r, 2, 3), 0xFFu);
    EXPECT_EQ(pixel_of(r, 3, 4), 15u);
    rt_preset(3, 4, 0, 0);
    EXPECT_EQ(pixel_of(r, 3, 4), 0u);
    EXPECT_EQ(rt_point(2, 3, 1), 255.0L);
    EXPECT_EQ(rt_point(320, 0, 1), -1.0L);
    EXPECT_EQ(rt_point(2, 0, 0), 3.0L); // graphics cursor x, y
    EXPECT_EQ(rt_point(3, 0, 0), 4.0L);
    EXPECT_EQ(error_pending_take(), 0u);
    for (float bad : {4.0f, -1.0f, NAN}) {
        EXPECT_EQ(rt_point(bad, 0, 0), 0.0L);
        EXPECT_EQ(error_pending_take(), 5u);
    }
    EXPECT_EQ(error_of([&] { rt_point(NAN, 1, 1); }), 5u);
}

TEST_F(draw_lines, text_pages_refuse_drawing)
{
    rt_screen(0, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    EXPECT_EQ(error_of([&] { rt_pset(1, 1, 0, 0); }), 5u);
    EXPECT_EQ(error_of([&] { rt_line(0, 0, 1, 1, 0, 0, 0, LINE_START); }), 5u);
    EXPECT_EQ(error_of([&] { rt_point(0, 0, 1); }), 5u);
}

TEST_F(draw_lines, short_line_and_graphics_cursor)
{
    image_slot *r = page(13);
    auto before = page_pixels(r);
    rt_line(0, 0, 3, 1, 9, 0, 0, LINE_START | LINE_COLOUR);
    EXPECT_EQ(pixels_changed(r, before, page_pixels(r)),
              (pixel_set{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
    // A half rounds up whichever way the line runs.
    for (auto [x1, y1, x2, y2] : {std::array{10, 10, 12, 11}, {12, 11, 10, 10}}) {
        rt_line(0, 0, 319, 199, 0, 2, 0, LINE_START | LINE_COLOUR);
        before = page_pixels(r);
        rt_line(float(x1), float(y1), float(x2), float(y2), 9, 0, 0, LINE_START | LINE_COLOUR);
        EXPECT_EQ(pixels_changed(r, before, page_pixels(r)),
                  (pixel_set{{10, 10}, {11, 11}, {12, 11}}));
    }
    rt_line(3, 1, 3, 1, 9, 0, 0, LINE_START | LINE_COLOUR);
    rt_line(0, 0, 2, 0, 9, 0, 0, LINE_END_STEP | LINE_COLOUR); // from the cursor (3, 1)
    EXPECT_EQ(pixel_of(r, 5, 1), 9u);
    EXPECT_EQ(r->gfx_cursor_x, 5.0f);
    EXPECT_EQ(r->draw_color, 9u);
    before = page_pixels(r);
    for (int32_t kind = 0; kind < 3; kind++)
        rt_line(NAN, 5, 100, 5, 9, kind, 0, LINE_START | LINE_COLOUR);
    EXPECT_EQ(page_pixels(r), before);
}

// 500 seeded lines on a mode 12 page against the reference line.
TEST_F(draw_lines, lines_match_the_reference)
{
    image_slot *r = page(12);
    std::vector<uint8_t> expected(640 * 480, 0);
    std::mt19937 rng(12345);
    for (int i = 0; i < 500; i++) {
        int32_t x1 = rng() % 640, y1 = rng() % 480, x2 = rng() % 640, y2 = rng() % 480;
        if (i % 5 == 0)
            x2 = x1 + int32_t(rng() % 7) - 3, x2 = std::clamp(x2, 0, 639);
        uint32_t colour = 1 + i % 15;
        rt_line(float(x1), float(y1), float(x2), float(y2), colour, 0, 0, LINE_START | LINE_COLOUR);
        for (auto [x, y] : reference_line(x1, y1, x2, y2))
            expected[y * 640 + x] = uint8_t(colour);
    }
    ASSERT_EQ(std::vector<uint8_t>(r->pixels, r->pixels + 640 * 480), expected);
}

// Lines with end points up to 1E9 away: nothing outside the VIEW changes,
// and every pixel drawn lies on the true line.
TEST_F(draw_lines, clipped_far_lines_stay_inside_the_view_and_on_the_line)
{
    image_slot *r = page(13);
    rt_view(40, 30, 250, 170, 0, 0, VIEW_COORDS | VIEW_SCREEN);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> far(-1e9, 1e9);
    for (int i = 0; i < 300; i++) {
        double span = i < 100 ? 1e9 : i < 200 ? 1e5 : 400;
        float x1 = float(far(rng) * span / 1e9), y1 = float(far(rng) * span / 1e9);
        float x2 = float(far(rng) * span / 1e9), y2 = float(far(rng) * span / 1e9);
        auto before = page_pixels(r);
        rt_line(x1, y1, x2, y2, 1 + i % 200, 0, 0, LINE_START | LINE_COLOUR);
        for (auto [x, y] : pixels_changed(r, before, page_pixels(r))) {
            ASSERT_TRUE(x >= 40 && x <= 250 && y >= 30 && y <= 170) << x << "," << y;
            long double dx = x2 - x1, dy = y2 - y1;
            long double off = std::fabs((x - x1) * dy - (y - y1) * dx) / std::hypot(dx, dy);
            ASSERT_LE(off, 1.5L) << "line " << i << " pixel " << x << "," << y;
        }
    }
}

TEST_F(draw_lines, clip_results)
{
    struct {
        line_ends in;
        bool visible;
        line_ends out;
        int64_t cut;
    } cases[] = {
        {{2, 2, 5, 5}, true, {2, 2, 5, 5}, 0},
        {{-5, 3, 20, 3}, true, {0, 3, 10, 3}, 5},
        {{-5, -5, -1, 20}, false, {}, 0},
        {{-3, -3, -3, -3}, false, {}, 0},
        {{-10, 0, 0, 20}, false, {}, 0}, // passes the corner outside
        {{20, 20, -10, -10}, true, {10, 10, 0, 0}, 10},
        {{-2000000000, 5, 2000000000, 5}, true, {0, 5, 10, 5}, 2000000000},
    };
    for (const auto &c : cases) {
        line_ends l = c.in;
        int64_t cut = -1;
        EXPECT_EQ(line_clip(&l, 0, 0, 10, 10, &cut), c.visible) << c.in.x1 << "," << c.in.y1;
        if (c.visible) {
            EXPECT_EQ(std::tie(l.x1, l.y1, l.x2, l.y2),
                      std::tie(c.out.x1, c.out.y1, c.out.x2, c.out.y2));
            EXPECT_EQ(cut, c.cut);
        }
    }
}

// The clipper written out on its own: an outside end moves onto the first
// edge its line crosses, tried right, left, top, bottom; the crossing is the
// end's coordinate plus its distance to the edge times the slope of the
// whole line (doubles), rounded half away from zero, and must lie on the
// edge. The cut is the start's larger move.
bool reference_clip(line_ends &l, int64_t left, int64_t top, int64_t right, int64_t bottom,
                    int64_t &cut)
{
    auto out = [&](int64_t x, int64_t y) { return x < left || x > right || y < top || y > bottom; };
    cut = 0;
    if ((l.x1 < left && l.x2 < left) || (l.x1 > right && l.x2 > right) ||
        (l.y1 < top && l.y2 < top) || (l.y1 > bottom && l.y2 > bottom))
        return false;
    struct edge {
        bool crosses;
        int64_t distance;
        bool upright;
        int64_t at;
    };
    auto move = [&](int64_t &x, int64_t &y, int64_t dx, int64_t dy) -> int64_t {
        if (!out(x, y))
            return 0;
        const edge edges[] = {{x > right && dx < 0, x - right, true, right},
                              {x < left && dx > 0, left - x, true, left},
                              {y < top && dy > 0, top - y, false, top},
                              {y > bottom && dy < 0, y - bottom, false, bottom}};
        for (const edge &e : edges) {
            if (!e.crosses)
                continue;
            double slope = e.upright ? double(dy) / double(std::llabs(dx))
                                     : double(dx) / double(std::llabs(dy));
            auto c = int64_t(std::round(double(e.upright ? y : x) + double(e.distance) * slope));
            int64_t nx = e.upright ? e.at : c, ny = e.upright ? c : e.at;
            if (!out(nx, ny)) {
                int64_t moved = std::max(std::llabs(nx - x), std::llabs(ny - y));
                x = nx, y = ny;
                return moved;
            }
        }
        return -1;
    };
    int64_t dx = l.x2 - l.x1, dy = l.y2 - l.y1;
    cut = move(l.x1, l.y1, dx, dy);
    return cut >= 0 && move(l.x2, l.y2, -dx, -dy) >= 0;
}

// Short lines around a small rectangle, where crossings often fall on a
// half, against the reference clipper.
TEST_F(draw_lines, clip_matches_the_reference)
{
    std::mt19937 rng(35);
    int clipped = 0;
    for (int i = 0; i < 500; i++) {
        auto coordinate = [&] { return int64_t(rng() % 71) - 25; };
        line_ends l{coordinate(), coordinate(), coordinate(), coordinate()}, want = l;
        int64_t cut = -1, want_cut = -1;
        bool visible = line_clip(&l, 3, 2, 17, 12, &cut);
        ASSERT_EQ(visible, reference_clip(want, 3, 2, 17, 12, want_cut)) << i;
        if (visible) {
            ASSERT_EQ(std::tie(l.x1, l.y1, l.x2, l.y2),
                      std::tie(want.x1, want.y1, want.x2, want.y2))
                << i;
            ASSERT_EQ(cut, want_cut) << i;
            clipped += want_cut > 0;
        }
    }
    EXPECT_GT(clipped, 50);
}

// The crossing itself is rounded: 105 - 3 x 127 / 6 = 41.5 becomes row 42,
// and the whole line follows.
TEST_F(draw_lines, a_crossing_on_a_half_rounds_away_from_zero)
{
    image_slot *r = page(12);
    rt_view(406, 20, 424, 99, 0, 0, VIEW_COORDS | VIEW_SCREEN);
    auto before = page_pixels(r);
    rt_line(409, -22, 403, 105, 9, 0, 0, LINE_START | LINE_COLOUR);
    pixel_set want;
    for (auto p : reference_line(407, 20, 406, 42))
        want.insert(p);
    EXPECT_EQ(pixels_changed(r, before, page_pixels(r)), want);
    line_ends l{409, -22, 403, 105};
    int64_t cut;
    ASSERT_TRUE(line_clip(&l, 406, 20, 424, 99, &cut));
    EXPECT_EQ(std::tie(l.x1, l.y1, l.x2, l.y2), std::make_tuple(407, 20, 406, 42));
}

// The style keeps its phase when the start of the line is clipped: a
// horizontal and a diagonal line draw the same pixels inside the VIEW as
// without it.
TEST_F(draw_lines, style_phase_survives_clipping)
{
    image_slot *r = page(13);
    auto styled = [](float y2, uint32_t style) {
        rt_line(0, 5, 60, y2, 7, 0, style, LINE_START | LINE_COLOUR | LINE_STYLE);
    };
    for (float y2 : {5.0f, 65.0f})
        for (uint32_t style : {0xAAAAu, 0xF0F0u, 0x8001u, 0x1234u}) {
            rt_view(0, 0, 0, 0, 0, 0, 0);
            rt_line(0, 0, 319, 199, 0, 2, 0, LINE_START | LINE_COLOUR);
            styled(y2, style);
            auto whole = page_pixels(r);
            EXPECT_EQ(pixel_of(r, 0, 5), style >> 15 ? 7u : 0u);
            rt_line(0, 0, 319, 199, 0, 2, 0, LINE_START | LINE_COLOUR);
            rt_view(13, 0, 319, 199, 0, 0, VIEW_COORDS | VIEW_SCREEN);
            styled(y2, style);
            auto clipped = page_pixels(r);
            for (size_t i = 0; i < whole.size(); i++)
                ASSERT_EQ(clipped[i], i % 320 < 13 ? 0 : whole[i]) << std::hex << style;
        }
}

// B draws four edges, its corners twice: with a half-transparent colour the
// corners carry two blends, the edges one. BF blends every pixel once.
TEST_F(draw_lines, boxes_and_corner_blends_on_32_bit_pages)
{
    image_slot *r = page(32, 64, 48);
    rt_line(0, 0, 63, 47, 0xFF000000, 2, 0, LINE_START | LINE_COLOUR);
    rt_line(10, 10, 20, 15, 0x80FEFEFE, 1, 0, LINE_START | LINE_COLOUR);
    EXPECT_EQ(pixel_of(r, 15, 10), 0xFF7F7F7Fu);
    EXPECT_EQ(pixel_of(r, 20, 12), 0xFF7F7F7Fu);
    for (auto [x, y] : {std::pair{10, 10}, {20, 10}, {20, 15}, {10, 15}})
        EXPECT_EQ(pixel_of(r, x, y), 0xFFBEBEBEu) << x << "," << y;
    EXPECT_EQ(pixel_of(r, 15, 12), 0xFF000000u);
    rt_line(30, 30, 33, 31, 0x80FEFEFE, 2, 0, LINE_START | LINE_COLOUR);
    for (int32_t x = 30; x <= 33; x++)
        EXPECT_EQ(pixel_of(r, x, 31), 0xFF7F7F7Fu);
    EXPECT_EQ(pixel_of(r, 34, 31), 0xFF000000u);
}

} // namespace
