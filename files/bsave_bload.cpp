// BSAVE and BLOAD over the operating-system file layer.
#include "files/bsave_bload.h"

#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "files/file_errors.h"
#include "files/handle_table.h"
#include "files/os_handle.h"
#include "platform/os_files.h"

#include <string>
#include <vector>

namespace
{

constexpr uint32_t ERROR_OVERFLOW = 6;
constexpr uint32_t ERROR_FILE_NOT_FOUND = 53;
constexpr uint32_t ERROR_BAD_FILE_MODE = 54;
constexpr uint32_t ERROR_DISK_FULL = 61;
constexpr uint32_t ERROR_BAD_FILE_NAME = 64;
constexpr uint32_t ERROR_ACCESS = 75;
constexpr int64_t FULL_SEGMENT = 65536;
// The BIOS data area ends here; blocks below it go through a buffer.
constexpr uint32_t SHARED_AREA_END = 0x500;

bool offset_in_range(int32_t offset)
{
    return offset >= -65536 && offset <= 65535;
}

std::string file_name_of(const string_descriptor *name)
{
    std::string text(reinterpret_cast<const char *>(name->chr), size_t(name->len));
    file_name_fix(text);
    return text;
}

void u16_put(uint8_t *p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

uint32_t u16_get(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

// Writes count bytes at position; the BASIC error of a failure, else 0.
uint32_t write_all(os_file *file, int64_t position, const void *bytes, int64_t count)
{
    int64_t done = 0;
    const os_file_status s = os_file_write(file, position, bytes, count, &done);
    if (s == os_file_status::ok && done == count)
        return 0;
    // A system that stops taking bytes without a failure has run out of room.
    return s == os_file_status::disk_full || s == os_file_status::ok ? ERROR_DISK_FULL
                                                                     : ERROR_ACCESS;
}

// Empties a file that has bytes (devices have none and cannot be cut).
uint32_t file_empty(os_file *file)
{
    int64_t size = 0;
    if (os_file_size(file, &size) != os_file_status::ok)
        return ERROR_ACCESS;
    if (size > 0 && os_file_truncate(file) != os_file_status::ok)
        return ERROR_ACCESS;
    return 0;
}

// The header and the block, written to an open file.
uint32_t bsave_write(os_file *file, uint32_t offset, uint32_t linear, uint32_t length)
{
    uint8_t header[BSAVE_HEADER_SIZE] = {BSAVE_MARK};
    u16_put(header + 1, peek_base / 16);
    u16_put(header + 3, offset);
    u16_put(header + 5, length & 0xFFFF);
    if (uint32_t e = file_empty(file))
        return e;
    if (uint32_t e = write_all(file, 0, header, BSAVE_HEADER_SIZE))
        return e;
    if (linear >= SHARED_AREA_END)
        return write_all(file, BSAVE_HEADER_SIZE, emulated_dos_memory + linear, length);
    std::vector<uint8_t> copy(length);
    dos_memory_read(linear, copy.data(), length);
    return write_all(file, BSAVE_HEADER_SIZE, copy.data(), length);
}

// Reads length bytes after the header to linear; false when fewer arrive
// (those stay loaded).
bool bload_read(os_file *file, uint32_t linear, uint32_t length)
{
    int64_t done = 0;
    if (linear >= SHARED_AREA_END) {
        os_file_read(file, BSAVE_HEADER_SIZE, emulated_dos_memory + linear, length, &done);
        return done == length;
    }
    std::vector<uint8_t> copy(length);
    os_file_read(file, BSAVE_HEADER_SIZE, copy.data(), length, &done);
    dos_memory_write(linear, copy.data(), uint32_t(done));
    return done == length;
}

// The block length a header stands for: its length field, or for 0 the bytes
// after the header when they are 65,536 or more.
int64_t bload_length(os_file *file, const uint8_t *header)
{
    const int64_t length = u16_get(header + 5);
    int64_t size = 0;
    if (length != 0 || os_file_size(file, &size) != os_file_status::ok)
        return length;
    return size - BSAVE_HEADER_SIZE >= FULL_SEGMENT ? size - BSAVE_HEADER_SIZE : 0;
}

// BLOAD of an open file; the BASIC error, or 0.
uint32_t bload_file(os_file *file, int64_t given_linear)
{
    uint8_t header[BSAVE_HEADER_SIZE];
    int64_t done = 0;
    os_file_read(file, 0, header, BSAVE_HEADER_SIZE, &done);
    if (done != BSAVE_HEADER_SIZE || header[0] != BSAVE_MARK)
        return ERROR_BAD_FILE_MODE;
    const int64_t length = bload_length(file, header);
    const int64_t linear =
        given_linear >= 0 ? given_linear : int64_t(u16_get(header + 1)) * 16 + u16_get(header + 3);
    if (!dos_memory_range_inside(uint64_t(linear), uint64_t(length)))
        return ERROR_OVERFLOW;
    return bload_read(file, uint32_t(linear), uint32_t(length)) ? 0 : ERROR_BAD_FILE_MODE;
}

} // namespace

void rt_bsave(const string_descriptor *name, int32_t offset, int32_t length)
{
    if (error_pending.load())
        return;
    if (!offset_in_range(offset) || length < -FULL_SEGMENT || length > FULL_SEGMENT) {
        error_raise(ERROR_OVERFLOW);
        return;
    }
    const uint32_t low_offset = uint32_t(offset) & 0xFFFF;
    const uint32_t size = length == FULL_SEGMENT ? uint32_t(length) : uint32_t(length) & 0xFFFF;
    const uint64_t linear = uint64_t(peek_base) + low_offset;
    if (!dos_memory_range_inside(linear, size)) {
        error_raise(ERROR_OVERFLOW);
        return;
    }
    os_file *file = nullptr;
    const os_file_status made =
        os_file_open(file_name_of(name).c_str(), OS_FILE_WRITE, false, true, &file);
    if (made != os_file_status::ok) {
        // No room for a new file (no inode free) is a full disk, as in OPEN.
        error_raise(made == os_file_status::disk_full ? ERROR_DISK_FULL : ERROR_BAD_FILE_NAME);
        return;
    }
    uint32_t e = bsave_write(file, low_offset, uint32_t(linear), size);
    // A network file system may refuse the bytes only at the close.
    const int32_t closed = file_close_error(os_handle_result(os_file_close(file)));
    if (e == 0)
        e = uint32_t(closed);
    if (e)
        error_raise(e);
}

void rt_bload(const string_descriptor *name, int32_t offset, uint32_t given_mask)
{
    if (error_pending.load())
        return;
    const bool given = given_mask & 1;
    if (given && !offset_in_range(offset)) {
        error_raise(ERROR_OVERFLOW);
        return;
    }
    const int64_t linear = given ? int64_t(peek_base) + (uint32_t(offset) & 0xFFFF) : -1;
    os_file *file = nullptr;
    if (os_file_open(file_name_of(name).c_str(), OS_FILE_READ, false, false, &file) !=
        os_file_status::ok) {
        error_raise(ERROR_FILE_NOT_FOUND);
        return;
    }
    const uint32_t e = bload_file(file, linear);
    os_file_close(file);
    if (e)
        error_raise(e);
}
