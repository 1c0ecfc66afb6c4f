// OCT$ and HEX$ as temporary strings over the digit formatting.
#include "core/number_text.h"

#include "core/errors.h"
#include "core/strings.h"

#include <cstring>

namespace {

string_descriptor *digits_string(const char *digits, int32_t count) {
    string_descriptor *s = string_new(count, true);
    std::memcpy(s->chr, digits, size_t(count));
    return s;
}

using digits_fn = int32_t (*)(int64_t, uint32_t, char *);

string_descriptor *digits_of_float(double value, digits_fn digits) {
    int64_t integer = 0;
    if (!number_text_integer(value, &integer)) {
        error_raise(6);
        return string_new(0, true);
    }
    char text[NUMBER_DIGITS_BUFFER];
    return digits_string(text, digits(integer, 32, text));
}

} // namespace

string_descriptor *oct_str_int64(int64_t value, uint32_t bits) {
    char text[NUMBER_DIGITS_BUFFER];
    return digits_string(text, oct_digits_int64(value, bits, text));
}

string_descriptor *hex_str_int64(int64_t value, uint32_t bits) {
    char text[NUMBER_DIGITS_BUFFER];
    return digits_string(text, hex_digits_int64(value, bits, text));
}

string_descriptor *rt_oct_str_float(double value) {
    return digits_of_float(value, oct_digits_int64);
}

string_descriptor *rt_hex_str_float(double value) {
    return digits_of_float(value, hex_digits_int64);
}
