// What the memory-block files share.
#pragma once

#include "core/mem_blocks.h"

// True when (start, count) lies inside the block.
bool mem_block_range_inside(const mem_block &b, uintptr_t start, int64_t count);

// The error of a fill or get over (start, count): 309, 308, 301 or 300; 0
// when it may go ahead.
uint32_t mem_block_access_fault(const mem_block &b, uintptr_t start, int64_t count);
