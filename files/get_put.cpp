#include "files/get_put.h"

#include "core/errors.h"
#include "files/field_strings.h"
#include "files/file_bytes.h"
#include "files/file_errors.h"
#include "files/handle_table.h"
#include "files/network_handles.h"
#include "files/os_handle.h"

namespace
{

// Moves count bytes between memory and the file at a BASIC position, with
// every check of GET and PUT made before the first byte moves.
void element_transfer(int32_t number, int64_t position, bool given, uint8_t *bytes, int64_t count,
                      bool writing)
{
    int32_t handle = transfer_handle(number, writing, transfer_modes::random_or_binary);
    if (handle < 0)
        return;
    const os_handle_record &r = *os_handle_at(handle);
    bool random = r.mode == FILE_MODE_RANDOM;
    if (random && count > r.record_length) {
        error_raise(59);
        return;
    }
    int64_t first = transfer_first_byte(handle, position, given, random ? r.record_length : count);
    if (first < 0)
        return;
    int32_t result = writing ? os_handle_write(handle, first, bytes, count)
                             : os_handle_read(handle, first, bytes, count);
    if (file_error_raise(result) || result == OS_HANDLE_SHORT_READ)
        return;
    // A variable shorter than the record still uses the whole record.
    if (random && count < r.record_length && os_handle_seek(handle, first + r.record_length) != 0)
        error_raise(54);
}

} // namespace

int32_t transfer_handle(int32_t number, bool writing, transfer_modes modes)
{
    if (file_number_in_use(number) != 1) {
        error_raise(52);
        return -1;
    }
    int32_t handle = file_number_handle(number);
    const os_handle_record &r = *os_handle_at(handle);
    bool mode_fits = modes == transfer_modes::any || r.mode == FILE_MODE_RANDOM ||
                     (modes == transfer_modes::random_or_binary && r.mode == FILE_MODE_BINARY);
    if (!mode_fits) {
        error_raise(54);
        return -1;
    }
    if (!(writing ? r.may_write : r.may_read)) {
        error_raise(75);
        return -1;
    }
    return handle;
}

int64_t transfer_first_byte(int32_t handle, int64_t position, bool given, int64_t span)
{
    const os_handle_record &r = *os_handle_at(handle);
    int64_t first = r.position;
    if (given) {
        if (position < 1) {
            error_raise(63);
            return -1;
        }
        first = position - 1;
        if (r.mode == FILE_MODE_RANDOM) {
            if (first > INT64_MAX / r.record_length) {
                error_raise(63);
                return -1;
            }
            first *= r.record_length;
        }
    }
    if (first > INT64_MAX - span) {
        error_raise(63);
        return -1;
    }
    return first;
}

// GET or PUT of a variable: file numbers here, special handles (negative
// numbers) through the TCP/IP handle layer.
static void element_statement(int32_t number, int64_t position, byte_element *element, bool given,
                              bool writing)
{
    if (error_pending)
        return;
    if (number < 0) {
        bool known =
            writing ? special_handle_put(number, element) : special_handle_get(number, element);
        if (!known)
            error_raise(52);
        return;
    }
    element_transfer(number, position, given, byte_element_bytes(element), element->length,
                     writing);
}

void rt_get(int32_t number, int64_t position, byte_element *element, int32_t position_given)
{
    element_statement(number, position, element, position_given, false);
}

void rt_put(int32_t number, int64_t position, byte_element *element, int32_t position_given)
{
    element_statement(number, position, element, position_given, true);
}

// One record between the file and the record buffer.
static int32_t record_transfer(int32_t number, int64_t position, bool given, bool writing)
{
    if (error_pending)
        return 0;
    if (number < 0) {
        error_raise(54);
        return 0;
    }
    int32_t handle = transfer_handle(number, writing, transfer_modes::random);
    if (handle < 0)
        return 0;
    const os_handle_record &r = *os_handle_at(handle);
    int64_t first = transfer_first_byte(handle, position, given, r.record_length);
    if (first < 0)
        return 0;
    int32_t result = writing ? os_handle_write(handle, first, r.record_buffer, r.record_length)
                             : os_handle_read(handle, first, r.record_buffer, r.record_length);
    if (!file_error_raise(result) && !writing)
        field_strings_refresh(number);
    return 0;
}

int32_t rt_get_record(int32_t number, int64_t position, int32_t position_given)
{
    return record_transfer(number, position, position_given, false);
}

int32_t rt_put_record(int32_t number, int64_t position, int32_t position_given)
{
    return record_transfer(number, position, position_given, true);
}

// A raw transfer; the buffer is only read when writing.
static int32_t raw_transfer(int32_t number, int64_t byte_position, void *buffer, int64_t length,
                            bool writing)
{
    if (error_pending)
        return 0;
    int32_t handle = transfer_handle(number, writing, transfer_modes::any);
    if (handle >= 0)
        file_error_raise(writing ? os_handle_write(handle, byte_position, buffer, length)
                                 : os_handle_read(handle, byte_position, buffer, length));
    return 0;
}

int32_t file_write_at(int32_t number, int64_t byte_position, const void *buffer, int64_t length)
{
    return raw_transfer(number, byte_position, const_cast<void *>(buffer), length, true);
}

int32_t file_read_at(int32_t number, int64_t byte_position, void *buffer, int64_t length)
{
    return raw_transfer(number, byte_position, buffer, length, false);
}
