#include "tests/core/string_test_support.h"

#include "core/errors.h"

#include <cstring>

std::string text_of(const string_descriptor *s)
{
    return std::string(reinterpret_cast<const char *>(s->chr), size_t(s->len));
}

string_descriptor *own_temp(std::string_view text)
{
    string_descriptor *s = string_new(int32_t(text.size()), true);
    std::memcpy(s->chr, text.data(), text.size());
    return s;
}

string_descriptor *variable(std::string_view text)
{
    string_descriptor *s = string_new(int32_t(text.size()), false);
    std::memcpy(s->chr, text.data(), text.size());
    return s;
}

string_descriptor *literal(std::string_view text)
{
    return string_from_buffer(text.data(), int32_t(text.size()));
}

void StringTest::SetUp()
{
    strings_static_init();
    error_pending_take();
}

void StringTest::TearDown() { EXPECT_EQ(error_pending_take(), 0u) << "an error was left pending"; }
