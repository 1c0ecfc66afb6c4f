#include "files/os_handle.h"

#include "core/strings.h"
#include "files/com_device.h"
#include "files/com_options.h"
#include "files/handle_table.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

int64_t last_read_count = 0;

int32_t open_result(os_file_status s)
{
    switch (s) {
    case os_file_status::ok:
        return 0;
    case os_file_status::path_not_found:
        return OS_HANDLE_PATH_NOT_FOUND;
    case os_file_status::access_denied:
    case os_file_status::lock_violation:
        return OS_HANDLE_ACCESS_DENIED;
    case os_file_status::device_unavailable:
        return OS_HANDLE_NO_DEVICE;
    case os_file_status::too_many_open:
    case os_file_status::io_failure:
        return OS_HANDLE_IO_FAILURE;
    case os_file_status::disk_full:
        return OS_HANDLE_DISK_FULL;
    default:
        return OS_HANDLE_NOT_FOUND;
    }
}


// Opens the file with the record's rights; the rule decides about creating.
// Only a disk file is taken, as on the designed system, whose names reach no
// device but those the runtime names itself (COMn:): a device met by its
// path is refused as a directory is, so that an endless one (/dev/zero)
// cannot keep INPUT reading for good.
os_file_status file_open(const std::string &name, os_handle_record &r, uint32_t how, os_file **file)
{
    uint32_t access = (r.may_read ? OS_FILE_READ : 0) | (r.may_write ? OS_FILE_WRITE : 0);
    bool deny = r.deny_read || r.deny_write;
    os_file_status s = os_file_open(name.c_str(), access, deny, how != OS_OPEN_EXISTING, file);
    if (s == os_file_status::ok && !os_file_is_regular(*file)) {
        os_file_close(*file);
        *file = nullptr;
        return os_file_status::access_denied;
    }
    return s;
}

// Opens the file, trying read-only and then write-only when the fall-back rule
// allows it and read-write access is refused.
os_file_status file_open_with_fall_back(const std::string &name, os_handle_record &r, uint32_t how,
                                        os_file **file)
{
    os_file_status s = file_open(name, r, how, file);
    if (s == os_file_status::ok || how != OS_OPEN_FALL_BACK)
        return s;
    r.may_read = 1;
    r.may_write = 0;
    s = file_open(name, r, how, file);
    if (s == os_file_status::ok)
        return s;
    r.may_read = 0;
    r.may_write = 1;
    return file_open(name, r, how, file);
}

// Empties a file opened by the truncating rule. Only a write open may: the
// designed system refuses to truncate without write access.
int32_t file_empty(os_file *file, const os_handle_record &r)
{
    int64_t size = 0;
    if (os_file_size(file, &size) != os_file_status::ok)
        return OS_HANDLE_IO_FAILURE;
    if (size == 0)
        return 0;
    if (!r.may_write)
        return OS_HANDLE_ACCESS_DENIED;
    return open_result(os_file_truncate(file));
}

// Converts a first and last byte into the platform's first and length (0 =
// unbounded): 0, -4 or -9 for a range that ends before it starts.
int32_t lock_range(int64_t first, int64_t last, int64_t *start, int64_t *length)
{
    if (first == -1)
        first = 0;
    if (first < 0 || last < -1)
        return OS_HANDLE_BAD_ARGUMENT;
    *start = first;
    if (last == -1) {
        *length = 0;
        return 0;
    }
    if (last < first)
        return OS_HANDLE_IO_FAILURE; // the system refuses an empty or reversed range
    *length = last - first + 1;
    return 0;
}

// Gives back the record of a failed open, closing what it had opened.
int32_t open_failed(int32_t handle, os_file *file, int32_t result)
{
    os_file_close(file);
    os_handle_at(handle)->in_use = 1; // so that the release takes it back
    os_handle_release(handle);
    return result;
}

// Opens the serial port a COM device name asked for.
int32_t port_open(int32_t handle)
{
    os_file *file = nullptr;
    if (!com_device_open(handle, &file))
        return open_failed(handle, file, OS_HANDLE_NO_DEVICE);
    os_handle_file_set(handle, file);
    os_handle_at(handle)->in_use = 1;
    return handle;
}

} // namespace

int32_t os_handle_result(os_file_status s)
{
    if (s == os_file_status::ok)
        return 0;
    if (s == os_file_status::disk_full)
        return OS_HANDLE_DISK_FULL;
    if (s == os_file_status::access_denied || s == os_file_status::lock_violation ||
        s == os_file_status::not_locked)
        return OS_HANDLE_ACCESS_DENIED;
    return OS_HANDLE_IO_FAILURE;
}

int32_t os_handle_open(const string_descriptor *name, uint32_t access, uint32_t deny, uint32_t how)
{
    std::string copy(reinterpret_cast<const char *>(name->chr), size_t(name->len));
    int32_t handle = os_handle_new();
    if (handle < 0)
        return OS_HANDLE_IO_FAILURE;
    os_handle_record &r = *os_handle_at(handle);
    r.may_read = (access & OS_ACCESS_READ) != 0;
    r.may_write = (access & OS_ACCESS_WRITE) != 0;
    r.deny_read = (deny & OS_DENY_READ) != 0;
    r.deny_write = (deny & OS_DENY_WRITE) != 0;
    r.position = 0;
    if (com_open_parse(copy, r) < 0)
        return open_failed(handle, nullptr, OS_HANDLE_BAD_DEVICE_NAME);
    if (r.com_port != 0)
        return port_open(handle);
    file_name_fix(copy);
    os_file *file = nullptr;
    int32_t result = open_result(file_open_with_fall_back(copy, r, how, &file));
    if (result == 0 && how == OS_OPEN_TRUNCATE)
        result = file_empty(file, r);
    if (result != 0)
        return open_failed(handle, file, result);
    os_handle_file_set(handle, file);
    r.in_use = 1;
    return handle;
}

