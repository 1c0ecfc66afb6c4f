#include "core/string_builtins.h"
#include "tests/core/string_test_support.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

namespace
{

using StrText = StringTest;

TEST_F(StrText, IntegersSignedAndUnsigned)
{
    EXPECT_EQ(text_of(rt_str_str_int64(INT64_MIN)), "-9223372036854775808");
    EXPECT_EQ(text_of(rt_str_str_int64(INT64_MAX)), " 9223372036854775807");
    EXPECT_EQ(text_of(rt_str_str_long(0)), " 0");
    EXPECT_EQ(text_of(rt_str_str_long(-5)), "-5");
    EXPECT_EQ(text_of(rt_str_str_integer(-32768)), "-32768");
    EXPECT_EQ(text_of(rt_str_str_byte(-128)), "-128");
    EXPECT_EQ(text_of(rt_str_str_byte(3)), " 3");
    EXPECT_EQ(text_of(rt_str_str_uint64(UINT64_MAX)), " 18446744073709551615");
    EXPECT_EQ(text_of(rt_str_str_ulong(0)), " 0");
    EXPECT_EQ(text_of(rt_str_str_uinteger(65535)), " 65535");
    EXPECT_EQ(text_of(rt_str_str_ubyte(255)), " 255");
}

TEST_F(StrText, SinglesTable)
{
    struct row {
        float v;
        const char *text;
    } rows[] = {
        {0.5f, " .5"},
        {100.0f, " 100"},
        {1E+20f, " 1E+20"},
        {-2.5f, "-2.5"},
        {2.6f, " 2.6"},
        {3.1f, " 3.1"},
        {0.0f, " 0"},
        {-0.0f, " 0"},
        {-0.25f, "-.25"},
        {1234567.0f, " 1234567"},
        {12345678.0f, " 1.234568E+07"},
        {123456.7f, " 123456.7"},
        {0.1f, " .1"},
        {1E-5f, " .00001"},              // exponent - digits = -6: still fixed
        {1.2345E-3f, " .0012345"},       // -8
        {1.234567E-2f, " 1.234567E-02"}, // -9
        {1E-8f, " 1E-08"},               // -9: E notation
        {1.5E-7f, " 1.5E-07"},
        {1.0f / 3.0f, " .3333333"},
        {FLT_MAX, " 3.402823E+38"},
        {-FLT_MIN, "-1.175494E-38"},
        {std::numeric_limits<float>::denorm_min(), " 1.401298E-45"},
        {9999999.0f, " 9999999"},
        {1E+7f, " 1E+07"},
    };
    for (const row &r : rows)
        EXPECT_EQ(text_of(rt_str_str_single(r.v)), r.text) << r.text;
}

TEST_F(StrText, DoublesTable)
{
    struct row {
        double v;
        const char *text;
    } rows[] = {
        {0.1, " .1"},
        {0.1 + 0.2, " .3"},
        {4.35 * 100, " 435"}, // 434.99999999999994: a sixteenth digit of 9
        {1.0 / 3.0, " .3333333333333333"},
        {-1.5, "-1.5"},
        {123.456, " 123.456"},
        {9007199254740992.0, " 9007199254740992"},
        {1E16, " 1D+16"},
        {1E100, " 1D+100"},
        {-1E-300, "-1D-300"},
        {1.5E-17, " 1.5D-17"},
        {1E-16, " .0000000000000001"},
        {1E-17, " 1D-17"},
        {DBL_MAX, " 1.797693134862316D+308"},
        {std::numeric_limits<double>::denorm_min(), " 4.940656458412465D-324"},
        // Rounding to fifteen digits carries into the next power of ten: the
        // exponent follows it.
        {0.9999999999999999, " 1"},
        {9.999999999999999E+22, " 1D+23"},
        {-9.999999999999999E-50, "-1D-49"},
    };
    for (const row &r : rows)
        EXPECT_EQ(text_of(rt_str_str_double(r.v)), r.text) << r.text;
}

TEST_F(StrText, LongDoublesGoThroughDouble)
{
    EXPECT_EQ(text_of(rt_str_str_long_double(0.1L)), " .1");
    EXPECT_EQ(text_of(rt_str_str_long_double(1E400L)), " INF");
    EXPECT_EQ(text_of(rt_str_str_long_double(-1E400L)), "-INF");
}

TEST_F(StrText, NonFiniteValues)
{
    EXPECT_EQ(text_of(rt_str_str_single(INFINITY)), " INF");
    EXPECT_EQ(text_of(rt_str_str_double(-INFINITY)), "-INF");
    EXPECT_EQ(text_of(rt_str_str_double(NAN)), " NAN");
}

} // namespace
