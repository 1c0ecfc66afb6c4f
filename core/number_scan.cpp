// The numeric item grammar shared by READ and INPUT #, and the converters
// from the scanned record to numbers.
#include "core/number_scan.h"

#include <algorithm>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

static_assert(LDBL_MANT_DIG == 64, "number conversions need the 80-bit extended long double");

scanned_number_record scanned_number;

namespace
{

// The scanner's working state, reset at the start of every scan.
struct scan_state {
    int state; // 0 start, 1 integer part, 2 fraction, 3 exponent letter, 4 exponent
    uint64_t exponent_value;
    int exponent_digits;
    bool exponent_negative;
    bool first;           // no character taken yet
    bool after_ampersand; // '&' taken, base letter expected
    uint8_t based;        // 0, or the base of an &H/&O item being read
};

scan_state scan;

constexpr int EXPONENT_DIGITS_MAX = 18;

// The largest magnitude a single target accepts, as an extended value.
constexpr long double SINGLE_MAGNITUDE_MAX = 3.402823466E+38L;

int digit_in_base(int c, uint8_t base)
{
    if (c >= '0' && c <= '7')
        return 1;
    if (c == '8' || c == '9')
        return base != NUMBER_BASE_OCTAL;
    if ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))
        return base == NUMBER_BASE_HEX;
    return 0;
}

// Appends a digit; false when the buffer is full.
bool store_digit(int c)
{
    if (scanned_number.digit_count >= SCANNED_DIGITS_MAX)
        return false;
    scanned_number.digits[scanned_number.digit_count++] = char(c);
    return true;
}

scan_step take_based(int c)
{
    if (scan.after_ampersand) {
        scan.after_ampersand = false;
        if (c == 'H' || c == 'h')
            scan.based = NUMBER_BASE_HEX;
        else if (c == 'O' || c == 'o')
            scan.based = NUMBER_BASE_OCTAL;
        else
            return scan_step::ends;
        return scan_step::taken;
    }
    if (!digit_in_base(c, scan.based))
        return scan_step::ends;
    if (!store_digit(c))
        return scan_step::limit;
    scanned_number.base = scan.based;
    return scan_step::taken;
}

scan_step take_mantissa_digit(int c)
{
    bool none_yet = scanned_number.digit_count == 0;
    if (scan.state <= 1) {
        scan.state = 1;
        if (none_yet && c == '0')
            return scan_step::taken;
        if (!none_yet)
            scanned_number.exponent++;
    } else if (none_yet && c == '0') {
        scanned_number.exponent--;
        return scan_step::taken;
    }
    return store_digit(c) ? scan_step::taken : scan_step::limit;
}

scan_step take_exponent_digit(int c)
{
    scan.state = 4;
    if (c == '0' && scan.exponent_digits == 0)
        return scan_step::taken;
    if (scan.exponent_digits == EXPONENT_DIGITS_MAX)
        return scan_step::limit;
    scan.exponent_digits++;
    scan.exponent_value = scan.exponent_value * 10 + uint64_t(c - '0');
    return scan_step::taken;
}

scan_step take_decimal(int c)
{
    bool digit = c >= '0' && c <= '9';
    if (digit)
        return scan.state <= 2 ? take_mantissa_digit(c) : take_exponent_digit(c);
    if (c == '-' || c == '+') {
        if (scan.state != 0 && scan.state != 3)
            return scan_step::ends;
        if (scan.state == 0)
            scanned_number.negative = c == '-';
        else
            scan.exponent_negative = c == '-';
        scan.state++;
        return scan_step::taken;
    }
    if (c == '.' && scan.state <= 1) {
        if (scanned_number.digit_count == 0)
            scanned_number.exponent = -1;
        scan.state = 2;
        return scan_step::taken;
    }
    if ((c == 'D' || c == 'E' || c == 'd' || c == 'e') && scan.state <= 2) {
        scan.state = 3;
        return scan_step::taken;
    }
    return scan_step::ends;
}

// Compares the first digits of the record with a limit's digits: true when the
// record's prefix is not greater (a smaller digit settles it).
bool digits_within(const char *limit)
{
    size_t n = std::min<size_t>(scanned_number.digit_count, std::strlen(limit));
    for (size_t i = 0; i < n; i++) {
        if (scanned_number.digits[i] != limit[i])
            return scanned_number.digits[i] < limit[i];
    }
    return true;
}

// Hexadecimal or octal digits as a 64-bit pattern; false when there are more
// significant digits than 64 bits hold. Leading zeros are not counted.
bool based_to_bits(uint64_t &bits)
{
    const char *d = scanned_number.digits;
    int count = scanned_number.digit_count;
    while (count > 0 && *d == '0') {
        d++;
        count--;
    }
    bool hex = scanned_number.base == NUMBER_BASE_HEX;
    if (count > (hex ? 16 : 22) || (!hex && count == 22 && d[0] > '1'))
        return false;
    bits = 0;
    for (int i = 0; i < count; i++) {
        int c = d[i];
        int v = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        bits = bits * (hex ? 16 : 8) + uint64_t(v);
    }
    return true;
}

// The integer part's magnitude: the first exponent + 1 digits, missing ones
// counting as 0. The caller has checked that it fits in 64 bits.
uint64_t integer_magnitude()
{
    uint64_t v = 0;
    for (int64_t i = 0; i <= scanned_number.exponent; i++) {
        int d = i < scanned_number.digit_count ? scanned_number.digits[i] - '0' : 0;
        v = v * 10 + uint64_t(d);
    }
    return v;
}

locale_t c_locale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return loc;
}

} // namespace

