// The descriptor pool: blocks of zero-filled descriptors that never move, and
// a free stack that hands back the most recently released descriptor first.
// The taking and releasing fast paths are inline in core/strings_internal.h.
#include "core/strings_internal.h"

#include <cstdlib>
#include <vector>

namespace {
constexpr uint32_t DESCRIPTORS_PER_BLOCK = 65536;
constexpr int32_t ERROR_DESCRIPTORS = 508;

std::vector<string_descriptor *> blocks; // every block ever started
uint32_t block_used = DESCRIPTORS_PER_BLOCK;

void free_stack_resize(uint64_t capacity) {
    if (capacity > UINT32_MAX) string_critical_error(ERROR_DESCRIPTORS);
    void *p = std::realloc(descriptor_free.entries, capacity * sizeof(string_descriptor *));
    if (!p) string_critical_error(ERROR_DESCRIPTORS);
    descriptor_free.entries = static_cast<string_descriptor **>(p);
    descriptor_free.capacity = uint32_t(capacity);
}
} // namespace

descriptor_free_stack descriptor_free;
string_descriptor *string_empty_dos = nullptr;
string_descriptor *string_space_dos = nullptr;

void string_descriptors_reset(uint32_t free_stack_capacity) {
    for (string_descriptor *block : blocks)
        std::free(block);
    blocks.clear();
    block_used = DESCRIPTORS_PER_BLOCK;
    std::free(descriptor_free.entries);
    descriptor_free = descriptor_free_stack{};
    free_stack_resize(free_stack_capacity);
    string_empty_dos = nullptr;
    string_space_dos = nullptr;
}

string_descriptor *descriptor_from_block() {
    if (block_used == DESCRIPTORS_PER_BLOCK) {
        void *block = std::calloc(DESCRIPTORS_PER_BLOCK, sizeof(string_descriptor));
        if (!block) string_critical_error(ERROR_DESCRIPTORS);
        blocks.push_back(static_cast<string_descriptor *>(block));
        block_used = 0;
    }
    return &blocks.back()[block_used++];
}

void descriptor_free_stack_grow() {
    free_stack_resize(uint64_t(descriptor_free.capacity) * 2);
}

string_descriptor *string_descriptor_alloc() {
    return descriptor_take(nullptr, 0, 0, 0);
}

void string_descriptor_release(string_descriptor *d) {
    descriptor_give_back(d);
}
