// The numeric PRINT USING entry points: each value becomes the decimal digit
// record the engine formats. All conversions go through std::to_chars, which
// is exact and locale-free and gives the same digits as the C library.
#include "core/errors.h"
#include "core/print_using.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>

static_assert(LDBL_MANT_DIG == 64, "the digit record is sized for the 80-bit long double");

print_using_digit_record print_using_digits;

namespace
{

// Fraction digits after the first significant digit (scientific form) or
// after the point (fixed form).
constexpr int FRACTION_DIGITS = 255;

// One zero digit, exponent 0, never negative (so -0.0 prints as 0).
void digits_normalise_zero(print_using_digit_record &r)
{
    for (int32_t i = 0; i < r.count; i++)
        if (r.digits[i] != '0')
            return;
    r.digits[0] = '0';
    r.count = 1;
    r.exponent = 0;
    r.negative = 0;
}

template <typename T> void digits_of_integer(T magnitude, bool negative)
{
    print_using_digit_record &r = print_using_digits;
    auto [end, ec] = std::to_chars(r.digits, r.digits + PRINT_USING_DIGITS_MAX, magnitude);
    (void)ec; // 20 digits always fit
    r.count = int32_t(end - r.digits);
    r.exponent = 0;
    r.negative = negative ? 1 : 0;
}

// Takes "d.ddd" (first digit, point, fraction) out of the text at the start of
// the record, closing the gap left by the point. Returns the digit count.
int32_t digits_drop_point(char *text, const char *end)
{
    const char *point = static_cast<const char *>(std::memchr(text, '.', size_t(end - text)));
    if (!point)
        return int32_t(end - text);
    const char *stop = static_cast<const char *>(std::memchr(point, 'e', size_t(end - point)));
    if (!stop)
        stop = end;
    std::memmove(text + (point - text), point + 1, size_t(stop - point - 1));
    return int32_t(stop - text - 1);
}

// Scientific digits of |v|: 256 significant digits; the exponent is that of
// the last one.
template <typename T> void digits_scientific(T magnitude)
{
    print_using_digit_record &r = print_using_digits;
    auto [end, ec] = std::to_chars(r.digits, r.digits + PRINT_USING_DIGITS_MAX, magnitude,
                                   std::chars_format::scientific, FRACTION_DIGITS);
    (void)ec; // 256 digits and an exponent always fit
    const char *e = static_cast<const char *>(std::memchr(r.digits, 'e', size_t(end - r.digits)));
    int32_t first_exponent = 0;
    std::from_chars(e + 1 + (e[1] == '+'), end, first_exponent);
    r.count = digits_drop_point(r.digits, end);
    r.exponent = first_exponent - (r.count - 1);
}

// Fixed digits of a long double of magnitude 1 or more: every integer digit
// and 255 fraction digits.
void digits_fixed(long double magnitude)
{
    print_using_digit_record &r = print_using_digits;
    auto [end, ec] = std::to_chars(r.digits, r.digits + PRINT_USING_DIGITS_MAX, magnitude,
                                   std::chars_format::fixed, FRACTION_DIGITS);
    (void)ec; // at most 4,933 integer digits: the record holds them
    r.count = digits_drop_point(r.digits, end);
    r.exponent = -FRACTION_DIGITS;
}

// The floating entry points' shared step: false (error 5 raised) for an
// infinity or NaN, which have no digits.
template <typename T> bool digits_of_float(T value)
{
    if (!std::isfinite(value)) {
        error_raise(5);
        return false;
    }
    const T magnitude = std::fabs(value);
    if constexpr (sizeof(T) > sizeof(double)) {
        if (magnitude >= 1)
            digits_fixed(magnitude);
        else
            digits_scientific(magnitude);
    } else {
        digits_scientific(magnitude);
    }
    print_using_digits.negative = std::signbit(value) ? 1 : 0;
    digits_normalise_zero(print_using_digits);
    return true;
}

} // namespace

int32_t rt_print_using_integer64(string_descriptor *format, int64_t value, int32_t start,
                                 string_descriptor *dest)
{
    if (error_pending)
        return 0;
    // The magnitude in unsigned arithmetic: -INT64_MIN does not fit an i64.
    const uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
    digits_of_integer(magnitude, value < 0);
    return print_using_number(format, start, dest, nullptr);
}

int32_t rt_print_using_uinteger64(string_descriptor *format, uint64_t value, int32_t start,
                                  string_descriptor *dest)
{
    if (error_pending)
        return 0;
    digits_of_integer(value, false);
    return print_using_number(format, start, dest, nullptr);
}

int32_t rt_print_using_single(string_descriptor *format, float value, int32_t start,
                              string_descriptor *dest)
{
    return rt_print_using_double(format, double(value), start, dest);
}

int32_t rt_print_using_double(string_descriptor *format, double value, int32_t start,
                              string_descriptor *dest)
{
    if (error_pending || !digits_of_float(value))
        return 0;
    return print_using_number(format, start, dest, nullptr);
}

int32_t rt_print_using_long_double(string_descriptor *format, long double value, int32_t start,
                                   string_descriptor *dest)
{
    if (error_pending || !digits_of_float(value))
        return 0;
    return print_using_number(format, start, dest, nullptr, 'F');
}
