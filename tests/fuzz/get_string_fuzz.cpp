// Fuzz target for GET of variables and prefixed strings over fuzzed file
// bytes, record lengths and positions. The input's first 12 bytes choose the
// record length (u16), the position (i64) and whether it is given and the
// file is BINARY; the rest is the file. Beyond not crashing, a GET must either
// raise one of its designed errors or deliver exactly the bytes the file holds
// there, and a refused prefix must leave the position at the record's start.
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "files/file_bytes.h"
#include "files/file_bytes_memory.h"
#include "files/get_put.h"
#include "files/handle_table.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace
{

constexpr size_t HEADER = 12;

struct fuzz_case {
    int64_t record_length;
    int64_t position;
    bool given;
    bool binary;
    std::string_view file;
};

fuzz_case case_of(const uint8_t *data, size_t size)
{
    fuzz_case c{};
    c.record_length = (data[0] | data[1] << 8) + 1;
    std::memcpy(&c.position, data + 2, 8);
    c.given = data[10] & 1;
    c.binary = data[10] & 2;
    c.file = std::string_view(reinterpret_cast<const char *>(data + HEADER), size - HEADER);
    return c;
}

void fail(const char *what)
{
    std::fprintf(stderr, "get_string_fuzz: %s\n", what);
    std::abort();
}

// The file's bytes at start, count of them, zero past its end.
std::string file_bytes_at(std::string_view file, int64_t start, int64_t count)
{
    std::string bytes(size_t(count), '\0');
    if (start < int64_t(file.size()))
        file.substr(size_t(start), size_t(count)).copy(bytes.data(), size_t(count));
    return bytes;
}

// GET into a prefixed string of a RANDOM record.
void get_record_string(const fuzz_case &c, int32_t handle)
{
    string_descriptor *dest = string_new(0, false);
    int64_t start = c.given ? (c.position - 1) * c.record_length : 0;
    rt_get_string(1, c.position, dest, c.given);
    uint32_t error = error_pending_take();
    if (error == 59 && c.record_length >= 2 && os_handle_at(handle)->position != start)
        fail("a refused prefix moved the position");
    if (error != 0 && error != 59 && error != 63)
        fail("an error GET does not raise");
    if (error == 0 && dest->len > 0) {
        int64_t offset = 0, length = 0;
        std::string record = file_bytes_at(c.file, start, c.record_length);
        if (!string_prefix_decode(reinterpret_cast<const uint8_t *>(record.data()), c.record_length,
                                  &offset, &length) ||
            length != dest->len || std::memcmp(dest->chr, record.data() + offset, size_t(length)))
            fail("the string is not the record's");
    }
    string_free(dest);
}

// GET of a 4-byte variable and of a string as long as the record.
void get_element(const fuzz_case &c)
{
    uint8_t bytes[4] = {};
    byte_element e{};
    rt_get(1, c.position, byte_element_fill(uintptr_t(bytes), 4, &e), c.given);
    uint32_t error = error_pending_take();
    if (error != 0 && error != 59 && error != 63)
        fail("an error GET does not raise");
    string_descriptor *dest = string_new(int32_t(c.record_length % 64), false);
    rt_get_string(1, c.position, dest, c.given);
    error_pending_take();
    string_free(dest);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    dos_memory_reset();
    strings_static_init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < HEADER || size > 1 << 16)
        return 0;
    fuzz_case c = case_of(data, size);
    uint8_t mode = c.binary ? FILE_MODE_BINARY : FILE_MODE_RANDOM;
    int32_t handle = file_bytes_memory_bind(1, c.file, mode);
    os_handle_record &r = *os_handle_at(handle);
    r.record_length = c.record_length;
    uint32_t mark = string_temp_count;
    if (!c.binary && c.given && c.position >= 1 &&
        c.position - 1 <= (INT64_MAX - c.record_length) / c.record_length)
        get_record_string(c, handle);
    get_element(c);
    temp_strings_release(mark);
    file_bytes_memory_reset();
    return 0;
}
