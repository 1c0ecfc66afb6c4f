#include "files/sequential_io.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "core/strings.h"
#include "display/keyboard.h"
#include "files/com_device.h"
#include "files/com_sequential.h"
#include "files/file_bytes.h"
#include "files/file_errors.h"
#include "files/handle_table.h"
#include "files/os_handle.h"
#include "platform/clock.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace
{

constexpr int32_t ZONE_WIDTH = 14;
constexpr int64_t LINE_WINDOW = 512;

// The source of every blank PRINT # writes; an item needs at most 15.
constexpr char blanks[32] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                             ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                             ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
constexpr char line_end[2] = {13, 10};

// One INKEY$ poll: the first byte of the key (an extended key's leading 0),
// or -1 when none waits. The temporary is freed at once: INPUT$ may poll for
// a long time within one statement.
int32_t inkey_first_byte()
{
    string_descriptor *key = rt_inkey_str();
    const int32_t byte = key->len > 0 ? key->chr[0] : -1;
    string_free(key);
    return byte;
}

key_byte_poll_fn key_source = inkey_first_byte;

// A new temporary string holding the bytes.
string_descriptor *string_of(const std::string &bytes)
{
    string_descriptor *s = string_new(int32_t(bytes.size()), true);
    if (!bytes.empty())
        std::memcpy(s->chr, bytes.data(), bytes.size());
    return s;
}

// The bound record of a file number, or null after raising 52.
os_handle_record *bound_record(int32_t number)
{
    if (file_number_in_use(number) != 1) {
        error_raise(52);
        return nullptr;
    }
    return os_handle_at(file_number_handle(number));
}

// Writes bytes at the current position; false after raising the error.
bool write_bytes(int32_t handle, const void *bytes, int64_t count)
{
    return !file_error_raise(os_handle_write(handle, -1, bytes, count));
}

// Moves the position one byte back: the byte just read stays unread. A
// serial port cannot go back: it keeps the byte and delivers it again.
void unread_byte(int32_t handle, int32_t byte)
{
    if (com_device_is_port(handle))
        com_device_keep(handle, uint8_t(byte));
    else
        os_handle_seek(handle, os_handle_tell(handle) - 1);
}

// The column after printing text from column: a CR starts again at 1, an LF
// keeps the column, every other byte advances it.
int64_t column_after(int64_t column, const string_descriptor *text)
{
    for (int32_t i = 0; i < text->len; ++i) {
        if (text->chr[i] == 13)
            column = 1;
        else if (text->chr[i] != 10)
            ++column;
    }
    return column;
}

// The blanks a PRINT # item writes after its text when the column after the
// text is `column`: one for the trailing blank; for a comma one and then up
// to the next 14-column zone.
int64_t blank_count(int64_t column, int32_t trailing_blank, int32_t comma)
{
    int64_t count = 0;
    if (trailing_blank)
        ++count;
    if (comma) {
        ++count;
        int64_t into_zone = (column + count - 1) % ZONE_WIDTH;
        if (into_zone != 0)
            count += ZONE_WIDTH - into_zone;
    }
    return count;
}

// A PRINT # item in three writes: the text, its blanks, its line end. Each
// failure raises its error and ends the item, keeping what was written.
void print_item_pieces(int32_t handle, const string_descriptor *text, int32_t trailing_blank,
                       int32_t comma, int32_t newline)
{
    if (!write_bytes(handle, text->chr, text->len))
        return;
    os_handle_record *r = os_handle_at(handle);
    r->column = column_after(r->column, text);
    int64_t count = blank_count(r->column, trailing_blank, comma);
    r->column += count;
    if (count != 0 && !write_bytes(handle, blanks, count))
        return;
    if (newline && write_bytes(handle, line_end, 2))
        os_handle_at(handle)->column = 1;
}

// A PRINT # item with blanks or a line end in one write, so that it costs
// one system call. False, with nothing written, when the item does not fit
// the buffer or the whole write was refused (a lock of another open file on
// part of it): the caller then writes it in pieces, each refused or not on
// its own. A failure part-way raises its error as the pieces would.
bool print_item_whole(int32_t handle, const string_descriptor *text, int32_t trailing_blank,
                      int32_t comma, int32_t newline)
{
    char item[256];
    os_handle_record *r = os_handle_at(handle);
    int64_t column = column_after(r->column, text);
    int64_t count = blank_count(column, trailing_blank, comma);
    int64_t tail = count + (newline ? 2 : 0);
    if (tail == 0 || text->len > int64_t(sizeof item) - tail)
        return false;
    std::memcpy(item, text->chr, size_t(text->len));
    std::memcpy(item + text->len, blanks, size_t(count));
    std::memcpy(item + text->len + count, line_end, newline ? 2 : 0);
    int64_t start = r->position;
    int32_t result = os_handle_write(handle, -1, item, text->len + tail);
    int64_t written = os_handle_at(handle)->position - start;
    if (result != 0 && written == 0)
        return false;
    r = os_handle_at(handle);
    if (written >= text->len)
        r->column = result == 0 && newline ? 1 : column + count;
    file_error_raise(result);
    return true;
}

// The index of the first 10, 13 or 26 among n bytes, or n. Eight bytes at a
// time: a word with no byte below 27 cannot hold one.
int64_t line_end_find(const uint8_t *bytes, int64_t n)
{
    constexpr uint64_t ONES = 0x0101010101010101u, HIGHS = 0x8080808080808080u;
    int64_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        if (((word - 27 * ONES) & ~word & HIGHS) != 0)
            break;
    }
    while (i < n && bytes[i] != 10 && bytes[i] != 13 && bytes[i] != 26)
        ++i;
    return i;
}

