#include "graphics_support.h"

#include "core/strings.h"
#include "graphics/draw.h"
#include "screen/drawing.h"
#include "screen/screen_modes.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace
{

class draw_test : public graphics_test
{
  protected:
    // A page with the pen at (100, 100), no turn, scale 1 and colour 15.
    image_slot *pen_page(int32_t mode = 13)
    {
        image_slot *r = page(mode);
        std::fill(r->pixels, r->pixels + size_t(r->width) * r->height, 0);
        r->gfx_cursor_x = r->gfx_cursor_y = 100;
        r->draw_color = 15;
        r->draw_angle = 0;
        r->draw_scale = 1;
        return r;
    }
    // Runs DRAW and returns the error it left (0 none).
    uint32_t draw(const std::string &text)
    {
        string_descriptor s{};
        s.chr = reinterpret_cast<uint8_t *>(const_cast<char *>(text.data()));
        s.len = int32_t(text.size());
        rt_draw(&s);
        return error_pending_take();
    }
    void expect_cursor(const image_slot *r, double x, double y, const std::string &what)
    {
        EXPECT_NEAR(r->gfx_cursor_x, x, 1e-4) << what;
        EXPECT_NEAR(r->gfx_cursor_y, y, 1e-4) << what;
    }
};

// "X" and a reference to the DOS string descriptor at an offset.
std::string run_string(uint16_t descriptor)
{
    return "X\x03" + le16(descriptor);
}

TEST_F(draw_test, movement_table)
{
    struct row {
        const char *text;
        double x, y;
    };
    const row rows[] = {
        {"U", 100, 99},
        {"U5", 100, 95},
        {"D5", 100, 105},
        {"L3", 97, 100},
        {"R3", 103, 100},
        {"E2", 102, 98},
        {"F2", 102, 102},
        {"G2", 98, 102},
        {"H2", 98, 98},
        {"U-5", 100, 105},
        {"R2.5", 102.5, 100},
        {"U0", 100, 100},
        {"U.", 100, 99},
        {"S8R5", 110, 100},
        {"S0R5U7", 100, 100},
        {"S2R4", 102, 100},
        {"r5;u5\td5 l 5", 100, 100},
        {"", 100, 100},
        {"B", 100, 100},
        {"M+10,-5", 110, 95},
        {"M 10 , -5", 10, -5},
        {"TA90U10", 88, 100},
        {"A1U10", 88, 100},
        {"A2U10", 100, 110},
        {"TA-90 ta 0U3", 100, 97},
    };
    for (const row &c : rows) {
        image_slot *r = pen_page();
        EXPECT_EQ(draw(c.text), 0u) << c.text;
        expect_cursor(r, c.x, c.y, c.text);
        EXPECT_EQ(pixel_of(r, int32_t(std::nearbyint(c.x)), int32_t(std::nearbyint(c.y))),
                  c.x < 0 || c.y < 0 || !*c.text || std::string(c.text) == "B" ? 0u : 15u)
            << c.text;
    }
}

TEST_F(draw_test, steps_of_a_zero_scale_and_a_zero_count_draw_the_pixel_at_the_pen)
{
    image_slot *r = pen_page();
    EXPECT_EQ(draw("S0R5"), 0u);
    EXPECT_EQ(pixels_lit(r), (pixel_set{{100, 100}}));
    EXPECT_EQ(r->draw_scale, 0.0);
}

TEST_F(draw_test, a_quarter_turn_corrects_for_the_mode_aspect)
{
    for (auto [mode, left] : {std::pair{13, 12}, {1, 12}, {2, 24}, {12, 10}, {9, 10}}) {
        image_slot *r = pen_page(mode);
        EXPECT_EQ(draw("TA90U10"), 0u) << mode;
        expect_cursor(r, 100 - left * (mode == 9 ? 48.0 / 35 : 1.0), 100, std::to_string(mode));
        EXPECT_EQ(r->draw_angle, 90.0);
        // The angle stays for the next statement.
        EXPECT_EQ(draw("BM100,100 U10"), 0u);
        expect_cursor(r, 100 - left * (mode == 9 ? 48.0 / 35 : 1.0), 100, std::to_string(mode));
    }
}

TEST_F(draw_test, absolute_points_ignore_view_and_window)
{
    image_slot *r = pen_page();
    rt_view(100, 50, 200, 150, 0, 0, VIEW_COORDS);
    r->gfx_cursor_x = r->gfx_cursor_y = 0; // the view's corner
    EXPECT_EQ(draw("M150,100"), 0u);
    expect_cursor(r, 50, 50, "view");
    EXPECT_EQ(pixel_of(r, 150, 100), 15u);
    EXPECT_EQ(pixel_of(r, 100, 50), 15u);
    rt_window(0, 0, 10, 10, WINDOW_COORDS);
    EXPECT_EQ(draw("BM200,150"), 0u);
    expect_cursor(r, 10, 0, "window");
}

// Random moves without turns draw exactly what LINE draws through the same
// points.
TEST_F(draw_test, random_moves_draw_the_lines_through_their_points)
{
    std::mt19937 random(23);
    const char letters[] = "UDLREFGH";
    const int steps[8][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}, {1, -1}, {1, 1}, {-1, 1}, {-1, -1}};
    for (int round = 0; round < 200; round++) {
        int32_t mode = round % 2 ? 13 : 12;
        image_slot *r = pen_page(mode);
        std::string text = "C9";
        std::vector<std::pair<int64_t, int64_t>> points{{100, 100}};
        for (int i = 0; i < 12; i++) {
            auto [x, y] = points.back();
            int kind = int(random() % 10);
            int count = int(random() % 120) - 40;
            if (kind < 8) {
                text += letters[kind] + std::to_string(count);
                points.push_back({x + steps[kind][0] * count, y + steps[kind][1] * count});
            } else if (kind == 8) {
                int dy = int(random() % 100) - 50;
                text += "M" + std::string(count < 0 ? "" : "+") + std::to_string(count) + "," +
                        std::to_string(dy);
                points.push_back({x + count, y + dy});
            } else {
                int px = int(random() % 400) - 40, py = int(random() % 300) - 40;
                text += " M" + std::to_string(std::abs(px)) + "," + std::to_string(py);
                points.push_back({std::abs(px), py});
            }
        }
        ASSERT_EQ(draw(text), 0u) << text;
        std::vector<uint32_t> drawn = page_pixels(r);
        std::fill(r->pixels, r->pixels + size_t(r->width) * r->height, 0);
        for (size_t i = 1; i < points.size(); i++)
            rt_line(float(points[i - 1].first), float(points[i - 1].second), float(points[i].first),
                    float(points[i].second), 9, 0, 0, LINE_START | LINE_COLOUR);
        ASSERT_EQ(page_pixels(r), drawn) << text;
    }
}

