// The PRINT USING engine: walks the format from the item's start position,
// copies literals, formats the item at its field and stops at the next field.
#include "core/errors.h"
#include "core/print_using_internal.h"
#include "core/strings.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace
{

constexpr int32_t ERROR_ILLEGAL_CALL = 5;
constexpr int32_t ERROR_TYPE_MISMATCH = 13;
constexpr int32_t ERROR_OUT_OF_STRING_SPACE = 14;

// The text the current item adds to the destination; kept between calls so
// that its room is reused.
std::string item_text;

// '!' and "\  \" take exactly `width` characters, blanks past the string's end.
void string_field_fill(const string_descriptor *item, int32_t width, std::string &out)
{
    const char *chars = reinterpret_cast<const char *>(item->chr);
    if (width == STRING_FIELD_WHOLE) {
        out.append(chars, size_t(item->len));
        return;
    }
    const int32_t taken = std::min(width, item->len);
    out.append(chars, size_t(taken));
    out.append(size_t(width - taken), ' ');
}

// One literal at `at`: '_' takes the next character as it is (a '_' at the
// end prints itself). Returns the characters used.
int32_t literal_copy(const format_text &f, int32_t at, std::string &out)
{
    if (f.text[at] == '_' && at + 1 < f.length) {
        out += f.text[at + 1];
        return 2;
    }
    out += f.text[at];
    return 1;
}

// Appends text to dest (which may be any string, a temporary included).
void dest_append(string_descriptor *dest, const std::string &text)
{
    if (text.empty())
        return;
    const int64_t len = int64_t(dest->len) + int64_t(text.size());
    if (len > INT32_MAX) {
        error_raise(ERROR_OUT_OF_STRING_SPACE);
        return;
    }
    string_descriptor *joined = string_new(int32_t(len), true); // may move dest's characters
    std::memcpy(joined->chr, dest->chr, size_t(dest->len));
    std::memcpy(joined->chr + dest->len, text.data(), text.size());
    string_set(dest, joined);
}

// A field at `at`: its length (0 when there is none) and its kind.
struct field_found {
    int32_t length = 0;
    bool numeric = false;
    int32_t string_width = 0;
    using_field numeric_field;
};

field_found field_at(const format_text &f, int32_t at)
{
    field_found found;
    found.length = numeric_field_parse(f, at, found.numeric_field);
    found.numeric = found.length > 0;
    if (!found.numeric) {
        found.string_width = string_field_width(f, at);
        found.length = found.string_width == STRING_FIELD_WHOLE ? 1 : found.string_width;
    }
    return found;
}

// Copies the literals before the item's field and formats the item there,
// starting the format again once when it runs out. Returns the position
// after the field, or -1 after an error.
int32_t item_place(const format_text &f, int32_t at, string_descriptor *item, char exponent_letter)
{
    int32_t search_start = at;
    for (;;) {
        if (at >= f.length) {
            if (search_start == 0) {
                error_raise(ERROR_ILLEGAL_CALL);
                return -1;
            }
            at = search_start = 0;
            continue;
        }
        const field_found found = field_at(f, at);
        if (found.length == 0) {
            at += literal_copy(f, at, item_text);
            continue;
        }
        if (found.numeric == (item != nullptr)) {
            error_raise(ERROR_TYPE_MISMATCH);
            return -1;
        }
        if (found.numeric)
            numeric_field_format(found.numeric_field, print_using_digits, exponent_letter,
                                 item_text);
        else
            string_field_fill(item, found.string_width, item_text);
        return at + found.length;
    }
}

// Copies literals up to the next field; returns its position, or 0 at the
// format's end.
int32_t literals_to_next_field(const format_text &f, int32_t at)
{
    for (; at < f.length; at += literal_copy(f, at, item_text))
        if (field_at(f, at).length > 0)
            return at;
    return 0;
}

} // namespace

int32_t print_using_number(string_descriptor *format, int32_t start, string_descriptor *dest,
                           string_descriptor *item, char exponent_letter)
{
    if (error_pending)
        return 0;
    const format_text f{reinterpret_cast<const char *>(format->chr), format->len};
    item_text.clear();
    const int32_t after =
        item_place(f, start > 0 && start < f.length ? start : 0, item, exponent_letter);
    if (after < 0)
        return 0;
    const int32_t next = literals_to_next_field(f, after);
    dest_append(dest, item_text);
    return next;
}
