// Fuzz target for the letter-case fold of UTF-8 names. The input is two names
// separated by the first newline. The order must be one (antisymmetric,
// reflexive, equal exactly when the names are equal ignoring case); names of
// ASCII alone must meet exactly when they meet ignoring ASCII case; and a
// name must meet itself with its ASCII letters' case swapped, and with any
// text appended to both, whatever bytes it holds.
#include "platform/case_fold.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{

void check(bool condition)
{
    if (!condition)
        std::abort();
}

char ascii_flipped(char c)
{
    if (c >= 'a' && c <= 'z')
        return char(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z')
        return char(c - 'A' + 'a');
    return c;
}

bool ascii_equal_ignoring_case(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && ascii_flipped(a[i]) != b[i])
            return false;
    return true;
}

bool ascii_only(const std::string &text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    const std::string::size_type cut = input.find('\n');
    const std::string a = input.substr(0, cut);
    const std::string b = cut == std::string::npos ? std::string() : input.substr(cut + 1);
    const int ab = case_fold_compare(a, b);
    const int ba = case_fold_compare(b, a);
    check((ab < 0) == (ba > 0) && (ab == 0) == (ba == 0));
    check(case_fold_equal(a, b) == (ab == 0));
    check(case_fold_compare(a, a) == 0);
    if (ascii_only(a) && ascii_only(b))
        check(case_fold_equal(a, b) == ascii_equal_ignoring_case(a, b));
    std::string flipped = a;
    for (char &c : flipped)
        c = ascii_flipped(c);
    check(case_fold_equal(a, flipped));
    check(case_fold_compare(a + b, flipped + b) == 0);
    return 0;
}
