#include "files/network_open_text.h"

#include "core/small_ops.h"
#include "core/string_builtins.h"
#include "core/strings.h"

#include <algorithm>
#include <cstring>

namespace
{

bool word_is_tcp_ip(const uint8_t *p, int32_t len)
{
    static constexpr char WORD[] = "TCP/IP";
    if (len != int32_t(sizeof WORD) - 1)
        return false;
    for (int32_t i = 0; i < len; ++i) {
        uint8_t c = p[i];
        if (c >= 'a' && c <= 'z')
            c = uint8_t(c - 'a' + 'A');
        if (c != uint8_t(WORD[i]))
            return false;
    }
    return true;
}

// VAL of the bytes, rounded and held within 32 bits.
int32_t port_of(const uint8_t *p, int32_t len)
{
    string_descriptor s{};
    s.chr = const_cast<uint8_t *>(p);
    s.len = len;
    int64_t port = round_long_double_to_int64(rt_val(&s));
    return int32_t(std::clamp<int64_t>(port, INT32_MIN, INT32_MAX));
}

} // namespace

bool open_text_parse(const uint8_t *text, int32_t len, open_text *out)
{
    int32_t start[OPEN_TEXT_PARTS_MAX];
    int32_t end[OPEN_TEXT_PARTS_MAX];
    int32_t parts = 0;
    int32_t from = 0;
    for (int32_t i = 0; i <= len; ++i) {
        if (i < len && text[i] != ':')
            continue;
        if (parts == OPEN_TEXT_PARTS_MAX)
            return false; // one part too many: the table holds no more
        start[parts] = from;
        end[parts++] = i;
        from = i + 1;
    }
    if (parts < 2 || !word_is_tcp_ip(text, end[0]))
        return false;
    out->parts = parts;
    out->port = port_of(text + start[1], end[1] - start[1]);
    out->host.clear();
    if (parts >= 3) {
        const uint8_t *h = text + start[2];
        const void *zero = std::memchr(h, 0, size_t(end[2] - start[2]));
        int32_t n = zero ? int32_t(static_cast<const uint8_t *>(zero) - h) : end[2] - start[2];
        out->host.assign(reinterpret_cast<const char *>(h), size_t(n));
    }
    return true;
}
