// Conversions between Microsoft Binary Format (MBF) floating-point numbers,
// as older BASIC dialects stored them, and IEEE 754 singles and doubles.
//
// All values are little-endian byte arrays. MBF single: bytes 0-2 mantissa
// (byte 2 bit 7 the sign), byte 3 the exponent; MBF double: bytes 0-6
// mantissa (byte 6 bit 7 the sign, 55 mantissa bits), byte 7 the exponent. An
// exponent byte of 0 is the value zero; otherwise the value is
// 1.m x 2^(exponent - 129), so MBF covers magnitudes from 2^-128 to just
// below 2^127.
#pragma once

#include <cstdint>

// MBF single to IEEE single. Always 0. Exponent bytes 1 and 2 (2^-128 and
// 2^-127) become IEEE subnormals, rounded to nearest even.
int32_t mbf_to_ieee_single(const uint8_t *src, uint8_t *dst);

// IEEE single to MBF single: 0 done, 1 out of range (destination untouched).
// Both zeros give MBF zero; subnormals of 2^-128 and more convert; smaller
// subnormals, magnitudes from 2^127, infinities and NaNs are out of range.
int32_t ieee_to_mbf_single(const uint8_t *src, uint8_t *dst);

// MBF double to IEEE double: 0 exact, 1 when the 3 mantissa bits IEEE has no
// room for were set (they are dropped).
int32_t mbf_to_ieee_double(const uint8_t *src, uint8_t *dst);

// IEEE double to MBF double: 0 done, 1 out of range (destination untouched).
// Both zeros give MBF zero; every magnitude from 2^-128 to below 2^127
// converts exactly; anything else is out of range.
int32_t ieee_to_mbf_double(const uint8_t *src, uint8_t *dst);

// high x 2^32 + low as a signed 64-bit integer (two identical copies).
int64_t int64_from_halves(uint32_t high, uint32_t low);
int64_t int64_from_halves_2(uint32_t high, uint32_t low);