TEST_F(draw_test, prefixes_and_colours)
{
    image_slot *r = pen_page();
    EXPECT_EQ(draw("BC4U5"), 0u);
    EXPECT_TRUE(pixels_lit(r).empty());
    expect_cursor(r, 100, 95, "B");
    EXPECT_EQ(r->draw_color, 4u);
    EXPECT_EQ(draw("NR5 N"), 0u); // draws, keeps the pen; the last N ends with the string
    EXPECT_EQ(pixels_lit(r),
              (pixel_set{{100, 95}, {101, 95}, {102, 95}, {103, 95}, {104, 95}, {105, 95}}));
    EXPECT_EQ(draw("D1"), 0u);
    expect_cursor(r, 100, 96, "N");
    EXPECT_EQ(pixel_of(r, 100, 96), 4u);
    // A box in colour 3, painted inside with 2; later segments draw in 2.
    EXPECT_EQ(draw("C3 BM10,10 R20 D20 L20 U20 BM15,15 P2,3 BM50,50 R5"), 0u);
    EXPECT_EQ(pixel_of(r, 12, 25), 2u);
    EXPECT_EQ(pixel_of(r, 10, 25), 3u);
    EXPECT_EQ(pixel_of(r, 33, 25), 0u);
    EXPECT_EQ(pixel_of(r, 55, 50), 2u);
    EXPECT_EQ(r->draw_color, 2u);
    expect_cursor(r, 55, 50, "P");
    EXPECT_EQ(draw("C4294967297 R1"), 0u); // the low 32 bits count
    EXPECT_EQ(r->draw_color, 1u);
}

