// Helpers for tests of the string built-ins and the number readers, on top of
// the string core's own test helpers (text_of, literal, heap_string).
#pragma once

#include "core/string_support.h"

#include <string_view>

// A temporary heap string (may be changed in place).
string_descriptor *own_temp(std::string_view text);

// A permanent heap string, as a variable holds it.
string_descriptor *variable(std::string_view text);

// A read-only temporary over a copy of the bytes (zero bytes included) that
// lives until the end of the test, as a literal of the program does.
string_descriptor *literal(std::string_view text);

// Fresh string tables and no pending error before every test; a test that
// leaves an error pending without checking it fails.
class StringTest : public StringsTest
{
  protected:
    void SetUp() override;
    void TearDown() override;
};
