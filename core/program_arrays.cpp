// The registry of the compiled program's dynamic arrays and CLEAR.
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/gosub_stack.h"
#include "core/memory.h"

#include <cstdlib>
#include <vector>

namespace {

alignas(8) uint8_t own_zero_block[8] = {};

std::vector<array_descriptor *> program_arrays;

// Frees an allocated array's data and leaves it with no data and no bounds.
void array_release(array_descriptor *array)
{
    if (array->flags & ARRAY_IN_DOS_MEMORY)
        dos_memory_free(array->data);
    else
        std::free(array->data);
    array->data = array_zero_block;
    array->flags &= ~(ARRAY_ALLOCATED | ARRAY_IN_DOS_MEMORY);
    array->dimension_count = 0;
    for (array_dimension &d : array->dimensions)
        d = {};
}

} // namespace

uint8_t *array_zero_block = own_zero_block;

void (*program_clear_close_files_hook)() = nullptr;
void (*program_clear_free_images_hook)() = nullptr;

void program_array_register(array_descriptor *array) { program_arrays.push_back(array); }

void program_arrays_forget() { program_arrays.clear(); }

void program_clear_arrays()
{
    for (array_descriptor *array : program_arrays) {
        if (array->flags & ARRAY_ALLOCATED)
            array_release(array);
    }
    if (program_clear_close_files_hook)
        program_clear_close_files_hook();
    if (program_clear_free_images_hook)
        program_clear_free_images_hook();
    on_error_armed = 0;
    on_error_inside_handler = 0;
    gosub_count = 0;
}
