#include "files/file_errors.h"

#include "core/errors.h"
#include "files/os_handle.h"

bool file_error_raise(int64_t layer_result)
{
    if (layer_result >= 0 || layer_result == OS_HANDLE_SHORT_READ)
        return false;
    switch (layer_result) {
    case OS_HANDLE_INVALID:
        error_raise(258);
        break;
    case OS_HANDLE_BAD_MODE:
        error_raise(54);
        break;
    case OS_HANDLE_BAD_ARGUMENT:
        error_raise(5);
        break;
    case OS_HANDLE_ACCESS_DENIED:
        error_raise(70);
        break;
    case OS_HANDLE_DISK_FULL:
        error_raise(61);
        break;
    default:
        error_raise(75);
        break;
    }
    return true;
}

int32_t file_close_error(int32_t closed)
{
    if (closed == 0 || closed == OS_HANDLE_INVALID)
        return 0;
    return closed == OS_HANDLE_DISK_FULL ? 61 : 57;
}
