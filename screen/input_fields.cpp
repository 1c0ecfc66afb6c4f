// The INPUT editor's line checker: splitting a typed line into fields and
// checking each against its target. Every prefix of a number the user may go
// on typing is valid ("-", "1.", "1E-", "&H"), so a number can be typed one
// character at a time; anything that can never become a number of the
// target's type, or leaves its range, is invalid.
#include "screen/input_editor_internal.h"

#include "core/number_scan.h"
#include "core/string_builtins.h"
#include "core/strings.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

uint64_t input_hex_oct_value = 0;

namespace
{

bool is_digit(uint8_t c)
{
    return c >= '0' && c <= '9';
}

uint32_t size_of(uint32_t type_word)
{
    return type_word & NUMERIC_TYPE_SIZE_MASK;
}

// ---- Integers ---------------------------------------------------------------

// The largest magnitude a decimal field of the type may have.
uint64_t integer_limit(uint32_t bits, bool is_unsigned, bool negative)
{
    if (is_unsigned)
        return bits == 64 ? UINT64_MAX : (uint64_t(1) << bits) - 1;
    const uint64_t half = uint64_t(1) << (bits - 1);
    return negative ? half : half - 1;
}

// An &H or &O field for an integer of `bits`: the value fits the bits and the
// field has no more digits than the type's largest value has.
bool integer_hex_oct(const uint8_t *f, int32_t len, uint32_t bits, input_value *out)
{
    const int32_t form = input_check_hex_oct(f, len);
    if (form == 0)
        return false;
    const int32_t digits = len > 2 ? len - 2 : 0;
    const int32_t digits_max = int32_t(form == 1 ? (bits + 3) / 4 : (bits + 2) / 3);
    if (digits > digits_max)
        return false;
    if (bits < 64 && input_hex_oct_value >> bits)
        return false;
    out->bits = input_hex_oct_value;
    return true;
}

// A decimal integer: an optional '-' (signed types; alone it stands for 0),
// no leading zero, digits only, within the type's range.
bool integer_decimal(const uint8_t *f, int32_t len, uint32_t bits, bool is_unsigned,
                     input_value *out)
{
    int32_t i = 0;
    const bool negative = len > 0 && f[0] == '-';
    if (negative) {
        if (is_unsigned)
            return false;
        i = 1;
    }
    if (i < len && f[i] == '0' && len - i > 1)
        return false;
    const uint64_t limit = integer_limit(bits, is_unsigned, negative);
    uint64_t magnitude = 0;
    for (; i < len; i++) {
        if (!is_digit(f[i]))
            return false;
        const uint64_t d = f[i] - '0';
        if (magnitude > (limit - d) / 10)
            return false;
        magnitude = magnitude * 10 + d;
    }
    out->bits = negative ? 0 - magnitude : magnitude;
    return true;
}

bool integer_field(const uint8_t *f, int32_t len, uint32_t type_word, input_value *out)
{
    out->bits = 0;
    if (len == 0)
        return true;
    const uint32_t bits = size_of(type_word);
    if (f[0] == '&')
        return integer_hex_oct(f, len, bits, out);
    return integer_decimal(f, len, bits, type_word & NUMERIC_TYPE_UNSIGNED, out);
}

// ---- Reals ------------------------------------------------------------------

// Range limits of a real type, on its significant digits and the decimal
// position p (value = 0.digits x 10^p).
struct real_limits {
    int32_t zeros_max; // zeros after the point before the first significant digit
    int32_t significant_max;
    int32_t p_max; // at p_max the leading digits must not exceed high_digits
    const char *high_digits;
    int32_t p_min; // at p_min the leading digits must not be below low_digits
    const char *low_digits;
};

constexpr real_limits SINGLE_LIMITS{43, 8, 39, "3402823", -44, "1401298"};
constexpr real_limits DOUBLE_LIMITS{322, 16, 309, "17976931", -323, "4940656"};
// The longest real is an 80-bit extended: its largest and smallest values.
constexpr real_limits LONGEST_LIMITS{4950, 20, 4933, "11897314", -4950, "3645199"};

const real_limits &limits_of(uint32_t bits)
{
    return bits == 32 ? SINGLE_LIMITS : bits == 64 ? DOUBLE_LIMITS : LONGEST_LIMITS;
}

// The parts of a decimal real field.
struct real_parts {
    bool negative;
    std::string int_digits;
    std::string frac_digits;
    bool exponent_negative;
    std::string exponent_digits;
};

// Splits a field by the real grammar; false when it breaks it. D and d are
// refused for singles.
bool real_split(const uint8_t *f, int32_t len, bool single, real_parts *parts)
{
    int32_t i = 0;
    parts->negative = len > 0 && f[0] == '-';
    if (parts->negative)
        i = 1;
    for (; i < len && is_digit(f[i]); i++)
        parts->int_digits += char(f[i]);
    const std::string &ints = parts->int_digits;
    if (ints.size() > 1 && ints[0] == '0')
        return false;
    if (ints == "0" && i < len && f[i] != '.')
        return false;
    if (i < len && f[i] == '.')
        for (i++; i < len && is_digit(f[i]); i++)
            parts->frac_digits += char(f[i]);
    if (i < len && std::strchr("EeDd", f[i])) {
        if (ints.empty() && parts->frac_digits.empty())
            return false;
        if (single && (f[i] == 'D' || f[i] == 'd'))
            return false;
        i++;
        if (i < len && (f[i] == '+' || f[i] == '-'))
            parts->exponent_negative = f[i++] == '-';
        for (; i < len && is_digit(f[i]); i++)
            parts->exponent_digits += char(f[i]);
    }
    return i == len;
}

// The exponent's value, held at +-1,000,000 (far beyond every limit).
int64_t exponent_of(const real_parts &parts)
{
    int64_t e = 0;
    for (char c : parts.exponent_digits)
        e = std::min<int64_t>(e * 10 + (c - '0'), 1000000);
    return parts.exponent_negative ? -e : e;
}

// The first n characters of digits, padded with zeros, compared with limit.
int compare_leading(const std::string &digits, const char *limit)
{
    std::string head = digits.substr(0, std::strlen(limit));
    head.resize(std::strlen(limit), '0');
    return head.compare(limit);
}

// The range rules on the significant digits and the decimal position.
bool real_in_range(const real_parts &parts, const real_limits &lim)
{
    const bool int_significant = !parts.int_digits.empty() && parts.int_digits != "0";
    const std::string all = (int_significant ? parts.int_digits : "") + parts.frac_digits;
    const size_t first = all.find_first_not_of('0');
    const std::string significant = first == std::string::npos ? "" : all.substr(first);
    if (!int_significant) {
        const size_t zeros = first == std::string::npos ? all.size() : first;
        if (zeros > size_t(lim.zeros_max))
            return false;
    }
    if (significant.size() > size_t(lim.significant_max))
        return false;
    if (significant.empty())
        return true;
    const int64_t p =
        (int_significant ? int64_t(parts.int_digits.size()) : -int64_t(first)) + exponent_of(parts);
    if (p > lim.p_max || (p == lim.p_max && compare_leading(significant, lim.high_digits) > 0))
        return false;
    if (p < lim.p_min || (p == lim.p_min && compare_leading(significant, lim.low_digits) < 0))
        return false;
    return true;
}

locale_t c_numeric_locale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return loc;
}

