// Conversions of sample values to the 16-bit output format.
//
// Every conversion of a computed sample to a signed 16-bit value goes through
// sample_to_i16, so values beyond the format saturate at the nearest end
// instead of wrapping round to a wrong (often loud) value.
#pragma once

#include <cmath>
#include <cstdint>

// Truncates toward zero and saturates to -32768..32767; NaN gives 0. Written
// without branches so that loops over samples become vector code.
inline int16_t sample_to_i16(double value)
{
    double v = value == value ? value : 0.0;
    v = v < -32768.0 ? -32768.0 : v;
    v = v > 32767.0 ? 32767.0 : v;
    return static_cast<int16_t>(static_cast<int32_t>(v));
}
