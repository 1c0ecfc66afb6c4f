// STR$: numbers to their BASIC text form.
//
// Floating-point values are first rounded to a fixed number of significant
// digits in scientific form (7 for singles, 16 for doubles). Values whose
// decimal exponent is small enough are then written in fixed notation with
// just their significant digits ("0." loses its zero: " .5"); the rest in E
// (single) or D (double) notation with a two-digit exponent, three when above
// 99. All formatting goes through std::to_chars: it is exact, rounds to
// nearest even like the C library, and never depends on the locale.
#include "core/string_builtins.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace
{

// One value rounded to a number of significant digits: the digits without a
// point, and the decimal exponent of the first one.
struct scientific_digits {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

scientific_digits to_scientific(double v, int significant)
{
    char buf[64];
    auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, significant - 1);
    (void)ec; // 64 bytes always hold 17 digits and an exponent
    scientific_digits r;
    const char *p = buf;
    if (*p == '-') {
        r.negative = true;
        p++;
    }
    for (; p < end && *p != 'e'; p++)
        if (*p != '.')
            r.digits.push_back(*p);
    std::from_chars(p + 1 + (p[1] == '+'), end, r.exponent);
    return r;
}

// Significant digits left once trailing zeros are dropped.
int significant_count(const std::string &digits)
{
    size_t n = digits.find_last_not_of('0');
    return n == std::string::npos ? 0 : int(n + 1);
}

string_descriptor *text_result(const std::string &text)
{
    return string_temp_of_bytes(text.data(), int32_t(text.size()));
}

// " INF", "-INF" or " NAN" for values that have no digits.
std::string non_finite_text(double v)
{
    if (std::isnan(v))
        return " NAN";
    return v < 0 ? "-INF" : " INF";
}

// Fixed notation with `decimals` digits after the point, sign character first;
// a leading "0." becomes ".".
std::string fixed_text(double v, int decimals)
{
    char buf[400];
    auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::fixed, decimals);
    (void)ec; // values written in fixed notation are below 10^16
    std::string text(1, std::signbit(v) ? '-' : ' ');
    text.append(buf, end);
    if (text.size() > 2 && text[1] == '0' && text[2] == '.')
        text.erase(1, 1);
    return text;
}

// E or D notation: sign character, first digit, the other significant digits
// after a point, the letter, the exponent's sign and at least two digits.
std::string exponent_text(const scientific_digits &m, int count, char letter)
{
    std::string text(1, m.negative ? '-' : ' ');
    text.push_back(m.digits[0]);
    if (count > 1) {
        text.push_back('.');
        text.append(m.digits, 1, size_t(count - 1));
    }
    text.push_back(letter);
    text.push_back(m.exponent < 0 ? '-' : '+');
    int magnitude = std::abs(m.exponent);
    if (magnitude < 10)
        text.push_back('0');
    text += std::to_string(magnitude);
    return text;
}

// The shared layout of single and double STR$: `significant` digits, fixed
// notation while exponent < fixed_limit and exponent - digits >= -(limit + 1).
std::string float_text(double v, const scientific_digits &m, int fixed_limit, char letter)
{
    int count = significant_count(m.digits);
    if (count == 0)
        return " 0";
    int e = m.exponent;
    if (e < fixed_limit && e - count >= -(fixed_limit + 1))
        return fixed_text(v, std::max(0, count - e - 1));
    return exponent_text(m, count, letter);
}

// Signed integers: a blank before a non-negative value.
template <typename T> string_descriptor *signed_text(T v)
{
    char buf[24];
    buf[0] = ' ';
    char *first = v < 0 ? buf : buf + 1;
    auto [end, ec] = std::to_chars(first, buf + sizeof buf, v);
    (void)ec;
    return string_temp_of_bytes(buf, int32_t(end - buf));
}

// Unsigned integers: always a blank first.
template <typename T> string_descriptor *unsigned_text(T v)
{
    char buf[24];
    buf[0] = ' ';
    auto [end, ec] = std::to_chars(buf + 1, buf + sizeof buf, v);
    (void)ec;
    return string_temp_of_bytes(buf, int32_t(end - buf));
}

} // namespace

string_descriptor *rt_str_str_int64(int64_t v)
{
    return signed_text(v);
}
string_descriptor *rt_str_str_long(int32_t v)
{
    return signed_text(v);
}
string_descriptor *rt_str_str_integer(int16_t v)
{
    return signed_text(int32_t(v));
}
string_descriptor *rt_str_str_byte(int8_t v)
{
    return signed_text(int32_t(v));
}
string_descriptor *rt_str_str_uint64(uint64_t v)
{
    return unsigned_text(v);
}
string_descriptor *rt_str_str_ulong(uint32_t v)
{
    return unsigned_text(v);
}
string_descriptor *rt_str_str_uinteger(uint16_t v)
{
    return unsigned_text(uint32_t(v));
}
string_descriptor *rt_str_str_ubyte(uint8_t v)
{
    return unsigned_text(uint32_t(v));
}

// STR$ of a single: seven significant digits of the value widened to double.
string_descriptor *rt_str_str_single(float f)
{
    double v = f;
    if (!std::isfinite(v))
        return text_result(non_finite_text(v));
    return text_result(float_text(v, to_scientific(v, 7), 7, 'E'));
}

// STR$ of a double: sixteen significant digits, except that a sixteenth digit
// of 9 (binary noise such as 0.69999999999999996) makes the value be rounded to
// fifteen digits instead, padded with a zero. That rounding may carry into the
// next power of ten, so the exponent is taken from it as well.
string_descriptor *rt_str_str_double(double v)
{
    if (!std::isfinite(v))
        return text_result(non_finite_text(v));
    scientific_digits m = to_scientific(v, 16);
    if (m.digits[15] == '9') {
        m = to_scientific(v, 15);
        m.digits.push_back('0');
    }
    return text_result(float_text(v, m, 16, 'D'));
}

// Extended values beyond the double range become infinities of their sign.
string_descriptor *rt_str_str_long_double(long double v)
{
    if (std::fabs(v) > std::numeric_limits<double>::max())
        return rt_str_str_double(std::signbit(v) ? -HUGE_VAL : HUGE_VAL);
    return rt_str_str_double(static_cast<double>(v));
}
