// Internal parts of the PRINT USING engine, shared by its source files and
// read by its tests. Other modules use core/print_using.h only.
#pragma once

#include "core/print_using.h"

#include <cstdint>
#include <string>

// The format's characters (not zero-terminated).
struct format_text {
    const char *text;
    int32_t length;
};

// A numeric field as parsed.
struct using_field {
    bool leading_plus = false;
    bool dollar = false;
    bool star_fill = false;
    int32_t integer_places = 0; // '#', ',' after the first '#', 2 for "**", 1 for "$$"
    bool comma = false;
    bool point = false;
    int32_t decimal_places = 0;
    int32_t exponent_digits = 0; // 0, 2 ("^^^^") or 3 ("^^^^^")
    bool trailing_plus = false;
    bool trailing_minus = false;
};

// Parses a numeric field at `at`; returns its length, 0 when there is none.
int32_t numeric_field_parse(const format_text &f, int32_t at, using_field &field);

// The width of a string field at `at`: STRING_FIELD_WHOLE for '&', 1 for '!',
// 2 + blanks for "\  \"; 0 when there is none.
constexpr int32_t STRING_FIELD_WHOLE = -1;
int32_t string_field_width(const format_text &f, int32_t at);

// Formats the number in `digits` through `field` and appends it to `out`.
// Rounds the record at most once, at the field's last printed digit.
void numeric_field_format(const using_field &field, print_using_digit_record &digits,
                          char exponent_letter, std::string &out);
