// GET and PUT of variable-length strings: the length prefix in RANDOM
// records, the bare characters in BINARY files.
#include "core/errors.h"
#include "core/strings.h"
#include "files/file_bytes.h"
#include "files/file_errors.h"
#include "files/get_put.h"
#include "files/handle_table.h"
#include "files/network_handles.h"
#include "files/os_handle.h"

#include <cstdlib>
#include <cstring>

namespace
{

constexpr int64_t SHORT_PREFIX_LIMIT = 32768;
constexpr int32_t SHORT_PREFIX_BYTES = 2;
constexpr int32_t LONG_PREFIX_BYTES = 8;

// A scratch block outside the string heap, freed on every path.
struct scratch_block {
    explicit scratch_block(int64_t size) : bytes(static_cast<uint8_t *>(std::malloc(size_t(size))))
    {
    }
    ~scratch_block() { std::free(bytes); }
    scratch_block(const scratch_block &) = delete;
    scratch_block &operator=(const scratch_block &) = delete;
    uint8_t *bytes;
};

// GET of a prefixed string from one record of a RANDOM file.
void record_string_get(int32_t handle, int64_t position, bool given, string_descriptor *dest)
{
    const os_handle_record &r = *os_handle_at(handle);
    int64_t record_length = r.record_length;
    if (record_length < SHORT_PREFIX_BYTES) {
        error_raise(59);
        return;
    }
    int64_t first = transfer_first_byte(handle, position, given, record_length);
    if (first < 0)
        return;
    scratch_block record(record_length);
    if (!record.bytes) {
        error_raise(7);
        return;
    }
    if (file_error_raise(os_handle_read(handle, first, record.bytes, record_length)))
        return;
    int64_t delivered = os_handle_last_read_count();
    if (delivered == 0) {
        string_set(dest, string_new(0, true));
        return;
    }
    if (delivered < record_length && os_handle_seek(handle, first + record_length) != 0) {
        error_raise(54);
        return;
    }
    int64_t offset = 0, length = 0;
    if (!string_prefix_decode(record.bytes, record_length, &offset, &length)) {
        os_handle_seek(handle, first); // the record can be read again by other means
        error_raise(59);
        return;
    }
    string_set(dest, string_from_buffer(record.bytes + offset, int32_t(length)));
}

// PUT of a string with its prefix into one record of a RANDOM file. The
// prefixed copy lives outside the string heap, so nothing can move the
// characters while it is built.
void record_string_put(int32_t number, int64_t record_length, int64_t position, bool given,
                       const byte_element *element)
{
    uint8_t prefix[LONG_PREFIX_BYTES];
    int32_t prefix_bytes = string_prefix_encode(element->length, prefix);
    int64_t total = int64_t(element->length) + prefix_bytes;
    if (total > record_length) {
        error_raise(59);
        return;
    }
    scratch_block copy(total);
    if (!copy.bytes) {
        error_raise(7);
        return;
    }
    std::memcpy(copy.bytes, prefix, size_t(prefix_bytes));
    if (element->length > 0)
        std::memcpy(copy.bytes + prefix_bytes, byte_element_bytes(element),
                    size_t(element->length));
    byte_element whole{};
    byte_element_fill(reinterpret_cast<uintptr_t>(copy.bytes), int32_t(total), &whole);
    rt_put(number, position, &whole, given);
}

// Gives a string whose characters belong to someone else its own copy, so
// that reading into it overwrites nothing but its own bytes.
void string_make_own(string_descriptor *s)
{
    if (s->readonly && !s->fixed)
        string_set(s, string_from_buffer(s->chr, s->len));
}

} // namespace

int32_t string_prefix_encode(int64_t length, uint8_t out[8])
{
    auto value = uint64_t(length);
    if (length < SHORT_PREFIX_LIMIT) {
        out[0] = uint8_t(value);
        out[1] = uint8_t(value >> 8);
        return SHORT_PREFIX_BYTES;
    }
    uint64_t low = (value & 32767) | 32768;
    uint64_t high = value >> 15;
    out[0] = uint8_t(low);
    out[1] = uint8_t(low >> 8);
    for (int i = 0; i < 6; ++i)
        out[2 + i] = uint8_t(high >> (8 * i));
    return LONG_PREFIX_BYTES;
}

bool string_prefix_decode(const uint8_t *record, int64_t record_length, int64_t *offset,
                          int64_t *length)
{
    uint64_t low = uint64_t(record[0]) | uint64_t(record[1]) << 8;
    if (low < uint64_t(SHORT_PREFIX_LIMIT)) {
        *offset = SHORT_PREFIX_BYTES;
        *length = int64_t(low);
    } else {
        if (record_length < LONG_PREFIX_BYTES)
            return false;
        uint64_t high = 0;
        for (int i = 0; i < 6; ++i)
            high |= uint64_t(record[2 + i]) << (8 * i);
        // At most 2^48 - 1 shifted by 15 plus 32767: 2^63 - 1, still a length.
        *offset = LONG_PREFIX_BYTES;
        *length = int64_t((low & 32767) + (high << 15));
    }
    return *length <= record_length - *offset;
}

void rt_get_string(int32_t number, int64_t position, string_descriptor *dest,
                   int32_t position_given)
{
    if (error_pending)
        return;
    if (number < 0) {
        if (dest->fixed) {
            byte_element chars{};
            rt_get(number, position, byte_element_fill(uintptr_t(dest->chr), dest->len, &chars),
                   position_given);
        } else if (!special_handle_get_string(number, dest)) {
            error_raise(52);
        }
        return;
    }
    int32_t handle = transfer_handle(number, false, transfer_modes::random_or_binary);
    if (handle < 0)
        return;
    if (os_handle_at(handle)->mode == FILE_MODE_RANDOM) {
        record_string_get(handle, position, position_given, dest);
        return;
    }
    string_make_own(dest);
    byte_element chars{};
    rt_get(number, position, byte_element_fill(uintptr_t(dest->chr), dest->len, &chars),
           position_given);
}

void rt_put_string(int32_t number, int64_t position, byte_element *element, int32_t position_given)
{
    if (error_pending)
        return;
    if (number < 0) {
        rt_put(number, position, element, position_given);
        return;
    }
    int32_t handle = transfer_handle(number, true, transfer_modes::random_or_binary);
    if (handle < 0)
        return;
    const os_handle_record &r = *os_handle_at(handle);
    if (r.mode == FILE_MODE_RANDOM)
        record_string_put(number, r.record_length, position, position_given, element);
    else
        rt_put(number, position, element, position_given);
}
