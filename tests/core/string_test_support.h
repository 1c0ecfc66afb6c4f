// Helpers for tests of the string built-ins and the number readers.
#pragma once

#include "core/strings.h"

#include <gtest/gtest.h>
#include <string>
#include <string_view>

// The bytes of a string.
std::string text_of(const string_descriptor *s);

// A temporary heap string (may be changed in place).
string_descriptor *own_temp(std::string_view text);

// A permanent heap string, as a variable holds it.
string_descriptor *variable(std::string_view text);

// A read-only temporary over the bytes, as a literal is.
string_descriptor *literal(std::string_view text);

// Starts every test with fresh string tables and no pending error, and fails
// a test that leaves an error pending it did not check.
class StringTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
};
