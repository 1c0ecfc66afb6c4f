// PRINT USING format fields: the numeric field parser and the string fields.
// Every look-ahead is bounded by the format's length.
#include "core/print_using_internal.h"

namespace
{

bool run_at(const format_text &f, int32_t at, char c, int32_t n)
{
    if (at + n > f.length)
        return false;
    for (int32_t i = 0; i < n; i++)
        if (f.text[at + i] != c)
            return false;
    return true;
}

// The start of a field: "**$", "**" or "$$". Returns the characters taken.
int32_t field_lead_in(const format_text &f, int32_t at, using_field &field)
{
    if (run_at(f, at, '*', 2)) {
        field.star_fill = true;
        field.integer_places = 2;
        field.dollar = at + 2 < f.length && f.text[at + 2] == '$';
        return field.dollar ? 3 : 2;
    }
    if (run_at(f, at, '$', 2)) {
        field.dollar = true;
        field.integer_places = 1;
        return 2;
    }
    return 0;
}

// One step of the field parser in state `state`. Returns the characters
// taken (0 ends the field before `at`); `state` and `ends` are updated.
int32_t field_step(const format_text &f, int32_t at, using_field &field, int &state, bool &ends)
{
    const char c = f.text[at];
    if (state >= 2 && (c == '+' || c == '-')) {
        (c == '+' ? field.trailing_plus : field.trailing_minus) = true;
        ends = true;
        return 1;
    }
    if (state == 2 || state == 3) {
        const int32_t carets = run_at(f, at, '^', 5) ? 5 : run_at(f, at, '^', 4) ? 4 : 0;
        if (carets) {
            field.exponent_digits = carets - 2;
            state = 4;
            return carets;
        }
    }
    if (state == 3 && c == '#') {
        field.decimal_places++;
        return 1;
    }
    if (state == 2 && c == ',') {
        field.comma = true;
        field.integer_places++;
        return 1;
    }
    if (state <= 2 && (c == '#' || c == '.')) {
        if (c == '#')
            field.integer_places++;
        field.point = field.point || c == '.';
        state = c == '#' ? 2 : 3;
        return 1;
    }
    if (state <= 1) {
        if (const int32_t taken = field_lead_in(f, at, field)) {
            state = 2;
            return taken;
        }
    }
    if (state == 0 && c == '+') {
        field.leading_plus = true;
        state = 1;
        return 1;
    }
    return 0;
}

} // namespace

int32_t numeric_field_parse(const format_text &f, int32_t at, using_field &field)
{
    field = using_field{};
    int state = 0;
    int32_t i = at;
    bool ends = false;
    while (i < f.length && !ends) {
        const int32_t taken = field_step(f, i, field, state, ends);
        if (taken == 0)
            break;
        i += taken;
    }
    if (state < 2 || field.integer_places + field.decimal_places == 0)
        return 0;
    return i - at;
}

int32_t string_field_width(const format_text &f, int32_t at)
{
    const char c = f.text[at];
    if (c == '&')
        return STRING_FIELD_WHOLE;
    if (c == '!')
        return 1;
    if (c != '\\')
        return 0;
    int32_t i = at + 1;
    while (i < f.length && f.text[i] == ' ')
        i++;
    if (i >= f.length || f.text[i] != '\\')
        return 0;
    return i - at + 1;
}
