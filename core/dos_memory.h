// The emulated PC conventional memory: a zero-filled block of 1 MB plus 65,523
// bytes, addressed linearly as segment * 16 + offset.
//
// Segment 0x40 holds the BIOS data area (keyboard flags, the keyboard ring and
// the tick count), segment 0x50 the DOS string area, segment 0xA000 mode-13
// pixels and segment 0xB800 text memory. Between the end of the DOS string
// area and segment 0xA000 lies the DOS block heap, which hands out blocks from
// the top down.
//
// The program thread owns this module; the window and runtime loop threads
// write only bytes of the BIOS data area.
#pragma once

#include <cstdint>

constexpr uint32_t DOS_MEMORY_SIZE = 0x10FFF3;
constexpr uint32_t DOS_STRING_AREA = 0x500;     // linear start of segment 0x50
constexpr uint32_t DOS_STRING_AREA_SIZE = 0x10000;
constexpr uint32_t DOS_STRING_AREA_END = DOS_STRING_AREA + DOS_STRING_AREA_SIZE;

// The DOS block heap lies between these two linear addresses.
constexpr uint32_t DOS_BLOCK_HEAP_FLOOR = DOS_STRING_AREA_END;
constexpr uint32_t DOS_BLOCK_HEAP_TOP = 0xA0000; // segment 0xA000
constexpr uint32_t DOS_BLOCK_MAX_SIZE = 65536;
// Block records are numbered 1 to DOS_BLOCK_RECORDS - 1.
constexpr uint32_t DOS_BLOCK_RECORDS = 147136;

// The segment PEEK and POKE address without DEF SEG.
constexpr uint32_t PEEK_DEFAULT_SEGMENT = 0x50;

extern uint8_t *emulated_dos_memory;

// Linear address of the DEF SEG segment: the base of PEEK, POKE, BSAVE and
// BLOAD.
extern uint32_t peek_base;

// Copies between the emulated memory and the caller's bytes; the range must
// lie inside the memory. Bytes of the BIOS data area (segment 0x40, which the
// window and runtime loop threads write) are moved one by one as PEEK and
// POKE move them; all others by memcpy.
void dos_memory_read(uint32_t linear, void *dest, uint32_t count);
void dos_memory_write(uint32_t linear, const void *src, uint32_t count);
// True when count bytes from linear lie inside the emulated memory (64-bit
// arithmetic: no overflow).
bool dos_memory_range_inside(uint64_t linear, uint64_t count);

// Allocates the block (once) and zeroes it.
void dos_memory_reset();

// The start-up step for this memory: zeroes it, empties the DOS block heap and
// puts the PEEK/POKE base at segment 0x50. Callable again (tests).
void dos_memory_startup();

// Empties the DOS block heap.
void dos_block_heap_reset();

// A block of n bytes (rounded up to 16) inside the emulated memory, taken from
// the highest gap below segment 0xA000 that fits, else just below the lowest
// block. n = 0 gives the address of segment 0xA000 itself. Critical errors:
// 505 when n exceeds 65,536, 506 when no room is left above the floor, 507
// when every block record is in use. The block's bytes are not cleared.
uint8_t *dos_memory_alloc(uint32_t n);

// Frees the block that starts at address. Null, the segment 0xA000 address and
// an address that starts no block are ignored.
void dos_memory_free(const void *address);

// DEF SEG: bit 0 of given_mask says whether a segment was given. Without one
// the base returns to segment 0x50; a segment outside -65,536 to 65,535
// raises error 6. Does nothing while an error is pending.
void rt_def_seg(int32_t segment, uint32_t given_mask);

// PEEK: the byte at base + (offset AND 0xFFFF); an offset outside -65,536 to
// 65,535 raises error 6 and gives 0.
int32_t rt_peek(int32_t offset);

// POKE: stores the low byte of value, with PEEK's range rule. Does nothing
// while an error is pending.
void rt_poke(int32_t offset, int32_t value);
