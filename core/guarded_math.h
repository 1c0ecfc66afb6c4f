// Built-in functions that guard a C library math function with a BASIC error
// (LOG, EXP, SQR, FIX and the power operator), DATE$ and TIME$ with their
// statement forms, and plus_one.
//
// A raised error does not stop the function from returning: it returns 0 and
// the statement goes on with that value until the per-statement check handles
// the error. Singles are passed as doubles. Program thread only.
#pragma once

#include <cmath>
#include <cstdint>

struct string_descriptor;

// LOG: x above 0 (or NaN) gives its natural logarithm; 0 or below error 5.
double rt_log(double x);

// EXP through a single: x above 88.02969 or NaN is error 6.
double rt_exp_single(double x);
// Raises the error and gives the 0 that a refused argument returns.
double math_refused(int32_t error);

// EXP through a double: x above 709.782712893 or NaN is error 6; e^x is
// computed on x rounded to double. Results below the smallest double are 0.
// Inline, so that the guard costs the caller one comparison.
inline double rt_exp_double(long double x)
{
    if (!(x <= 709.782712893L)) [[unlikely]]
        return math_refused(6);
    return std::exp(double(x));
}

// SQR: x below 0 is error 5 (-0 is not below 0).
double rt_sqr(double x);

// FIX: truncation toward zero. The long double form truncates the extended
// value itself and narrows the result toward zero, so |FIX(x)| <= |x|.
double rt_fix_double(double x);
double rt_fix_long_double(long double x);

// base ^ exponent: a negative base with an exponent that is not a whole
// number (or is NaN) is error 5; otherwise the C library's power of both
// rounded to double.
double power_check_negative_base(long double base, long double exponent);

// DATE$ as mm-dd-yyyy and TIME$ as hh:mm:ss, local time, as temporaries. When
// the clock cannot be read: error 5 and an empty temporary.
string_descriptor *rt_date_str();
string_descriptor *rt_time_str();

// DATE$ = s and TIME$ = s: the system's date and time are never changed;
// these do nothing.
void rt_date_str_set(string_descriptor *date);
void rt_time_str_set(string_descriptor *time);

// x + 1, wrapping from the largest 32-bit value to the smallest.
int32_t plus_one(int32_t x);
