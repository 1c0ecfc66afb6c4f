#include "core/number_text.h"

#include <bit>
#include <cmath>
#include <initializer_list>

namespace {

// Bits of the value that its digits show. A negative value fits in w bits
// when every bit from w - 1 up is set, i.e. its highest clear bit lies below
// w - 1; one that does not fit its type (it came from a wider computation)
// takes the first of 16, 32 and 64 bits that holds it, so its sign is never
// cut off.
uint32_t digit_bits(int64_t value, uint32_t type_bits) {
    const uint64_t bits = uint64_t(value);
    if (value >= 0) return 64 - uint32_t(std::countl_zero(bits));
    const uint64_t clear = ~bits;
    if (clear == 0) return type_bits > 64 ? 64 : type_bits;
    const uint32_t highest_clear = 63 - uint32_t(std::countl_zero(clear));
    for (uint32_t width : {type_bits, 16u, 32u})
        if (width <= 64 && highest_clear + 1 < width) return width;
    return 64;
}

// Digits of `group` bits each, most significant first.
int32_t digits_write(int64_t value, uint32_t type_bits, uint32_t group, char *out) {
    static const char digit_chars[] = "0123456789ABCDEF";
    const uint32_t bits = digit_bits(value, type_bits);
    uint64_t u = uint64_t(value);
    if (bits < 64) u &= (uint64_t(1) << bits) - 1;
    const int32_t count = bits == 0 ? 1 : int32_t((bits + group - 1) / group);
    const uint64_t mask = (uint64_t(1) << group) - 1;
    for (int32_t i = 0; i < count; ++i)
        out[i] = digit_chars[(u >> (uint32_t(count - 1 - i) * group)) & mask];
    out[count] = 0;
    return count;
}

} // namespace

int32_t oct_digits_int64(int64_t value, uint32_t bits, char *out) {
    return digits_write(value, bits, 3, out);
}

int32_t hex_digits_int64(int64_t value, uint32_t bits, char *out) {
    return digits_write(value, bits, 4, out);
}

bool number_text_integer(double value, int64_t *out) {
    constexpr double two_63 = 9'223'372'036'854'775'808.0;
    const double rounded = std::nearbyint(value);
    if (!(rounded >= -two_63 && rounded < two_63)) return false;
    *out = int64_t(rounded);
    return true;
}
