#include "files/open_close.h"

#include "core/errors.h"
#include "core/strings.h"
#include "files/file_errors.h"
#include "files/handle_table.h"
#include "files/os_handle.h"
#include "files/network_handles.h"
#include "platform/os_dirs.h"
#include "platform/os_file_held.h"
#include "platform/os_file_move.h"
#include "platform/os_files.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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
    case OS_HANDLE_DISK_FULL:
        return 61;
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

// A replacing OPEN in progress: its number, the file it replaces, its
// temporary file beside that one (empty once deleted or put in place) and
// the hold that keeps other saves from deleting it. One that writes the file
// in place has neither.
struct replacing_file {
    int32_t number = 0;
    std::string target;
    std::string temporary;
    int hold = -1;
    bool in_place = false;
};

// Program thread only, as OPEN and CLOSE are.
std::vector<replacing_file> replacing_files;

// The file a replacing OPEN of name replaces: the name resolved as OPEN
// resolves it and, where that is a symbolic link, the file the link finally
// names, so that the new bytes land there and the link stays. Empty for a
// chain of links that never ends.
std::string replacing_target(const string_descriptor *name)
{
    return os_path_link_target(os_path_resolve(file_name_text(name)));
}

// The entry of number, taken out of the list (an empty one when there is
// none).
replacing_file replacing_take(int32_t number)
{
    for (auto i = replacing_files.begin(); i != replacing_files.end(); ++i)
        if (i->number == number) {
            replacing_file f = std::move(*i);
            replacing_files.erase(i);
            return f;
        }
    return {};
}

// Deletes the temporary file, then ends its hold.
void replacing_discard(replacing_file &f)
{
    if (!f.temporary.empty())
        os_file_remove(f.temporary);
    f.temporary.clear();
    os_file_hold_release(f.hold);
    f.hold = -1;
}

// The BASIC error for a temporary file that cannot be made.
int32_t creation_error(os_dir_status s)
{
    switch (s) {
    case os_dir_status::access_denied:
        return 70;
    case os_dir_status::not_found:
    case os_dir_status::path_not_found:
        return 76;
    case os_dir_status::bad_name:
        return 64;
    case os_dir_status::disk_full:
        return 61;
    default:
        return 75;
    }
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

// The number whose close has begun and not yet been answered and reported (0
// when none): it is no longer bound by then, and an end that gives up on the
// program thread names it all the same.
std::atomic<int32_t> number_closing{0};

// Closes the file bound to number; the BASIC error of a refused close, 0 when
// none. With report, a refusal is said on standard error before the number
// counts as closed.
int32_t file_number_close(int32_t number, bool report)
{
    number_closing.store(number);
    const int32_t error = file_close_error(os_handle_close(file_number_handle(number)));
    if (error != 0 && report)
        file_close_refusal_report(number, error);
    number_closing.store(0);
    return error;
}

// Closes every special handle and every open file, each whatever the others
// gave; the BASIC error of the first close refused, 0 when none. Every
// refusal after the first is said on standard error, the first as well with
// report_first, so that none goes unheard.
int32_t files_close_every(bool report_first)
{
    special_handles_close_all();
    int32_t first = 0;
    for (int32_t n = 1; n <= file_number_highest_get(); ++n) {
        if (file_number_handle(n) < 0)
            continue;
        const int32_t error = file_number_close(n, first != 0 || report_first);
        if (first == 0)
            first = error;
    }
    return first;
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
    int32_t error = 0;
    if (!given)
        error = files_close_every(false);
    else if (number < 0)
        special_handle_close(number);
    else if (file_number_in_use(number) == 1)
        error = file_number_close(number, false);
    if (error != 0)
        error_raise(error);
}

void files_close_at_end()
{
    files_close_every(true);
}

void files_left_at_end()
{
    if (const int32_t n = number_closing.load())
        std::fprintf(stderr, "CLOSE #%d: its close had not ended, the file system did not answer\n",
                     n);
    for (int32_t n : file_numbers_bound())
        std::fprintf(stderr, "CLOSE #%d: left to the system to close, the program did not stop\n",
                     n);
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
    // A number closed by a plain CLOSE drops its unfinished file.
    replacing_file stale = replacing_take(number);
    replacing_discard(stale);
    replacing_file f;
    f.number = number;
    f.target = replacing_target(name);
    if (f.target.empty()) {
        error_raise(open_failure_error(OS_HANDLE_NOT_FOUND)); // as OPEN FOR OUTPUT
        return;
    }
    // Files left by saves that ended before their CLOSE go first; a save still
    // running holds its own, which stays.
    os_file_remove_unheld(f.target);
    os_dir_status made = os_file_create_held(f.target, &f.temporary, &f.hold);
    if (made == os_dir_status::access_denied) {
        // No file can be made beside this one (an installed program's
        // read-only folder holding a save file the player may write): it is
        // written in place, as OPEN FOR OUTPUT writes it. That gives up what
        // the temporary file gives: a save that fails or is interrupted
        // midway leaves the file short or empty instead of as it was, and
        // copies saving at once may mix their bytes.
        f.temporary.clear();
        f.in_place = true;
        rt_open(name, OPEN_MODE_OUTPUT, 0, 0, number, 0, 0);
        if (!error_pending)
            replacing_files.push_back(std::move(f));
        return;
    }
    if (made != os_dir_status::ok) {
        error_raise(creation_error(made));
        return;
    }
    // The name exists exactly as written, so the OPEN cannot take another file
    // whose name differs only in letter case.
    string_descriptor temporary_name{};
    temporary_name.chr = reinterpret_cast<uint8_t *>(f.temporary.data());
    temporary_name.len = int32_t(f.temporary.size());
    rt_open(&temporary_name, OPEN_MODE_OUTPUT, 0, 0, number, 0, 0);
    if (error_pending)
        replacing_discard(f);
    else
        replacing_files.push_back(std::move(f));
}

void replacing_abandon(const string_descriptor *name)
{
    if (name->len == 0)
        return;
    std::string target = replacing_target(name);
    for (replacing_file &f : replacing_files)
        if (f.target == target)
            replacing_discard(f);
}

void rt_close_replacing(int32_t number, const string_descriptor *name, bool put_in_place)
{
    if (error_pending)
        return;
    replacing_file f = replacing_take(number);
    if (file_number_in_use(number) != 1) {
        replacing_discard(f);
        return;
    }
    int32_t handle = file_number_handle(number);
    int32_t error = 0;
    if (put_in_place) {
        os_file_status synced = os_file_sync(os_handle_file(handle));
        if (synced != os_file_status::ok)
            error = synced == os_file_status::disk_full ? 61 : 75;
    }
    // A network file system may refuse the bytes only now, even after the
    // flush.
    const int32_t closed = os_handle_close(handle);
    // Any refusal but no room counts as a failed step.
    if (put_in_place && error == 0 && closed != 0)
        error = file_close_error(closed) == 61 ? 61 : 75;
    if (put_in_place && error == 0 && !f.in_place) {
        // The player may have made the name read-only while the bytes were
        // written. The hold lasts until the file has the name.
        error = replacing_refusal(name);
        if (error == 0 &&
            (f.temporary.empty() || os_file_replace(f.temporary, f.target) != os_dir_status::ok))
            error = 75;
        if (error == 0)
            f.temporary.clear();
    }
    replacing_discard(f);
    if (error != 0)
        error_raise(error);
}
