// VAL: the number at the start of a string.
//
// Blanks and tabs are ignored wherever they stand ("1 2" is 12). "&H" and
// "&O" at the start read a hexadecimal or octal 64-bit pattern, taken as
// signed. Otherwise: optional sign, digits, point, fraction digits, and an
// exponent letter (D, E, d, e) with optional sign and digits; the first
// character that does not fit ends the number.
#include "core/errors.h"
#include "core/number_scan.h"
#include "core/string_builtins.h"

#include <string>

namespace
{

// Reads a string's bytes one by one, passing over blanks and tabs.
struct val_cursor {
    const uint8_t *p;
    const uint8_t *end;

    int peek()
    {
        while (p < end && (*p == ' ' || *p == '\t'))
            p++;
        return p < end ? *p : -1;
    }
    void next() { p++; }
};

int digit_value(int c, int base)
{
    int d = -1;
    if (c >= '0' && c <= '9')
        d = c - '0';
    else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
    return d < base ? d : -1;
}

// "&H..." / "&O...": digits of the base into a 64-bit pattern read as signed.
// Leading zeros are not significant; more significant digits than the pattern
// holds raise error 6 (Overflow) and give 0.
long double val_based(val_cursor &in, int base)
{
    const int max_digits = base == 16 ? 16 : 22;
    uint64_t value = 0;
    int significant = 0;
    int first = 0;
    for (int c = in.peek(); digit_value(c, base) >= 0; in.next(), c = in.peek()) {
        int d = digit_value(c, base);
        if (significant == 0 && d == 0)
            continue;
        if (significant == 0)
            first = d;
        significant++;
        // 22 octal digits hold 64 bits only when the first is 0 or 1.
        if (significant > max_digits || (base == 8 && significant == 22 && first > 1)) {
            error_raise(6);
            return 0;
        }
        value = value * uint64_t(base) + uint64_t(d);
    }
    return static_cast<long double>(static_cast<int64_t>(value));
}

// The decimal state machine's findings.
struct val_decimal {
    bool negative = false;
    std::string digits; // significant digits as text
    int64_t integer_digits = 0;
    int64_t point_exponent = 0; // lowered by each zero between point and first digit
    bool fraction_digit = false;
    bool exponent_seen = false;
    bool exponent_negative = false;
    int64_t exponent_value = 0;
};

constexpr int VAL_EXPONENT_DIGITS_MAX = 18;

// States: 0 start, 1 sign or integer digits seen, 2 after the point,
// 3 exponent letter seen, 4 exponent sign or digits seen.
void val_scan_decimal(val_cursor &in, val_decimal &d)
{
    int state = 0;
    int exponent_digits = 0;
    for (int c = in.peek(); c >= 0; in.next(), c = in.peek()) {
        bool digit = c >= '0' && c <= '9';
        if ((c == '+' || c == '-') && (state == 0 || state == 3)) {
            if (state == 0)
                d.negative = c == '-';
            else
                d.exponent_negative = c == '-';
            state++;
        } else if (digit && state <= 1) {
            state = 1;
            if (c == '0' && d.digits.empty())
                continue;
            d.digits.push_back(char(c));
            d.integer_digits++;
        } else if (digit && state == 2) {
            d.fraction_digit = true;
            if (c == '0' && d.digits.empty())
                d.point_exponent--;
            else
                d.digits.push_back(char(c));
        } else if (c == '.' && state <= 1) {
            state = 2;
        } else if ((c == 'D' || c == 'E' || c == 'd' || c == 'e') && state <= 2) {
            state = 3;
            d.exponent_seen = true;
        } else if (digit && state >= 3) {
            state = 4;
            if (c == '0' && exponent_digits == 0)
                continue;
            if (exponent_digits == VAL_EXPONENT_DIGITS_MAX)
                return;
            exponent_digits++;
            d.exponent_value = d.exponent_value * 10 + (c - '0');
        } else {
            return;
        }
    }
}

// Integers of up to 18 digits are exact in 64 bits; everything else (fraction,
// exponent, or 19 and more integer digits) goes through decimal text.
long double val_decimal_value(const val_decimal &d)
{
    if (d.digits.empty())
        return 0;
    if (!d.exponent_seen && !d.fraction_digit && d.integer_digits <= 18) {
        int64_t v = 0;
        for (char c : d.digits)
            v = v * 10 + (c - '0');
        return d.negative ? -v : v;
    }
    int64_t exponent = (d.exponent_negative ? -d.exponent_value : d.exponent_value) +
                       d.point_exponent + d.integer_digits - 1;
    std::string text;
    text.reserve(d.digits.size() + 24);
    if (d.negative)
        text.push_back('-');
    text.push_back(d.digits[0]);
    text.push_back('.');
    text.append(d.digits, 1);
    text.push_back('E');
    text += std::to_string(exponent);
    return decimal_text_to_long_double(text.c_str());
}

} // namespace

long double rt_val(const string_descriptor *s)
{
    val_cursor in{s->chr, s->chr + s->len};
    if (in.peek() == '&') {
        in.next();
        int c = in.peek();
        in.next();
        if (c == 'H' || c == 'h')
            return val_based(in, 16);
        if (c == 'O' || c == 'o')
            return val_based(in, 8);
        return 0;
    }
    val_decimal d;
    val_scan_decimal(in, d);
    return val_decimal_value(d);
}
