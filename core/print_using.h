// PRINT USING: one item after another through a format string.
//
// For each item the compiled program calls one entry point with the format,
// the item, the format position (0-based) at which the search for the item's
// field starts, and a destination string; the entry point appends the item's
// field and the literal text after it up to the next field, and returns the
// position of that next field (0 when the format ran out, so the next item
// starts the format again). The caller prints the destination at the end.
//
// The numeric entry points turn their value into a decimal digit record
// (print_using_digits) and hand it to one engine, print_using_number, which
// formats string items too. Floating values carry the exact decimal digits of
// the binary value (std::to_chars, C locale): 256 significant digits, or for
// a long double of magnitude 1 or more all its integer digits and 255 fraction
// digits. Rounding is half away from zero on those digits.
//
// Format fields:
//   numeric: [+] then '#' places with ',' among them, '.', '#' decimals;
//            "**" (star fill), "**$" or "$$" (dollar) at the start;
//            "^^^^" or "^^^^^" for exponent form; a trailing '+' or '-'.
//   string:  '&' the whole string, '!' one character, '\  \' 2 + blanks.
//   '_' prints the next character literally.
// A value too wide for its field is printed whole after a '%'.
//
// Errors: 5 for a format without any field and for an infinity or NaN; 13 for
// an item of the wrong kind for the field. After an error nothing of that
// item is appended and 0 is returned. Every entry point returns 0 at once
// while an error is pending. The format, the item and the destination are
// not consumed. Program thread only: the digit record is one global.
#pragma once

#include <cstdint>

struct string_descriptor;

// Room for the largest long double: 4,933 integer digits, 255 fraction
// digits and one digit that rounding may add in front.
constexpr int32_t PRINT_USING_DIGITS_MAX = 5200;

struct print_using_digit_record {
    char digits[PRINT_USING_DIGITS_MAX]; // ASCII, most significant first
    int32_t count;                       // number of digits (1 or more)
    int32_t exponent;                    // power of ten of the last digit
    int32_t negative;                    // 1 for a negative value
};

// Written by the entry points, read and rounded by the engine. A value of
// zero is always the one digit "0" with exponent 0, not negative.
extern print_using_digit_record print_using_digits;

int32_t rt_print_using_integer64(string_descriptor *format, int64_t value, int32_t start,
                                 string_descriptor *dest);
int32_t rt_print_using_uinteger64(string_descriptor *format, uint64_t value, int32_t start,
                                  string_descriptor *dest);
int32_t rt_print_using_single(string_descriptor *format, float value, int32_t start,
                              string_descriptor *dest);
int32_t rt_print_using_double(string_descriptor *format, double value, int32_t start,
                              string_descriptor *dest);
// Exponent fields of a long double print the letter 'F' in place of 'E'.
int32_t rt_print_using_long_double(string_descriptor *format, long double value, int32_t start,
                                   string_descriptor *dest);

// The engine: formats `item` when it is given (a string item), else the
// number in print_using_digits with `exponent_letter` for exponent fields.
int32_t print_using_number(string_descriptor *format, int32_t start, string_descriptor *dest,
                           string_descriptor *item, char exponent_letter = 'E');
