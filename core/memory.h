// Memory services of the compiled program: the static variable pool, memory
// locks, CLEAR support for dynamic arrays, and SWAP.
//
// Start-up order: mem_locks_init with the runtime's tables, static_pool_init
// in main before the DOS memory is zeroed (dos_memory_startup, dos_memory.h).
// Program thread only.
#pragma once

#include "core/strings.h"

#include "core/array_descriptor.h"

#include <cstdint>

// --- Static variable pool ---------------------------------------------------
//
// A bump area for the program's variables. A compiled procedure takes
// static_pool_mark on entry and hands it to static_pool_restore when it
// returns, which frees everything taken since. A full block is followed by a
// new one of twice its size plus the request; old blocks stay allocated, so
// pointers into them stay valid.

constexpr uint64_t STATIC_POOL_START_SIZE = 1048576;

// (Re)creates the pool with one block of size bytes, releasing earlier blocks.
void static_pool_init(uint64_t size = STATIC_POOL_START_SIZE);

// n zeroed bytes, aligned for any variable type. A new block that cannot be
// had is the critical error 504. A negative n raises error 5 and reserves
// nothing.
uint8_t *static_pool_alloc(int32_t n);

// The current bump pointer.
uint8_t *static_pool_mark();

// Puts the bump pointer back to mark when mark lies in the current block,
// else to the block's start.
void static_pool_restore(uint8_t *mark);

// --- Memory locks -----------------------------------------------------------
//
// A lock gives an array or memory block a 64-bit identity: a holder keeps a
// copy of the id and checks it against the record, which changes when the
// lock is freed. Records come from pools that never move.

constexpr uint32_t MEM_LOCK_RAW = 0;
constexpr uint32_t MEM_LOCK_OWNS_MEMORY = 1; // owned is freed with the lock
constexpr uint32_t MEM_LOCK_IMAGE = 2;

constexpr uint64_t MEM_LOCK_FIRST_ID = 0x40000000;
constexpr uint32_t MEM_LOCK_POOL_RECORDS = 10000;
constexpr uint32_t MEM_LOCK_FREE_LIST_START = 1000;

struct mem_lock {
    uint64_t id;   // 0 once freed
    uint32_t kind; // MEM_LOCK_*
    void *owned;   // MEM_LOCK_OWNS_MEMORY: the block (from malloc) freed with it
};

// The record that the last mem_lock_new made.
extern mem_lock *mem_lock_last;

// (Re)creates the first pool and the free list and restarts the ids, so the
// next lock gets MEM_LOCK_FIRST_ID. Releases earlier pools.
void mem_locks_init();

// A lock with the next id, kind MEM_LOCK_RAW and nothing owned: the most
// recently freed record, else a new one. Also left in mem_lock_last. Running
// out of memory is the critical error 257.
mem_lock *mem_lock_new();

// Sets the id to 0, frees an owned block and returns the record to the free
// list. Null and a record already freed are ignored.
void mem_lock_free(mem_lock *lock);

// --- Dynamic arrays and CLEAR -----------------------------------------------


// Eight zero bytes that the data of every unallocated array points at. Start-up
// may point it at the block it reserves in the DOS descriptor area; by default
// it is a block of this module.
extern uint8_t *array_zero_block;

// The compiled program registers each dynamic array once at start.
void program_array_register(array_descriptor *array);

// Forgets every registered array (tests).
void program_arrays_forget();

// Hooks that program_clear_arrays calls when set (null: nothing to do), filled
// in by the subsystems that own the resources:
// - close_all_files: the file layer's CLOSE without a number;
// - free_user_images: the image layer's release of every image the program made.
extern void (*program_clear_close_files_hook)();
extern void (*program_clear_free_images_hook)();

// CLEAR support: frees the data of every allocated registered array (from the
// DOS block heap or the C heap, by its flags) and resets its descriptor to no
// data and no bounds; closes every file and frees the user images through the
// hooks; disarms ON ERROR, leaves any running handler, and empties the GOSUB
// stack.
void program_clear_arrays();

// --- SWAP -------------------------------------------------------------------

// SWAP of two string variables, through a non-temporary copy of a.
void string_swap(string_descriptor *a, string_descriptor *b);

// SWAP of two n-byte areas (n <= 0 does nothing).
void memory_swap(void *p, void *q, int32_t n);