int64_t os_handle_size(int32_t handle)
{
    if (!os_handle_valid(handle))
        return OS_HANDLE_INVALID;
    int64_t size = 0;
    if (os_file_size(os_handle_file(handle), &size) != os_file_status::ok)
        return OS_HANDLE_BAD_MODE;
    return size;
}

int32_t os_handle_seek(int32_t handle, int64_t position)
{
    if (!os_handle_valid(handle))
        return OS_HANDLE_INVALID;
    if (position < 0)
        return OS_HANDLE_BAD_ARGUMENT;
    os_handle_at(handle)->position = position;
    return 0;
}

int64_t os_handle_tell(int32_t handle)
{
    if (!os_handle_valid(handle))
        return OS_HANDLE_INVALID;
    return os_handle_at(handle)->position;
}

// The checks every transfer makes first: a valid handle opened for that
// direction, a count that is not negative, and the position moved to unless
// it is -1 (the current one). 0 when the transfer may go ahead, else the
// result to return.
static int32_t transfer_begin(int32_t handle, bool writing, int64_t position, int64_t count)
{
    if (!os_handle_valid(handle))
        return OS_HANDLE_INVALID;
    const os_handle_record &r = *os_handle_at(handle);
    if (!(writing ? r.may_write : r.may_read))
        return OS_HANDLE_BAD_MODE;
    if (count < 0)
        return OS_HANDLE_BAD_ARGUMENT;
    return position != -1 ? os_handle_seek(handle, position) : 0;
}

int32_t os_handle_write(int32_t handle, int64_t position, const void *src, int64_t count)
{
    if (int32_t checked = transfer_begin(handle, true, position, count); checked != 0)
        return checked;
    os_handle_record &r = *os_handle_at(handle);
    int64_t done = 0;
    os_file_status s = r.com_port
                           ? com_device_write(handle, src, count, &done)
                           : os_file_write(os_handle_file(handle), r.position, src, count, &done);
    r.position += done;
    if (s != os_file_status::ok)
        return os_handle_result(s);
    return done < count ? OS_HANDLE_SHORT_WRITE : 0;
}

int32_t os_handle_read(int32_t handle, int64_t position, void *dest, int64_t count)
{
    last_read_count = 0;
    if (int32_t checked = transfer_begin(handle, false, position, count); checked != 0)
        return checked;
    os_handle_record &r = *os_handle_at(handle);
    int64_t done = 0;
    os_file_status s = r.com_port
                           ? com_device_read(handle, dest, count, &done)
                           : os_file_read(os_handle_file(handle), r.position, dest, count, &done);
    r.position += done;
    last_read_count = done;
    if (s != os_file_status::ok)
        return os_handle_result(s);
    if (done < count) {
        std::memset(static_cast<uint8_t *>(dest) + done, 0, size_t(count - done));
        r.eof_flag = 1;
        return OS_HANDLE_SHORT_READ;
    }
    r.eof_flag = 0;
    return 0;
}

int64_t os_handle_peek(int32_t handle, const uint8_t **bytes)
{
    if (!os_handle_valid(handle))
        return 0;
    const os_handle_record &r = *os_handle_at(handle);
    if (!r.may_read || r.com_port)
        return 0;
    int64_t count = 0;
    if (os_file_read_ahead(os_handle_file(handle), r.position, bytes, &count) != os_file_status::ok)
        return 0;
    return count;
}

void os_handle_peek_take(int32_t handle, int64_t n)
{
    os_handle_record &r = *os_handle_at(handle);
    r.position += n;
    r.eof_flag = 0;
    last_read_count = 1;
}

int64_t os_handle_last_read_count()
{
    return last_read_count;
}

int32_t os_handle_at_eof(int32_t handle)
{
    if (!os_handle_valid(handle))
        return OS_HANDLE_INVALID;
    int64_t size = os_handle_size(handle);
    if (size < 0)
        return 1;
    return os_handle_at(handle)->position >= size ? 1 : 0;
}

int32_t os_handle_eof_flag(int32_t handle)
{
    if (!os_handle_valid(handle))
        return OS_HANDLE_INVALID;
    return os_handle_at(handle)->eof_flag ? 1 : 0;
}

int32_t os_handle_lock(int32_t handle, int64_t first, int64_t last)
{
    if (!os_handle_valid(handle))
        return OS_HANDLE_INVALID;
    int64_t start = 0, length = 0;
    int32_t r = lock_range(first, last, &start, &length);
    if (r != 0)
        return r;
    return os_handle_result(os_file_lock(os_handle_file(handle), start, length));
}

int32_t os_handle_unlock(int32_t handle, int64_t first, int64_t last)
{
    if (!os_handle_valid(handle))
        return OS_HANDLE_INVALID;
    int64_t start = 0, length = 0;
    int32_t r = lock_range(first, last, &start, &length);
    if (r != 0)
        return r;
    return os_handle_result(os_file_unlock(os_handle_file(handle), start, length));
}

int32_t os_handle_close(int32_t handle)
{
    int32_t released = os_handle_release(handle);
    if (released != 0)
        return released;
    os_handle_record &r = *os_handle_at(handle);
    std::free(r.record_buffer);
    r.record_buffer = nullptr;
    std::free(r.field_strings);
    r.field_strings = nullptr;
    r.field_string_count = 0;
    const os_file_status closed = os_file_close(os_handle_file(handle));
    os_handle_file_set(handle, nullptr);
    return os_handle_result(closed);
}