// LINE INPUT # of a line whose end, and the two bytes after the line's
// first end byte, lie in the bytes ahead (os_handle_peek): no read per byte,
// and the same line, position and end flag as the reading byte by byte
// below. False, with nothing done, when the bytes ahead cannot tell.
bool line_input_peeked(int32_t handle, string_descriptor *dest)
{
    const uint8_t *bytes = nullptr;
    int64_t n = os_handle_peek(handle, &bytes);
    int64_t i = line_end_find(bytes, n);
    if (i + 2 >= n || (bytes[i] == 26 && i == 0))
        return false;
    int64_t taken = i; // bytes the position moves over
    bool at_26 = bytes[i] == 26;
    if (!at_26) {
        uint8_t first = bytes[i], second = bytes[i + 1];
        bool pair = (first == 10 && second == 13) || (first == 13 && second == 10);
        taken = pair ? i + 2 : i + 1;
        at_26 = bytes[taken] == 26;
    }
    string_descriptor *line = string_new(int32_t(i), true);
    std::memcpy(line->chr, bytes, size_t(i));
    os_handle_peek_take(handle, taken);
    if (at_26)
        os_handle_at(handle)->eof_flag = 1;
    string_set(dest, line);
    return true;
}

} // namespace

void rt_print_file(int32_t number, const string_descriptor *text, int32_t trailing_blank,
                   int32_t comma, int32_t newline)
{
    if (error_pending || number < 0)
        return;
    os_handle_record *r = bound_record(number);
    if (!r)
        return;
    if (r->mode != FILE_MODE_OUTPUT) {
        error_raise(54);
        return;
    }
    if (!r->may_write) {
        error_raise(75);
        return;
    }
    int32_t handle = file_number_handle(number);
    if (!print_item_whole(handle, text, trailing_blank, comma, newline))
        print_item_pieces(handle, text, trailing_blank, comma, newline);
}

int32_t file_read_byte(int32_t handle)
{
    uint8_t byte = 0;
    int32_t r = os_handle_read(handle, -1, &byte, 1);
    if (r == OS_HANDLE_SHORT_READ)
        return -1;
    if (file_error_raise(r))
        return -2;
    if (byte == 26) {
        unread_byte(handle, byte);
        os_handle_at(handle)->eof_flag = 1;
        return -1;
    }
    return byte;
}

void file_skip_line_end(int32_t handle, int32_t first)
{
    int32_t b = file_read_byte(handle);
    if (b < 0)
        return;
    if ((first == 10 && b != 13) || (first == 13 && b != 10)) {
        unread_byte(handle, b);
        return;
    }
    // A complete pair: peek at the byte after it, so that a 26 or the end of
    // the file right behind the line end sets the end flag. A serial port's
    // end is what is waiting, not the flag: no peek, which would wait there.
    if (com_device_is_port(handle))
        return;
    if (int32_t next = file_read_byte(handle); next >= 0)
        unread_byte(handle, next);
}

void file_skip_separator(int32_t handle, int32_t last)
{
    if (handle < 0)
        return;
    int32_t b = last;
    for (;;) {
        if (b == -1 || b == -2 || b == 44)
            return;
        if (b == 10 || b == 13) {
            file_skip_line_end(handle, b);
            return;
        }
        if (b == 32) {
            b = file_read_byte(handle);
            if (b < 0)
                return;
            if (b != 32 && b != 44 && b != 10 && b != 13) {
                unread_byte(handle, b);
                return;
            }
            continue;
        }
        b = file_read_byte(handle);
        if (b == -2)
            return;
    }
}

void rt_line_input_file(int32_t number, string_descriptor *dest)
{
    if (error_pending)
        return;
    os_handle_record *r = bound_record(number);
    if (!r)
        return;
    if (!r->may_read) {
        error_raise(75);
        return;
    }
    if (r->mode == FILE_MODE_BINARY)
        file_line_input_binary(number, dest);
    else if (r->mode == FILE_MODE_INPUT)
        file_line_input_text(file_number_handle(number), dest);
    else
        error_raise(54);
}

void file_line_input_text(int32_t handle, string_descriptor *dest)
{
    if (line_input_peeked(handle, dest))
        return;
    int32_t b = file_read_byte(handle);
    if (b == -2)
        return;
    if (b == -1) {
        string_set(dest, string_new(0, true));
        error_raise(62);
        return;
    }
    std::string line;
    while (b >= 0 && b != 10 && b != 13) {
        line += char(b);
        b = file_read_byte(handle);
    }
    if (b == -2)
        return;
    if (b == 10 || b == 13)
        file_skip_line_end(handle, b);
    string_set(dest, string_of(line));
}

