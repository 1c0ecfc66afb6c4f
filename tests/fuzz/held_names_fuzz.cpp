// Fuzz target for the names of held temporary files, which a save reads off
// the directory entries beside its file: the input's first byte picks the
// longest name the directory takes, and the rest, split at its first zero
// byte, is a target's last part and an entry's name. Reading any entry may
// not crash or trip a sanitizer; a name made for a last part is read back as
// held, by this process, and never cuts a UTF-8 sequence short.
#include "platform/os_file_held_testing.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

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
    if (size == 0)
        return 0;
    const size_t limit = 16 + data[0];
    const std::string rest(reinterpret_cast<const char *>(data + 1), size - 1);
    const size_t zero = rest.find('\0');
    const std::string last = rest.substr(0, zero);
    const std::string entry = zero == std::string::npos ? std::string() : rest.substr(zero + 1);

    int maker = -1;
    os_file_held_name_read(entry, last, &maker);
    check(maker >= 0);

    if (last.empty() || last.find('/') != std::string::npos)
        return 0;
    const std::string unique = std::to_string(getpid()) + "-" + std::to_string(size);
    const std::string made = os_file_held_name_make(last, unique, limit);
    check(os_file_held_name_read(made, last, &maker));
    check(maker == getpid());
    const size_t kept = made.find('.' + unique + '-');
    check(kept != std::string::npos && last.compare(0, kept, made, 0, kept) == 0);
    check(kept == 0 || kept == last.size() || (uint8_t(last[kept]) & 0xC0) != 0x80);
    return 0;
}
