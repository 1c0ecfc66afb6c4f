#include "core/small_ops.h"

#include "core/errors.h"
#include "platform/clock.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr uint32_t ERROR_OVERFLOW = 6;
constexpr uint32_t ERROR_SUBSCRIPT = 9;
constexpr uint32_t ERROR_DIVISION_BY_ZERO = 11;

// 2^31 and 2^63 are exact in every floating type; the ranges are checked
// against them so that no comparison depends on a rounded limit.
constexpr double TWO_POW_31 = 2147483648.0;
constexpr double TWO_POW_63 = 9223372036854775808.0;

int32_t component_clamp(int32_t c) { return std::clamp(c, 0, 255); }

// Quotient with the divisor checks shared by the three widths.
template <typename T> T checked_div(T a, T b)
{
    if (b == 0) {
        error_raise(ERROR_DIVISION_BY_ZERO);
        return 0;
    }
    if (b == -1 && a == std::numeric_limits<T>::min()) {
        error_raise(ERROR_OVERFLOW);
        return 0;
    }
    return T(a / b);
}

template <typename T> T checked_mod(T a, T b)
{
    if (b == 0) {
        error_raise(ERROR_DIVISION_BY_ZERO);
        return 0;
    }
    if (b == -1)
        return 0;
    return T(a % b);
}

} // namespace

uint32_t array_index_check(uint32_t index, uint32_t bound)
{
    if (index < bound)
        return index;
    error_raise(ERROR_SUBSCRIPT);
    return 0;
}

uint32_t color_argb_pack(int32_t red, int32_t green, int32_t blue)
{
    return 0xFF000000u | uint32_t(component_clamp(red)) << 16 |
           uint32_t(component_clamp(green)) << 8 | uint32_t(component_clamp(blue));
}

int32_t double_to_int32_saturating(double x)
{
    if (std::isnan(x))
        return 0;
    if (x >= TWO_POW_31)
        return std::numeric_limits<int32_t>::max();
    if (x <= -TWO_POW_31 - 1.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(x);
}

int64_t double_to_int64_saturating(double x)
{
    if (std::isnan(x))
        return 0;
    if (x >= TWO_POW_63)
        return std::numeric_limits<int64_t>::max();
    // -2^63 itself fits; the next double below it is far out of range.
    if (x < -TWO_POW_63)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(x);
}

int64_t long_double_to_int64_saturating(long double x)
{
    if (std::isnan(x))
        return 0;
    if (x >= static_cast<long double>(TWO_POW_63))
        return std::numeric_limits<int64_t>::max();
    // With a 64-bit mantissa no value lies strictly between -2^63 - 1 and
    // -2^63, so everything at or above -2^63 truncates into range.
    if (x < -static_cast<long double>(TWO_POW_63))
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(x);
}

bool double_to_int32_checked(double x, int32_t *out)
{
    if (!(x < TWO_POW_31 && x > -TWO_POW_31 - 1.0))
        return false;
    *out = static_cast<int32_t>(x);
    return true;
}

bool double_to_int64_checked(double x, int64_t *out)
{
    if (!(x < TWO_POW_63 && x >= -TWO_POW_63))
        return false;
    *out = static_cast<int64_t>(x);
    return true;
}

int32_t round_float_to_int32(float x) { return double_to_int32_saturating(std::nearbyint(x)); }

int32_t round_double_to_int32(double x) { return double_to_int32_saturating(std::nearbyint(x)); }

int64_t round_long_double_to_int64(long double x)
{
    return long_double_to_int64_saturating(std::nearbyint(x));
}

int64_t round_long_double_to_int64_b(long double x) { return round_long_double_to_int64(x); }

int16_t int_div_i16(int16_t a, int16_t b) { return checked_div(a, b); }
int32_t int_div_i32(int32_t a, int32_t b) { return checked_div(a, b); }
int64_t int_div_i64(int64_t a, int64_t b) { return checked_div(a, b); }
int16_t int_mod_i16(int16_t a, int16_t b) { return checked_mod(a, b); }
int32_t int_mod_i32(int32_t a, int32_t b) { return checked_mod(a, b); }
int64_t int_mod_i64(int64_t a, int64_t b) { return checked_mod(a, b); }

void sleep_ms(uint32_t ms) { clock_sleep_ms(ms); }
