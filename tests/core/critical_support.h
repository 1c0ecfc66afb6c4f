// Death-test helper for critical errors.
//
// A critical error shows its box (which is also written to standard error as
// "[caption] text") and ends the process with code 0. The statement runs in a
// child process; should error_raise return instead, the child reports the
// pending number itself and exits 0 only when it is the expected one.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

// Writes "pending error N" to standard error and exits: 0 when N is expected.
[[noreturn]] void critical_error_report(uint32_t expected);

// box_pattern: a regular expression for the box as written to standard error
// (caption in brackets, then the text on the next line).
#define EXPECT_CRITICAL_ERROR(statement, n, box_pattern)                                           \
    EXPECT_EXIT(                                                                                   \
        {                                                                                          \
            statement;                                                                             \
            critical_error_report(n);                                                              \
        },                                                                                         \
        ::testing::ExitedWithCode(0), box_pattern "|pending error " #n)
