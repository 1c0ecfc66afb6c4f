#include "files/open_close.h"

#include "core/errors.h"
#include "core/strings.h"
#include "files/handle_table.h"
#include "files/os_handle.h"
#include "files/network_handles.h"
#include "platform/os_dirs.h"
#include "platform/os_file_move.h"
#include "platform/os_files.h"

#include <cstdlib>
#include <string>

namespace
{

struct open_arguments {
    uint32_t access;
    uint32_t deny;
    uint32_t how;
};

// The layer's access bits, deny bits and opening rule for a mode and the
// ACCESS and LOCK clauses.
open_arguments open_arguments_for(int32_t mode, int32_t access, int32_t lock)
{
    open_arguments a{};
    switch (mode) {
    case OPEN_MODE_INPUT:
        a = {OS_ACCESS_READ, 0, OS_OPEN_EXISTING};
        break;
    case OPEN_MODE_OUTPUT:
        a = {OS_ACCESS_WRITE, 0, OS_OPEN_TRUNCATE};
        break;
    case OPEN_MODE_APPEND:
        a = {OS_ACCESS_WRITE, 0, OS_OPEN_ALWAYS};
        break;
    default: // RANDOM, BINARY
        a = {OS_ACCESS_READ | OS_ACCESS_WRITE, 0, OS_OPEN_FALL_BACK};
        break;
    }
    static constexpr uint32_t access_bits[] = {0, OS_ACCESS_READ | OS_ACCESS_WRITE, OS_ACCESS_READ,
                                               OS_ACCESS_WRITE};
    if (access >= 1 && access <= 3) {
        a.access = access_bits[access];
        if (a.how == OS_OPEN_FALL_BACK)
            a.how = OS_OPEN_ALWAYS;
    }
    static constexpr uint32_t deny_bits[] = {0, 0, OS_DENY_READ | OS_DENY_WRITE, OS_DENY_READ,
                                             OS_DENY_WRITE};
    if (lock >= 1 && lock <= 4)
        a.deny = deny_bits[lock];
    return a;
}

// The BASIC error for a failed open.
int32_t open_failure_error(int32_t result)
{
    switch (result) {
    case OS_HANDLE_PATH_NOT_FOUND:
        return 76;
    case OS_HANDLE_ACCESS_DENIED:
        return 70;
    case OS_HANDLE_NO_DEVICE:
        return 68;
    case OS_HANDLE_BAD_DEVICE_NAME:
        return 64;
    default:
        return 53;
    }
}

// An INPUT file whose first byte is 26 is at its end at once. A failed read
// raises an error but leaves the file open and bound.
void input_first_byte_check(int32_t handle)
{
    int64_t size = os_handle_size(handle);
    if (size == 0)
        return;
    uint8_t first = 0;
    int32_t r = os_handle_read(handle, -1, &first, 1);
    if (r == 0 && first == 26)
        os_handle_at(handle)->eof_flag = 1;
    os_handle_seek(handle, 0);
    if (r != 0 && r != OS_HANDLE_SHORT_READ)
        error_raise(r == OS_HANDLE_ACCESS_DENIED ? 70 : 75);
}

// The temporary file of a replacing output: beside the name, its directory
// resolved as OPEN resolves it, under the name's last part with ".tmp".
std::string replacing_temporary(const string_descriptor *name)
{
    return os_path_resolve_parent(file_name_text(name)) + ".tmp";
}

// The BASIC error with which OPEN FOR OUTPUT would refuse the name as it is
// now, 0 when the name is missing or may be written. The probe opens it for
// writing as that OPEN does, without creating or emptying it.
int32_t replacing_refusal(const string_descriptor *name)
{
    int32_t probe = os_handle_open(name, OS_ACCESS_WRITE, 0, OS_OPEN_EXISTING);
    if (probe >= 0) {
        os_handle_close(probe);
        return 0;
    }
    return probe == OS_HANDLE_NOT_FOUND ? 0 : open_failure_error(probe);
}

} // namespace