// Reads the field's value with the standard conversion of its type. A value
// that rounds to infinity, or a non-zero one that vanishes, is refused.
bool real_convert(const real_parts &parts, uint32_t bits, input_value *out)
{
    std::string text = parts.negative ? "-" : "";
    text += parts.int_digits.empty() ? "0" : parts.int_digits;
    if (!parts.frac_digits.empty())
        text += "." + parts.frac_digits;
    if (!parts.exponent_digits.empty())
        text += std::string(parts.exponent_negative ? "e-" : "e") + parts.exponent_digits;
    const bool non_zero =
        (parts.int_digits + parts.frac_digits).find_first_not_of('0') != std::string::npos;
    long double v;
    if (bits == 32) {
        locale_t loc = c_numeric_locale();
        out->single_value =
            loc ? strtof_l(text.c_str(), nullptr, loc) : std::strtof(text.c_str(), nullptr);
        v = out->single_value;
    } else if (bits == 64) {
        out->double_value = decimal_text_to_double(text.c_str());
        v = out->double_value;
    } else {
        out->longest_value = decimal_text_to_long_double(text.c_str());
        v = out->longest_value;
    }
    if (std::isinf(v) || (non_zero && v == 0))
        return false;
    if (v == 0) { // "-" and "-0" store a plain zero
        out->single_value = 0;
        out->double_value = 0;
        out->longest_value = 0;
    }
    return true;
}

bool real_field(const uint8_t *f, int32_t len, uint32_t type_word, input_value *out)
{
    const uint32_t bits = size_of(type_word);
    out->single_value = 0;
    out->double_value = 0;
    out->longest_value = 0;
    if (len == 0)
        return true;
    if (f[0] == '&') {
        if (input_check_hex_oct(f, len) == 0)
            return false;
        out->single_value = float(input_hex_oct_value);
        out->double_value = double(input_hex_oct_value);
        out->longest_value = static_cast<long double>(input_hex_oct_value);
        return true;
    }
    real_parts parts{};
    if (!real_split(f, len, bits == 32, &parts) || !real_in_range(parts, limits_of(bits)))
        return false;
    return real_convert(parts, bits, out);
}

