#include "graphics_support.h"

#include "graphics/draw.h"

#include <cmath>
#include <cstring>

namespace
{

class draw_number_test : public graphics_test
{
};

struct read_result {
    draw_number n;
    int64_t stop;
};

read_result read(const std::string &text)
{
    draw_cursor at{reinterpret_cast<const uint8_t *>(text.data()), int64_t(text.size()), 0};
    draw_number n = draw_number_read(&at);
    return {n, at.position};
}

// A reference to the value placed at offset 0x200 of the DOS string area.
std::string reference(uint8_t type, const void *value, size_t size)
{
    dos_put(0x200, std::string(static_cast<const char *>(value), size));
    return std::string("=") + char(type) + le16(0x200);
}

TEST_F(draw_number_test, decimal_text)
{
    struct row {
        const char *text;
        double value;
        bool invalid, empty;
        int64_t stop;
    };
    const row rows[] = {
        {"12", 12, false, false, 2},  {"1 2", 12, false, false, 3},    {"-5", -5, false, false, 2},
        {"--5", 5, false, false, 3},  {"+-5", -5, false, false, 3},    {"-", -0.0, true, true, 1},
        {".5", 0.5, false, false, 2}, {"5.5", 5.5, false, false, 3},   {"5.", 5, true, false, 2},
        {".", 0, false, true, 1},     {"2.5.1", 2.5, false, false, 3}, {"5-3", 5, false, false, 1},
        {"x", 0, false, true, 0},     {" \t7 ,", 7, false, false, 4},  {"5+", 5, false, false, 1},
        {"", 0, false, true, 0},      {"5=", 0, true, false, 1},       {".=", 0, true, true, 1},
    };
    for (const row &r : rows) {
        read_result got = read(r.text);
        EXPECT_EQ(got.n.value, r.value) << r.text;
        EXPECT_EQ(std::signbit(got.n.value), std::signbit(r.value)) << r.text;
        EXPECT_EQ(got.n.invalid, r.invalid) << r.text;
        EXPECT_EQ(got.n.empty, r.empty) << r.text;
        EXPECT_EQ(got.stop, r.stop) << r.text;
    }
    EXPECT_TRUE(std::isinf(read(std::string(400, '9')).n.value));
}

TEST_F(draw_number_test, references_of_every_type)
{
    int8_t i8 = -3;
    uint8_t u8 = 200;
    int16_t i16 = -7;
    uint16_t u16 = 60000;
    int32_t i32 = -100000;
    uint32_t u32 = 4000000000u;
    int64_t all_ones = -1;
    float f = 2.5f;
    double d = -0.125;
    long double x = 1e300L * 1e10L;
    struct row {
        uint8_t type;
        const void *value;
        size_t size;
        double expected;
    };
    const row rows[] = {
        {1, &i8, 1, -3},        {129, &u8, 1, 200},
        {2, &i16, 2, -7},       {130, &u16, 2, 60000},
        {20, &i32, 4, -100000}, {148, &u32, 4, 4000000000.0},
        {5, &all_ones, 8, -1},  {133, &all_ones, 8, 18446744073709551615.0},
        {4, &f, 4, 2.5},        {8, &d, 8, -0.125},
        {6, &x, 10, INFINITY},
    };
    for (const row &r : rows) {
        read_result got = read(reference(r.type, r.value, r.size) + "9");
        EXPECT_EQ(got.n.value, r.expected) << int(r.type);
        EXPECT_FALSE(got.n.invalid || got.n.empty) << int(r.type);
        EXPECT_EQ(got.stop, 4) << int(r.type);
    }
    long double third = 1.0L / 3;
    EXPECT_EQ(read(reference(6, &third, 10)).n.value, 1.0 / 3);
    // No sign applies to a reference given after a minus: the text is invalid.
    read_result minus = read("-" + reference(2, &i16, 2));
    EXPECT_TRUE(minus.n.invalid && minus.n.empty);
    EXPECT_EQ(minus.n.value, 0.0);
}

TEST_F(draw_number_test, broken_references_are_invalid)
{
    int16_t v = 5;
    std::string good = reference(2, &v, 2);
    for (std::string text : {std::string("="), good.substr(0, 2), good.substr(0, 3),
                             "= " + good.substr(1), std::string("=\x03\x00\x02", 4)}) {
        read_result got = read(text);
        EXPECT_TRUE(got.n.invalid) << got.stop;
        EXPECT_EQ(got.n.value, 0.0);
    }
}

} // namespace
