// Helpers for the string tests: a fixture that starts the string tables
// afresh, text of a descriptor, and a check of the storage invariants.
#pragma once

#include "support/test_support.h"

#include "core/strings.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

// Starts the DOS memory and the string tables afresh before every test.
class StringsTest : public ::testing::Test {
  protected:
    void SetUp() override { strings_reset(1048576, 65535); }
    static void strings_reset(size_t heap_bytes, uint32_t table_capacity);
};

// A read-only temporary over a literal, as compiled programs make them.
string_descriptor *literal(const char *text);

// A permanent heap string holding text.
string_descriptor *heap_string(const std::string &text);

// Checks the heap list, the DOS list, the DOS descriptors and the temporary
// list: address order, no overlap, back-indices, every temporary listed once.
::testing::AssertionResult string_tables_consistent();
