#include "core/small_ops.h"

#include "core/critical_support.h"
#include "core/errors.h"
#include "support/gives_raising.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <climits>
#include <cmath>
#include <limits>

namespace {

struct SmallOpsTest : testing::Test {
    void SetUp() override { error_pending_take(); }
    void TearDown() override { error_pending_take(); }
};

TEST_F(SmallOpsTest, SubscriptCheckRefusesIndexAtOrAboveBound)
{
    EXPECT_TRUE(gives_raising(array_index_check(4, 5), 4u, 0));
    EXPECT_TRUE(gives_raising(array_index_check(5, 5), 0u, 9));
    // A negative index (below the lower bound) arrives as a huge unsigned one.
    EXPECT_TRUE(gives_raising(array_index_check(uint32_t(-1), 5), 0u, 9));
    EXPECT_TRUE(gives_raising(array_index_check(0, 0), 0u, 9));
}

TEST_F(SmallOpsTest, ColourComponentsAreClampedAndOpaque)
{
    EXPECT_EQ(color_argb_pack(300, -5, 128), 0xFFFF0080u);
    EXPECT_EQ(color_argb_pack(0, 0, 0), 0xFF000000u);
    EXPECT_EQ(color_argb_pack(255, 1, 254), 0xFFFF01FEu);
    EXPECT_EQ(color_argb_pack(INT_MIN, INT_MAX, 256), 0xFF00FFFFu);
}

TEST_F(SmallOpsTest, RoundingTiesGoToEven)
{
    EXPECT_EQ(round_double_to_int32(2.5), 2);
    EXPECT_EQ(round_double_to_int32(3.5), 4);
    EXPECT_EQ(round_double_to_int32(-2.5), -2);
    EXPECT_EQ(round_double_to_int32(2.4999999), 2);
    EXPECT_EQ(round_float_to_int32(0.5f), 0);
    EXPECT_EQ(round_float_to_int32(1.5f), 2);
    EXPECT_EQ(round_float_to_int32(-7.5f), -8);
    EXPECT_EQ(round_long_double_to_int64(4.5L), 4);
    EXPECT_EQ(round_long_double_to_int64(5.5L), 6);
    EXPECT_EQ(round_long_double_to_int64(9007199254740993.0L), 9007199254740993);
    EXPECT_EQ(round_long_double_to_int64_b(-0.5L), 0);
}

TEST_F(SmallOpsTest, LongDoubleRoundingFollowsTheRoundingMode)
{
    std::fesetround(FE_UPWARD);
    int64_t up = round_long_double_to_int64(2.1L);
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(up, 3);
}

TEST_F(SmallOpsTest, RoundingSaturatesAndMapsNanToZero)
{
    double nan = std::numeric_limits<double>::quiet_NaN();
    double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(round_double_to_int32(nan), 0);
    EXPECT_EQ(round_double_to_int32(3e9), INT32_MAX);
    EXPECT_EQ(round_double_to_int32(-3e9), INT32_MIN);
    EXPECT_EQ(round_double_to_int32(2147483647.4), INT32_MAX);
    EXPECT_EQ(round_double_to_int32(-2147483648.4), INT32_MIN);
    EXPECT_EQ(round_float_to_int32(float(inf)), INT32_MAX);
    EXPECT_EQ(round_long_double_to_int64(-inf), INT64_MIN);
    EXPECT_EQ(round_long_double_to_int64(9223372036854775807.0L), INT64_MAX);
    EXPECT_EQ(round_long_double_to_int64(1e30L), INT64_MAX);
    EXPECT_EQ(round_long_double_to_int64(std::nanl("")), 0);
}

TEST_F(SmallOpsTest, TruncatingConversionsAtTheEdgesOfTheirRange)
{
    EXPECT_EQ(double_to_int32_saturating(-2147483648.9), INT32_MIN);
    EXPECT_EQ(double_to_int32_saturating(-2147483649.0), INT32_MIN);
    EXPECT_EQ(double_to_int32_saturating(2147483647.9), INT32_MAX);
    EXPECT_EQ(double_to_int32_saturating(-1.9), -1);
    EXPECT_EQ(double_to_int64_saturating(9.3e18), INT64_MAX);
    EXPECT_EQ(double_to_int64_saturating(-9223372036854775808.0), INT64_MIN);
    EXPECT_EQ(double_to_int64_saturating(-1e19), INT64_MIN);
    EXPECT_EQ(long_double_to_int64_saturating(-9223372036854775808.0L), INT64_MIN);

    int32_t v32 = 7;
    EXPECT_TRUE(double_to_int32_checked(-2147483648.9, &v32));
    EXPECT_EQ(v32, INT32_MIN);
    EXPECT_FALSE(double_to_int32_checked(2147483648.0, &v32));
    EXPECT_FALSE(double_to_int32_checked(-2147483649.0, &v32));
    EXPECT_FALSE(double_to_int32_checked(std::nan(""), &v32));
    EXPECT_EQ(v32, INT32_MIN);
    int64_t v64 = 0;
    EXPECT_TRUE(double_to_int64_checked(-9223372036854775808.0, &v64));
    EXPECT_EQ(v64, INT64_MIN);
    EXPECT_FALSE(double_to_int64_checked(9223372036854775808.0, &v64));
    EXPECT_FALSE(double_to_int64_checked(std::nan(""), &v64));
}

TEST_F(SmallOpsTest, IntegerDivisionTruncatesAndModKeepsTheDividendsSign)
{
    EXPECT_EQ(int_div_i16(-7, 2), -3);
    EXPECT_EQ(int_mod_i16(-7, 2), -1);
    EXPECT_EQ(int_div_i32(7, -2), -3);
    EXPECT_EQ(int_mod_i32(7, -2), 1);
    EXPECT_EQ(int_div_i64(INT64_MIN, 2), INT64_MIN / 2);
    EXPECT_EQ(int_mod_i64(INT64_MIN, -1), 0);
    EXPECT_EQ(int_mod_i32(INT32_MIN, -1), 0);
    EXPECT_EQ(int_mod_i16(INT16_MIN, -1), 0);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(SmallOpsTest, MostNegativeQuotientByMinusOneOverflows)
{
    EXPECT_TRUE(gives_raising(int_div_i16(INT16_MIN, -1), 0, 6));
    EXPECT_TRUE(gives_raising(int_div_i32(INT32_MIN, -1), 0, 6));
    EXPECT_TRUE(gives_raising(int_div_i64(INT64_MIN, -1), 0, 6));
    EXPECT_TRUE(gives_raising(int_div_i32(INT32_MAX, -1), -INT32_MAX, 0));
}

TEST(SmallOpsDeathTest, DivisionByZeroIsCritical)
{
    EXPECT_CRITICAL_ERROR(int_div_i32(1, 0), 11, "Critical Error\\][[:space:]]+Division by zero");
    EXPECT_CRITICAL_ERROR(int_mod_i64(0, 0), 11, "Critical Error\\][[:space:]]+Division by zero");
    EXPECT_CRITICAL_ERROR(int_div_i16(INT16_MIN, 0), 11, "Critical Error\\][[:space:]]+Division by zero");
}

} // namespace
