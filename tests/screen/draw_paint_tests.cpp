#include "drawing_support.h"

#include "core/strings.h"
#include "screen/blend_tables.h"
#include "screen/drawing.h"

#include <deque>
#include <random>

namespace
{

class draw_paint : public drawing_test
{
  protected:
    void SetUp() override
    {
        drawing_test::SetUp();
        strings_static_init(); // tiles are strings
    }
    void TearDown() override
    {
        paint_frontier_initial_capacity = 4096;
        drawing_test::TearDown();
    }
};

// The seed's region by a plain flood fill: pixels inside the clip rectangle,
// not of the border value, joined left, right, up and down.
pixel_set region_of(const image_slot *r, const std::vector<uint32_t> &pixels, int32_t sx,
                    int32_t sy, uint32_t border)
{
    pixel_set seen;
    std::deque<std::pair<int32_t, int32_t>> todo{{sx, sy}};
    while (!todo.empty()) {
        auto [x, y] = todo.front();
        todo.pop_front();
        if (x < r->clip_x1 || x > r->clip_x2 || y < r->clip_y1 || y > r->clip_y2 ||
            pixels[y * r->width + x] == border || !seen.insert({x, y}).second)
            continue;
        todo.insert(todo.end(), {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}});
    }
    return seen;
}

// Random noise, boxes and circles in the border value and a few others.
void scene_draw(image_slot *r, std::mt19937 &rng, uint32_t border, const uint32_t *others)
{
    for (int32_t y = 0; y < r->height; y++)
        for (int32_t x = 0; x < r->width; x++) {
            uint32_t v = rng() % 10 < 3 ? border : others[rng() % 3];
            if (r->bytes_per_pixel == 4)
                pixel32(r, x, y) = v;
            else
                r->pixels[y * r->width + x] = uint8_t(v);
        }
    for (int i = 0; i < 6; i++) {
        float x = float(rng() % r->width), y = float(rng() % r->height);
        rt_line(x, y, x + float(rng() % 80), y + float(rng() % 60), border, 1, 0,
                LINE_START | LINE_COLOUR);
        rt_circle(x, y, double(rng() % 50), border, 0, 0, 0, CIRCLE_COLOUR);
    }
}

// PAINT over random scenes and VIEWs paints exactly the seed's region, on a
// palette page, a 32-bit page and a blending 32-bit page.
TEST_F(draw_paint, paints_exactly_the_seed_region)
{
    std::mt19937 rng(99);
    struct {
        int32_t mode;
        uint32_t fill, border, others[3];
    } kinds[] = {{13, 7, 4, {0, 1, 7}},
                 {32, 0xFF00FF00, 0xFFFF0000, {0xFF000000, 0xFE000000, 0xFF00FF00}},
                 {32, 0x80FFFFFF, 0xFFFF0000, {0xFF000000, 0x10203040, 0xFF00FF00}}};
    for (const auto &k : kinds)
        for (int round = 0; round < 12; round++) {
            image_slot *r = page(k.mode, 200, 150);
            int32_t x1 = rng() % r->width, y1 = rng() % r->height;
            int32_t x2 = rng() % r->width, y2 = rng() % r->height;
            rt_view(x1, y1, x2, y2, 0, 0, round % 3 ? VIEW_COORDS | VIEW_SCREEN : 0);
            scene_draw(r, rng, k.border, k.others);
            int32_t sx = rng() % r->width, sy = rng() % r->height;
            auto before = page_pixels(r);
            rt_paint(float(sx), float(sy), k.fill, k.border, nullptr, PAINT_FILL | PAINT_BORDER);
            std::vector<uint32_t> expected = before;
            if (before[sy * r->width + sx] != k.border)
                for (auto [x, y] : region_of(r, before, sx, sy, k.border)) {
                    uint32_t &v = expected[y * r->width + x];
                    v = k.mode != 32 ? k.fill : blend_pixel(v, k.fill);
                }
            ASSERT_EQ(page_pixels(r), expected) << "mode " << k.mode << " round " << round;
        }
    EXPECT_EQ(error_pending_take(), 0u);
}

// Frontier lists that start with room for one point grow to the same
// picture.
TEST_F(draw_paint, tiny_frontier_capacity_gives_the_same_picture)
{
    std::vector<uint32_t> pictures[2];
    for (size_t capacity : {size_t(4096), size_t(1)}) {
        paint_frontier_initial_capacity = capacity;
        std::mt19937 rng(5);
        const uint32_t others[] = {0, 1, 2};
        image_slot *r = page(12);
        scene_draw(r, rng, 9, others);
        rt_paint(320, 240, 3, 9, nullptr, PAINT_FILL | PAINT_BORDER);
        rt_view(0, 0, 0, 0, 0, 0, 0);
        rt_line(0, 0, 639, 479, 0, 2, 0, LINE_START | LINE_COLOUR);
        rt_paint(1, 1, 5, 0, nullptr, PAINT_FILL | PAINT_BORDER); // the whole open page
        pictures[capacity == 1] = page_pixels(r);
    }
    EXPECT_EQ(pictures[0], pictures[1]);
}

