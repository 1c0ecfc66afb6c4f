#include "platform/latin1.h"

namespace
{

// The smallest code a sequence of 1 + index bytes may carry: a longer form
// than needed (0xC0 0x80 for 0) is broken.
constexpr uint32_t SEQUENCE_CODE_MIN[] = {0, 0x80, 0x800, 0x10000};

} // namespace

std::string latin1_to_utf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

uint32_t utf8_next(std::string_view text, size_t &at)
{
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const size_t n = text.size();
    const unsigned char lead = p[at];
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    const size_t extra = (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : 0;
    bool broken = extra == 0 || at + extra >= n;
    uint32_t code = lead & (0x3F >> extra);
    for (size_t k = 1; !broken && k <= extra; ++k) {
        broken = (p[at + k] & 0xC0) != 0x80;
        code = (code << 6) | (p[at + k] & 0x3F);
    }
    broken = broken || code < SEQUENCE_CODE_MIN[extra];
    at += broken ? 1 : extra + 1;
    return broken ? UTF8_BROKEN : code;
}
