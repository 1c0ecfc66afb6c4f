// Binary pack and unpack: MKI$/CVI-style raw little-endian forms, the n-bit
// forms and the MBF forms.
#include "core/errors.h"
#include "core/mbf.h"
#include "core/string_builtins.h"

#include <cstring>

namespace
{

constexpr int32_t LONG_DOUBLE_STRING_BYTES = 32;
constexpr int32_t LONG_DOUBLE_VALUE_BYTES = 10; // the x87 extended format

static_assert(sizeof(long double) >= LONG_DOUBLE_VALUE_BYTES);

// The value's bytes as a temporary (the host is little-endian).
template <typename T> string_descriptor *pack(T v)
{
    return string_temp_of_bytes(&v, int32_t(sizeof v));
}

// True when s holds at least n bytes; else error 5.
bool long_enough(const string_descriptor *s, int32_t n)
{
    if (s->len >= n)
        return true;
    error_raise(5);
    return false;
}

template <typename T> T unpack(const string_descriptor *s)
{
    T v{};
    if (long_enough(s, int32_t(sizeof v)))
        std::memcpy(&v, s->chr, sizeof v);
    return v;
}

// The low n bits (n from 0 to 64).
uint64_t low_bits(uint64_t v, int32_t n)
{
    return n >= 64 ? v : v & ((uint64_t(1) << n) - 1);
}

bool bit_count_valid(int32_t n)
{
    if (n >= 0 && n <= 64)
        return true;
    error_raise(5);
    return false;
}

// (n + 7) / 8 bytes of the masked value.
string_descriptor *pack_bits(int32_t n, uint64_t v)
{
    if (!bit_count_valid(n))
        return string_temp_of_bytes(nullptr, 0);
    v = low_bits(v, n);
    uint8_t bytes[8];
    for (int i = 0; i < 8; i++)
        bytes[i] = uint8_t(v >> (8 * i));
    return string_temp_of_bytes(bytes, (n + 7) / 8);
}

// The low n bits of the first (n + 7) / 8 bytes; 0 and error 5 when s is
// shorter or n is outside 0..64.
uint64_t unpack_bits(const string_descriptor *s, int32_t n)
{
    if (!bit_count_valid(n) || !long_enough(s, (n + 7) / 8))
        return 0;
    uint64_t v = 0;
    for (int32_t i = (n + 7) / 8 - 1; i >= 0; i--)
        v = v << 8 | s->chr[i];
    return low_bits(v, n);
}

} // namespace

string_descriptor *string_from_int8(int8_t v)
{
    return pack(v);
}
string_descriptor *string_from_uint8(uint8_t v)
{
    return pack(v);
}
string_descriptor *string_from_int16(int16_t v)
{
    return pack(v);
}
string_descriptor *string_from_uint16(uint16_t v)
{
    return pack(v);
}
string_descriptor *string_from_int32(int32_t v)
{
    return pack(v);
}
string_descriptor *string_from_uint32(uint32_t v)
{
    return pack(v);
}
string_descriptor *string_from_int64(int64_t v)
{
    return pack(v);
}
string_descriptor *string_from_uint64(uint64_t v)
{
    return pack(v);
}
string_descriptor *string_from_single(float v)
{
    return pack(v);
}
string_descriptor *string_from_double(double v)
{
    return pack(v);
}

string_descriptor *string_from_long_double(long double v)
{
    uint8_t bytes[LONG_DOUBLE_STRING_BYTES] = {};
    std::memcpy(bytes, &v, LONG_DOUBLE_VALUE_BYTES);
    return string_temp_of_bytes(bytes, LONG_DOUBLE_STRING_BYTES);
}

int8_t string_to_int8(const string_descriptor *s)
{
    return unpack<int8_t>(s);
}
uint8_t string_to_uint8(const string_descriptor *s)
{
    return unpack<uint8_t>(s);
}
int16_t string_to_int16(const string_descriptor *s)
{
    return unpack<int16_t>(s);
}
uint16_t string_to_uint16(const string_descriptor *s)
{
    return unpack<uint16_t>(s);
}
int32_t string_to_int32(const string_descriptor *s)
{
    return unpack<int32_t>(s);
}
uint32_t string_to_uint32(const string_descriptor *s)
{
    return unpack<uint32_t>(s);
}
int64_t string_to_int64(const string_descriptor *s)
{
    return unpack<int64_t>(s);
}
uint64_t string_to_uint64(const string_descriptor *s)
{
    return unpack<uint64_t>(s);
}
float string_to_single(const string_descriptor *s)
{
    return unpack<float>(s);
}
double string_to_double(const string_descriptor *s)
{
    return unpack<double>(s);
}

long double string_to_long_double(const string_descriptor *s)
{
    long double v = 0;
    if (long_enough(s, LONG_DOUBLE_STRING_BYTES))
        std::memcpy(&v, s->chr, LONG_DOUBLE_VALUE_BYTES);
    return v;
}

string_descriptor *string_from_bits(int32_t n, int64_t v)
{
    return pack_bits(n, uint64_t(v));
}
string_descriptor *string_from_ubits(int32_t n, uint64_t v)
{
    return pack_bits(n, v);
}

// The n-bit value with bit n - 1 as its sign.
int64_t string_to_bits(const string_descriptor *s, int32_t n)
{
    uint64_t v = unpack_bits(s, n);
    if (n > 0 && n < 64 && (v >> (n - 1) & 1))
        v |= ~uint64_t(0) << n;
    return static_cast<int64_t>(v);
}

uint64_t string_to_ubits(const string_descriptor *s, int32_t n)
{
    return unpack_bits(s, n);
}

string_descriptor *rt_mksmbf_str(float v)
{
    uint8_t ieee[4], mbf[4];
    std::memcpy(ieee, &v, 4);
    if (ieee_to_mbf_single(ieee, mbf) != 0) {
        error_raise(5);
        return string_temp_of_bytes(nullptr, 0);
    }
    return string_temp_of_bytes(mbf, 4);
}

string_descriptor *rt_mkdmbf_str(double v)
{
    uint8_t ieee[8], mbf[8];
    std::memcpy(ieee, &v, 8);
    if (ieee_to_mbf_double(ieee, mbf) != 0) {
        error_raise(5);
        return string_temp_of_bytes(nullptr, 0);
    }
    return string_temp_of_bytes(mbf, 8);
}

float rt_cvsmbf(const string_descriptor *s)
{
    float v = 0;
    if (!long_enough(s, 4))
        return v;
    uint8_t ieee[4];
    mbf_to_ieee_single(s->chr, ieee);
    std::memcpy(&v, ieee, 4);
    return v;
}

// Every MBF double has an IEEE form; the three low mantissa bits that do not
// fit are dropped without complaint.
double rt_cvdmbf(const string_descriptor *s)
{
    double v = 0;
    if (!long_enough(s, 8))
        return v;
    uint8_t ieee[8];
    mbf_to_ieee_double(s->chr, ieee);
    std::memcpy(&v, ieee, 8);
    return v;
}

string_descriptor *string_from_byte_word(uint8_t byte, uint16_t word)
{
    uint8_t bytes[3] = {byte, uint8_t(word), uint8_t(word >> 8)};
    return string_temp_of_bytes(bytes, 3);
}