TEST_F(draw_paint, borders_hold_and_seeds_on_borders_do_nothing)
{
    image_slot *r = page(13);
    rt_line(10, 10, 30, 30, 4, 1, 0, LINE_START | LINE_COLOUR);
    rt_paint(20, 20, 2, 4, nullptr, PAINT_FILL | PAINT_BORDER);
    EXPECT_EQ(pixel_of(r, 11, 11), 2u);
    EXPECT_EQ(pixel_of(r, 29, 29), 2u);
    EXPECT_EQ(pixel_of(r, 9, 20), 0u);
    EXPECT_EQ(r->gfx_cursor_x, 20.0f);
    auto before = page_pixels(r);
    rt_paint(10, 20, 3, 4, nullptr, PAINT_FILL | PAINT_BORDER);
    // A diagonal border with no gap a four-way fill could pass.
    rt_line(100, 0, 0, 100, 4, 0, 0, LINE_START | LINE_COLOUR);
    rt_paint(5, 5, 6, 4, nullptr, PAINT_FILL | PAINT_BORDER);
    EXPECT_EQ(pixel_of(r, 5, 5), 6u);
    EXPECT_EQ(pixel_of(r, 60, 60), 0u);
    EXPECT_EQ(error_of([&] { rt_paint(0, 0, 1, 1, nullptr, PAINT_TILE); }), 5u);
}

// A temporary string over the bytes (which must outlive the statement).
string_descriptor *bytes(const std::vector<uint8_t> &b)
{
    return string_from_buffer(b.data(), int32_t(b.size()));
}

// Tiles of every depth fill a closed box with their pattern, repeated from
// the page's origin.
TEST_F(draw_paint, tiles_of_every_depth)
{
    const std::vector<uint8_t> tile = {0xB4, 0x1E, 0x5A, 0xC3, 0x7F};
    struct {
        int32_t mode;
        int32_t width, rows; // of the pattern
    } depths[] = {{2, 8, 5}, {1, 4, 5}, {12, 8, 2}, {13, 1, 5}};
    for (const auto &d : depths) {
        image_slot *r = page(d.mode);
        uint32_t bits = r->bits_per_pixel;
        auto want = [&](int32_t x, int32_t y) {
            int32_t row = y % d.rows, col = x % d.width;
            if (bits == 8)
                return uint32_t(tile[row]);
            if (bits != 4)
                return tile[row] >> (8 - bits * (col + 1)) & r->color_mask;
            uint32_t v = 0;
            for (int32_t plane = 0; plane < 4; plane++) {
                size_t at = size_t(row * 4 + plane);
                uint8_t b = at < tile.size() ? tile[at] : 0;
                v |= uint32_t(b >> (7 - col) & 1) << plane;
            }
            return v;
        };
        rt_line(3, 3, 60, 40, r->color_mask, 1, 0, LINE_START | LINE_COLOUR);
        int32_t sx = 30; // a seed whose pattern value differs from the blank page
        while (want(sx, 20) == 0)
            sx++;
        rt_paint_tile(float(sx), 20, bytes(tile), 0, nullptr, PAINT_TILE_GIVEN);
        ASSERT_EQ(error_pending_take(), 0u) << "mode " << d.mode;
        for (int32_t y = 4; y < 40; y++)
            for (int32_t x = 4; x < 60; x++)
                ASSERT_EQ(pixel_of(r, x, y), want(x, y))
                    << "mode " << d.mode << " " << x << "," << y;
    }
}

TEST_F(draw_paint, tile_errors_and_background)
{
    page(13);
    struct {
        size_t length;
        uint32_t error;
    } lengths[] = {{0, 5}, {64, 0}, {65, 5}};
    for (const auto &l : lengths) {
        rt_paint_tile(1, 1, bytes(std::vector<uint8_t>(l.length, 1)), 1, nullptr,
                      PAINT_TILE_GIVEN | PAINT_TILE_BORDER);
        EXPECT_EQ(error_pending_take(), l.error) << l.length;
    }
    page(12);
    rt_paint_tile(1, 1, bytes(std::vector<uint8_t>(256, 0)), 1, nullptr, PAINT_TILE_GIVEN);
    EXPECT_EQ(error_pending_take(), 0u);
    rt_paint_tile(1, 1, bytes(std::vector<uint8_t>(257, 0)), 1, nullptr, PAINT_TILE_GIVEN);
    EXPECT_EQ(error_pending_take(), 5u);
    page(32, 10, 10);
    EXPECT_EQ(error_of([&] { rt_paint_tile(1, 1, bytes({1}), 1, nullptr, PAINT_TILE_GIVEN); }), 5u);
    // A seed that already shows its pattern value is painted only when that
    // value is the background.
    image_slot *r = page(13);
    rt_paint_tile(1, 1, bytes({0}), 9, nullptr, PAINT_TILE_GIVEN | PAINT_TILE_BORDER);
    rt_paint_tile(1, 1, bytes({5, 0}), 9, nullptr, PAINT_TILE_GIVEN | PAINT_TILE_BORDER);
    EXPECT_EQ(pixel_of(r, 1, 1), 0u);
    rt_paint_tile(1, 1, bytes({5, 0}), 9, bytes({0}),
                  PAINT_TILE_GIVEN | PAINT_TILE_BORDER | PAINT_TILE_BACKGROUND);
    EXPECT_EQ(pixel_of(r, 1, 0), 5u);
    EXPECT_EQ(error_pending_take(), 0u);
}

} // namespace
