// LEFT$, RIGHT$, MID$ (function and statement), LTRIM$, RTRIM$, INSTR, LEN,
// ASC, CHR$, SPACE$, STRING$ and the helpers the string built-ins share.
#include "core/errors.h"
#include "core/string_builtins.h"

#include <algorithm>
#include <cstring>

namespace
{

// One byte for every CHR$ code, so CHR$ needs no allocation.
constexpr auto chr_table = [] {
    struct table {
        uint8_t bytes[256];
    } t{};
    for (int i = 0; i < 256; i++)
        t.bytes[i] = uint8_t(i);
    return t;
}();

const char empty_text[1] = {0};

string_descriptor *empty_result()
{
    return string_from_buffer(empty_text, 0);
}

// A temporary of n copies of one byte; n < 0 gives the empty string.
string_descriptor *repeated_byte(int32_t n, uint8_t byte)
{
    if (n <= 0)
        return empty_result();
    string_descriptor *r = string_new(n, true);
    std::memset(r->chr, byte, size_t(n));
    return r;
}

} // namespace

string_descriptor *string_temp_of_bytes(const void *bytes, int32_t len)
{
    if (len <= 0)
        return empty_result();
    string_descriptor *r = string_new(len, true);
    std::memcpy(r->chr, bytes, size_t(len));
    return r;
}

string_descriptor *string_temp_of_slice(const string_descriptor *s, int32_t offset, int32_t len)
{
    if (len <= 0)
        return empty_result();
    string_descriptor *r = string_new(len, true); // may move s's characters
    std::memcpy(r->chr, s->chr + offset, size_t(len));
    return r;
}

void string_consume(string_descriptor *s)
{
    if (s && s->tmp)
        string_free(s);
}

bool string_is_own_temp(const string_descriptor *s)
{
    return s->tmp && !s->fixed && !s->readonly && !s->in_dos;
}

string_descriptor *string_take_slice(string_descriptor *s, int32_t offset, int32_t len)
{
    if (offset == 0 && len == s->len)
        return s;
    if (string_is_own_temp(s)) {
        s->chr += offset;
        s->len = len;
        return s;
    }
    string_descriptor *r = string_temp_of_slice(s, offset, len);
    string_consume(s);
    return r;
}

string_descriptor *rt_chr_str(int32_t code)
{
    if (code < 0 || code > 255) {
        error_raise(5);
        return empty_result();
    }
    return string_from_buffer(&chr_table.bytes[code], 1);
}

string_descriptor *rt_space_str(int32_t n)
{
    return repeated_byte(n, ' ');
}

string_descriptor *rt_string_str(int32_t n, uint8_t byte)
{
    return repeated_byte(n, byte);
}

string_descriptor *rt_left_str(string_descriptor *s, int32_t n)
{
    int32_t keep = std::clamp(n, 0, s->len);
    return string_take_slice(s, 0, keep);
}

string_descriptor *rt_right_str(string_descriptor *s, int32_t n)
{
    int32_t keep = std::clamp(n, 0, s->len);
    return string_take_slice(s, s->len - keep, keep);
}

// MID$ function. Start and length are widened to 64 bits first, so that
// start + length near the i32 limit cannot wrap past the string's end.
string_descriptor *rt_mid_str(string_descriptor *s, int32_t start, int32_t length,
                              bool length_given)
{
    const int64_t len = s->len;
    int64_t first = start;
    int64_t count;
    if (length_given) {
        count = length;
        if (first < 1) {
            count = first + count - 1;
            first = 1;
        }
        if (count <= 0 || first > len)
            return string_take_slice(s, 0, 0);
        if (first + count > len + 1)
            count = len - first + 1;
    } else {
        first = std::max<int64_t>(first, 1);
        count = len - first + 1;
        if (count <= 0)
            return string_take_slice(s, 0, 0);
    }
    return string_take_slice(s, int32_t(first - 1), int32_t(count));
}

string_descriptor *rt_ltrim_str(string_descriptor *s)
{
    int32_t i = 0;
    while (i < s->len && s->chr[i] == ' ')
        i++;
    return string_take_slice(s, i, s->len - i);
}

string_descriptor *rt_rtrim_str(string_descriptor *s)
{
    int32_t n = s->len;
    while (n > 0 && s->chr[n - 1] == ' ')
        n--;
    return string_take_slice(s, 0, n);
}

// MID$ statement: overwrites part of dest with source bytes, never changing
// dest's length. A start below 1 skips as many leading source bytes as the
// range starts before the string. All arithmetic is in 64 bits.
void rt_mid_str_statement(string_descriptor *dest, int32_t start, int32_t length,
                          string_descriptor *source, bool length_given)
{
    const int64_t dest_len = dest->len;
    const int64_t source_len = source->len;
    int64_t first = start;
    int64_t count = length_given ? length : source_len;
    int64_t skip = 0;
    if (first < 1) {
        count = first + count - 1;
        skip = 1 - first;
        first = 1;
    }
    bool write = error_pending == 0 && dest != string_empty_dos && count > 0 && first <= dest_len &&
                 source_len > skip;
    if (write) {
        count = std::min({count, dest_len - first + 1, source_len - skip});
        std::memmove(dest->chr + (first - 1), source->chr + skip, size_t(count));
    }
    if (source != dest)
        string_consume(source);
}

// INSTR: the first position at or after start where sub occurs in s.
int32_t rt_instr(int32_t start, const string_descriptor *s, const string_descriptor *sub,
                 bool start_given)
{
    const int64_t len = s->len;
    const int64_t sub_len = sub->len;
    int64_t first = start_given ? start : 1;
    if (len == 0)
        return 0;
    if (first < 1) {
        first = 1;
        if (sub_len == 0)
            return 0;
    }
    if (first > len)
        return 0;
    if (sub_len == 0)
        return int32_t(first);
    if (first + sub_len - 1 > len)
        return 0;
    const uint8_t *p = s->chr + (first - 1);
    const uint8_t *last = s->chr + (len - sub_len); // last possible match start
    while (p <= last) {
        p = static_cast<const uint8_t *>(std::memchr(p, sub->chr[0], size_t(last - p + 1)));
        if (!p)
            return 0;
        if (std::memcmp(p + 1, sub->chr + 1, size_t(sub_len - 1)) == 0)
            return int32_t(p - s->chr + 1);
        p++;
    }
    return 0;
}

int32_t rt_len(const string_descriptor *s)
{
    return s->len;
}

int32_t rt_asc(const string_descriptor *s)
{
    if (s->len == 0) {
        error_raise(5);
        return 0;
    }
    return s->chr[0];
}

int32_t rt_asc_at(const string_descriptor *s, int32_t position)
{
    // position - 1 compared unsigned: 0 and negative positions fail as well.
    uint32_t index = uint32_t(position) - 1u;
    if (index >= uint32_t(s->len)) {
        error_raise(5);
        return 0;
    }
    return s->chr[index];
}
