// OCT$ and HEX$: the digits of an integer in base 8 or 16.
//
// A non-negative value uses as many bits as its highest set bit needs. A
// negative value uses its type's size in bits, or, when it has a clear bit at
// or above that size (it came from a wider type), the next of 16, 32 or 64
// bits that holds it. Digits run most significant first, upper-case A-F.
#pragma once

#include <cstdint>

struct string_descriptor;

// Room for the longest digit text (22 octal digits) and a terminating zero.
constexpr uint32_t NUMBER_DIGITS_BUFFER = 23;

// Writes the digits, zero-terminated, into out (NUMBER_DIGITS_BUFFER bytes);
// returns their count. bits is the size of the value's type (8 to 64).
int32_t oct_digits_int64(int64_t value, uint32_t bits, char *out);
int32_t hex_digits_int64(int64_t value, uint32_t bits, char *out);

// The integer OCT$ and HEX$ of a floating value format: the value rounded to
// the nearest integer (ties to even). False when that lies outside the signed
// 64-bit range or the value is NaN.
bool number_text_integer(double value, int64_t *out);

// OCT$ and HEX$ as temporary strings.
string_descriptor *oct_str_int64(int64_t value, uint32_t bits);
string_descriptor *hex_str_int64(int64_t value, uint32_t bits);

// OCT$ and HEX$ of a floating value, formatted as a 32-bit type; a value
// outside the signed 64-bit range raises error 6 and gives an empty string.
string_descriptor *rt_oct_str_float(double value);
string_descriptor *rt_hex_str_float(double value);