TEST_F(draw_test, stored_angles_and_scales_that_are_no_numbers_count_as_none)
{
    image_slot *r = pen_page();
    r->draw_angle = NAN;
    r->draw_scale = INFINITY;
    EXPECT_EQ(draw("R5"), 0u);
    expect_cursor(r, 105, 100, "nan");
}

TEST_F(draw_test, strings_run_from_the_dos_string_area)
{
    image_slot *r = pen_page();
    dos_string_put(0x100, 0x1000, "R5" + run_string(0x104) + "R1");
    dos_string_put(0x104, 0x1100, "D5");
    dos_string_put(0x108, 0x1200, "");
    int16_t seven = -7;
    dos_put(0x300, std::string(reinterpret_cast<const char *>(&seven), 2));
    EXPECT_EQ(draw(run_string(0x100) + "U2" + run_string(0x108) + "L=\x02" + le16(0x300)), 0u);
    expect_cursor(r, 113, 103, "nested");
    // A string that runs itself ends when 8,192 strings are suspended.
    dos_string_put(0x10C, 0x1300, "R" + run_string(0x10C));
    EXPECT_EQ(draw("U1" + run_string(0x10C)), 6u);
    expect_cursor(r, 113, 103, "overflow");
    EXPECT_EQ(pixel_of(r, 113, 102), 15u); // what was drawn stays
    // A string longer than 65,535 bytes resumes after its X where it was.
    std::string long_text = "B" + std::string(70000, ' ') + run_string(0x104) + "R3";
    ASSERT_GT(long_text.size(), 70000u);
    EXPECT_EQ(draw(long_text), 0u);
    expect_cursor(r, 116, 108, "long");
}

TEST_F(draw_test, errors_leave_the_cursor_and_keep_what_was_drawn)
{
    float inf = INFINITY;
    dos_put(0x300, std::string(reinterpret_cast<const char *>(&inf), 4));
    const std::string huge(400, '9'), inf_ref = std::string("=\x04") + le16(0x300);
    const std::string bad[] = {
        ",",
        "1",
        "\x80",
        "Q",
        "M",
        "M ",
        "M10",
        "M10,",
        "M,5",
        "M10;5",
        "T",
        "TB",
        "TA",
        "A4",
        "A1.5",
        "A",
        "C1.5",
        "C",
        "C-",
        "C" + huge,
        "S-1",
        "S",
        "P1",
        "P1,",
        "P1.5,2",
        "P15,2 Q",
        "X",
        std::string("X\x03\x00", 3),
        std::string("X\x04\x00\x00", 4),
        "U=",
        "U-",
        "U5.",
        "U=\x01",
        "U" + huge,
        "TA" + huge,
        "S" + huge,
        "M" + huge + ",1",
        "M+1," + huge,
        "U" + inf_ref,
        "M" + inf_ref + ",1",
        "S" + std::string(45, '9') + "R1",
        "M1e5",
    };
    for (const std::string &tail : bad) {
        image_slot *r = pen_page();
        EXPECT_EQ(draw("R5 BM20,20;" + tail), 5u) << tail;
        expect_cursor(r, 100, 100, tail);
        EXPECT_EQ(pixel_of(r, 105, 100), 15u) << tail;
    }
    page(0);
    EXPECT_EQ(draw("R5"), 5u);
}

TEST_F(draw_test, a_pending_error_leaves_everything)
{
    image_slot *r = pen_page();
    error_raise(9);
    string_descriptor s{};
    s.chr = reinterpret_cast<uint8_t *>(const_cast<char *>("R5"));
    s.len = 2;
    rt_draw(&s);
    EXPECT_EQ(error_pending_take(), 9u);
    EXPECT_TRUE(pixels_lit(r).empty());
}

} // namespace
