#include "core/array_descriptor.h"
#include "core/errors.h"

namespace {

// The stored dimension, or null after raising error 9.
const array_dimension *dimension_of(const array_descriptor *array, int32_t dimension,
                                    int32_t count) {
    if (!array || !(array->flags & ARRAY_ALLOCATED) || count > int32_t(ARRAY_DIMENSIONS_MAX) ||
        dimension < 1 || dimension > count) {
        error_raise(9);
        return nullptr;
    }
    return &array->dimensions[count - dimension];
}

} // namespace

int32_t rt_lbound(const array_descriptor *array, int32_t dimension, int32_t count) {
    const array_dimension *d = dimension_of(array, dimension, count);
    return d ? d->lower_bound : 0;
}

int32_t rt_ubound(const array_descriptor *array, int32_t dimension, int32_t count) {
    const array_dimension *d = dimension_of(array, dimension, count);
    return d ? int32_t(int64_t(d->lower_bound) + d->element_count - 1) : 0;
}