// The binary form reads the file in windows of 512 bytes from the line's
// start, scanning each new window only, until a line feed or the end of the
// file. The line is what comes before the line feed, without a CR before it;
// a last line without a line feed is returned whole, however short.
void file_line_input_binary(int32_t number, string_descriptor *dest)
{
    int32_t handle = file_number_handle(number);
    if (com_device_is_port(handle)) {
        com_line_input_binary(handle, dest);
        return;
    }
    int64_t start = os_handle_tell(handle);
    int64_t size = os_handle_size(handle);
    if (file_error_raise(size))
        return;
    if (start >= size) {
        error_raise(62);
        return;
    }
    std::string bytes;
    int64_t line_length = -1; // -1: no line feed found
    while (start + int64_t(bytes.size()) < size) {
        int64_t at = start + int64_t(bytes.size());
        int64_t want = std::min(LINE_WINDOW, size - at);
        size_t old = bytes.size();
        bytes.resize(old + size_t(want));
        int32_t r = os_handle_read(handle, at, bytes.data() + old, want);
        if (file_error_raise(r))
            return;
        bytes.resize(old + size_t(os_handle_last_read_count()));
        auto lf = std::find(bytes.begin() + std::ptrdiff_t(old), bytes.end(), '\n');
        if (lf != bytes.end()) {
            line_length = lf - bytes.begin();
            break;
        }
        if (r == OS_HANDLE_SHORT_READ)
            break; // the file ended early: what came is the last line
    }
    int64_t next = start + int64_t(bytes.size());
    if (line_length >= 0) {
        next = start + line_length + 1;
        bytes.resize(size_t(line_length));
        if (!bytes.empty() && bytes.back() == '\r')
            bytes.pop_back();
    }
    os_handle_seek(handle, next);
    if (next >= size)
        os_handle_at(handle)->eof_flag = 1;
    string_set(dest, string_of(bytes));
}

namespace
{

// INPUT$ from the keyboard: one byte per key, until count bytes have come or
// the program ends.
string_descriptor *input_str_keyboard(int32_t count)
{
    if (count < 0) {
        error_raise(52);
        return string_new(0, true);
    }
    string_descriptor *result = string_new(count, true);
    int32_t stored = 0;
    while (stored < count) {
        const int32_t key = key_source();
        if (key >= 0)
            result->chr[stored++] = uint8_t(key);
        if (stored == count || exit_acknowledged)
            break;
        clock_sleep_ms(1);
    }
    return result;
}

// INPUT$ from a BINARY file: one read; fewer bytes at the end of the file are
// no error. Only the bytes the file holds are allocated.
string_descriptor *input_str_binary(int32_t handle, int32_t count)
{
    if (com_device_is_port(handle))
        return com_input_str(handle, count);
    int64_t size = os_handle_size(handle);
    if (file_error_raise(size))
        return string_new(0, true);
    int64_t left = std::max<int64_t>(0, size - os_handle_tell(handle));
    std::string bytes(size_t(std::min<int64_t>(count, left)), '\0');
    int32_t r = os_handle_read(handle, -1, bytes.data(), int64_t(bytes.size()));
    if (file_error_raise(r))
        return string_new(0, true);
    bytes.resize(size_t(os_handle_last_read_count()));
    if (int64_t(bytes.size()) < count)
        os_handle_at(handle)->eof_flag = 1; // the read came up short
    return string_of(bytes);
}

// INPUT$ from an INPUT file: count bytes through the byte service; the end of
// the file (or a 26) first is error 62.
string_descriptor *input_str_text(int32_t handle, int32_t count)
{
    std::string bytes;
    while (int32_t(bytes.size()) < count) {
        int32_t b = file_read_byte(handle);
        if (b < 0) {
            if (b == -1)
                error_raise(62);
            return string_new(0, true);
        }
        bytes += char(b);
    }
    return string_of(bytes);
}

} // namespace

string_descriptor *rt_input_str(int32_t count, int32_t number, int32_t number_given)
{
    if (error_pending)
        return string_new(0, true);
    if (!number_given)
        return input_str_keyboard(count);
    // Every check comes before anything is allocated.
    os_handle_record *r = bound_record(number);
    if (!r)
        return string_new(0, true);
    if (r->mode != FILE_MODE_BINARY && r->mode != FILE_MODE_INPUT) {
        error_raise(62);
        return string_new(0, true);
    }
    if (!r->may_read) {
        error_raise(75);
        return string_new(0, true);
    }
    if (count < 0) {
        error_raise(52);
        return string_new(0, true);
    }
    if (count == 0)
        return string_new(0, true);
    int32_t handle = file_number_handle(number);
    return r->mode == FILE_MODE_BINARY ? input_str_binary(handle, count)
                                       : input_str_text(handle, count);
}

void input_str_key_source_set(key_byte_poll_fn poll)
{
    key_source = poll ? poll : inkey_first_byte;
}
