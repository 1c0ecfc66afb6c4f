// BASIC string functions and statements: slices, case, trimming, search,
// comparison, numbers to and from text, and the binary and MBF pack/unpack
// forms (MKI$/CVI and friends).
//
// Conventions shared by the whole family:
// - Every string result is a new temporary unless a function says otherwise.
// - Functions with a string result consume their string argument: when it is
//   a temporary, they free it before returning (unless the result is that
//   same descriptor). Functions with a numeric result (LEN, ASC, INSTR, VAL,
//   the comparisons and the unpack forms) consume nothing: a temporary passed
//   to them is freed by the statement's clean-up.
// - In place: when the argument is a temporary heap string that is neither
//   fixed nor read-only nor in the DOS area, the function changes that
//   descriptor and returns it, copying nothing; otherwise it makes a new
//   temporary and consumes the argument.
// - Truth values are -1 and 0. Errors go through error_raise and the function
//   returns the neutral value (empty string or 0).
//
// Start and length arithmetic is done in 64 bits, so arguments near the i32
// limits clamp to the string instead of wrapping.
//
// Program thread only.
#pragma once

#include "core/strings.h"

#include <cstdint>

// ---- Helpers the built-ins share -------------------------------------------

// A new temporary heap string holding a copy of the bytes. The bytes must not
// lie in the string heap: making the new string may move heap strings.
string_descriptor *string_temp_of_bytes(const void *bytes, int32_t len);

// A new temporary heap string holding a copy of s's bytes [offset,
// offset + len). s's characters are found after the new string is made, so
// a heap string that its making moved is copied from where it is now.
string_descriptor *string_temp_of_slice(const string_descriptor *s, int32_t offset, int32_t len);

// Frees s when it is a temporary.
void string_consume(string_descriptor *s);

// True when s may be changed in place (temporary heap string, not fixed, not
// read-only, not in the DOS area).
bool string_is_own_temp(const string_descriptor *s);

// The bytes [offset, offset + len) of s as a result: s itself when that is all
// of s, s changed in place when it may be, else a new temporary (s consumed).
// The range must lie within s.
string_descriptor *string_take_slice(string_descriptor *s, int32_t offset, int32_t len);

// ---- Text functions --------------------------------------------------------

string_descriptor *rt_ucase_str(string_descriptor *s);
string_descriptor *rt_lcase_str(string_descriptor *s);
string_descriptor *rt_chr_str(int32_t code);
string_descriptor *rt_left_str(string_descriptor *s, int32_t n);
string_descriptor *rt_right_str(string_descriptor *s, int32_t n);
string_descriptor *rt_mid_str(string_descriptor *s, int32_t start, int32_t length,
                              bool length_given);
string_descriptor *rt_ltrim_str(string_descriptor *s);
string_descriptor *rt_rtrim_str(string_descriptor *s);
string_descriptor *rt_space_str(int32_t n);
string_descriptor *rt_string_str(int32_t n, uint8_t byte);

// INSTR: 1-based position of sub in s from start, or 0.
int32_t rt_instr(int32_t start, const string_descriptor *s, const string_descriptor *sub,
                 bool start_given);

// LEN, ASC(s), ASC(s, position).
int32_t rt_len(const string_descriptor *s);
int32_t rt_asc(const string_descriptor *s);
int32_t rt_asc_at(const string_descriptor *s, int32_t position);

// VAL: the number at the start of s.
long double rt_val(const string_descriptor *s);

// ---- Statements ------------------------------------------------------------

// LSET / RSET: copy source into the destination's existing length, left- or
// right-aligned, padded with blanks or cut; then write a FIELD-bound
// destination back to its record. Consume source.
void rt_lset(string_descriptor *dest, string_descriptor *source);
void rt_rset(string_descriptor *dest, string_descriptor *source);

// MID$(dest, start[, length]) = source. The destination's length never
// changes. Consumes source.
void rt_mid_str_statement(string_descriptor *dest, int32_t start, int32_t length,
                          string_descriptor *source, bool length_given);

