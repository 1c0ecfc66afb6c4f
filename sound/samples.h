// Conversions of sample values to the 16-bit output format.
//
// Every conversion of a computed sample to a signed 16-bit value goes through
// sample_to_i16, so values beyond the format saturate at the nearest end
// instead of wrapping round to a wrong (often loud) value.
#pragma once

#include <cmath>
#include <cstdint>

// Truncates toward zero and saturates to -32768..32767; NaN gives 0.
inline int16_t sample_to_i16(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 32767.0)
        return 32767;
    if (value <= -32768.0)
        return -32768;
    return static_cast<int16_t>(value);
}
