// PRINT USING numeric layout: fixed and exponent forms, the sign place, the
// overflow marker and the one rounding step of an item.
//
// The digit record reads as an integer times 10^exponent; a digit index i
// stands for the place 10^(first - i), where first = exponent + count - 1 is
// the place of the first digit. Indices outside the record print '0'.
#include "core/print_using_internal.h"

#include <algorithm>
#include <cstring>

namespace
{

struct number_layout {
    int32_t integer_places;
    int32_t decimal_places;
    bool point;
    int32_t exponent; // the record's, lowered by one for a zero without integer places
    bool sign_place;
    char sign_char; // printed in the sign place: '-', '0' or ' '
    bool overflow = false;
    int32_t width = 0;           // fixed form: integer places including commas
    int32_t exponent_digits = 0; // exponent form: digits of the printed exponent
    int64_t printed_exponent = 0;
};

bool signed_by_char(const using_field &f)
{
    return f.leading_plus || f.trailing_plus || f.trailing_minus;
}

bool is_zero(const print_using_digit_record &d)
{
    return d.count == 1 && d.digits[0] == '0' && d.exponent == 0;
}

char digit_at(const print_using_digit_record &d, int64_t index)
{
    return index >= 0 && index < d.count ? d.digits[index] : '0';
}

// Characters needed for the magnitude of an exponent.
int32_t decimal_width(int64_t v)
{
    int32_t n = 1;
    for (v = v < 0 ? -v : v; v >= 10; v /= 10)
        n++;
    return n;
}

void layout_exponent_form(number_layout &l, const print_using_digit_record &d)
{
    if (!d.negative && l.sign_place && l.integer_places < 1) {
        l.integer_places++;
        l.sign_place = false;
        if (l.integer_places == 1 && l.decimal_places > 0) {
            l.integer_places = 0;
            l.sign_place = true;
            l.sign_char = '0';
        }
    }
    if (l.integer_places == 0 && l.decimal_places == 0) {
        l.overflow = true;
        l.integer_places = 1;
    }
    const int64_t first = int64_t(l.exponent) + d.count - 1;
    l.printed_exponent = first - (int64_t(l.integer_places) - 1);
    if (decimal_width(l.printed_exponent) > l.exponent_digits) {
        l.overflow = true;
        l.exponent_digits = decimal_width(l.printed_exponent);
    }
}

// The value's integer digits are compared with the field's digit places
// (commas excluded), so the field always holds what it prints.
void layout_fixed_form(number_layout &l, const using_field &f, const print_using_digit_record &d)
{
    const int32_t integer_digits = std::max(0, l.exponent + d.count);
    const int32_t ip = l.integer_places;
    const int32_t digit_places = f.comma ? ip - ip / 4 : ip;
    l.width = ip;
    if (digit_places < integer_digits) {
        l.overflow = true;
        l.integer_places = integer_digits;
        l.width = integer_digits + (f.comma ? (integer_digits - 1) / 3 : 0);
    }
}

number_layout layout_of(const using_field &f, const print_using_digit_record &d)
{
    number_layout l{f.integer_places,      f.decimal_places, f.point, d.exponent, false,
                    d.negative ? '-' : ' '};
    l.exponent_digits = f.exponent_digits;
    if (!signed_by_char(f) && (d.negative || f.exponent_digits)) {
        l.integer_places--;
        l.sign_place = true;
    }
    if (f.exponent_digits && l.integer_places == -1) {
        l.integer_places = 0;
        if (--l.decimal_places == 0) {
            l.point = false;
            l.integer_places = 1;
        }
    }
    if (l.integer_places == 0 && is_zero(d))
        l.exponent--;
    if (f.exponent_digits)
        layout_exponent_form(l, d);
    else
        layout_fixed_form(l, f, d);
    return l;
}

// Index of the first digit the layout leaves unprinted.
int64_t next_unprinted(const number_layout &l, const using_field &f,
                       const print_using_digit_record &d)
{
    if (f.exponent_digits)
        return int64_t(l.integer_places) + l.decimal_places;
    return int64_t(l.exponent) + d.count + l.decimal_places;
}

// Adds one at digit index `at` with decimal carry; a carry out of the first
// digit, or a place just before it (at == -1), puts a new leading '1'.
void digits_round_up(print_using_digit_record &d, int64_t at)
{
    for (; at >= 0; at--) {
        if (d.digits[at] != '9') {
            d.digits[at]++;
            return;
        }
        d.digits[at] = '0';
    }
    std::memmove(d.digits + 1, d.digits, size_t(d.count));
    d.digits[0] = '1';
    d.count++;
}

void put_exponent_form(const number_layout &l, const print_using_digit_record &d, char letter,
                       std::string &out)
{
    for (int32_t i = 0; i < l.integer_places; i++)
        out += digit_at(d, i);
    if (l.point)
        out += '.';
    for (int32_t i = 0; i < l.decimal_places; i++)
        out += digit_at(d, int64_t(l.integer_places) + i);
    out += letter;
    out += l.printed_exponent < 0 ? '-' : '+';
    out.append(size_t(l.exponent_digits - decimal_width(l.printed_exponent)), '0');
    out += std::to_string(l.printed_exponent < 0 ? -l.printed_exponent : l.printed_exponent);
}

// Integer digits, with a ',' wherever the distance from their end is a
// multiple of 4.
void put_integer_digits(const number_layout &l, const print_using_digit_record &d, int32_t n,
                        int32_t commas, std::string &out)
{
    const int64_t first = int64_t(l.exponent) + d.count - 1;
    int32_t place = n - 1;
    for (int32_t total = n + commas; total > 0; total--) {
        if (commas && total % 4 == 0) {
            out += ',';
            continue;
        }
        out += digit_at(d, first - place--);
    }
}

void put_fixed_form(const number_layout &l, const using_field &f, const print_using_digit_record &d,
                    std::string &out)
{
    const int32_t n = std::max(0, l.exponent + d.count);
    const int32_t commas = f.comma && n > 0 ? (n - 1) / 3 : 0;
    int32_t fill = std::max(0, l.width - (n + commas));
    const bool lead_zero = n == 0 && fill > 0;
    fill -= lead_zero ? 1 : 0;
    out.append(size_t(fill), f.star_fill ? '*' : ' ');
    if (l.sign_place)
        out += '-';
    if (f.dollar)
        out += '$';
    if (lead_zero)
        out += '0';
    put_integer_digits(l, d, n, commas, out);
    if (l.point)
        out += '.';
    const int64_t first = int64_t(l.exponent) + d.count - 1;
    for (int32_t i = 1; i <= l.decimal_places; i++)
        out += digit_at(d, first + i);
}

} // namespace

// The first unprinted digit of 5 or more rounds the last printed one up;
// the layout is then made again for the rounded digits (which may have
// gained a digit in front).
void numeric_field_format(const using_field &f, print_using_digit_record &d, char exponent_letter,
                          std::string &out)
{
    number_layout l = layout_of(f, d);
    const int64_t next = next_unprinted(l, f, d);
    if (next >= 0 && next < d.count && d.digits[next] >= '5') {
        digits_round_up(d, next - 1);
        l = layout_of(f, d);
    }
    if (l.overflow)
        out += '%';
    if (f.leading_plus)
        out += d.negative ? '-' : '+';
    if (f.exponent_digits) {
        if (f.dollar)
            out += '$';
        if (l.sign_place)
            out += l.sign_char;
        put_exponent_form(l, d, exponent_letter, out);
    } else {
        put_fixed_form(l, f, d, out);
    }
    if (f.trailing_plus)
        out += d.negative ? '-' : '+';
    else if (f.trailing_minus)
        out += d.negative ? '-' : ' ';
}
