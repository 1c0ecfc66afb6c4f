#include "core/mbf.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace
{

using bytes4 = std::array<uint8_t, 4>;
using bytes8 = std::array<uint8_t, 8>;

bytes4 ieee_bytes(float f)
{
    return std::bit_cast<bytes4>(f);
}
bytes8 ieee_bytes(double d)
{
    return std::bit_cast<bytes8>(d);
}

TEST(Mbf, SingleExamples)
{
    bytes4 out{};
    EXPECT_EQ(mbf_to_ieee_single(bytes4{0, 0, 0, 0x81}.data(), out.data()), 0);
    EXPECT_EQ(out, (bytes4{0, 0, 0x80, 0x3F}));
    EXPECT_EQ(ieee_to_mbf_single(bytes4{0, 0, 0x80, 0xBF}.data(), out.data()), 0);
    EXPECT_EQ(out, (bytes4{0, 0, 0x80, 0x81}));

    // Exponent byte 0 is zero whatever the mantissa.
    EXPECT_EQ(mbf_to_ieee_single(bytes4{0x12, 0x34, 0xD6, 0}.data(), out.data()), 0);
    EXPECT_EQ(out, (bytes4{0, 0, 0, 0}));
}

TEST(Mbf, BothZerosGiveMbfZero)
{
    for (float z : {0.0f, -0.0f}) {
        bytes4 out{9, 9, 9, 9};
        EXPECT_EQ(ieee_to_mbf_single(ieee_bytes(z).data(), out.data()), 0);
        EXPECT_EQ(out, (bytes4{0, 0, 0, 0}));
    }
    for (double z : {0.0, -0.0}) {
        bytes8 out;
        out.fill(9);
        EXPECT_EQ(ieee_to_mbf_double(ieee_bytes(z).data(), out.data()), 0);
        EXPECT_EQ(out, bytes8{});
    }
}

TEST(Mbf, SingleRangeEnds)
{
    bytes4 out{};
    for (float f : {0x1p127f, FLT_MAX, INFINITY, -INFINITY, NAN, 0x1p-129f,
                    std::numeric_limits<float>::denorm_min()}) {
        bytes4 untouched{1, 2, 3, 4};
        EXPECT_EQ(ieee_to_mbf_single(ieee_bytes(f).data(), untouched.data()), 1) << f;
        EXPECT_EQ(untouched, (bytes4{1, 2, 3, 4}));
    }
    // The subnormals 2^-127 and 2^-128 are MBF exponent bytes 2 and 1.
    EXPECT_EQ(ieee_to_mbf_single(ieee_bytes(0x1p-127f).data(), out.data()), 0);
    EXPECT_EQ(out, (bytes4{0, 0, 0, 2}));
    EXPECT_EQ(ieee_to_mbf_single(ieee_bytes(-0x1.8p-128f).data(), out.data()), 0);
    EXPECT_EQ(out, (bytes4{0, 0, 0xC0, 1}));

    bytes4 back{};
    EXPECT_EQ(mbf_to_ieee_single(bytes4{0, 0, 0xC0, 1}.data(), back.data()), 0);
    EXPECT_EQ(std::bit_cast<float>(back), -0x1.8p-128f);
    // 1.(22 ones, then 1) x 2^-128 loses two bits: rounded to nearest even.
    EXPECT_EQ(mbf_to_ieee_single(bytes4{0xFF, 0xFF, 0x7F, 1}.data(), back.data()), 0);
    EXPECT_EQ(std::bit_cast<float>(back), 0x1p-127f);
}

TEST(Mbf, DoubleExamplesAndRange)
{
    bytes8 out{};
    EXPECT_EQ(mbf_to_ieee_double(bytes8{0, 0, 0, 0, 0, 0, 0, 0x81}.data(), out.data()), 0);
    EXPECT_EQ(std::bit_cast<double>(out), 1.0);
    EXPECT_EQ(mbf_to_ieee_double(bytes8{1, 0, 0, 0, 0, 0, 0, 0x81}.data(), out.data()), 1);
    EXPECT_EQ(std::bit_cast<double>(out), 1.0);

    // Every magnitude from 2^-128 up to below 2^127 converts, values below 1
    // included.
    for (double d : {0.5, 0x1p-128, -0x1.fffffffffffffp126, 1E-30, 1E38}) {
        EXPECT_EQ(ieee_to_mbf_double(ieee_bytes(d).data(), out.data()), 0) << d;
        bytes8 back{};
        EXPECT_EQ(mbf_to_ieee_double(out.data(), back.data()), 0);
        EXPECT_EQ(std::bit_cast<double>(back), d);
    }
    for (double d :
         {0x1p127, 0x1.fffffffffffffp-129, 1E-300, DBL_MAX, double(INFINITY), double(NAN)})
        EXPECT_EQ(ieee_to_mbf_double(ieee_bytes(d).data(), out.data()), 1) << d;
}

TEST(Mbf, Int64FromHalves)
{
    EXPECT_EQ(int64_from_halves(0x80000000u, 0), INT64_MIN);
    EXPECT_EQ(int64_from_halves(0x7FFFFFFFu, 0xFFFFFFFFu), INT64_MAX);
    EXPECT_EQ(int64_from_halves_2(0xFFFFFFFFu, 0xFFFFFFFEu), -2);
    EXPECT_EQ(int64_from_halves(1, 2), 0x100000002ll);
}

// Any IEEE single converts to MBF and back unchanged, or is reported out of
// range exactly when its magnitude is outside [2^-128, 2^127) (zero aside).
TEST(Mbf, SingleRoundTripProperty)
{
    std::mt19937 rng(12345);
    for (int i = 0; i < 200000; i++) {
        float f = std::bit_cast<float>(uint32_t(rng()));
        bytes4 mbf{}, back{};
        float a = std::fabs(f);
        bool fits = a == 0 || (a >= 0x1p-128f && a < 0x1p127f);
        ASSERT_EQ(ieee_to_mbf_single(ieee_bytes(f).data(), mbf.data()), fits ? 0 : 1) << f;
        if (!fits)
            continue;
        mbf_to_ieee_single(mbf.data(), back.data());
        float g = std::bit_cast<float>(back);
        ASSERT_EQ(g, f) << std::hexfloat << f;
        ASSERT_EQ(std::signbit(g), f != 0 && std::signbit(f));
    }
}

// The same for doubles; and any MBF double converts to IEEE and back with only
// its three lowest mantissa bits lost, flagged by the result.
TEST(Mbf, DoubleRoundTripProperty)
{
    std::mt19937_64 rng(6789);
    for (int i = 0; i < 200000; i++) {
        uint64_t bits = rng();
        // Half the draws from the MBF range, so that most convert.
        if (i & 1)
            bits = (bits & 0x800FFFFFFFFFFFFFull) | uint64_t(895 + rng() % 255) << 52;
        double d = std::bit_cast<double>(bits);
        bytes8 mbf{}, back{};
        double a = std::fabs(d);
        bool fits = a == 0 || (a >= 0x1p-128 && a < 0x1p127);
        ASSERT_EQ(ieee_to_mbf_double(ieee_bytes(d).data(), mbf.data()), fits ? 0 : 1) << d;
        if (!fits)
            continue;
        ASSERT_EQ(mbf_to_ieee_double(mbf.data(), back.data()), 0);
        ASSERT_EQ(std::bit_cast<double>(back), d) << std::hexfloat << d;
    }
    for (int i = 0; i < 200000; i++) {
        bytes8 mbf = std::bit_cast<bytes8>(rng());
        if (mbf[7] == 0)
            continue;
        bytes8 ieee{}, again{};
        int dropped = mbf_to_ieee_double(mbf.data(), ieee.data());
        ASSERT_EQ(dropped, (mbf[0] & 7) != 0 ? 1 : 0);
        ASSERT_EQ(ieee_to_mbf_double(ieee.data(), again.data()), 0);
        bytes8 expected = mbf;
        expected[0] &= 0xF8;
        ASSERT_EQ(again, expected);
    }
}

} // namespace
