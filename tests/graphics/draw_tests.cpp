#include "graphics_support.h"

#include "core/dos_memory.h"
#include "core/strings.h"
#include "graphics/draw.h"
#include "screen/drawing.h"
#include "screen/drawing_internal.h"

#include <cmath>
#include <cstring>
#include <random>
#include <string>

namespace
{

// Bytes placed in the DOS string area; a DOS string's descriptor and text.
void dos_put(uint16_t offset, const void *bytes, size_t size)
{
    std::memcpy(emulated_dos_memory + DOS_STRING_AREA + offset, bytes, size);
}
std::string le16(uint16_t v)
{
    return {char(v & 0xFF), char(v >> 8)};
}
void dos_string_put(uint16_t descriptor, uint16_t chars, const std::string &text)
{
    std::string header = le16(uint16_t(text.size())) + le16(chars);
    dos_put(descriptor, header.data(), 4);
    dos_put(chars, text.data(), text.size());
}
// "X" and a reference to the DOS string descriptor at an offset.
std::string run_string(uint16_t descriptor)
{
    return "X\x03" + le16(descriptor);
}

class draw_test : public page_test
{
  protected:
    // A cleared page with the pen at (100, 100), no turn, scale 1, colour 15.
    image_slot *pen_page(int32_t mode = 13)
    {
        image_slot *r = page(mode);
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

draw_number read_number(const std::string &text, int64_t *stop)
{
    draw_cursor at{reinterpret_cast<const uint8_t *>(text.data()), int64_t(text.size()), 0};
    draw_number n = draw_number_read(&at);
    *stop = at.position;
    return n;
}

TEST_F(draw_test, number_reader_table)
{
    struct row {
        const char *text;
        double value;
        bool invalid, empty;
        int64_t stop;
    };
    const row rows[] = {
        {"12", 12, 0, 0, 2},     {"1 2", 12, 0, 0, 3},  {"-5", -5, 0, 0, 2},
        {"--5", 5, 0, 0, 3},     {"+-5", -5, 0, 0, 3},  {"-", -0.0, 1, 1, 1},
        {".5", 0.5, 0, 0, 2},    {"5.5", 5.5, 0, 0, 3}, {"5.", 5, 1, 0, 2},
        {".", 0, 0, 1, 1},       {"5-3", 5, 0, 0, 1},   {"x", 0, 0, 1, 0},
        {"2.5.1", 2.5, 0, 0, 3}, {"5=", 0, 1, 0, 1},    {" \t7 ,", 7, 0, 0, 4},
    };
    for (const row &r : rows) {
        int64_t stop;
        draw_number n = read_number(r.text, &stop);
        EXPECT_TRUE(n.value == r.value && std::signbit(n.value) == std::signbit(r.value) &&
                    n.invalid == r.invalid && n.empty == r.empty && stop == r.stop)
            << r.text;
    }
}

TEST_F(draw_test, number_references_of_every_type)
{
    const int64_t all_ones = -1;
    const float single = 2.5f;
    const double real = -0.125;
    const long double third = 1.0L / 3, huge = 1e4000L;
    const int32_t below = -100000;
    const uint32_t above = 4000000000u;
    const struct {
        uint8_t type;
        const void *value;
        size_t size;
        double expected;
    } rows[] = {{1, &all_ones, 1, -1},    {129, &all_ones, 1, 255},
                {2, &all_ones, 2, -1},    {130, &all_ones, 2, 65535},
                {20, &below, 4, -100000}, {148, &above, 4, 4000000000.0},
                {5, &all_ones, 8, -1},    {133, &all_ones, 8, 18446744073709551615.0},
                {4, &single, 4, 2.5},     {8, &real, 8, -0.125},
                {6, &third, 10, 1.0 / 3}, {6, &huge, 10, INFINITY}};
    int64_t stop;
    for (const auto &r : rows) {
        dos_put(0x200, r.value, r.size);
        draw_number n = read_number(std::string("=") + char(r.type) + le16(0x200) + "9", &stop);
        EXPECT_TRUE(n.value == r.expected && !n.invalid && !n.empty && stop == 4) << int(r.type);
    }
    // A sign before "=", a blank as the type, an unknown type, a reference cut
    // short and "=" as the last byte are all invalid.
    const std::string good = std::string("=\x02", 2) + le16(0x200);
    for (const std::string &text : {"-" + good, "= " + good.substr(1), std::string("=\x03\0\2", 4),
                                    good.substr(0, 3), good.substr(0, 2), std::string("=")}) {
        draw_number n = read_number(text, &stop);
        EXPECT_TRUE(n.invalid && n.value == 0.0) << text.size();
    }
}

TEST_F(draw_test, movement_table)
{
    const struct {
        const char *text;
        double x, y;
    } rows[] = {
        {"U", 100, 99},       {"U5", 100, 95},           {"D5", 100, 105},     {"L3", 97, 100},
        {"R3", 103, 100},     {"E2", 102, 98},           {"F2", 102, 102},     {"G2", 98, 102},
        {"H2", 98, 98},       {"U-5", 100, 105},         {"R2.5", 102.5, 100}, {"U0", 100, 100},
        {"U.", 100, 99},      {"S8R5", 110, 100},        {"S0R5U7", 100, 100}, {"S2R4", 102, 100},
        {"M+10,-5", 110, 95}, {"M 10 , 5", 10, 5},       {"TA90U10", 88, 100}, {"A1U10", 88, 100},
        {"A2U10", 100, 110},  {"TA-90 ta 0U3", 100, 97},
    };
    for (const auto &c : rows) {
        image_slot *r = pen_page();
        EXPECT_EQ(draw(c.text), 0u) << c.text;
        expect_cursor(r, c.x, c.y, c.text);
        EXPECT_EQ(pixel_of(r, int32_t(std::nearbyint(c.x)), int32_t(std::nearbyint(c.y))), 15u)
            << c.text;
    }
    image_slot *r = pen_page();
    EXPECT_EQ(draw(""), 0u);
    EXPECT_EQ(draw("B"), 0u);
    expect_cursor(r, 100, 100, "empty");
    EXPECT_TRUE(pixels_lit(r).empty());
    EXPECT_EQ(draw("r2;u2\td2 l 2"), 0u); // lower case and separators
    expect_cursor(r, 100, 100, "separators");
    EXPECT_EQ(pixels_lit(r).size(), 5u);
}

TEST_F(draw_test, turned_steps_follow_the_mode_aspect_and_the_angle_stays)
{
    for (auto [mode, x] : {std::pair{13, 88.0}, {2, 76.0}, {12, 90.0}, {9, 100 - 480.0 / 35}}) {
        image_slot *r = pen_page(mode);
        EXPECT_EQ(draw("TA90U10"), 0u);
        EXPECT_EQ(draw("BM100,100 U10"), 0u);
        expect_cursor(r, x, 100, std::to_string(mode));
    }
}

TEST_F(draw_test, absolute_points_ignore_view_and_window)
{
    image_slot *r = pen_page();
    rt_view(100, 50, 200, 150, 0, 0, VIEW_COORDS);
    r->gfx_cursor_x = r->gfx_cursor_y = 0; // the view's corner
    EXPECT_EQ(draw("M150,100"), 0u);
    expect_cursor(r, 50, 50, "view");
    EXPECT_TRUE(pixel_of(r, 150, 100) && pixel_of(r, 100, 50));
    rt_window(0, 0, 10, 10, WINDOW_COORDS);
    EXPECT_EQ(draw("BM200,150"), 0u);
    expect_cursor(r, 10, 0, "window");
}

// Random moves without turns draw exactly what LINE draws through the same
// points.
TEST_F(draw_test, random_moves_draw_the_lines_through_their_points)
{
    std::mt19937 random(23);
    const int steps[8][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}, {1, -1}, {1, 1}, {-1, 1}, {-1, -1}};
    for (int round = 0; round < 200; round++) {
        image_slot *r = pen_page(round % 2 ? 13 : 12);
        std::string text = "C9";
        std::vector<std::pair<int, int>> points{{100, 100}};
        for (int i = 0; i < 12; i++) {
            auto [x, y] = points.back();
            int kind = int(random() % 10), a = int(random() % 120) - 40, b = int(random() % 300);
            std::string n = std::to_string(a), m = std::to_string(b - 40);
            if (kind < 8)
                points.push_back({x + steps[kind][0] * a, y + steps[kind][1] * a});
            else
                points.push_back(kind == 8 ? std::pair{x + a, y + b - 40}
                                           : std::pair{a + 40, b - 40});
            text += kind < 8    ? "UDLREFGH"[kind] + n
                    : kind == 8 ? "M" + std::string(a < 0 ? "" : "+") + n + "," + m
                                : "M" + std::to_string(a + 40) + "," + m;
        }
        ASSERT_EQ(draw(text), 0u) << text;
        std::vector<uint32_t> drawn = page_pixels(r);
        page(r->mode);
        for (size_t i = 1; i < points.size(); i++)
            rt_line(float(points[i - 1].first), float(points[i - 1].second), float(points[i].first),
                    float(points[i].second), 9, 0, 0, LINE_START | LINE_COLOUR);
        ASSERT_EQ(page_pixels(r), drawn) << text;
    }
}

TEST_F(draw_test, prefixes_colours_and_paint)
{
    image_slot *r = pen_page();
    EXPECT_EQ(draw("BC4U5"), 0u);
    EXPECT_TRUE(pixels_lit(r).empty());
    EXPECT_EQ(r->draw_color, 4u);
    EXPECT_EQ(draw("NR2 N"), 0u); // draws, keeps the pen; the last N ends with the string
    EXPECT_EQ(pixels_lit(r),
              (std::set<std::pair<int32_t, int32_t>>{{100, 95}, {101, 95}, {102, 95}}));
    EXPECT_EQ(draw("D1"), 0u);
    expect_cursor(r, 100, 96, "N");
    // A box in colour 3 painted inside with 2; later segments draw in 2.
    EXPECT_EQ(draw("C3 BM10,10 R20 D20 L20 U20 BM15,15 P2,3 BM50,50 R5"), 0u);
    EXPECT_EQ(pixel_of(r, 12, 25) * 100 + pixel_of(r, 10, 25) * 10 + pixel_of(r, 33, 25), 230u);
    EXPECT_EQ(pixel_of(r, 55, 50), 2u);
    expect_cursor(r, 55, 50, "P");
    EXPECT_EQ(draw("C4294967297"), 0u); // the low 32 bits
    EXPECT_EQ(r->draw_color, 1u);
    r->draw_angle = NAN; // stored values that are no numbers count as none
    r->draw_scale = INFINITY;
    EXPECT_EQ(draw("R5"), 0u);
    expect_cursor(r, 60, 50, "nan");
    r = pen_page(); // a cursor that is no number: the first segment has no start
    r->gfx_cursor_x = NAN;
    EXPECT_EQ(draw("M10,10 R2"), 0u);
    EXPECT_EQ(pixels_lit(r), (std::set<std::pair<int32_t, int32_t>>{{10, 10}, {11, 10}, {12, 10}}));
}

TEST_F(draw_test, strings_run_from_the_dos_string_area)
{
    image_slot *r = pen_page();
    dos_string_put(0x100, 0x1000, "R5" + run_string(0x104) + "R1");
    dos_string_put(0x104, 0x1100, "D5");
    dos_string_put(0x108, 0x1200, "");
    const int16_t seven = -7;
    dos_put(0x300, &seven, 2);
    EXPECT_EQ(draw(run_string(0x100) + "U2" + run_string(0x108) + "L=\x02" + le16(0x300)), 0u);
    expect_cursor(r, 113, 103, "nested");
    // A string that runs itself ends when 8,192 strings are suspended.
    dos_string_put(0x10C, 0x1300, "R" + run_string(0x10C));
    EXPECT_EQ(draw("U1" + run_string(0x10C)), 6u);
    expect_cursor(r, 113, 103, "overflow");
    EXPECT_EQ(pixel_of(r, 113, 102), 15u); // what was drawn stays
    // A string longer than 65,535 bytes resumes after its X where it was.
    EXPECT_EQ(draw("B" + std::string(70000, ' ') + run_string(0x104) + "R3"), 0u);
    expect_cursor(r, 116, 108, "long");
}

// A ported clock face under WINDOW (-1, -1)-(1, 1): a CIRCLE, twelve ticks
// drawn by TA from an integer variable and X of a tick string, the pen back
// at the centre after each; then the face painted by P with colour
// references, and two hands drawn with N.
TEST_F(draw_test, clock_face_with_turns_references_and_paint)
{
    for (int32_t mode : {12, 13, 32}) {
        image_slot *r = page(mode);
        bool deep = mode == 32;
        const uint32_t rim = deep ? 0xFFFFFFFF : 15, hand = deep ? 0xFFFF0000 : 4,
                       face = deep ? 0xFF0000FF : 1;
        const int32_t cx = r->width / 2, cy = r->height / 2;
        const double stretch = 1 / mode_pixel_aspect(r->mode);
        dos_put(0x300, &rim, 4), dos_put(0x304, &hand, 4), dos_put(0x308, &face, 4);
        dos_string_put(0x310, 0x1000, "BU20 U5 BD25");
        rt_window(-1, -1, 1, 1, WINDOW_COORDS);
        rt_circle(0, 0, 0.5, rim, 0, 0, 1, CIRCLE_COLOUR | CIRCLE_ASPECT);
        rt_pset(0, 0, rim, PSET_COLOUR);
        for (int16_t h = 0; h < 12; h++) {
            const int16_t angle = int16_t(-30 * h);
            dos_put(0x30C, &angle, 2);
            ASSERT_EQ(draw("C=\x94" + le16(0x300) + "TA=\x02" + le16(0x30C) + run_string(0x310)),
                      0u);
            ASSERT_TRUE(std::fabs(r->gfx_cursor_x) < 1e-4 && std::fabs(r->gfx_cursor_y) < 1e-4);
        }
        EXPECT_EQ(pixel_of(r, cx, cy - 25), rim) << mode; // 12 o'clock
        EXPECT_EQ(pixel_of(r, cx, cy - 19), 0u) << mode;
        EXPECT_EQ(pixel_of(r, cx + int32_t(std::lround(22 * stretch)), cy), rim) << mode;
        EXPECT_EQ(draw("BE3 P=\x94" + le16(0x308) + ",=\x94" + le16(0x300) + "BG3 C=\x94" +
                       le16(0x304) + "TA0 NU15 TA-90 NR12"),
                  0u);
        EXPECT_EQ(pixel_of(r, cx, cy - 15), hand) << mode;
        EXPECT_EQ(pixel_of(r, cx + 5, cy - 8), face) << mode;
        EXPECT_EQ(pixel_of(r, cx - 30, cy + 30), face) << mode;
        EXPECT_EQ(pixel_of(r, 0, 0), 0u) << mode; // outside the rim
        EXPECT_EQ(r->draw_color, hand);
    }
}

TEST_F(draw_test, errors_leave_the_cursor_and_keep_what_was_drawn)
{
    const float inf = INFINITY;
    dos_put(0x300, &inf, 4);
    const std::string huge(400, '9'), inf_ref = std::string("=\x04") + le16(0x300);
    std::vector<std::string> bad = {
        ",",  "1",   "\x80",   "Q",       "M",    "M ", "M10",  "M10,", "M,5",   "M10;5", "M1e5",
        "T",  "TB",  "TA",     "A4",      "A1.5", "A",  "C1.5", "C",    "C-",    "S-1",   "S",
        "P1", "P1,", "P1.5,2", "P15,2 Q", "X",    "U=", "U-",   "U5.",  "U=\x01"};
    bad.insert(bad.end(), {"C" + huge, std::string("X\x03\0", 3), std::string("X\x04\0\0", 4),
                           "U" + huge, "TA" + huge, "S" + huge, "M" + huge + ",1", "M+1," + huge,
                           "U" + inf_ref, "M" + inf_ref + ",1", "S" + std::string(45, '9') + "R1"});
    for (const std::string &tail : bad) {
        image_slot *r = pen_page();
        EXPECT_EQ(draw("R5 BM20,20;" + tail), 5u) << tail;
        expect_cursor(r, 100, 100, tail);
        EXPECT_EQ(pixel_of(r, 105, 100), 15u) << tail;
    }
    page(0);
    EXPECT_EQ(draw("R5"), 5u);
}

} // namespace
