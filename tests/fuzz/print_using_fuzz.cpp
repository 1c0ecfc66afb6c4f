// Fuzz target for PRINT USING over (format, value, type). The input is
//   byte 0: the item type (integer, unsigned, single, double, long double,
//           string) and, in its high bits, how many items to print (1-4);
//   byte 1: the start position of the first item;
//   10 bytes: the value's raw bits (any NaN, infinity or extreme);
//   the rest: the format, up to a zero byte, then the string item.
// Nothing may crash, hang or trip a sanitizer; BASIC errors are expected and
// cleared. A returned position always lies inside the format.
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/print_using.h"
#include "core/strings.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace
{

constexpr size_t HEADER = 12;

int32_t print_item(int kind, const uint8_t *bits, string_descriptor *format, int32_t at,
                   string_descriptor *dest, string_descriptor *text)
{
    int64_t i;
    double d;
    float f;
    long double ld = 0;
    std::memcpy(&i, bits, sizeof i);
    std::memcpy(&d, bits, sizeof d);
    std::memcpy(&f, bits, sizeof f);
    std::memcpy(&ld, bits, 10);
    switch (kind) {
    case 0:
        return rt_print_using_integer64(format, i, at, dest);
    case 1:
        return rt_print_using_uinteger64(format, uint64_t(i), at, dest);
    case 2:
        return rt_print_using_single(format, f, at, dest);
    case 3:
        return rt_print_using_double(format, d, at, dest);
    case 4:
        return rt_print_using_long_double(format, ld, at, dest);
    default:
        return print_using_number(format, at, dest, text);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    dos_memory_reset();
    strings_static_init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < HEADER || size > 4096)
        return 0;
    const int kind = data[0] % 6;
    const int items = 1 + (data[0] >> 6);
    const uint8_t *rest = data + HEADER;
    const size_t rest_size = size - HEADER;
    const void *zero = std::memchr(rest, 0, rest_size);
    const size_t format_size = zero ? size_t(static_cast<const uint8_t *>(zero) - rest) : rest_size;
    const size_t text_at = zero ? format_size + 1 : rest_size;

    const uint32_t mark = string_temp_count;
    string_descriptor *format = string_from_buffer(rest, int32_t(format_size));
    string_descriptor *text = string_from_buffer(rest + text_at, int32_t(rest_size - text_at));
    string_descriptor *dest = string_new(0, false);
    int32_t at = data[1];
    for (int n = 0; n < items; n++) {
        at = print_item(kind, data + 2, format, at, dest, text);
        if (error_pending_take() != 0)
            break;
        if (at < 0 || (at != 0 && at >= format->len))
            std::abort();
    }
    string_free(dest);
    temp_strings_release(mark);
    return 0;
}