void rt_open(const string_descriptor *name, int32_t mode, int32_t access, int32_t lock,
             int32_t number, int64_t len, int32_t len_given)
{
    if (error_pending)
        return;
    if (mode == 0)
        mode = OPEN_MODE_RANDOM;
    if (len_given && (len == 0 || len < -1)) {
        error_raise(5);
        return;
    }
    int32_t status = file_number_in_use(number);
    if (status != 0) {
        error_raise(status == 1 ? 55 : 52);
        return;
    }
    if (mode < OPEN_MODE_RANDOM || mode > OPEN_MODE_APPEND) {
        error_raise(54);
        return;
    }
    // A RANDOM file's record buffer comes first: when memory runs out, no file
    // has been touched and the number stays free.
    int64_t record_length = len_given && len != -1 ? len : 128;
    uint8_t *record_buffer = nullptr;
    if (mode == OPEN_MODE_RANDOM) {
        if (record_length <= RECORD_LENGTH_LIMIT)
            record_buffer = static_cast<uint8_t *>(std::calloc(size_t(record_length), 1));
        if (!record_buffer) {
            error_raise(7);
            return;
        }
    }
    open_arguments a = open_arguments_for(mode, access, lock);
    int32_t handle = os_handle_open(name, a.access, a.deny, a.how);
    if (handle < 0) {
        std::free(record_buffer);
        error_raise(open_failure_error(handle));
        return;
    }
    file_number_bind(number, handle);
    os_handle_record &r = *os_handle_at(handle);
    r.mode = uint8_t(mode == OPEN_MODE_APPEND ? FILE_MODE_OUTPUT : mode);
    r.column = 1;
    if (mode == OPEN_MODE_RANDOM) {
        r.record_length = record_length;
        r.record_buffer = record_buffer;
    } else if (mode == OPEN_MODE_APPEND) {
        int64_t size = os_handle_size(handle);
        if (size > 0)
            os_handle_seek(handle, size);
    } else if (mode == OPEN_MODE_INPUT) {
        os_file_read_ahead_set(os_handle_file(handle), true);
        input_first_byte_check(handle);
    }
}

void rt_open_old(const string_descriptor *mode_letter, int32_t number,
                 const string_descriptor *name, int64_t len, int32_t len_given)
{
    if (error_pending)
        return;
    int32_t mode = 0;
    if (mode_letter->len > 0) {
        switch (mode_letter->chr[0] & 223) {
        case 'R':
            mode = OPEN_MODE_RANDOM;
            break;
        case 'B':
            mode = OPEN_MODE_BINARY;
            break;
        case 'I':
            mode = OPEN_MODE_INPUT;
            break;
        case 'O':
            mode = OPEN_MODE_OUTPUT;
            break;
        case 'A':
            mode = OPEN_MODE_APPEND;
            break;
        }
    }
    if (mode == 0) {
        error_raise(54);
        return;
    }
    rt_open(name, mode, 0, 0, number, len_given ? len : 0, len_given);
}

void rt_close(int32_t number, int32_t given)
{
    if (error_pending)
        return;
    if (given) {
        if (number < 0)
            special_handle_close(number);
        else if (file_number_in_use(number) == 1)
            os_handle_close(file_number_handle(number));
        return;
    }
    special_handles_close_all();
    for (int32_t n = 1; n <= file_number_highest_get(); ++n)
        if (file_number_handle(n) >= 0)
            os_handle_close(file_number_handle(n));
}

void rt_open_replacing(const string_descriptor *name, int32_t number)
{
    if (error_pending)
        return;
    int32_t status = file_number_in_use(number);
    if (status != 0) {
        error_raise(status == 1 ? 55 : 52);
        return;
    }
    if (int32_t refusal = replacing_refusal(name)) {
        error_raise(refusal);
        return;
    }
    // Made exactly as named first, so that the OPEN below cannot take another
    // file whose name differs only in letter case. Where the file cannot be
    // made, that OPEN fails the same way and raises the error.
    std::string temporary = replacing_temporary(name);
    os_file_remove(temporary);
    os_file_create_new(temporary);
    string_descriptor temporary_name{};
    temporary_name.chr = reinterpret_cast<uint8_t *>(temporary.data());
    temporary_name.len = int32_t(temporary.size());
    rt_open(&temporary_name, OPEN_MODE_OUTPUT, 0, 0, number, 0, 0);
}

void replacing_abandon(const string_descriptor *name)
{
    if (name->len > 0)
        os_file_remove(replacing_temporary(name));
}

void rt_close_replacing(int32_t number, const string_descriptor *name, bool put_in_place)
{
    if (error_pending)
        return;
    if (file_number_in_use(number) != 1) {
        replacing_abandon(name);
        return;
    }
    int32_t handle = file_number_handle(number);
    int32_t error = 0;
    if (put_in_place && os_file_sync(os_handle_file(handle)) != os_file_status::ok)
        error = 75;
    os_handle_close(handle);
    if (!put_in_place || error != 0) {
        replacing_abandon(name);
        if (error != 0)
            error_raise(error);
        return;
    }
    // The player may have made the name read-only while the bytes were written.
    error = replacing_refusal(name);
    if (error == 0 && os_file_replace(replacing_temporary(name),
                                      os_path_resolve(file_name_text(name))) != os_dir_status::ok)
        error = 75;
    if (error != 0) {
        replacing_abandon(name);
        error_raise(error);
    }
}
