// UCASE$, LCASE$, LSET, RSET and the string comparison operators.
#include "core/errors.h"
#include "core/string_builtins.h"
#include "files/field_store.h"

#include <algorithm>
#include <cstring>

namespace
{

// Maps bytes from..from+25 by adding delta (case change of ASCII letters only),
// in place when s allows it, else into a new temporary.
string_descriptor *change_case(string_descriptor *s, uint8_t from, int delta)
{
    if (s->len == 0)
        return s;
    string_descriptor *r = s;
    if (!string_is_own_temp(s)) {
        r = string_temp_of_slice(s, 0, s->len);
        string_consume(s);
    }
    for (int32_t i = 0; i < r->len; i++) {
        uint8_t c = r->chr[i];
        if (c >= from && c <= from + 25)
            r->chr[i] = uint8_t(c + delta);
    }
    return r;
}

// -1, 0 or 1 as a sorts before, equal to or after b: unsigned bytes over the
// common length, then the shorter first.
int compare(const string_descriptor *a, const string_descriptor *b)
{
    int32_t common = std::min(a->len, b->len);
    int c = common > 0 ? std::memcmp(a->chr, b->chr, size_t(common)) : 0;
    if (c != 0)
        return c < 0 ? -1 : 1;
    return (a->len > b->len) - (a->len < b->len);
}

int32_t truth(bool b)
{
    return b ? -1 : 0;
}

// Copies source into dest's own bytes at a left or right alignment, blanks in
// the rest, cut to dest's length (a longer source keeps its first bytes).
void set_aligned(string_descriptor *dest, string_descriptor *source, bool right)
{
    if (error_pending == 0) {
        int32_t n = std::min(source->len, dest->len);
        int32_t pad = dest->len - n;
        int32_t at = right ? pad : 0;
        if (n > 0)
            std::memmove(dest->chr + at, source->chr, size_t(n));
        if (pad > 0)
            std::memset(dest->chr + (right ? 0 : n), ' ', size_t(pad));
        if (dest->field)
            field_string_store(dest);
    }
    if (source != dest)
        string_consume(source);
}

} // namespace

string_descriptor *rt_ucase_str(string_descriptor *s)
{
    return change_case(s, 'a', 'A' - 'a');
}
string_descriptor *rt_lcase_str(string_descriptor *s)
{
    return change_case(s, 'A', 'a' - 'A');
}

void rt_lset(string_descriptor *dest, string_descriptor *source)
{
    set_aligned(dest, source, false);
}
void rt_rset(string_descriptor *dest, string_descriptor *source)
{
    set_aligned(dest, source, true);
}

int32_t string_equal(const string_descriptor *a, const string_descriptor *b)
{
    return truth(a->len == b->len &&
                 (a->len == 0 || std::memcmp(a->chr, b->chr, size_t(a->len)) == 0));
}
int32_t string_not_equal(const string_descriptor *a, const string_descriptor *b)
{
    return ~string_equal(a, b);
}
int32_t string_less(const string_descriptor *a, const string_descriptor *b)
{
    return truth(compare(a, b) < 0);
}
int32_t string_greater(const string_descriptor *a, const string_descriptor *b)
{
    return truth(compare(a, b) > 0);
}
int32_t string_less_equal(const string_descriptor *a, const string_descriptor *b)
{
    return truth(compare(a, b) <= 0);
}
int32_t string_greater_equal(const string_descriptor *a, const string_descriptor *b)
{
    return truth(compare(a, b) >= 0);
}
