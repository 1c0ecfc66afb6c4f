#include "platform/clipboard_text.h"

#include <cstdint>

namespace
{

// Characters beyond Latin-1, and broken sequences, become '?'.
std::string utf8_to_latin1(std::string_view text)
{
    std::string out;
    for (size_t at = 0; at < text.size();) {
        const uint32_t code = utf8_next(text, at);
        out += code > 0xFF ? '?' : char(code);
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
