// DATE$ and TIME$ from the local wall clock (platform/clock.h).
#include "core/errors.h"
#include "core/guarded_math.h"
#include "core/strings.h"
#include "platform/clock.h"

#include <ctime>

namespace
{

// Writes the low `count` decimal digits of value, leading zeros included.
void digits_put(uint8_t *at, int32_t value, int32_t count)
{
    uint32_t v = value < 0 ? 0u - uint32_t(value) : uint32_t(value);
    for (int32_t i = count - 1; i >= 0; i--, v /= 10)
        at[i] = uint8_t('0' + v % 10);
}

struct clock_field {
    int32_t tm::*member;
    int32_t offset; // added to the member's value
    int32_t position;
    int32_t digits;
};

// A temporary of `length` characters: the fields of the local time with the
// separator at positions 2 and 5, or an empty one after error 5.
template <int N>
string_descriptor *clock_text(int32_t length, char separator, const clock_field (&fields)[N])
{
    string_descriptor *s = string_new(length, true);
    tm now{};
    if (error_pending || !wall_clock_local_time(&now)) {
        if (!error_pending)
            error_raise(5);
        s->len = 0;
        return s;
    }
    s->chr[2] = s->chr[5] = uint8_t(separator);
    for (const clock_field &f : fields)
        digits_put(s->chr + f.position, now.*f.member + f.offset, f.digits);
    return s;
}

} // namespace

string_descriptor *rt_date_str()
{
    static constexpr clock_field fields[] = {
        {&tm::tm_mon, 1, 0, 2}, {&tm::tm_mday, 0, 3, 2}, {&tm::tm_year, 1900, 6, 4}};
    return clock_text(10, '-', fields);
}

string_descriptor *rt_time_str()
{
    static constexpr clock_field fields[] = {
        {&tm::tm_hour, 0, 0, 2}, {&tm::tm_min, 0, 3, 2}, {&tm::tm_sec, 0, 6, 2}};
    return clock_text(8, ':', fields);
}
