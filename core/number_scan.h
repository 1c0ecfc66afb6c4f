// Number scanning for READ and INPUT #.
//
// One numeric item of text becomes a number in two steps: a scanner reads the
// item's characters into the global scanned_number record (significant digits,
// decimal exponent, sign, base), and a converter turns that record into an
// extended float, a signed or an unsigned 64-bit integer. READ takes items
// from the compiled program's DATA block, INPUT # from a file opened for
// input through the byte services of files/file_bytes.h.
//
// The item grammar: an optional sign, digits with an optional point, an
// optional exponent letter (D, E, d, e) with an optional sign and digits; or,
// as the first character, '&' followed by H/h (hexadecimal) or O/o (octal) and
// the digits of that base.
//
// Every statement-level operation returns at once with 0 (no effect) while an
// error is pending. Program thread only: the record and the scanner's working
// state are single global instances.
#pragma once

#include "core/strings.h"

#include <cstdint>

constexpr int SCANNED_DIGITS_MAX = 256;

enum : uint8_t { NUMBER_BASE_DECIMAL = 0, NUMBER_BASE_HEX = 1, NUMBER_BASE_OCTAL = 2 };

struct scanned_number_record {
    uint16_t digit_count;            // 0 means the value zero
    char digits[SCANNED_DIGITS_MAX]; // ASCII; decimal: significant digits only
    int64_t exponent;                // decimal exponent of the first digit
    uint8_t negative;                // a leading '-' was seen
    uint8_t base;                    // NUMBER_BASE_*
    long double float_result;        // written by number_to_float
    int64_t int64_result;            // written by number_to_int64
    uint64_t uint64_result;          // written by number_to_uint64
};

// The last item scanned, rewritten by every scan.
extern scanned_number_record scanned_number;

// The word the compiled program passes with each numeric READ or INPUT #
// target.
constexpr uint32_t NUMERIC_TYPE_SIZE_MASK = 0x1FF;     // size of the target in bits
constexpr uint32_t NUMERIC_TYPE_FLOAT = 0x20000000;    // floating-point target
constexpr uint32_t NUMERIC_TYPE_UNSIGNED = 0x10000000; // unsigned integer target

// Scanner results.
enum : int32_t {
    SCAN_OK = 0,
    SCAN_TOO_MANY_DIGITS = 1, // more than 256 digits or 18 exponent digits
    SCAN_NO_ITEM = 2,         // end of file before the item / no DATA item left
    SCAN_FAILED = 3,          // DATA: bad character; file: an error was raised
};

// Scans one DATA item starting at *position; a comma ends it and is consumed.
int32_t data_scan_number(const uint8_t *block, int32_t *position, int32_t length);

// Scans one INPUT # item from a file number (checked: in use, INPUT mode,
// readable) or, when negative, from that byte-service handle as it is.
int32_t file_scan_number(int32_t file_number);

// The item grammar, one character at a time, for the DATA and file scanners:
// scan_begin clears the record, scan_take feeds a character (-1 for the end of
// the input), scan_finish settles the exponent once the item has ended.
enum class scan_step {
    taken, // the character is part of the item
    ends,  // the character is not part of the item: the item has ended before it
    limit, // too many digits or exponent digits
};
void scan_begin();
scan_step scan_take(int c);
void scan_finish();

// Converters: true when the value fits, false on overflow; the value is left
// in the record's result field.
bool number_to_float();
bool number_to_int64();
bool number_to_uint64();

// True when the first digit after the units digit is 5 or more.
bool number_rounds_up();

// Checks a converted value against a READ or INPUT # target: a single must
// not pass 3.402823466E+38 in magnitude; an integer target of n bits is
// rounded half to even and must lie within its signed or unsigned n-bit
// range. False when it does not fit; otherwise *value holds what to store.
bool number_fits_target(long double *value, uint32_t type_word);

// INPUT # numeric items. rt_input_file_number checks the value against the
// target described by the type word and returns it as an extended float
// (integer targets rounded half to even).
long double rt_input_file_number(int32_t file_number, uint32_t type_word);
int64_t rt_input_file_int64(int32_t file_number);
uint64_t rt_input_file_uint64(int32_t file_number);

// INPUT # string item into dest.
void rt_input_file_string(int32_t file_number, string_descriptor *dest);

// Ends an INPUT # statement; does nothing.
void rt_input_file_end();

// READ of a numeric DATA item. On an error the position is left at the item
// (except when no item is left).
long double rt_read_number(const uint8_t *block, int32_t *position, int32_t length,
                           uint32_t type_word);
int64_t rt_read_int64(const uint8_t *block, int32_t *position, int32_t length);
uint64_t rt_read_uint64(const uint8_t *block, int32_t *position, int32_t length);

// READ of a string DATA item into dest.
void rt_read_string(const uint8_t *block, int32_t *position, int32_t length,
                    string_descriptor *dest);

// Decimal text to a number in the C locale whatever the process locale is
// (a plain strtod/strtold otherwise).
double decimal_text_to_double(const char *text);
long double decimal_text_to_long_double(const char *text);
