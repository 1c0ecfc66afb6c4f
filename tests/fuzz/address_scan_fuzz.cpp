// Fuzz target for the public-address lookup's reply scanner, against a plain
// reference: the reply cut into maximal runs of digits and dots; the answer
// is the first run that is followed by another byte and, without its leading
// dots, starts with a digit and holds exactly three dots.
#include "files/public_address.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{

bool run_byte(uint8_t c)
{
    return (c >= '0' && c <= '9') || c == '.';
}

std::string reference(const uint8_t *data, size_t size, bool *found)
{
    *found = false;
    size_t i = 0;
    while (i < size) {
        if (!run_byte(data[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < size && run_byte(data[end]))
            ++end;
        if (end == size)
            return {};
        std::string run(reinterpret_cast<const char *>(data + i), end - i);
        run.erase(0, run.find_first_not_of('.'));
        size_t dots = 0;
        for (char c : run)
            dots += c == '.';
        if (!run.empty() && dots == 3) {
            *found = true;
            return run;
        }
        i = end;
    }
    return {};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    bool expected_found = false;
    std::string expected = reference(data, size, &expected_found);
    size_t start = 0, length = 0;
    bool found = address_scan(data, size, &start, &length);
    if (found != expected_found)
        std::abort();
    if (found && (start + length > size ||
                  std::string(reinterpret_cast<const char *>(data + start), length) != expected))
        std::abort();
    return 0;
}
