// Copies in and out of the emulated memory, minding the BIOS data area that
// other threads write.
#include "core/dos_memory.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace
{

constexpr uint32_t BIOS_AREA = 0x400;
constexpr uint32_t BIOS_AREA_END = 0x500;

// The part of [linear, linear + count) inside the BIOS data area, as
// [first, last); empty when first >= last.
void bios_part(uint32_t linear, uint32_t count, uint32_t &first, uint32_t &last)
{
    first = std::max(linear, BIOS_AREA);
    last = std::min(linear + count, BIOS_AREA_END);
}

std::atomic_ref<uint8_t> shared_byte(uint32_t linear)
{
    return std::atomic_ref<uint8_t>(emulated_dos_memory[linear]);
}

} // namespace

bool dos_memory_range_inside(uint64_t linear, uint64_t count)
{
    return linear <= DOS_MEMORY_SIZE && count <= DOS_MEMORY_SIZE - linear;
}

void dos_memory_read(uint32_t linear, void *dest, uint32_t count)
{
    if (count == 0)
        return;
    auto *d = static_cast<uint8_t *>(dest);
    uint32_t first, last;
    bios_part(linear, count, first, last);
    if (first >= last) {
        std::memcpy(d, emulated_dos_memory + linear, count);
        return;
    }
    std::memcpy(d, emulated_dos_memory + linear, first - linear);
    for (uint32_t a = first; a < last; a++)
        d[a - linear] = shared_byte(a).load(std::memory_order_relaxed);
    std::memcpy(d + (last - linear), emulated_dos_memory + last, linear + count - last);
}

void dos_memory_write(uint32_t linear, const void *src, uint32_t count)
{
    if (count == 0)
        return;
    const auto *s = static_cast<const uint8_t *>(src);
    uint32_t first, last;
    bios_part(linear, count, first, last);
    if (first >= last) {
        std::memcpy(emulated_dos_memory + linear, s, count);
        return;
    }
    std::memcpy(emulated_dos_memory + linear, s, first - linear);
    for (uint32_t a = first; a < last; a++)
        shared_byte(a).store(s[a - linear], std::memory_order_relaxed);
    std::memcpy(emulated_dos_memory + last, s + (last - linear), linear + count - last);
}
