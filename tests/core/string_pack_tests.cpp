#include "core/errors.h"
#include "core/string_builtins.h"
#include "support/gives_raising.h"
#include "tests/core/string_test_support.h"

#include <cfloat>
#include <climits>
#include <cmath>

namespace
{

using StringPack = StringTest;

std::string bytes(std::initializer_list<int> list)
{
    std::string s;
    for (int b : list)
        s.push_back(char(b));
    return s;
}

TEST_F(StringPack, IntegerFormsAreLittleEndian)
{
    EXPECT_EQ(text_of(string_from_int8(-2)), bytes({0xFE}));
    EXPECT_EQ(text_of(string_from_int16(-2)), bytes({0xFE, 0xFF}));
    EXPECT_EQ(text_of(string_from_uint16(0x1234)), bytes({0x34, 0x12}));
    EXPECT_EQ(text_of(string_from_int32(0x01020304)), bytes({4, 3, 2, 1}));
    EXPECT_EQ(text_of(string_from_uint64(0x0102030405060708ull)), bytes({8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(text_of(string_from_single(1.0f)), bytes({0, 0, 0x80, 0x3F}));
    EXPECT_EQ(text_of(string_from_double(-2.0)), bytes({0, 0, 0, 0, 0, 0, 0, 0xC0}));
    EXPECT_EQ(text_of(string_from_byte_word(7, 0x1234)), bytes({7, 0x34, 0x12}));
}

TEST_F(StringPack, UnpackReadsTheFirstBytes)
{
    EXPECT_EQ(string_to_int8(literal("\xFE")), -2);
    EXPECT_EQ(string_to_uint8(literal("\xFExyz")), 0xFE);
    EXPECT_EQ(string_to_int16(literal("\xFE\xFF"
                                      "abc")),
              -2);
    EXPECT_EQ(string_to_uint16(literal("\xFE\xFF")), 0xFFFE);
    EXPECT_EQ(string_to_int32(string_from_int32(INT_MIN)), INT_MIN);
    EXPECT_EQ(string_to_uint32(string_from_uint32(UINT32_MAX)), UINT32_MAX);
    EXPECT_EQ(string_to_int64(string_from_int64(INT64_MIN)), INT64_MIN);
    EXPECT_EQ(string_to_uint64(string_from_uint64(UINT64_MAX)), UINT64_MAX);
    EXPECT_EQ(string_to_single(string_from_single(-2.6f)), -2.6f);
    EXPECT_EQ(string_to_double(string_from_double(DBL_MIN)), DBL_MIN);
}

TEST_F(StringPack, TooShortIsErrorFive)
{
    EXPECT_TRUE(gives_raising(string_to_int8(literal("")), 0, 5));
    EXPECT_TRUE(gives_raising(string_to_int16(literal("a")), 0, 5));
    EXPECT_TRUE(gives_raising(string_to_int32(literal("abc")), 0, 5));
    EXPECT_TRUE(gives_raising(string_to_uint64(literal("abcdefg")), 0u, 5));
    EXPECT_TRUE(gives_raising(string_to_double(literal("abcdefg")), 0.0, 5));
    EXPECT_TRUE(gives_raising(string_to_long_double(literal(std::string(31, 'x'))), 0.0L, 5));
    EXPECT_TRUE(gives_raising(rt_cvsmbf(literal("abc")), 0.0f, 5));
    EXPECT_TRUE(gives_raising(rt_cvdmbf(literal("abcdefg")), 0.0, 5));
}

TEST_F(StringPack, LongDoubleTakesThirtyTwoBytes)
{
    string_descriptor *s = string_from_long_double(-1.5L);
    ASSERT_EQ(s->len, 32);
    EXPECT_EQ(text_of(s).substr(10), std::string(22, '\0'));
    EXPECT_EQ(string_to_long_double(s), -1.5L);
}

TEST_F(StringPack, BitForms)
{
    EXPECT_EQ(text_of(string_from_bits(12, -1)), bytes({0xFF, 0x0F}));
    EXPECT_EQ(text_of(string_from_ubits(9, 0x3FF)), bytes({0xFF, 0x01}));
    EXPECT_EQ(text_of(string_from_bits(0, -1)), "");
    EXPECT_EQ(text_of(string_from_bits(64, -1)), std::string(8, '\xFF'));

    EXPECT_EQ(string_to_bits(literal(bytes({0xFF, 0x0F})), 12), -1);
    EXPECT_EQ(string_to_bits(literal(bytes({0xFF, 0x07})), 12), 2047);
    EXPECT_EQ(string_to_ubits(literal(bytes({0xFF, 0xFF})), 12), 4095u);
    EXPECT_EQ(string_to_bits(literal(bytes({0x01})), 1), -1);
    EXPECT_EQ(string_to_bits(literal(""), 0), 0);
    EXPECT_EQ(string_to_bits(string_from_bits(64, INT64_MIN), 64), INT64_MIN);
    EXPECT_EQ(string_to_ubits(string_from_ubits(63, UINT64_MAX), 63), UINT64_MAX >> 1);
}

TEST_F(StringPack, BitFormsRejectBadSizes)
{
    EXPECT_TRUE(gives_raising(string_to_bits(literal("\x01"), 9), 0, 5)); // needs two bytes
    EXPECT_TRUE(gives_raising(text_of(string_from_bits(65, 1)), "", 5));
    EXPECT_TRUE(gives_raising(string_to_ubits(literal("abcdefghi"), -1), 0u, 5));
}

TEST_F(StringPack, MbfForms)
{
    EXPECT_EQ(text_of(rt_mksmbf_str(1.0f)), bytes({0, 0, 0, 0x81}));
    EXPECT_EQ(text_of(rt_mksmbf_str(-1.0f)), bytes({0, 0, 0x80, 0x81}));
    EXPECT_EQ(text_of(rt_mksmbf_str(-0.0f)), bytes({0, 0, 0, 0}));
    EXPECT_EQ(text_of(rt_mkdmbf_str(0.5)), bytes({0, 0, 0, 0, 0, 0, 0, 0x80}));
    EXPECT_EQ(rt_cvsmbf(rt_mksmbf_str(0.1f)), 0.1f);
    EXPECT_EQ(rt_cvdmbf(rt_mkdmbf_str(-0.1)), -0.1);

    // Values a program stores and reads back come back unchanged.
    for (double v : {0.0, 1.0, -1.0, 0.1, 3.14159, 65535.0, -1E-10, 1E10, 1.7E38, 1E-38}) {
        const float f = float(v);
        EXPECT_EQ(rt_cvsmbf(rt_mksmbf_str(f)), f) << v;
        EXPECT_EQ(string_to_single(string_from_single(f)), f) << v;
        EXPECT_EQ(rt_cvdmbf(rt_mkdmbf_str(v)), v) << v;
        EXPECT_EQ(string_to_double(string_from_double(v)), v) << v;
    }
    EXPECT_EQ(error_pending_take(), 0u);

    // The lowest mantissa bit has no IEEE room: dropped without an error.
    EXPECT_EQ(rt_cvdmbf(literal(bytes({1, 0, 0, 0, 0, 0, 0, 0x81}))), 1.0);
}

TEST_F(StringPack, MbfOutOfRangeIsErrorFive)
{
    EXPECT_TRUE(gives_raising(text_of(rt_mksmbf_str(FLT_MAX)), "", 5));
    EXPECT_TRUE(gives_raising(text_of(rt_mkdmbf_str(1E300)), "", 5));
    EXPECT_TRUE(gives_raising(text_of(rt_mkdmbf_str(NAN)), "", 5));
}

} // namespace
