#include "core/array_descriptor.h"

#include "core/errors.h"
#include "support/gives_raising.h"

#include <gtest/gtest.h>

namespace {

// DIM a(1 TO 10, -5 TO 5): dimensions stored last first.
array_descriptor two_dimensional() {
    array_descriptor a{};
    a.flags = ARRAY_ALLOCATED;
    a.dimensions[0] = {-5, 11, {0, 0}};
    a.dimensions[1] = {1, 10, {0, 0}};
    return a;
}

TEST(ArrayBounds, BoundsOfEachDimension) {
    error_pending_take();
    const array_descriptor a = two_dimensional();
    EXPECT_EQ(rt_lbound(&a, 1, 2), 1);
    EXPECT_EQ(rt_ubound(&a, 1, 2), 10);
    EXPECT_EQ(rt_lbound(&a, 2, 2), -5);
    EXPECT_EQ(rt_ubound(&a, 2, 2), 5);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST(ArrayBounds, BadDimensionOrUnallocatedArrayIsError9) {
    error_pending_take();
    array_descriptor a = two_dimensional();
    for (int32_t dimension : {0, 3, -1}) {
        EXPECT_EQ(rt_ubound(&a, dimension, 2), 0);
        EXPECT_EQ(error_pending_take(), 9u) << dimension;
    }
    EXPECT_TRUE(gives_raising(rt_lbound(&a, 1, int32_t(ARRAY_DIMENSIONS_MAX) + 1), 0, 9));
    a.flags = ARRAY_STATIC;
    EXPECT_TRUE(gives_raising(rt_lbound(&a, 1, 2), 0, 9));
}

} // namespace
