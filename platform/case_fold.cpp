#include "platform/case_fold.h"

#include <cstddef>
#include <cstdint>

namespace
{

// Characters first, first + step, ... last up-case to themselves plus
// difference.
struct up_case_range {
    uint16_t first;
    uint16_t last;
    uint8_t step;
    int32_t difference;
};

constexpr up_case_range UP_CASE[] = {
#include "platform/case_fold_table.inc"
};

// A byte that is not part of a valid character: a value above every
// character, one per byte.
constexpr uint32_t STRAY_BYTE = 0x110000;

uint32_t up_cased(uint32_t c)
{
    if (c > 0xFFFF)
        return c;
    size_t low = 0, high = sizeof UP_CASE / sizeof UP_CASE[0];
    while (low < high) { // the first range whose last is c or after
        const size_t mid = (low + high) / 2;
        if (UP_CASE[mid].last < c)
            low = mid + 1;
        else
            high = mid;
    }
    if (low == sizeof UP_CASE / sizeof UP_CASE[0])
        return c;
    const up_case_range &r = UP_CASE[low];
    if (c < r.first || (c - r.first) % r.step != 0)
        return c;
    return uint32_t(int32_t(c) + r.difference);
}

// The character that begins text at *at, up-cased, and moves *at past it; a
// byte that begins no valid character is taken alone.
uint32_t next_up_cased(std::string_view text, size_t *at)
{
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(*at);
    size_t length = 0;
    uint32_t c = 0, least = 0;
    if (lead < 0x80) {
        ++*at;
        return up_cased(lead);
    }
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, c = lead & 0x1Fu, least = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, c = lead & 0x0Fu, least = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, c = lead & 0x07u, least = 0x10000;
    bool valid = length != 0 && text.size() - *at >= length;
    for (size_t k = 1; valid && k < length; ++k) {
        valid = (byte(*at + k) & 0xC0) == 0x80;
        c = c << 6 | (byte(*at + k) & 0x3Fu);
    }
    if (!valid || c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++*at;
        return STRAY_BYTE + lead;
    }
    *at += length;
    return up_cased(c);
}

} // namespace

int case_fold_compare(std::string_view a, std::string_view b)
{
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const uint32_t x = next_up_cased(a, &i);
        const uint32_t y = next_up_cased(b, &j);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

bool case_fold_equal(std::string_view a, std::string_view b)
{
    return case_fold_compare(a, b) == 0;
}
