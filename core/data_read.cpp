// READ: numeric and string items from the compiled program's DATA block.
//
// Items are separated by commas. A numeric item must be nothing but a number
// (no blanks); a bad character is a syntax error, and every failure except
// "no item left" leaves the position at the item so that a later READ starts
// there again.
#include "core/errors.h"
#include "core/number_scan.h"
#include "core/string_builtins.h"

namespace
{

// Scans a numeric item and converts it with `convert`; on any failure raises
// the error, puts the position back and returns false.
template <typename Convert>
bool read_scanned(const uint8_t *block, int32_t *position, int32_t length, Convert convert)
{
    const int32_t saved = *position;
    int32_t result = data_scan_number(block, position, length);
    if (result == SCAN_NO_ITEM) {
        error_raise(4);
        return false;
    }
    if (result == SCAN_OK && convert())
        return true;
    *position = saved;
    error_raise(result == SCAN_FAILED ? 2 : 6);
    return false;
}

} // namespace

int32_t data_scan_number(const uint8_t *block, int32_t *position, int32_t length)
{
    int32_t p = *position;
    if (p < 0 || p >= length)
        return SCAN_NO_ITEM;
    scan_begin();
    while (true) {
        int c = p < length ? block[p] : -1;
        scan_step step = scan_take(c);
        if (step == scan_step::taken) {
            p++;
            continue;
        }
        if (step == scan_step::limit)
            return SCAN_TOO_MANY_DIGITS;
        if (c != ',' && c != -1)
            return SCAN_FAILED;
        scan_finish();
        *position = c == ',' ? p + 1 : p;
        return SCAN_OK;
    }
}

long double rt_read_number(const uint8_t *block, int32_t *position, int32_t length,
                           uint32_t type_word)
{
    if (error_pending)
        return 0;
    long double value = 0;
    auto convert = [&] {
        if (!number_to_float())
            return false;
        value = scanned_number.float_result;
        return number_fits_target(&value, type_word);
    };
    return read_scanned(block, position, length, convert) ? value : 0;
}

int64_t rt_read_int64(const uint8_t *block, int32_t *position, int32_t length)
{
    if (error_pending)
        return 0;
    return read_scanned(block, position, length, number_to_int64) ? scanned_number.int64_result : 0;
}

uint64_t rt_read_uint64(const uint8_t *block, int32_t *position, int32_t length)
{
    if (error_pending)
        return 0;
    return read_scanned(block, position, length, number_to_uint64) ? scanned_number.uint64_result
                                                                   : 0;
}

// A string item: up to a comma or the end. A double quote as the first
// character quotes the item (commas inside are kept) and only the ending comma
// may follow the closing quote; anything else there is error 4 and the empty
// string. Blanks are kept.
void rt_read_string(const uint8_t *block, int32_t *position, int32_t length,
                    string_descriptor *dest)
{
    if (error_pending)
        return;
    int32_t p = *position;
    if (p < 0 || p >= length) {
        string_set(dest, string_temp_of_bytes(nullptr, 0));
        error_raise(4);
        return;
    }
    int32_t start = p;
    int32_t end;
    bool stray = false;
    if (block[p] == '"') {
        start = ++p;
        while (p < length && block[p] != '"')
            p++;
        end = p;
        if (p < length)
            p++; // the closing quote
        stray = p < length && block[p] != ',';
        while (p < length && block[p] != ',')
            p++;
    } else {
        while (p < length && block[p] != ',')
            p++;
        end = p;
    }
    *position = p < length ? p + 1 : p;
    if (stray) {
        string_set(dest, string_temp_of_bytes(nullptr, 0));
        error_raise(4);
        return;
    }
    string_set(dest, string_temp_of_bytes(block + start, end - start));
}
