// Memory-block fills: a pattern written cyclically, checked and raw forms.
#include "core/errors.h"
#include "core/mem_blocks_internal.h"

#include <algorithm>
#include <cstring>

namespace
{

constexpr uint32_t ERROR_OUT_OF_RANGE = 300;
constexpr uint32_t ERROR_INVALID_SIZE = 301;
// Repeated patterns are first laid out in a buffer of about this size, which
// is then copied: the destination is written once, from a source in cache.
constexpr uint32_t FILL_CHUNK = 4096;

// Fills by doubling the part already written (patterns longer than a chunk).
void fill_by_doubling(uint8_t *d, uint64_t count, const uint8_t *pattern, uint32_t size)
{
    uint64_t done = std::min<uint64_t>(count, size);
    std::memcpy(d, pattern, done);
    while (done < count) {
        const uint64_t n = std::min(done, count - done);
        std::memcpy(d + done, d, n);
        done += n;
    }
}

} // namespace

void mem_fill_pattern(uintptr_t address, int64_t count, const void *pattern, uint32_t pattern_size)
{
    if (count <= 0 || pattern_size == 0)
        return;
    auto *d = reinterpret_cast<uint8_t *>(address);
    const auto *p = static_cast<const uint8_t *>(pattern);
    const uint64_t n = uint64_t(count);
    if (pattern_size == 1) {
        std::memset(d, p[0], n);
        return;
    }
    if (pattern_size > FILL_CHUNK / 2 || n <= FILL_CHUNK) {
        fill_by_doubling(d, n, p, pattern_size);
        return;
    }
    uint8_t chunk[FILL_CHUNK];
    const uint32_t chunk_size = FILL_CHUNK / pattern_size * pattern_size;
    fill_by_doubling(chunk, chunk_size, p, pattern_size);
    uint64_t done = 0;
    for (; n - done >= chunk_size; done += chunk_size)
        std::memcpy(d + done, chunk, chunk_size);
    std::memcpy(d + done, chunk, n - done);
}

void mem_block_fill(const mem_block &block, uintptr_t start, int64_t count, const void *pattern,
                    uint32_t pattern_size)
{
    uint32_t fault = mem_block_access_fault(block, start, count);
    if (pattern_size == 0 && (fault == 0 || fault == ERROR_OUT_OF_RANGE))
        fault = ERROR_INVALID_SIZE;
    if (fault) {
        error_raise(fault);
        return;
    }
    mem_fill_pattern(start, count, pattern, pattern_size);
}

namespace
{

template <typename T> void block_fill_value(const mem_block &b, uintptr_t start, int64_t count, T v)
{
    uint8_t bytes[sizeof v];
    std::memcpy(bytes, &v, sizeof v);
    mem_block_fill(b, start, count, bytes, sizeof v);
}

template <typename T> void fill_value(uintptr_t address, int64_t count, T v)
{
    uint8_t bytes[sizeof v];
    std::memcpy(bytes, &v, sizeof v);
    mem_fill_pattern(address, count, bytes, sizeof v);
}

// The 10 value bytes of an x87 long double, then zeros: the padding of its
// 16-byte storage is never copied.
struct long_double_pattern {
    uint8_t bytes[MEM_LONG_DOUBLE_PATTERN_SIZE] = {};
    explicit long_double_pattern(long double v) { std::memcpy(bytes, &v, 10); }
};

} // namespace

void mem_block_fill_u8(const mem_block &b, uintptr_t start, int64_t count, uint8_t value)
{
    block_fill_value(b, start, count, value);
}
void mem_block_fill_u16(const mem_block &b, uintptr_t start, int64_t count, uint16_t value)
{
    block_fill_value(b, start, count, value);
}
void mem_block_fill_u32(const mem_block &b, uintptr_t start, int64_t count, uint32_t value)
{
    block_fill_value(b, start, count, value);
}
void mem_block_fill_u64(const mem_block &b, uintptr_t start, int64_t count, uint64_t value)
{
    block_fill_value(b, start, count, value);
}
void mem_block_fill_long_double(const mem_block &b, uintptr_t start, int64_t count,
                                long double value)
{
    const long_double_pattern p(value);
    mem_block_fill(b, start, count, p.bytes, sizeof p.bytes);
}

void mem_fill_u8(uintptr_t address, int64_t count, uint8_t value)
{
    fill_value(address, count, value);
}
void mem_fill_u16(uintptr_t address, int64_t count, uint16_t value)
{
    fill_value(address, count, value);
}
void mem_fill_u32(uintptr_t address, int64_t count, uint32_t value)
{
    fill_value(address, count, value);
}
void mem_fill_u64(uintptr_t address, int64_t count, uint64_t value)
{
    fill_value(address, count, value);
}
void mem_fill_long_double(uintptr_t address, int64_t count, long double value)
{
    const long_double_pattern p(value);
    mem_fill_pattern(address, count, p.bytes, sizeof p.bytes);
}
