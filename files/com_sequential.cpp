#include "files/com_sequential.h"

#include "core/errors.h"
#include "core/strings.h"
#include "files/file_errors.h"
#include "files/os_handle.h"

#include <algorithm>
#include <string>

namespace
{

// INPUT$ reads in pieces of at most this size, so that a large count costs
// memory only for the bytes that really arrive.
constexpr int64_t PIECE_MAX = 1 << 16;

// A new temporary string holding the bytes.
string_descriptor *string_of(const std::string &bytes)
{
    string_descriptor *s = string_new(int32_t(bytes.size()), true);
    std::copy(bytes.begin(), bytes.end(), s->chr);
    return s;
}

} // namespace

string_descriptor *com_input_str(int32_t handle, int32_t count)
{
    std::string bytes;
    while (int64_t(bytes.size()) < count) {
        size_t old = bytes.size();
        bytes.resize(old + size_t(std::min<int64_t>(PIECE_MAX, count - int64_t(old))));
        int32_t r = os_handle_read(handle, -1, bytes.data() + old, int64_t(bytes.size() - old));
        if (file_error_raise(r))
            return string_new(0, true);
        bytes.resize(old + size_t(os_handle_last_read_count()));
        if (r == OS_HANDLE_SHORT_READ)
            break;
    }
    return string_of(bytes);
}

void com_line_input_binary(int32_t handle, string_descriptor *dest)
{
    std::string line;
    uint8_t byte = 0;
    for (;;) {
        int32_t r = os_handle_read(handle, -1, &byte, 1);
        if (file_error_raise(r))
            return;
        if (r == OS_HANDLE_SHORT_READ)
            break;
        if (byte == 10)
            break;
        line += char(byte);
    }
    if (line.empty() && byte != 10) {
        error_raise(62);
        return;
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    string_set(dest, string_of(line));
}
