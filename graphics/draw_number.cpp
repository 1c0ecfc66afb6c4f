// The numeric arguments of DRAW: decimal text or "=" references.
#include "graphics/draw.h"

#include "core/dos_memory.h"

#include <cstring>

namespace
{

// The value of a reference of the given type at an offset of the DOS string
// area. False for a type that names no number.
bool reference_value(uint8_t type, uint16_t offset, double *out)
{
    if (!emulated_dos_memory)
        return false;
    const uint8_t *p = emulated_dos_memory + DOS_STRING_AREA + offset;
    auto read = [p](auto value) {
        std::memcpy(&value, p, sizeof value);
        return double(value);
    };
    switch (type) {
    case 1:
        *out = read(int8_t(0));
        return true;
    case 129:
        *out = read(uint8_t(0));
        return true;
    case 2:
        *out = read(int16_t(0));
        return true;
    case 130:
        *out = read(uint16_t(0));
        return true;
    case 20:
        *out = read(int32_t(0));
        return true;
    case 148:
        *out = read(uint32_t(0));
        return true;
    case 5:
        *out = read(int64_t(0));
        return true;
    case 133:
        *out = read(uint64_t(0));
        return true;
    case 4:
        *out = read(float(0));
        return true;
    case 8:
        *out = read(double(0));
        return true;
    case 6: {
        long double extended = 0;
        std::memcpy(&extended, p, 10);
        *out = double(extended);
        return true;
    }
    default:
        return false;
    }
}

// The three bytes after "=": type byte and offset, low byte first.
draw_number reference_read(draw_cursor *at)
{
    draw_number n{0.0, true, true};
    if (at->position + 2 >= at->length)
        return n;
    const uint8_t *b = at->source + at->position;
    at->position += 3;
    if (!reference_value(b[0], uint16_t(b[1] | b[2] << 8), &n.value)) {
        n.value = 0.0;
        return n;
    }
    n.invalid = n.empty = false;
    return n;
}

} // namespace

draw_number draw_number_read(draw_cursor *at)
{
    draw_number n{0.0, false, true};
    double sign = 1.0, fraction_step = 0.1;
    bool point_seen = false;
    auto done = [&] {
        n.value *= sign;
        return n;
    };
    for (; at->position < at->length; at->position++) {
        uint8_t b = at->source[at->position];
        if (b == ' ' || b == '\t')
            continue;
        if (b >= '0' && b <= '9') {
            if (point_seen) {
                n.value += (b - '0') * fraction_step;
                fraction_step /= 10.0;
            } else {
                n.value = n.value * 10.0 + (b - '0');
            }
            n.empty = n.invalid = false;
        } else if (b == '-' || b == '+') {
            if (point_seen || !n.empty)
                return done();
            if (b == '-')
                sign = -sign;
            n.invalid = true;
        } else if (b == '.') {
            if (point_seen)
                return done();
            point_seen = true;
            n.invalid = n.invalid || !n.empty;
        } else if (b == '=') {
            if (n.invalid || point_seen || !n.empty)
                return {0.0, true, n.empty};
            at->position++;
            // "=" must be followed by a whole reference; at the end of the
            // string it is no argument at all, not an empty one.
            return reference_read(at);
        } else {
            return done();
        }
    }
    return done();
}
