// The emulated PC conventional memory: a zero-filled block of 1 MB plus 65,523
// bytes, addressed linearly as segment * 16 + offset.
//
// Segment 0x40 holds the BIOS data area (keyboard flags, the keyboard ring and
// the tick count), segment 0x50 the DOS string area, segment 0xA000 mode-13
// pixels and segment 0xB800 text memory.
#pragma once

#include <cstdint>

constexpr uint32_t DOS_MEMORY_SIZE = 0x10FFF3;
constexpr uint32_t DOS_STRING_AREA = 0x500;     // linear start of segment 0x50
constexpr uint32_t DOS_STRING_AREA_SIZE = 0x10000;
constexpr uint32_t DOS_STRING_AREA_END = DOS_STRING_AREA + DOS_STRING_AREA_SIZE;

extern uint8_t *emulated_dos_memory;

// Allocates the block (once) and zeroes it.
void dos_memory_reset();
