// Fuzz target for the number readers: the input is taken as VAL's text, as a
// DATA block read item by item with every kind of READ, and as a file read
// with INPUT #. Nothing may crash, hang or trip a sanitizer; BASIC errors are
// expected and cleared.
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/number_scan.h"
#include "core/string_builtins.h"
#include "core/strings.h"
#include "files/file_bytes_memory.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace
{

constexpr uint32_t READ_TYPES[] = {
    NUMERIC_TYPE_FLOAT | 32, NUMERIC_TYPE_FLOAT | 64, 16, NUMERIC_TYPE_UNSIGNED | 8, 63,
};
constexpr int ITEMS_MAX = 4096;

void fuzz_val(const uint8_t *data, int32_t size)
{
    long double v = rt_val(string_from_buffer(data, size));
    rt_str_str_long_double(v);
    error_pending_take();
}

// Reads every DATA item in turn with a different reader; an item that fails
// is passed over with the string reader, as a program would move on.
void fuzz_data(const uint8_t *data, int32_t size)
{
    string_descriptor *text = string_new(0, false);
    int32_t position = 0;
    for (int i = 0; position < size && i < ITEMS_MAX; i++) {
        int kind = i % 8;
        if (kind < 5)
            rt_read_number(data, &position, size, READ_TYPES[kind]);
        else if (kind == 5)
            rt_read_int64(data, &position, size);
        else if (kind == 6)
            rt_read_uint64(data, &position, size);
        else
            rt_read_string(data, &position, size, text);
        if (error_pending_take() != 0)
            rt_read_string(data, &position, size, text);
        error_pending_take();
    }
    string_free(text);
}

// INPUT # over the same bytes until the end of the file; the file is closed
// again before the next input.
void fuzz_input_file(const uint8_t *data, int32_t size)
{
    file_bytes_memory_bind(1, std::string_view(reinterpret_cast<const char *>(data), size_t(size)));
    string_descriptor *text = string_new(0, false);
    for (int i = 0; i < ITEMS_MAX; i++) {
        if (i % 3 == 2)
            rt_input_file_string(1, text);
        else
            rt_input_file_number(1, READ_TYPES[i % 5]);
        if (error_pending_take() == 62)
            break;
    }
    string_free(text);
    file_bytes_memory_reset();
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
    if (size > 1 << 16)
        return 0;
    uint32_t mark = string_temp_count;
    fuzz_val(data, int32_t(size));
    fuzz_data(data, int32_t(size));
    fuzz_input_file(data, int32_t(size));
    temp_strings_release(mark);
    return 0;
}
