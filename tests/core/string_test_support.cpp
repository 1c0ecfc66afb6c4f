#include "tests/core/string_test_support.h"

#include "core/errors.h"

#include <cstring>
#include <deque>
#include <string>

namespace
{
// The bytes behind literal(): kept until the next test starts.
std::deque<std::string> literal_bytes;
} // namespace

string_descriptor *own_temp(std::string_view text)
{
    string_descriptor *s = string_new(int32_t(text.size()), true);
    if (!text.empty())
        std::memcpy(s->chr, text.data(), text.size());
    return s;
}

string_descriptor *variable(std::string_view text)
{
    string_descriptor *s = string_new(int32_t(text.size()), false);
    if (!text.empty())
        std::memcpy(s->chr, text.data(), text.size());
    return s;
}

string_descriptor *literal(std::string_view text)
{
    const std::string &kept = literal_bytes.emplace_back(text);
    return string_from_buffer(kept.data(), int32_t(kept.size()));
}

void StringTest::SetUp()
{
    StringsTest::SetUp();
    literal_bytes.clear();
}

void StringTest::TearDown()
{
    EXPECT_EQ(error_pending_take(), 0u) << "an error was left pending";
}
