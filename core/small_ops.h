// Small operations that the compiled program and the runtime call everywhere:
// the array subscript check, colour packing, conversions from floating point
// to integers, integer division with its checks, and the system sleep.
//
// Every conversion of a floating-point value to an integer in the runtime goes
// through the helpers here, so NaN and values beyond the integer's range give
// a defined result instead of whatever the processor makes of them.
#pragma once

#include <cstdint>

// The subscript check of every array access: index (already less the lower
// bound) when it is below bound as an unsigned number (so a negative index
// fails); otherwise error 9 and 0, so the access goes to element 0.
uint32_t array_index_check(uint32_t index, uint32_t bound);

// 0xFF000000 | r << 16 | g << 8 | b, each component first clamped to 0..255.
uint32_t color_argb_pack(int32_t red, int32_t green, int32_t blue);

// Truncation toward zero. NaN gives 0; a value beyond the type's range gives
// the nearer limit.
int32_t double_to_int32_saturating(double x);
int64_t double_to_int64_saturating(double x);
int64_t long_double_to_int64_saturating(long double x);

// Truncation toward zero that refuses what does not fit: false for NaN and for
// values whose whole part is beyond the type's range (out is left alone).
bool double_to_int32_checked(double x, int32_t *out);
bool double_to_int64_checked(double x, int64_t *out);

// Nearest integer in the current rounding mode (ties to even unless changed),
// saturating as above; NaN gives 0.
int32_t round_float_to_int32(float x);
int32_t round_double_to_int32(double x);
int64_t round_long_double_to_int64(long double x);
int64_t round_long_double_to_int64_b(long double x);

// Integer division (\) and MOD of the compiled program. A zero divisor raises
// the critical error 11 (Division by zero); the one quotient that does not fit
// its type (the most negative value divided by -1) raises error 6 (Overflow).
// Both return 0 then. The remainder of the most negative value by -1 is 0.
int16_t int_div_i16(int16_t a, int16_t b);
int32_t int_div_i32(int32_t a, int32_t b);
int64_t int_div_i64(int64_t a, int64_t b);
int16_t int_mod_i16(int16_t a, int16_t b);
int32_t int_mod_i32(int32_t a, int32_t b);
int64_t int_mod_i64(int64_t a, int64_t b);

// Sleeps for the given milliseconds (0 yields the processor).
void sleep_ms(uint32_t ms);
