// The descriptor of a BASIC array as the compiled program lays it out, and
// LBOUND and UBOUND over it.
//
// The dimensions are stored last first: dimensions[0] describes the array's
// last dimension. The program passes the number of dimensions with each call.
#pragma once

#include <cstdint>

constexpr uint32_t ARRAY_ALLOCATED = 1;
constexpr uint32_t ARRAY_STATIC = 2;
constexpr uint32_t ARRAY_IN_DOS_MEMORY = 4;
constexpr uint32_t ARRAY_DIMENSIONS_MAX = 60;

struct array_dimension {
    int32_t lower_bound;
    int32_t element_count;
    int32_t reserved[2];
};

struct array_descriptor {
    void *data;        // the elements; array_zero_block while not allocated
    uint32_t flags;    // ARRAY_ALLOCATED, ARRAY_STATIC, ARRAY_IN_DOS_MEMORY
    int32_t dimension_count;
    uint64_t *lock_id; // the array's lock id, renewed when it is dimensioned
    array_dimension dimensions[ARRAY_DIMENSIONS_MAX];
};

// LBOUND(array, dimension) and UBOUND: dimension 1 to count of an allocated
// array, else error 9 and 0.
int32_t rt_lbound(const array_descriptor *array, int32_t dimension, int32_t count);
int32_t rt_ubound(const array_descriptor *array, int32_t dimension, int32_t count);
