#include "platform/clipboard_text.h"

#include <cstdint>

namespace
{

// The smallest code a sequence of 1 + index bytes may carry: a longer form
// than needed (0xC0 0x80 for 0) is broken.
constexpr uint32_t SEQUENCE_CODE_MIN[] = {0, 0x80, 0x800, 0x10000};

// Characters beyond Latin-1, and broken sequences, become '?'.
std::string utf8_to_latin1(std::string_view text)
{
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const size_t n = text.size();
    std::string out;
    size_t i = 0;
    while (i < n) {
        const unsigned char lead = p[i];
        if (lead < 0x80) {
            out += char(lead);
            ++i;
            continue;
        }
        const size_t extra = (lead >> 5) == 6    ? 1
                             : (lead >> 4) == 14 ? 2
                             : (lead >> 3) == 30 ? 3
                                                 : 0;
        bool broken = extra == 0 || i + extra >= n;
        uint32_t code = lead & (0x3F >> extra);
        for (size_t k = 1; !broken && k <= extra; ++k) {
            broken = (p[i + k] & 0xC0) != 0x80;
            code = (code << 6) | (p[i + k] & 0x3F);
        }
        broken = broken || code < SEQUENCE_CODE_MIN[extra];
        out += broken || code > 0xFF ? '?' : char(code);
        i += broken ? 1 : extra + 1;
    }
    return out;
}

} // namespace

std::string clipboard_text_cut(std::string_view text)
{
    return std::string(text.substr(0, text.find('\0')));
}

std::string clipboard_text_from_selection(std::string_view bytes, bool utf8)
{
    // No byte of a multi-byte UTF-8 sequence is 0, so cutting first is safe.
    const std::string text = clipboard_text_cut(bytes);
    return utf8 ? utf8_to_latin1(text) : text;
}

bool selection_chunk_append(std::string &bytes, std::string_view chunk, size_t limit_bytes)
{
    if (bytes.size() > limit_bytes || chunk.size() > limit_bytes - bytes.size())
        return false;
    bytes.append(chunk);
    return true;
}
