#include "core/guarded_math.h"

#include "core/errors.h"

#include <cmath>

namespace
{

constexpr int32_t ERROR_ILLEGAL_CALL = 5;
constexpr int32_t ERROR_OVERFLOW = 6;

constexpr double EXP_SINGLE_LIMIT = 88.02969;

} // namespace

double math_refused(int32_t error)
{
    error_raise(error);
    return 0;
}

double rt_log(double x)
{
    if (x <= 0)
        return math_refused(ERROR_ILLEGAL_CALL);
    return std::log(x);
}

double rt_exp_single(double x)
{
    if (!(x <= EXP_SINGLE_LIMIT))
        return math_refused(ERROR_OVERFLOW);
    return std::exp(x);
}

double rt_sqr(double x)
{
    if (x < 0)
        return math_refused(ERROR_ILLEGAL_CALL);
    return std::sqrt(x);
}

double rt_fix_double(double x)
{
    return x < 0 ? std::ceil(x) : std::floor(x);
}

double rt_fix_long_double(long double x)
{
    const long double whole = truncl(x);
    double narrowed = double(whole);
    // Above 2^53 the nearest double may lie beyond the whole number.
    if (std::fabs(narrowed) > std::fabs(whole))
        narrowed = std::nextafter(narrowed, 0.0);
    return narrowed;
}

double power_check_negative_base(long double base, long double exponent)
{
    if (base < 0 && !(exponent == floorl(exponent)))
        return math_refused(ERROR_ILLEGAL_CALL);
    return std::pow(double(base), double(exponent));
}

void rt_date_str_set(string_descriptor *) {}

void rt_time_str_set(string_descriptor *) {}

int32_t plus_one(int32_t x)
{
    return int32_t(uint32_t(x) + 1u);
}
