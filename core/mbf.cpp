// MBF <-> IEEE conversions on little-endian byte arrays.
#include "core/mbf.h"

#include <bit>

namespace
{

uint64_t load_le(const uint8_t *p, int n)
{
    uint64_t v = 0;
    for (int i = n - 1; i >= 0; i--)
        v = v << 8 | p[i];
    return v;
}

void store_le(uint8_t *p, int n, uint64_t v)
{
    for (int i = 0; i < n; i++, v >>= 8)
        p[i] = uint8_t(v);
}

constexpr uint32_t SINGLE_MANTISSA_MASK = 0x7FFFFF;
constexpr uint64_t DOUBLE_MANTISSA_MASK = (uint64_t(1) << 52) - 1;
constexpr int MBF_DOUBLE_EXPONENT_OFFSET = 894; // IEEE double field - MBF byte

// An MBF single of exponent byte 1 or 2 as an IEEE subnormal: the 24-bit
// significand shifted right by 3 - exponent bits, rounded to nearest even. A
// carry out of the subnormal range gives the smallest normal, as it should.
uint32_t mbf_single_small_to_subnormal(uint32_t exponent, uint32_t mantissa)
{
    uint32_t significand = mantissa | 0x800000;
    uint32_t shift = 3 - exponent;
    uint32_t half = 1u << (shift - 1);
    uint32_t rest = significand & ((1u << shift) - 1);
    uint32_t value = significand >> shift;
    if (rest > half || (rest == half && (value & 1)))
        value++;
    return value;
}

} // namespace

int32_t mbf_to_ieee_single(const uint8_t *src, uint8_t *dst)
{
    uint32_t exponent = src[3];
    uint32_t sign = src[2] >> 7;
    uint32_t mantissa = uint32_t(load_le(src, 3)) & SINGLE_MANTISSA_MASK;
    uint32_t bits = 0;
    if (exponent >= 3)
        bits = sign << 31 | (exponent - 2) << 23 | mantissa;
    else if (exponent != 0)
        bits = sign << 31 | mbf_single_small_to_subnormal(exponent, mantissa);
    store_le(dst, 4, bits);
    return 0;
}

int32_t ieee_to_mbf_single(const uint8_t *src, uint8_t *dst)
{
    uint32_t bits = uint32_t(load_le(src, 4));
    uint32_t sign = bits >> 31;
    uint32_t exponent = bits >> 23 & 0xFF;
    uint32_t mantissa = bits & SINGLE_MANTISSA_MASK;
    if ((bits & 0x7FFFFFFF) == 0) {
        store_le(dst, 4, 0);
        return 0;
    }
    if (exponent >= 254)
        return 1;
    if (exponent == 0) {
        // Subnormal m x 2^-149: normalised, its top bit t gives 2^(t - 149),
        // MBF exponent byte t - 20; only t = 21 and 22 reach 2^-128.
        int top = std::bit_width(mantissa) - 1;
        if (top < 21)
            return 1;
        exponent = uint32_t(top - 20);
        mantissa = (mantissa << (23 - top)) & SINGLE_MANTISSA_MASK;
    } else {
        exponent += 2;
    }
    store_le(dst, 4, exponent << 24 | sign << 23 | mantissa);
    return 0;
}

int32_t mbf_to_ieee_double(const uint8_t *src, uint8_t *dst)
{
    uint64_t exponent = src[7];
    if (exponent == 0) {
        store_le(dst, 8, 0);
        return 0;
    }
    uint64_t sign = src[6] >> 7;
    uint64_t mantissa = load_le(src, 7) & ((uint64_t(1) << 55) - 1);
    uint64_t bits = sign << 63 | (exponent + MBF_DOUBLE_EXPONENT_OFFSET) << 52 | mantissa >> 3;
    store_le(dst, 8, bits);
    return (mantissa & 7) != 0 ? 1 : 0;
}

int32_t ieee_to_mbf_double(const uint8_t *src, uint8_t *dst)
{
    uint64_t bits = load_le(src, 8);
    if ((bits & ~(uint64_t(1) << 63)) == 0) {
        store_le(dst, 8, 0);
        return 0;
    }
    int exponent = int(bits >> 52 & 0x7FF) - MBF_DOUBLE_EXPONENT_OFFSET;
    if (exponent < 1 || exponent > 255)
        return 1;
    uint64_t sign = bits >> 63;
    uint64_t mantissa = (bits & DOUBLE_MANTISSA_MASK) << 3;
    store_le(dst, 8, uint64_t(exponent) << 56 | sign << 55 | mantissa);
    return 0;
}

int64_t int64_from_halves(uint32_t high, uint32_t low)
{
    return static_cast<int64_t>(uint64_t(high) << 32 | low);
}

int64_t int64_from_halves_2(uint32_t high, uint32_t low)
{
    return int64_from_halves(high, low);
}
