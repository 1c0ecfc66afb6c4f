// Stand-in string services for the file tests until the string heap is in the
// runtime: heap strings are plain allocations that live until the test ends.
#include "core/strings.h"

#include <cstdlib>
#include <cstring>

string_descriptor *string_new(int32_t len, bool temporary)
{
    auto *d = static_cast<string_descriptor *>(std::calloc(1, sizeof(string_descriptor)));
    d->chr = static_cast<uint8_t *>(std::calloc(size_t(len) + 1, 1));
    d->len = len;
    d->tmp = temporary;
    return d;
}

string_descriptor *string_from_cstr(const char *text)
{
    size_t n = text ? std::strlen(text) : 0;
    string_descriptor *d = string_new(int32_t(n), true);
    if (n)
        std::memcpy(d->chr, text, n);
    d->readonly = 1;
    return d;
}

string_descriptor *string_set(string_descriptor *dest, string_descriptor *src)
{
    auto *chr = static_cast<uint8_t *>(std::malloc(size_t(src->len) + 1));
    if (src->len)
        std::memcpy(chr, src->chr, size_t(src->len));
    dest->chr = chr;
    dest->len = src->len;
    return dest;
}
