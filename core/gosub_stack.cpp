#include "core/gosub_stack.h"

#include "core/errors.h"

#include <cstdlib>

uint32_t *gosub_stack = nullptr;
uint32_t gosub_count = 0;
uint32_t gosub_capacity = 0;

namespace {

constexpr uint32_t ERROR_RETURN_WITHOUT_GOSUB = 3;
constexpr uint32_t ERROR_OUT_OF_STACK_SPACE = 256;

} // namespace

void gosub_stack_init()
{
    std::free(gosub_stack);
    gosub_count = 0;
    gosub_capacity = 0;
    gosub_stack = static_cast<uint32_t *>(std::malloc(GOSUB_STACK_START_CAPACITY * 4));
    if (!gosub_stack) {
        error_raise(ERROR_OUT_OF_STACK_SPACE);
        return;
    }
    gosub_capacity = GOSUB_STACK_START_CAPACITY;
}

void gosub_push(uint32_t return_point)
{
    // Only reached when an earlier growth failed and the process went on.
    if (gosub_count >= gosub_capacity) {
        error_raise(ERROR_OUT_OF_STACK_SPACE);
        return;
    }
    gosub_stack[gosub_count++] = return_point;
    if (gosub_count == gosub_capacity)
        gosub_stack_grow();
}

bool gosub_pop(uint32_t highest_return_point, uint32_t *point)
{
    if (gosub_count == 0) {
        error_raise(ERROR_RETURN_WITHOUT_GOSUB);
        return false;
    }
    uint32_t number = gosub_stack[--gosub_count];
    if (number > highest_return_point) {
        error_raise(ERROR_RETURN_WITHOUT_GOSUB);
        return false;
    }
    *point = number;
    return true;
}

void gosub_stack_grow()
{
    if (int32_t(gosub_capacity) < 0) {
        error_raise(ERROR_OUT_OF_STACK_SPACE);
        return;
    }
    uint64_t capacity =
        gosub_capacity ? uint64_t(gosub_capacity) * 2 : uint64_t(GOSUB_STACK_START_CAPACITY);
    auto *stack = static_cast<uint32_t *>(std::realloc(gosub_stack, capacity * 4));
    if (!stack) {
        error_raise(ERROR_OUT_OF_STACK_SPACE);
        return;
    }
    gosub_stack = stack;
    gosub_capacity = uint32_t(capacity);
}
