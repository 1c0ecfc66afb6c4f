#include "files/file_position.h"

#include "core/errors.h"
#include "files/com_device.h"
#include "files/file_errors.h"
#include "files/handle_table.h"
#include "files/network_handles.h"
#include "files/os_handle.h"

namespace
{

// The handle bound to a file number, or -1 after raising 52.
int32_t bound_handle(int32_t number)
{
    if (file_number_in_use(number) != 1) {
        error_raise(52);
        return -1;
    }
    return file_number_handle(number);
}

// The record a RANDOM position counts in: 1-based record numbers.
int64_t record_number(const os_handle_record &r, int64_t byte_position)
{
    return byte_position / r.record_length + 1;
}

} // namespace

int64_t rt_lof(int32_t number)
{
    if (number < 0) {
        int64_t waiting = 0;
        if (special_handle_lof(number, &waiting))
            return waiting;
        error_raise(52);
        return 0;
    }
    int32_t handle = bound_handle(number);
    if (handle < 0)
        return 0;
    int64_t size = os_handle_size(handle);
    if (file_error_raise(size))
        return 0;
    return size;
}

int32_t rt_eof(int32_t number)
{
    if (number < 0) {
        int32_t at_end = 0;
        if (special_handle_eof(number, &at_end))
            return at_end ? -1 : 0;
        error_raise(52);
        return 0;
    }
    int32_t handle = bound_handle(number);
    if (handle < 0)
        return 0;
    const os_handle_record &r = *os_handle_at(handle);
    // A RANDOM or BINARY port, like a file, is at its end when its last read
    // came up short (a time-out); in the other modes a port has no end to
    // reach and is at its end while nothing is waiting.
    bool records = r.mode == FILE_MODE_RANDOM || r.mode == FILE_MODE_BINARY;
    if (r.com_port != 0 && !records)
        return com_device_at_end(handle, r.mode == FILE_MODE_INPUT) ? -1 : 0;
    if (r.eof_flag)
        return -1;
    if (r.mode == FILE_MODE_INPUT && os_handle_at_eof(handle) == 1)
        return -1;
    return 0;
}

void rt_seek(int32_t number, int64_t position)
{
    if (error_pending)
        return;
    int32_t handle = bound_handle(number);
    if (handle < 0)
        return;
    if (position < 1) {
        error_raise(63);
        return;
    }
    const os_handle_record &r = *os_handle_at(handle);
    int64_t byte_position = position - 1;
    if (r.mode == FILE_MODE_RANDOM) {
        if (byte_position > INT64_MAX / r.record_length) {
            error_raise(63);
            return;
        }
        byte_position *= r.record_length;
    }
    file_error_raise(os_handle_seek(handle, byte_position));
}

int64_t rt_seek_function(int32_t number)
{
    int32_t handle = bound_handle(number);
    if (handle < 0)
        return 0;
    const os_handle_record &r = *os_handle_at(handle);
    if (r.mode == FILE_MODE_RANDOM)
        return record_number(r, r.position);
    return r.position + 1;
}

int64_t rt_loc(int32_t number)
{
    int32_t handle = bound_handle(number);
    if (handle < 0)
        return 0;
    const os_handle_record &r = *os_handle_at(handle);
    if (r.com_port != 0)
        return com_device_waiting(handle);
    switch (r.mode) {
    case FILE_MODE_RANDOM:
        return record_number(r, r.position);
    case FILE_MODE_BINARY:
        return r.position;
    default:
        return r.position == 0 ? 1 : (r.position - 1) / 128 + 1;
    }
}
