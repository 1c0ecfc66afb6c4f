#include "screen_support.h"

#include "core/dos_memory.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

void screen_test::SetUp()
{
    error_pending_take();
    frame_builder_started = false;
    auto_display = 1;
    dos_memory_reset();
    screen_startup();
    ASSERT_EQ(error_pending_take(), 0u);
}

void screen_test::TearDown() { error_pending_take(); }

image_slot *page_record(uint32_t page) { return image_slot_get(screen_page_ensure(page)); }

uint16_t cell_at(const image_slot *r, int32_t row, int32_t col)
{
    return reinterpret_cast<const uint16_t *>(r->pixels)[(row - 1) * r->width + (col - 1)];
}

uint32_t &pixel32(image_slot *r, int32_t x, int32_t y)
{
    return reinterpret_cast<uint32_t *>(r->pixels)[y * r->width + x];
}

namespace {

const uint32_t round_constants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4,
    0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe,
    0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f,
    0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7,
    0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc,
    0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
    0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116,
    0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
    0xc67178f2};

uint32_t rotr(uint32_t x, int n) { return x >> n | x << (32 - n); }

void sha256_block(uint32_t h[8], const uint8_t *block)
{
    uint32_t w[64];
    for (int i = 0; i < 16; i++)
        w[i] = uint32_t(block[i * 4]) << 24 | uint32_t(block[i * 4 + 1]) << 16 |
               uint32_t(block[i * 4 + 2]) << 8 | block[i * 4 + 3];
    for (int i = 16; i < 64; i++) {
        uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], k = h[7];
    for (int i = 0; i < 64; i++) {
        uint32_t t1 = k + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) +
                      round_constants[i] + w[i];
        uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        k = g, g = f, f = e, e = d + t1, d = c, c = b, b = a, a = t1 + t2;
    }
    h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e, h[5] += f, h[6] += g, h[7] += k;
}

} // namespace

std::string sha256_hex(const uint8_t *data, size_t size)
{
    uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                     0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::string tail(reinterpret_cast<const char *>(data) + size / 64 * 64, size % 64);
    for (size_t i = 0; i + 64 <= size; i += 64)
        sha256_block(h, data + i);
    tail += char(0x80);
    while (tail.size() % 64 != 56)
        tail += char(0);
    uint64_t bits = uint64_t(size) * 8;
    for (int i = 7; i >= 0; i--)
        tail += char(bits >> (i * 8) & 0xFF);
    for (size_t i = 0; i < tail.size(); i += 64)
        sha256_block(h, reinterpret_cast<const uint8_t *>(tail.data()) + i);
    static const char *hex = "0123456789abcdef";
    std::string out;
    for (uint32_t v : h)
        for (int i = 28; i >= 0; i -= 4)
            out += hex[v >> i & 0xF];
    return out;
}