// The next field of the line from *pos: its characters and whether it was
// quoted. False when a closing quote is followed by anything but a comma.
bool field_next(const uint8_t *line, int32_t length, int32_t *pos, int32_t *at, int32_t *len,
                bool *quoted)
{
    int32_t i = *pos;
    *quoted = i < length && line[i] == '"';
    if (*quoted) {
        const void *close = std::memchr(line + i + 1, '"', size_t(length - i - 1));
        const int32_t end = close ? int32_t(static_cast<const uint8_t *>(close) - line) : length;
        *at = i + 1;
        *len = end - i - 1;
        *pos = close ? end + 1 : length;
        return *pos == length || line[*pos] == ',';
    }
    const void *comma = std::memchr(line + i, ',', size_t(length - i));
    const int32_t end = comma ? int32_t(static_cast<const uint8_t *>(comma) - line) : length;
    *at = i;
    *len = end - i;
    *pos = end;
    return true;
}

// A fixed-length string target takes only a field that is not longer.
bool fixed_string_takes(const input_target &target, int32_t len)
{
    if (!(target.type_word & INPUT_TYPE_STRING) || !target.variable)
        return true;
    const auto *s = static_cast<const string_descriptor *>(target.variable);
    return !s->fixed || len <= s->len;
}

} // namespace

int32_t input_check_hex_oct(const uint8_t *f, int32_t len)
{
    input_hex_oct_value = 0;
    if (len == 0)
        return 1;
    if (f[0] != '&')
        return 0;
    if (len == 1)
        return 1;
    const bool hex = f[1] == 'H' || f[1] == 'h';
    if (!hex && f[1] != 'O' && f[1] != 'o')
        return 0;
    const int32_t digits = len - 2;
    if (digits > (hex ? 16 : 22) || (!hex && digits == 22 && f[2] > '1'))
        return 0;
    uint64_t value = 0;
    for (int32_t i = 2; i < len; i++) {
        const uint8_t c = f[i];
        uint32_t d;
        if (is_digit(c))
            d = c - '0';
        else if (hex && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else if (hex && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            return 0;
        if (!hex && d > 7)
            return 0;
        value = hex ? value << 4 | d : value << 3 | d;
    }
    input_hex_oct_value = value;
    return hex ? 1 : 2;
}

bool input_type_valid(uint32_t type_word)
{
    if (type_word & INPUT_TYPE_STRING)
        return true;
    const uint32_t bits = size_of(type_word);
    if (type_word & NUMERIC_TYPE_FLOAT)
        return bits == 32 || bits == 64 || bits == INPUT_REAL_LONGEST_BITS;
    return bits == 8 || bits == 16 || bits == 32 || bits == 64;
}

bool input_field_check(const uint8_t *f, int32_t len, bool quoted, uint32_t type_word,
                       input_value *value)
{
    if (type_word & INPUT_TYPE_STRING) {
        value->text_len = len;
        return true;
    }
    if (quoted)
        return false;
    if (type_word & NUMERIC_TYPE_FLOAT)
        return real_field(f, len, type_word, value);
    return integer_field(f, len, type_word, value);
}

int32_t input_line_check(const uint8_t *line, int32_t length, const input_target *targets,
                         int32_t count, bool line_mode, input_value *values)
{
    if (line_mode) {
        if (!fixed_string_takes(targets[0], length))
            return -1;
        values[0].text_at = 0;
        values[0].text_len = length;
        return 1;
    }
    int32_t pos = 0;
    for (int32_t k = 0;; k++) {
        if (k >= count)
            return -1;
        int32_t at, len;
        bool quoted;
        if (!field_next(line, length, &pos, &at, &len, &quoted))
            return -1;
        if (!fixed_string_takes(targets[k], len))
            return -1;
        values[k].text_at = at;
        if (!input_field_check(line + at, len, quoted, targets[k].type_word, &values[k]))
            return -1;
        if (pos == length)
            return k + 1;
        pos++; // the comma
    }
}

void input_target_store(const input_target &target, const uint8_t *line, const input_value *value)
{
    const uint32_t type = target.type_word;
    if ((type & INPUT_TYPE_NO_STORE) || !target.variable)
        return;
    if (type & INPUT_TYPE_STRING) {
        auto *s = static_cast<string_descriptor *>(target.variable);
        string_descriptor *text = value
                                      ? string_temp_of_bytes(line + value->text_at, value->text_len)
                                      : string_new(0, true);
        if (s->fixed)
            rt_lset(s, text); // blank-filled, and written back to a FIELD record
        else
            string_set(s, text);
        return;
    }
    const uint32_t bits = size_of(type);
    if (type & NUMERIC_TYPE_FLOAT) {
        if (bits == 32)
            *static_cast<float *>(target.variable) = value ? value->single_value : 0.0f;
        else if (bits == 64)
            *static_cast<double *>(target.variable) = value ? value->double_value : 0.0;
        else
            *static_cast<long double *>(target.variable) = value ? value->longest_value : 0.0L;
        return;
    }
    // Little-endian: the low bytes of the two's complement value.
    const uint64_t v = value ? value->bits : 0;
    std::memcpy(target.variable, &v, bits / 8);
}
