#include "tests/core/string_test_support.h"

#include "core/errors.h"
#include "core/guarded_math.h"
#include "platform/clock.h"
#include "support/gives_raising.h"

#include <cfloat>
#include <cmath>
#include <ctime>
#include <functional>
#include <limits>

namespace
{

struct math_case {
    const char *what;
    std::function<double()> call;
    double expected; // NaN: a NaN is expected
    uint32_t error;
};

void expect_math(const std::vector<math_case> &cases)
{
    for (const math_case &c : cases) {
        const double got = c.call();
        if (std::isnan(c.expected))
            EXPECT_TRUE(std::isnan(got)) << c.what;
        else
            EXPECT_EQ(got, c.expected) << c.what;
        EXPECT_EQ(error_pending_take(), c.error) << c.what;
    }
}

const double nan_value = std::nan("");
const long double ld_nan = std::nanl("");

using guarded_math = StringTest;

TEST_F(guarded_math, log_exp_and_sqr_at_their_guards)
{
    expect_math({
        {"LOG(0)", [] { return rt_log(0); }, 0, 5},
        {"LOG(-1)", [] { return rt_log(-1); }, 0, 5},
        {"LOG(1)", [] { return rt_log(1); }, 0, 0},
        {"LOG(NaN)", [] { return rt_log(nan_value); }, nan_value, 0},
        {"EXP(88.02969)", [] { return rt_exp_single(88.02969); }, std::exp(88.02969), 0},
        {"EXP(88.0297)", [] { return rt_exp_single(88.0297); }, 0, 6},
        {"EXP single NaN", [] { return rt_exp_single(nan_value); }, 0, 6},
        {"EXP(709.78)", [] { return rt_exp_double(709.78L); }, std::exp(709.78), 0},
        {"EXP(709.782712894)", [] { return rt_exp_double(709.782712894L); }, 0, 6},
        {"EXP double NaN", [] { return rt_exp_double(ld_nan); }, 0, 6},
        {"EXP(-1000)", [] { return rt_exp_double(-1000); }, 0, 0},
        {"SQR(0)", [] { return rt_sqr(0); }, 0, 0},
        {"SQR(-0)", [] { return rt_sqr(-0.0); }, 0, 0},
        {"SQR(-0.0001)", [] { return rt_sqr(-0.0001); }, 0, 5},
        {"SQR(2)", [] { return rt_sqr(2); }, std::sqrt(2.0), 0},
    });
}

TEST_F(guarded_math, fix_and_powers)
{
    static const long double below_three = std::nextafter(3.0L, 0.0L);
    constexpr long double beyond_double = 18446744073709551615.0L; // 2^64 - 1
    expect_math({
        {"FIX(-2.7)", [] { return rt_fix_double(-2.7); }, -2, 0},
        {"FIX(2.7)", [] { return rt_fix_double(2.7); }, 2, 0},
        {"FIX(2.7##)", [] { return rt_fix_long_double(2.7L); }, 2, 0},
        {"FIX(3 - eps##)", [] { return rt_fix_long_double(below_three); }, 2, 0},
        {"FIX(-(3 - eps)##)", [] { return rt_fix_long_double(-below_three); }, -2, 0},
        {"FIX(2^64 - 1##)", [] { return rt_fix_long_double(beyond_double); },
         18446744073709549568.0, 0},
        {"FIX(NaN)", [] { return rt_fix_double(nan_value); }, nan_value, 0},
        {"(-8) ^ (1/3)", [] { return power_check_negative_base(-8, 1.0L / 3); }, 0, 5},
        {"(-8) ^ NaN", [] { return power_check_negative_base(-8, ld_nan); }, 0, 5},
        {"(-8) ^ 3", [] { return power_check_negative_base(-8, 3); }, -512, 0},
        {"(-2) ^ -2", [] { return power_check_negative_base(-2, -2); }, 0.25, 0},
        {"0 ^ -1", [] { return power_check_negative_base(0, -1); }, HUGE_VAL, 0},
        {"8 ^ (1/3)", [] { return power_check_negative_base(8, 1.0L / 3); },
         std::pow(8.0, double(1.0L / 3)), 0},
    });
    EXPECT_TRUE(std::signbit(rt_fix_double(-0.5)));
    EXPECT_LE(std::fabs(rt_fix_long_double(beyond_double)), beyond_double);
}

TEST_F(guarded_math, plus_one_wraps_at_the_top)
{
    EXPECT_EQ(plus_one(41), 42);
    EXPECT_EQ(plus_one(-1), 0);
    EXPECT_EQ(plus_one(std::numeric_limits<int32_t>::max()), std::numeric_limits<int32_t>::min());
}

// A fixed wall clock for DATE$ and TIME$.
tm fixed_time{};

tm local_time(int year, int month, int day, int hour, int minute, int second)
{
    tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

bool fixed_clock(tm *out)
{
    *out = fixed_time;
    return true;
}
bool broken_clock(tm *)
{
    return false;
}

class date_time : public StringTest
{
  protected:
    void SetUp() override
    {
        StringTest::SetUp();
        fixed_time = local_time(2024, 1, 5, 9, 3, 7);
        wall_clock_seam_set(fixed_clock);
    }
    void TearDown() override
    {
        wall_clock_seam_set(nullptr);
        StringTest::TearDown();
    }
};

TEST_F(date_time, date_and_time_from_the_clock_with_leading_zeros)
{
    EXPECT_EQ(text_of(rt_date_str()), "01-05-2024");
    EXPECT_EQ(text_of(rt_time_str()), "09:03:07");
    fixed_time = local_time(1999, 12, 31, 23, 59, 59);
    EXPECT_EQ(text_of(rt_date_str()), "12-31-1999");
    EXPECT_EQ(text_of(rt_time_str()), "23:59:59");
    EXPECT_TRUE(rt_date_str()->tmp);
}

TEST_F(date_time, statements_change_nothing)
{
    rt_date_str_set(literal("12-31-1999"));
    rt_time_str_set(literal("00:00:00"));
    EXPECT_EQ(text_of(rt_date_str()), "01-05-2024");
    EXPECT_EQ(text_of(rt_time_str()), "09:03:07");
}

TEST_F(date_time, unreadable_clock_gives_error_5_and_empty_strings)
{
    wall_clock_seam_set(broken_clock);
    EXPECT_TRUE(gives_raising(text_of(rt_date_str()), "", 5));
    EXPECT_TRUE(gives_raising(text_of(rt_time_str()), "", 5));
}

} // namespace