// ---- Comparisons (-1 / 0) --------------------------------------------------
// Bytes compare unsigned over the common length; on a tie the shorter string
// sorts first.

int32_t string_equal(const string_descriptor *a, const string_descriptor *b);
int32_t string_not_equal(const string_descriptor *a, const string_descriptor *b);
int32_t string_less(const string_descriptor *a, const string_descriptor *b);
int32_t string_greater(const string_descriptor *a, const string_descriptor *b);
int32_t string_less_equal(const string_descriptor *a, const string_descriptor *b);
int32_t string_greater_equal(const string_descriptor *a, const string_descriptor *b);

// ---- Numbers to text (STR$) ------------------------------------------------
// Signed forms put a blank before a non-negative number and '-' before a
// negative one; unsigned forms always start with a blank. Singles keep seven
// significant digits and use E notation, doubles sixteen and D notation.

string_descriptor *rt_str_str_int64(int64_t v);
string_descriptor *rt_str_str_long(int32_t v);
string_descriptor *rt_str_str_integer(int16_t v);
string_descriptor *rt_str_str_byte(int8_t v);
string_descriptor *rt_str_str_uint64(uint64_t v);
string_descriptor *rt_str_str_ulong(uint32_t v);
string_descriptor *rt_str_str_uinteger(uint16_t v);
string_descriptor *rt_str_str_ubyte(uint8_t v);
string_descriptor *rt_str_str_single(float v);
string_descriptor *rt_str_str_double(double v);
string_descriptor *rt_str_str_long_double(long double v);

// ---- Binary pack and unpack ------------------------------------------------
// Packing gives the value's raw little-endian bytes. Unpacking reads the first
// bytes of s and raises error 5 (result 0) when s is too short.

string_descriptor *string_from_int8(int8_t v);
string_descriptor *string_from_uint8(uint8_t v);
string_descriptor *string_from_int16(int16_t v);
string_descriptor *string_from_uint16(uint16_t v);
string_descriptor *string_from_int32(int32_t v);
string_descriptor *string_from_uint32(uint32_t v);
string_descriptor *string_from_int64(int64_t v);
string_descriptor *string_from_uint64(uint64_t v);
string_descriptor *string_from_single(float v);
string_descriptor *string_from_double(double v);
// 32 bytes: the 10-byte extended value, then zeros.
string_descriptor *string_from_long_double(long double v);

int8_t string_to_int8(const string_descriptor *s);
uint8_t string_to_uint8(const string_descriptor *s);
int16_t string_to_int16(const string_descriptor *s);
uint16_t string_to_uint16(const string_descriptor *s);
int32_t string_to_int32(const string_descriptor *s);
uint32_t string_to_uint32(const string_descriptor *s);
int64_t string_to_int64(const string_descriptor *s);
uint64_t string_to_uint64(const string_descriptor *s);
float string_to_single(const string_descriptor *s);
double string_to_double(const string_descriptor *s);
long double string_to_long_double(const string_descriptor *s);

// n-bit forms, n from 0 to 64: (n + 7) / 8 bytes (rounded down) of the value
// masked to its low n bits; string_to_bits extends the sign from bit n - 1.
// Another n raises error 5.
string_descriptor *string_from_bits(int32_t n, int64_t v);
string_descriptor *string_from_ubits(int32_t n, uint64_t v);
int64_t string_to_bits(const string_descriptor *s, int32_t n);
uint64_t string_to_ubits(const string_descriptor *s, int32_t n);

// MKSMBF$ / MKDMBF$: error 5 and "" when the value has no MBF form.
// CVSMBF / CVDMBF: 0 and error 5 when s is too short.
string_descriptor *rt_mksmbf_str(float v);
string_descriptor *rt_mkdmbf_str(double v);
float rt_cvsmbf(const string_descriptor *s);
double rt_cvdmbf(const string_descriptor *s);

// Three bytes: the byte, then the word low byte first.
string_descriptor *string_from_byte_word(uint8_t byte, uint16_t word);
