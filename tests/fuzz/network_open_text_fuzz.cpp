// Fuzz target for the TCP/IP open texts: the parser must agree with a plain
// split of the text at ':' on whether the text is well formed, on the number
// of parts and on the host, give a plain decimal port its own value, and
// never hold more than the parts table.
#include "core/errors.h"
#include "files/network_open_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{

std::vector<std::string> split(const std::string &text)
{
    std::vector<std::string> parts;
    size_t from = 0;
    for (;;) {
        size_t colon = text.find(':', from);
        parts.push_back(text.substr(from, colon - from));
        if (colon == std::string::npos)
            return parts;
        from = colon + 1;
    }
}

std::string upper(std::string s)
{
    for (char &c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}

bool plain_digits(const std::string &s)
{
    return !s.empty() && s.size() <= 9 && s.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > size_t(INT32_MAX))
        return 0;
    std::string text(reinterpret_cast<const char *>(data), size);
    open_text got{};
    bool ok = open_text_parse(data, int32_t(size), &got);
    error_pending_take();
    std::vector<std::string> parts = split(text);
    bool expected = parts.size() >= 2 && parts.size() <= size_t(OPEN_TEXT_PARTS_MAX) &&
                    upper(parts[0]) == "TCP/IP";
    if (ok != expected)
        std::abort();
    if (!ok)
        return 0;
    if (got.parts != int32_t(parts.size()))
        std::abort();
    std::string host = parts.size() >= 3 ? parts[2].substr(0, parts[2].find('\0')) : "";
    if (got.host != host)
        std::abort();
    if (plain_digits(parts[1]) && got.port != std::stoi(parts[1]))
        std::abort();
    return 0;
}
