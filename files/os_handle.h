// The OS-handle layer: files opened into os_handle_records, positioned reads
// and writes with 64-bit positions and counts, the file size, two end-of-file
// tests and byte-range locks.
//
// It raises no BASIC errors: every operation reports 0 (or a handle, a size,
// a position) on success and one of the negative codes below on failure. The
// file statements turn the codes into BASIC errors. Positions count bytes from
// 0; a position of -1 means the current one.
//
// Order of use: os_handle_open, then any of the operations, then
// os_handle_close. Program thread only (and the runtime loop's end of the
// program, after the program thread has stopped).
#pragma once

#include <cstdint>

enum class os_file_status;

struct string_descriptor;

constexpr int32_t OS_HANDLE_SHORT_WRITE = -1;
constexpr int32_t OS_HANDLE_INVALID = -2;      // out of range or not in use
constexpr int32_t OS_HANDLE_BAD_MODE = -3;     // not opened for it; seek or size refused
constexpr int32_t OS_HANDLE_BAD_ARGUMENT = -4; // negative count or position
constexpr int32_t OS_HANDLE_NOT_FOUND = -5;    // or an open failure not listed
constexpr int32_t OS_HANDLE_PATH_NOT_FOUND = -6;
constexpr int32_t OS_HANDLE_ACCESS_DENIED = -7; // access, sharing or lock refused
constexpr int32_t OS_HANDLE_NO_DEVICE = -8;
constexpr int32_t OS_HANDLE_IO_FAILURE = -9; // or too many open files
constexpr int32_t OS_HANDLE_SHORT_READ = -10;
constexpr int32_t OS_HANDLE_BAD_DEVICE_NAME = -11;
constexpr int32_t OS_HANDLE_DISK_FULL = -12; // no room left on the device

// Access bits, deny bits and the opening rule of os_handle_open.
constexpr uint32_t OS_ACCESS_READ = 1;
constexpr uint32_t OS_ACCESS_WRITE = 2;
constexpr uint32_t OS_DENY_READ = 1;
constexpr uint32_t OS_DENY_WRITE = 2;
constexpr uint32_t OS_OPEN_EXISTING = 0;  // the file must exist
constexpr uint32_t OS_OPEN_ALWAYS = 1;    // open or create, keep the contents
constexpr uint32_t OS_OPEN_TRUNCATE = 2;  // open or create, then empty it
constexpr uint32_t OS_OPEN_FALL_BACK = 3; // open or create; read-only, then write-only
                                          // when read-write is refused

// Opens a file (how: OS_OPEN_*); the new handle or -5 to -11. A failed open
// gives its record back. A name that reaches anything but a disk file (a
// directory, a pipe, a device by its path) is refused (-7); COMn: names open
// their serial port. Emptying a file needs write access: a read-only open
// by OS_OPEN_TRUNCATE of a non-empty file is refused (-7) and leaves it as it
// is.
int32_t os_handle_open(const string_descriptor *name, uint32_t access, uint32_t deny, uint32_t how);

int64_t os_handle_size(int32_t handle);
int32_t os_handle_seek(int32_t handle, int64_t position);
int64_t os_handle_tell(int32_t handle);

// Writes count bytes at position (or -1): 0, -1 (short), -2, -3, -4, -7, -9,
// -12.
int32_t os_handle_write(int32_t handle, int64_t position, const void *src, int64_t count);

// Reads count bytes at position (or -1): 0, or -10 when fewer arrived (the
// rest of the destination is zeroed and the end flag set), -2, -3, -4, -7, -9.
int32_t os_handle_read(int32_t handle, int64_t position, void *dest, int64_t count);

// Sequential reading without a call per byte: the bytes from the position on
// that reads would deliver now (a regular file's read-ahead block), without
// moving anything. Their count, 0 when none can be had this way (a serial
// port, the end of the file, a lock of another open file ahead, no read
// right, an invalid handle): the caller then reads as usual.
int64_t os_handle_peek(int32_t handle, const uint8_t **bytes);

// Takes n of the peeked bytes (n >= 1) as n one-byte reads would: the
// position moves over them, the end flag is cleared and the last read count
// is 1.
void os_handle_peek_take(int32_t handle, int64_t n);

// Bytes delivered by the most recent os_handle_read of any handle.
int64_t os_handle_last_read_count();

// 1 when the position is at or past the file size, else 0; -2.
int32_t os_handle_at_eof(int32_t handle);

// 1 when the last read of this handle was short, else 0; -2.
int32_t os_handle_eof_flag(int32_t handle);

// Locks or unlocks bytes first to last (first -1: from 0; last -1: to the end
// of every possible file): 0, -2, -4, -7, -9. A lock may not overlap a range
// already locked; an unlock must name exactly a locked range.
int32_t os_handle_lock(int32_t handle, int64_t first, int64_t last);
int32_t os_handle_unlock(int32_t handle, int64_t first, int64_t last);

// Releases the record, frees its record buffer and field list and closes the
// file: 0, -2 for an invalid handle, or the refusal the file system reported
// at the close (-12 no room, -9 any other). The record and its handle are
// given back whatever the close reported.
int32_t os_handle_close(int32_t handle);

// The layer's result for an operating-system file status: 0, -12 for no
// room, -7 for access, sharing or a lock refused, -9 for any other failure.
int32_t os_handle_result(os_file_status s);
