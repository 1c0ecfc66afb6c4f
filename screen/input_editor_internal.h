// Shared inside the INPUT editor: the line checker and the target storing.
#pragma once

#include "screen/input_editor.h"

#include <cstdint>

// The value of one checked field, ready to store.
struct input_value {
    int32_t text_at; // strings: the field's characters in the line
    int32_t text_len;
    uint64_t bits; // integers, two's complement
    float single_value;
    double double_value;
    long double longest_value;
};

// True for a type word a target can have: a string, an integer of 8, 16, 32
// or 64 bits, or a real of 32, 64 or 256 bits.
bool input_type_valid(uint32_t type_word);

// Splits the line into fields and checks each against its target. Returns
// the number of fields with values[0 .. result - 1] filled, or -1 when the
// line is invalid. line_mode: the whole line is the first target's field.
int32_t input_line_check(const uint8_t *line, int32_t length, const input_target *targets,
                         int32_t count, bool line_mode, input_value *values);

// One field against one type word; quoted: the field was written in double
// quotes (only strings take such a field). For a string only the length is
// filled in; the caller sets text_at.
bool input_field_check(const uint8_t *field, int32_t length, bool quoted, uint32_t type_word,
                       input_value *value);

// Stores a value into its target (a string's characters are taken from the
// line); a null value clears the target: a fixed-length string is filled with
// blanks, a variable string emptied, a number zeroed.
void input_target_store(const input_target &target, const uint8_t *line, const input_value *value);
