#include "files/lock_unlock.h"

#include "core/errors.h"
#include "files/file_bytes.h"
#include "files/file_errors.h"
#include "files/handle_table.h"
#include "files/os_handle.h"

namespace
{

// A byte range as the OS-handle layer takes it: -1 as first is byte 0, -1 as
// last the end of every possible file.
struct byte_range {
    int64_t first = -1;
    int64_t last = -1;
};

// The first byte of unit n (from 1) of a file whose units are unit bytes
// long; false when n is below 1 or the byte lies past the largest offset.
bool unit_first_byte(int64_t n, int64_t unit, int64_t *first)
{
    if (n < 1 || n - 1 > INT64_MAX / unit)
        return false;
    *first = (n - 1) * unit;
    return true;
}

// The range a LOCK or UNLOCK names; false when it cannot be named (error 5).
bool lock_range_of(const os_handle_record &r, int64_t start, int64_t end, int32_t flags,
                   byte_range *range)
{
    if (r.mode != FILE_MODE_RANDOM && r.mode != FILE_MODE_BINARY)
        return true; // the whole file
    int64_t unit = r.mode == FILE_MODE_RANDOM ? r.record_length : 1;
    if ((flags & LOCK_START_GIVEN) && !unit_first_byte(start, unit, &range->first))
        return false;
    if (flags & LOCK_END_GIVEN) {
        // The last byte of unit end: the first byte of unit end + 1, less one.
        int64_t end_first = 0;
        if (!unit_first_byte(end, unit, &end_first) || end_first > INT64_MAX - unit)
            return false;
        range->last = end_first + unit - 1;
    } else if (flags & LOCK_START_GIVEN) {
        if (range->first > INT64_MAX - (unit - 1))
            return false;
        range->last = range->first + unit - 1;
    }
    return true;
}

void lock_statement(int32_t number, int64_t start, int64_t end, int32_t flags, bool locking)
{
    if (error_pending)
        return;
    if (file_number_in_use(number) != 1) {
        error_raise(52);
        return;
    }
    int32_t handle = file_number_handle(number);
    byte_range range;
    if (!lock_range_of(*os_handle_at(handle), start, end, flags, &range)) {
        error_raise(5);
        return;
    }
    file_error_raise(locking ? os_handle_lock(handle, range.first, range.last)
                             : os_handle_unlock(handle, range.first, range.last));
}

} // namespace

void rt_lock(int32_t number, int64_t start, int64_t end, int32_t flags)
{
    lock_statement(number, start, end, flags, true);
}

void rt_unlock(int32_t number, int64_t start, int64_t end, int32_t flags)
{
    lock_statement(number, start, end, flags, false);
}
