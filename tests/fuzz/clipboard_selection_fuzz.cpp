// Fuzz target for taking another client's selection: the chunks of an
// incremental transfer joined under a limit, then converted to the runtime's
// text. The input's first byte gives the type (bit 0: UTF8_STRING) and the
// second the limit in units of 16 bytes; then each chunk is a length byte
// and that many bytes.
#include "platform/clipboard_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace
{

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const bool utf8 = data[0] & 1;
    const size_t limit = size_t(data[1]) * 16;
    const std::string_view input(reinterpret_cast<const char *>(data) + 2, size - 2);
    std::string bytes;
    bool whole = true;
    for (size_t at = 0; at < input.size() && whole;) {
        const std::string_view chunk = input.substr(at + 1, uint8_t(input[at]));
        at += 1 + chunk.size();
        const std::string before = bytes;
        whole = selection_chunk_append(bytes, chunk, limit);
        check(whole ? bytes == before + std::string(chunk) : bytes == before);
    }
    check(bytes.size() <= limit);

    const std::string text = clipboard_text_from_selection(bytes, utf8);
    const std::string cut = clipboard_text_cut(bytes);
    check(text.find('\0') == std::string::npos);
    check(utf8 ? text.size() <= cut.size() : text == cut);
    // Every text survives the way out to another client and back.
    check(clipboard_text_from_selection(latin1_to_utf8(text), true) == text);
    return 0;
}
