// INPUT #: numeric and string items from a file opened for input, read
// through the byte services of files/file_bytes.h.
//
// Only blanks are skipped before a numeric item; the first character the
// number grammar does not take ends the item, and the rest of the item up to
// the next comma or line end is passed over without an error ("12abc,7" reads
// 12 and then 7).
#include "core/errors.h"
#include "core/number_scan.h"
#include "core/string_builtins.h"
#include "files/file_bytes.h"

#include <string>

namespace
{

// The handle of a file number that is open for input and readable, or -1
// after raising 52, 54 or 75.
int32_t input_file_handle(int32_t file_number)
{
    if (file_number_in_use(file_number) != 1) {
        error_raise(52);
        return -1;
    }
    int32_t handle = file_number_handle(file_number);
    if (file_handle_mode(handle) != FILE_MODE_INPUT) {
        error_raise(54);
        return -1;
    }
    if (!file_handle_may_read(handle)) {
        error_raise(75);
        return -1;
    }
    return handle;
}

// Scans one numeric item and raises the error its result calls for; true
// when an item was scanned.
bool input_scanned(int32_t file_number)
{
    int32_t result = file_scan_number(file_number);
    if (result == SCAN_TOO_MANY_DIGITS)
        error_raise(6);
    else if (result == SCAN_NO_ITEM)
        error_raise(62);
    return result == SCAN_OK;
}

} // namespace

int32_t file_scan_number(int32_t file_number)
{
    int32_t handle = file_number;
    if (file_number >= 0 && (handle = input_file_handle(file_number)) < 0)
        return SCAN_FAILED;
    int c = file_read_byte(handle);
    while (c == ' ')
        c = file_read_byte(handle);
    if (c == -1)
        return SCAN_NO_ITEM;
    scan_begin();
    while (c != -2) {
        scan_step step = scan_take(c);
        if (step != scan_step::taken) {
            file_skip_separator(handle, c);
            if (step == scan_step::limit)
                return SCAN_TOO_MANY_DIGITS;
            scan_finish();
            return SCAN_OK;
        }
        c = file_read_byte(handle);
    }
    return SCAN_FAILED;
}

long double rt_input_file_number(int32_t file_number, uint32_t type_word)
{
    if (error_pending || !input_scanned(file_number))
        return 0;
    if (!number_to_float()) {
        error_raise(6);
        return 0;
    }
    long double value = scanned_number.float_result;
    if (!number_fits_target(&value, type_word)) {
        error_raise(6);
        return 0;
    }
    return value;
}

int64_t rt_input_file_int64(int32_t file_number)
{
    if (error_pending || !input_scanned(file_number))
        return 0;
    if (!number_to_int64()) {
        error_raise(6);
        return 0;
    }
    return scanned_number.int64_result;
}

uint64_t rt_input_file_uint64(int32_t file_number)
{
    if (error_pending || !input_scanned(file_number))
        return 0;
    if (!number_to_uint64()) {
        error_raise(6);
        return 0;
    }
    return scanned_number.uint64_result;
}

// A string item: blanks and tabs before it are skipped; a double quote opens
// a quoted item that runs to the next double quote (commas and line ends
// included); otherwise the item runs to a comma or line end and loses its
// trailing blanks and tabs. The rest of the line up to the next comma or line
// end is then passed over. A read error leaves dest unchanged.
void rt_input_file_string(int32_t file_number, string_descriptor *dest)
{
    if (error_pending || file_number < 0)
        return;
    int32_t handle = input_file_handle(file_number);
    if (handle < 0)
        return;
    int c = file_read_byte(handle);
    while (c == ' ' || c == '\t')
        c = file_read_byte(handle);
    if (c == -2)
        return;
    if (c == -1) {
        string_set(dest, string_temp_of_bytes(nullptr, 0));
        error_raise(62);
        return;
    }
    std::string item;
    auto ends_item = [](int b) { return b < 0 || b == ',' || b == 10 || b == 13; };
    if (c == '"') {
        for (c = file_read_byte(handle); c >= 0 && c != '"'; c = file_read_byte(handle))
            item.push_back(char(c));
        if (c == '"')
            c = file_read_byte(handle);
        while (!ends_item(c))
            c = file_read_byte(handle);
    } else {
        for (; !ends_item(c); c = file_read_byte(handle))
            item.push_back(char(c));
        while (!item.empty() && (item.back() == ' ' || item.back() == '\t'))
            item.pop_back();
    }
    if (c == 10 || c == 13)
        file_skip_line_end(handle, c);
    if (c == -2 || error_pending)
        return;
    string_set(dest, string_temp_of_bytes(item.data(), int32_t(item.size())));
}

void rt_input_file_end() {}
