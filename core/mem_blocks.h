// Memory blocks: checked access of a BASIC program to a region of memory.
//
// A mem_block names raw memory at an address, memory the runtime allocates,
// the pixels of an image or screen page, or a program variable. Every block
// carries the id of a memory lock (core/memory.h) as it was when the block
// was made; the block is valid while the lock record still carries that id,
// so a freed block is caught on every later use instead of touching memory
// that may belong to someone else.
//
// Fills and copies check the block and the whole range before they touch a
// byte. Range checks are done in 64 bits and cannot overflow: a range
// (start, count) is inside a block when start >= offset, count >= 0,
// start - offset <= size and count <= size - (start - offset).
//
// Errors (through error_raise): 300-313 as the operations below say, 5 for a
// negative size of mem_block_new, 258 for an image handle that names no
// image. Program thread only.
#pragma once

#include <cstdint>

struct mem_lock;

constexpr uint32_t MEM_BLOCK_TYPE_MEMORY = 16384;
constexpr uint32_t MEM_BLOCK_TYPE_IMAGE = 3200; // plus bytes per pixel
// The long double fill pattern: the 10 value bytes, then zeros.
constexpr uint32_t MEM_LONG_DOUBLE_PATTERN_SIZE = 32;

// Passed and returned by value; a copy stays as valid as the original.
struct mem_block {
    uintptr_t offset = 0;     // address of the first byte
    uint64_t size = 0;        // bytes
    uint64_t lock_id = 0;     // the lock's id when the block was made
    mem_lock *lock = nullptr; // null: never initialised
    uint32_t type = 0;        // MEM_BLOCK_TYPE_*, the variable's type, 0 after a failed make
    uint32_t element_size = 0;
    int32_t image = -1; // the image handle of an image block, else -1
};

// A block over memory at address: type 16384, element size 1. A negative
// size raises 301 and gives an empty block (offset 0, size 0, type 0); while
// an error is pending the same empty block without a new error.
mem_block mem_block_from_address(uintptr_t address, int64_t size);

// A block over new zeroed memory, freed with the block. Size 0 gives offset 1
// and size 0 without allocating; memory that cannot be had gives offset 0
// and size 0 (programs test for it). A negative size raises 5.
mem_block mem_block_new(int64_t size);

// A block over an image's pixels: without a handle (bit 0 of given_mask
// clear) the write page; a negative handle the image -handle (258 when there
// is none); 0 or more that screen page, made if needed. The image keeps one
// lock for all its blocks; they stay valid until the image's pixel memory is
// freed or replaced.
mem_block mem_block_of_image(int32_t handle, uint32_t given_mask);

// A block over a variable or array guarded by lock (which may be null).
mem_block mem_block_for_variable(uintptr_t offset, uint64_t size, uint32_t type,
                                 uint32_t element_size, mem_lock *lock);

// Frees the block: 309 when never initialised, 307 when already freed.
// Allocated memory is released; an image's lock stays with the image.
void mem_block_free(const mem_block &block);

// -1 when the block is valid, else 0.
int32_t mem_block_exists(const mem_block &block);

// start when the block is valid and (start, count) lies inside it. Otherwise
// raises 309 (never initialised), 308 (freed), 301 (count below 0) or 300
// (outside) and returns a zeroed scratch buffer of count bytes that the
// caller's read or write may use harmlessly; the buffer is reused by the next
// failed check. A scratch buffer that cannot be had is the critical error 518.
uintptr_t mem_block_check_get(const mem_block &block, uintptr_t start, int64_t count);

// Checked fill: 309, 308; 301 for a negative count or an empty pattern; 300
// for a range outside the block. Then mem_fill_pattern.
void mem_block_fill(const mem_block &block, uintptr_t start, int64_t count, const void *pattern,
                    uint32_t pattern_size);

// Writes the pattern's bytes cyclically until count bytes are written, the
// last repetition cut short. count <= 0 or an empty pattern writes nothing.
void mem_fill_pattern(uintptr_t address, int64_t count, const void *pattern, uint32_t pattern_size);

// Checked copy, overlapping ranges allowed. Errors in this order: 312, 311,
// 310 for blocks never initialised; the copy itself when both are valid and
// both ranges inside; 313, 305, 306 for freed blocks; 301 for count below 0;
// 303 (destination outside), 302 (source outside), 304 (both outside).
void mem_block_copy(const mem_block &source, uintptr_t source_start, int64_t count,
                    const mem_block &destination, uintptr_t destination_start);

// The fill family: the value's bytes as the pattern. The several entry points
// of one width are one operation (the compiled program names one per numeric
// type).
void mem_block_fill_u8(const mem_block &block, uintptr_t start, int64_t count, uint8_t value);
void mem_block_fill_u16(const mem_block &block, uintptr_t start, int64_t count, uint16_t value);
void mem_block_fill_u32(const mem_block &block, uintptr_t start, int64_t count, uint32_t value);
void mem_block_fill_u64(const mem_block &block, uintptr_t start, int64_t count, uint64_t value);
void mem_block_fill_long_double(const mem_block &block, uintptr_t start, int64_t count,
                                long double value);
inline constexpr auto &mem_block_fill_u32_b = mem_block_fill_u32;
inline constexpr auto &mem_block_fill_u32_c = mem_block_fill_u32;
inline constexpr auto &mem_block_fill_u64_b = mem_block_fill_u64;
void mem_fill_u8(uintptr_t address, int64_t count, uint8_t value);
void mem_fill_u16(uintptr_t address, int64_t count, uint16_t value);
void mem_fill_u32(uintptr_t address, int64_t count, uint32_t value);
void mem_fill_u64(uintptr_t address, int64_t count, uint64_t value);
void mem_fill_long_double(uintptr_t address, int64_t count, long double value);
inline constexpr auto &mem_fill_u32_b = mem_fill_u32;
inline constexpr auto &mem_fill_u32_c = mem_fill_u32;
inline constexpr auto &mem_fill_u64_b = mem_fill_u64;

// Test seam: while set, every allocation of mem_block_new fails.
void mem_block_allocations_fail(bool fail);
