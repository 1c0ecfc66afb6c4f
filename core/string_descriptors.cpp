// The descriptor pool: blocks of zero-filled descriptors that never move, and
// a free stack that hands back the most recently released descriptor first.
#include "core/strings_internal.h"

#include <cstdlib>
#include <vector>

namespace {
constexpr uint32_t DESCRIPTORS_PER_BLOCK = 65536;
constexpr int32_t ERROR_DESCRIPTORS = 508;

std::vector<string_descriptor *> blocks; // every block ever started
uint32_t block_used = DESCRIPTORS_PER_BLOCK;
string_descriptor **free_stack = nullptr;
uint32_t free_count = 0;
uint32_t free_capacity = 0;

void free_stack_resize(uint64_t capacity) {
    if (capacity > UINT32_MAX) string_critical_error(ERROR_DESCRIPTORS);
    void *p = std::realloc(free_stack, capacity * sizeof(string_descriptor *));
    if (!p) string_critical_error(ERROR_DESCRIPTORS);
    free_stack = static_cast<string_descriptor **>(p);
    free_capacity = uint32_t(capacity);
}
} // namespace

string_descriptor *string_empty_dos = nullptr;
string_descriptor *string_space_dos = nullptr;

void string_descriptors_reset(uint32_t free_stack_capacity) {
    for (string_descriptor *block : blocks)
        std::free(block);
    blocks.clear();
    block_used = DESCRIPTORS_PER_BLOCK;
    std::free(free_stack);
    free_stack = nullptr;
    free_count = 0;
    free_stack_resize(free_stack_capacity);
    string_empty_dos = nullptr;
    string_space_dos = nullptr;
}

string_descriptor *string_descriptor_alloc() {
    if (free_count > 0) {
        string_descriptor *d = free_stack[--free_count];
        *d = string_descriptor{};
        return d;
    }
    if (block_used == DESCRIPTORS_PER_BLOCK) {
        void *block = std::calloc(DESCRIPTORS_PER_BLOCK, sizeof(string_descriptor));
        if (!block) string_critical_error(ERROR_DESCRIPTORS);
        blocks.push_back(static_cast<string_descriptor *>(block));
        block_used = 0;
    }
    return &blocks.back()[block_used++];
}

void string_descriptor_release(string_descriptor *d) {
    if (free_count == free_capacity) free_stack_resize(uint64_t(free_capacity) * 2);
    free_stack[free_count++] = d;
}
