#include "graphics_support.h"

#include "files/byte_element.h"
#include "graphics/array_image.h"
#include "screen/drawing.h"

#include <cstring>
#include <random>
#include <string>

namespace
{

using bytes = std::vector<uint8_t>;

// An array one byte past an aligned address, so every access is unaligned.
struct test_array {
    bytes storage;
    byte_element element;
    explicit test_array(size_t size, const std::string &content = "") : storage(size + 1, 0xEE)
    {
        std::memcpy(storage.data() + 1, content.data(), std::min(size, content.size()));
        element = {uint64_t(uintptr_t(storage.data() + 1)), int32_t(size)};
    }
    bytes contents() const { return {storage.begin() + 1, storage.end()}; }
};

class array_image_test : public page_test
{
  protected:
    bytes get(float x1, float y1, float x2, float y2, size_t size, uint32_t fill = 0,
              uint32_t flags = 0)
    {
        test_array a(size);
        rt_graphics_get(x1, y1, x2, y2, &a.element, fill, flags);
        return a.contents();
    }
    std::vector<uint32_t> block_of(const image_slot *r, int32_t x, int32_t y, int32_t w, int32_t h)
    {
        std::vector<uint32_t> out;
        for (int32_t j = 0; j < h; j++)
            for (int32_t i = 0; i < w; i++)
                out.push_back(pixel_of(r, x + i, y + j));
        return out;
    }
};

TEST_F(array_image_test, exact_bytes_of_each_format)
{
    image_slot *r = page(1);
    for (int32_t x = 0; x < 5; x++)
        pixel_set_to(r, x, 0, x == 4 ? 1 : 3), pixel_set_to(r, x, 1, 3);
    EXPECT_EQ(get(0, 0, 4, 1, 8), (bytes{0x0A, 0, 2, 0, 0xFF, 0x40, 0xFF, 0xC0}));
    r = page(2); // 1 bit: 10 pixels a row take 2 bytes
    for (int32_t x : {0, 2, 4, 6, 8, 9})
        pixel_set_to(r, x, 1, 1);
    EXPECT_EQ(get(0, 0, 9, 1, 8), (bytes{10, 0, 2, 0, 0, 0, 0xAA, 0xC0}));
    for (int32_t mode : {7, 9}) { // four planes, pixel bit 0 first
        r = page(mode);
        pixel_set_to(r, 0, 0, 1), pixel_set_to(r, 1, 0, 2), pixel_set_to(r, 2, 0, 15);
        EXPECT_EQ(get(0, 0, 2, 0, 8), (bytes{3, 0, 1, 0, 0xA0, 0x60, 0x20, 0x20})) << mode;
    }
    r = page(13);
    pixel_set_to(r, 7, 7, 200), pixel_set_to(r, 8, 7, 9);
    EXPECT_EQ(get(7, 7, 8, 7, 6), (bytes{16, 0, 1, 0, 200, 9}));
    r = page(32, 64, 48);
    pixel_set_to(r, 1, 2, 0x11223344);
    EXPECT_EQ(get(1, 2, 1, 2, 8), (bytes{1, 0, 1, 0, 0x44, 0x33, 0x22, 0x11}));
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(array_image_test, get_corners_fill_and_size_guards)
{
    image_slot *r = page(13);
    for (int32_t i = 0; i < 320 * 30; i++)
        r->pixels[i] = uint8_t(i * 7);
    bytes ordered = get(10, 20, 14, 22, 4 + 15);
    EXPECT_EQ(get(14, 22, 10, 20, 4 + 15), ordered); // reversed corners
    r->gfx_cursor_x = 5, r->gfx_cursor_y = 10;       // the second STEP is from the first corner
    EXPECT_EQ(get(5, 10, 4, 2, 4 + 15, 0, GET_STEP_FIRST | GET_STEP_SECOND), ordered);
    EXPECT_TRUE(r->gfx_cursor_x == 14 && r->gfx_cursor_y == 22);
    // Half outside the page: the fill value, cut to the format, outside.
    EXPECT_EQ(get(318, 0, 321, 0, 8, 0x1FF, GET_FILL),
              (bytes{32, 0, 1, 0, r->pixels[318], r->pixels[319], 0xFF, 0xFF}));
    EXPECT_EQ(error_pending_take(), 0u);
    const struct {
        float x2, y2;
        size_t size;
        uint32_t flags;
    } refusals[] = {
        {321, 0, 8, 0},                 // leaves the page
        {4, 2, 4 + 14, 0},              // one byte short
        {8191, 0, 4 + 8192, GET_FILL},  // width field 65,536
        {0, 65535, 4 + 65536, GET_FILL} // 65,536 rows
    };
    for (const auto &c : refusals) {
        EXPECT_EQ(get(0, 0, c.x2, c.y2, c.size, 0, c.flags), bytes(c.size, 0xEE));
        EXPECT_EQ(error_pending_take(), 5u) << c.size;
    }
    page(0);
    EXPECT_EQ(error_of([&] { get(0, 0, 1, 1, 100); }), 5u);
}

// GET, then PUT elsewhere on the page by each action, in every format and
// widths 1 to 17 (and one past 32 bytes a row): PSET reproduces the block, XOR twice restores the
// page, PRESET inverts within the page's depth, AND and OR combine.
TEST_F(array_image_test, round_trips_and_actions_in_every_format)
{
    using op = uint32_t (*)(uint32_t d, uint32_t p, uint32_t mask);
    const std::pair<uint32_t, op> actions[] = {
        {PUT_AND, [](uint32_t d, uint32_t p, uint32_t) { return d & p; }},
        {PUT_OR, [](uint32_t d, uint32_t p, uint32_t) { return d | p; }},
        {PUT_PRESET, [](uint32_t, uint32_t p, uint32_t m) { return m & ~p; }},
        {PUT_PSET, [](uint32_t, uint32_t p, uint32_t) { return p; }},
    };
    std::mt19937 random(5);
    for (int32_t mode : {1, 2, 7, 9, 12, 13, 32}) {
        image_slot *r = page(mode, 100, 60);
        for (int32_t y = 0; y < r->height; y++)
            for (int32_t x = 0; x < r->width; x++)
                pixel_set_to(r, x, y, uint32_t(random()) & r->color_mask);
        for (int32_t w : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 45}) {
            test_array a(4 + 3 * 4 * 17 * 4);
            rt_graphics_get(3, 5, float(3 + w - 1), 7, &a.element, 0, 0);
            auto source = block_of(r, 3, 5, w, 3);
            auto before = page_pixels(r);
            rt_graphics_put(40, 30, &a.element, PUT_XOR, 0, 0);
            rt_graphics_put(40, 30, &a.element, PUT_XOR_TOO, 0, 0);
            ASSERT_EQ(page_pixels(r), before) << mode << " " << w;
            for (auto [action, combine] : actions) {
                auto under = block_of(r, 40, 30, w, 3);
                rt_graphics_put(40, 30, &a.element, action, 0, 0);
                auto after = block_of(r, 40, 30, w, 3);
                for (size_t i = 0; i < after.size(); i++)
                    ASSERT_EQ(after[i], combine(under[i], source[i], r->color_mask))
                        << mode << " " << w << " " << action;
            }
            ASSERT_EQ(error_pending_take(), 0u);
        }
    }
}

TEST_F(array_image_test, transparent_colour_clipping_and_step)
{
    image_slot *r = page(13);
    r->gfx_cursor_x = 1;
    test_array a(8, std::string("\x10\0\x02\0\x05\0\0\x07", 8)); // 2 x 2
    rt_graphics_put(10, 10, &a.element, PUT_PSET, 0, PUT_TRANSPARENT);
    EXPECT_EQ(block_of(r, 10, 10, 2, 2), (std::vector<uint32_t>{5, 0, 0, 7}));
    r->pixels[11 + 10 * 320] = 9;
    rt_graphics_put(10, 10, &a.element, PUT_PSET, 0x100, 8); // any higher bit; cut to 0
    rt_graphics_put(10, 10, &a.element, 7, 0, 0);            // no action
    EXPECT_EQ(pixel_of(r, 11, 10), 9u);
    EXPECT_EQ(r->gfx_cursor_x, 1.0f); // without STEP the cursor stays
    for (float x : {319.0f, -1.0f}) {
        EXPECT_EQ(error_of([&] { rt_graphics_put(x, 0, &a.element, PUT_PSET, 0, 0); }), 5u);
        EXPECT_EQ(error_of([&] { rt_graphics_put(x, 0, &a.element, PUT_PSET, 0, PUT_CLIP); }), 0u);
    }
    EXPECT_EQ(block_of(r, 318, 0, 2, 2), (std::vector<uint32_t>{0, 5, 0, 0}));
    EXPECT_EQ(block_of(r, 0, 0, 2, 2), (std::vector<uint32_t>{0, 0, 7, 0}));
    r->gfx_cursor_x = 100, r->gfx_cursor_y = 100;
    rt_graphics_put(5, -5, &a.element, PUT_PSET, 0, PUT_STEP);
    EXPECT_EQ(pixel_of(r, 105, 95), 5u);
    EXPECT_TRUE(r->gfx_cursor_x == 105 && r->gfx_cursor_y == 95);
    r = page(32, 64, 48); // a transparent colour on a 32-bit page is the whole value
    test_array w(12, std::string("\x02\0\x01\0\x01\x02\x03\x04\x04\x03\x02\x01", 12));
    rt_graphics_put(0, 0, &w.element, PUT_PSET, 0x04030201, PUT_TRANSPARENT);
    EXPECT_EQ(block_of(r, 0, 0, 2, 1), (std::vector<uint32_t>{0, 0x01020304}));
}

// A ported sprite loop: a ball drawn with CIRCLE and PAINT is taken by GET,
// moved over a drawn background by PUT XOR at each place and XOR again to
// erase it, which leaves the background whole; PUT PSET with STEP stamps it,
// and GET takes the same image back.
TEST_F(array_image_test, sprite_moved_by_xor_over_a_drawn_background)
{
    for (int32_t mode : {12, 13, 32}) {
        image_slot *r = page(mode);
        bool deep = mode == 32;
        rt_line(0, 0, 319, 199, deep ? 0xFF204060 : 1, 2, 0, LINE_START | LINE_COLOUR);
        rt_line(0, 199, 319, 0, deep ? 0xFFFFFF00 : 14, 0, 0, LINE_START | LINE_COLOUR);
        rt_line(0, 0, 16, 16, deep ? 0xFF000000 : 0, 2, 0, LINE_START | LINE_COLOUR);
        rt_circle(8, 8, 6, deep ? 0xFFFF0000 : 4, 0, 0, 1, CIRCLE_COLOUR | CIRCLE_ASPECT);
        rt_paint(8, 8, deep ? 0xFF00FF00 : 2, deep ? 0xFFFF0000 : 4, nullptr,
                 PAINT_FILL | PAINT_BORDER);
        test_array ball(4 + 17 * 17 * 4), back(4 + 17 * 17 * 4);
        rt_graphics_get(0, 0, 16, 16, &ball.element, 0, 0);
        auto background = page_pixels(r);
        for (int32_t x = 40; x < 300; x += 7) {
            rt_graphics_put(float(x), 90, &ball.element, PUT_XOR, 0, 0);
            ASSERT_EQ(pixel_of(r, x + 8, 98), background[98 * r->width + x + 8] ^ pixel_of(r, 8, 8))
                << mode << " " << x;
            rt_graphics_put(float(x), 90, &ball.element, PUT_XOR, 0, 0);
        }
        EXPECT_EQ(page_pixels(r), background) << mode;
        r->gfx_cursor_x = 100, r->gfx_cursor_y = 100;
        rt_graphics_put(5, 5, &ball.element, PUT_PSET, 0, PUT_STEP);
        rt_graphics_get(0, 0, 16, 16, &back.element, 0, GET_STEP_FIRST | GET_STEP_SECOND);
        EXPECT_EQ(back.contents(), ball.contents()) << mode;
        EXPECT_EQ(error_pending_take(), 0u);
    }
}

TEST_F(array_image_test, put_refuses_bad_headers_and_short_arrays)
{
    const struct {
        int32_t mode;
        std::string bytes;
        uint32_t flags;
    } refusals[] = {
        {13, std::string("\x08\0\x01", 3), 0},
        {13, std::string("\x0C\0\x01\0\x01\x02", 6), 0},                    // width field 12
        {1, std::string("\x03\0\x01\0\xFF", 5), 0},                         // odd on 2 bits
        {13, std::string("\x10\0\x01\0\x01", 5), 0},                        // one byte short
        {13, std::string("\xF8\xFF\xFF\xFF\x01\x02\x03\x04", 8), PUT_CLIP}, // huge sides
        {32, std::string("\xFF\xFF\xFF\xFF\x01\x02\x03\x04", 8), PUT_CLIP},
        {7, std::string("\x09\0\x01\0\x01\x02\x03\x04\x05\x06\x07", 11), 0},
        {0, std::string("\x08\0\x01\0\x01", 5), 0}, // a text page
    };
    for (const auto &c : refusals) {
        image_slot *r = page(c.mode, 64, 48);
        test_array a(c.bytes.size(), c.bytes);
        auto before = page_pixels(r);
        EXPECT_EQ(error_of([&] { rt_graphics_put(0, 0, &a.element, PUT_PSET, 0, c.flags); }), 5u)
            << c.mode << " " << c.bytes.size();
        EXPECT_EQ(page_pixels(r), before);
    }
}

} // namespace