void scan_begin()
{
    scanned_number.digit_count = 0;
    scanned_number.exponent = 0;
    scanned_number.negative = 0;
    scanned_number.base = NUMBER_BASE_DECIMAL;
    scan = scan_state{0, 0, 0, false, true, false, 0};
}

// One character (or -1 for the end) through the item grammar.
scan_step scan_take(int c)
{
    bool first = scan.first;
    scan.first = false;
    if (scan.after_ampersand || scan.based)
        return take_based(c);
    if (c == '&') {
        if (!first)
            return scan_step::ends;
        scan.after_ampersand = true;
        return scan_step::taken;
    }
    return take_decimal(c);
}

void scan_finish()
{
    if (scan.exponent_negative)
        scanned_number.exponent -= int64_t(scan.exponent_value);
    else
        scanned_number.exponent += int64_t(scan.exponent_value);
    if (scanned_number.digit_count == 0) {
        scanned_number.exponent = 0;
        scanned_number.negative = 0;
    }
}

bool number_to_float()
{
    scanned_number.float_result = 0;
    const int count = scanned_number.digit_count;
    if (count == 0)
        return true;
    if (scanned_number.base != NUMBER_BASE_DECIMAL) {
        uint64_t bits;
        if (!based_to_bits(bits))
            return false;
        scanned_number.float_result = static_cast<long double>(static_cast<int64_t>(bits));
        return true;
    }
    const int64_t e = scanned_number.exponent;
    if (e >= 309 || (e == 308 && !digits_within("17976931348623157")))
        return false;
    if (e < -324)
        return true;
    // d1.d2...d17E<e>; digits after the 17th are ignored.
    std::string text;
    if (scanned_number.negative)
        text.push_back('-');
    text.push_back(scanned_number.digits[0]);
    text.push_back('.');
    if (count == 1)
        text.push_back('0');
    else
        text.append(scanned_number.digits + 1, size_t(std::min(count, 17) - 1));
    text.push_back('E');
    text += std::to_string(e);
    scanned_number.float_result = decimal_text_to_double(text.c_str());
    return true;
}

bool number_rounds_up()
{
    int64_t index = scanned_number.exponent + 1;
    if (scanned_number.digit_count == 0 || index < 0 || index >= scanned_number.digit_count)
        return false;
    return scanned_number.digits[index] >= '5';
}

// The magnitude is built unsigned, so -9223372036854775808 needs no
// intermediate value that does not fit.
bool number_to_int64()
{
    scanned_number.int64_result = 0;
    if (scanned_number.digit_count == 0)
        return true;
    if (scanned_number.base != NUMBER_BASE_DECIMAL) {
        uint64_t bits;
        if (!based_to_bits(bits))
            return false;
        scanned_number.int64_result = static_cast<int64_t>(bits);
        return true;
    }
    const bool negative = scanned_number.negative;
    const int64_t e = scanned_number.exponent;
    if (e >= 19 ||
        (e == 18 && !digits_within(negative ? "9223372036854775808" : "9223372036854775807")))
        return false;
    const uint64_t limit = negative ? uint64_t(1) << 63 : (uint64_t(1) << 63) - 1;
    uint64_t magnitude = e < 0 ? 0 : integer_magnitude();
    if (number_rounds_up()) {
        if (magnitude == limit)
            return false;
        magnitude++;
    }
    scanned_number.int64_result =
        static_cast<int64_t>(negative ? uint64_t(0) - magnitude : magnitude);
    return true;
}

bool number_to_uint64()
{
    scanned_number.uint64_result = 0;
    if (scanned_number.digit_count == 0)
        return true;
    if (scanned_number.base != NUMBER_BASE_DECIMAL) {
        uint64_t bits;
        if (!based_to_bits(bits))
            return false;
        scanned_number.uint64_result = bits;
        return true;
    }
    const bool negative = scanned_number.negative;
    const int64_t e = scanned_number.exponent;
    if (e >= 20 || (e == 19 && !digits_within("18446744073709551615")) || (negative && e >= 0))
        return false;
    uint64_t magnitude = e < 0 ? 0 : integer_magnitude();
    if (number_rounds_up()) {
        if (negative || magnitude == UINT64_MAX)
            return false;
        magnitude++;
    }
    scanned_number.uint64_result = magnitude;
    return true;
}

bool number_fits_target(long double *value, uint32_t type_word)
{
    const uint32_t size = type_word & NUMERIC_TYPE_SIZE_MASK;
    const long double v = *value;
    if (type_word & NUMERIC_TYPE_FLOAT)
        return size > 63 || std::fabs(v) <= SINGLE_MAGNITUDE_MAX;
    if (v < -0x1p63L || v > 0x1p63L)
        return false;
    const long double rounded = std::nearbyint(v); // the current mode: half to even
    const int bits = size >= 1 && size <= 64 ? int(size) : 64;
    const bool is_unsigned = type_word & NUMERIC_TYPE_UNSIGNED;
    const long double low = is_unsigned ? 0 : -std::ldexp(1.0L, bits - 1);
    const long double high = std::ldexp(1.0L, is_unsigned ? bits : bits - 1) - 1;
    if (rounded < low || rounded > high)
        return false;
    *value = rounded;
    return true;
}

double decimal_text_to_double(const char *text)
{
    return c_locale() ? strtod_l(text, nullptr, c_locale()) : std::strtod(text, nullptr);
}

long double decimal_text_to_long_double(const char *text)
{
    return c_locale() ? strtold_l(text, nullptr, c_locale()) : std::strtold(text, nullptr);
}
