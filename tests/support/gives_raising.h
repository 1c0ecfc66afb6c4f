// A call's result and the error it left pending, checked in one line:
//     EXPECT_TRUE(gives_raising(rt_peek(65536), 0, 6));
// The call runs as the argument is evaluated, before the pending error is
// taken; both must match exactly.
#pragma once

#include "core/errors.h"

#include <gtest/gtest.h>

#include <cstdint>

template <typename T, typename U>
::testing::AssertionResult gives_raising(const T &got, const U &want, uint32_t error)
{
    const uint32_t raised = error_pending_take();
    if (got == want && raised == error)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "gave " << ::testing::PrintToString(got) << " raising " << raised << ", expected "
           << ::testing::PrintToString(want) << " raising " << error;
}
