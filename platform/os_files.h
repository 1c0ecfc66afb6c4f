// Operating-system files: open, positioned read and write, size, share modes
// and byte-range locks, and the lookup of names.
//
// The file layer above (files/os_handle.h) owns the rules of BASIC file
// access; this layer only talks to the operating system and reports what
// happened as an os_file_status. Every call works on an os_file made by
// os_file_open and destroyed by os_file_close.
//
// Share modes and range locks follow the rules of the system this runtime was
// designed for (share modes only where the file system keeps them: see
// os_file_locks.h):
// - an open that asks to deny others is exclusive; any other open is shared;
//   an open that meets a conflicting one is refused (access_denied);
// - a range lock may not overlap a range already locked through any open
//   file, including the same one; an unlock must name exactly a range locked
//   through the same open file;
// - a read or write that crosses a range locked through another open file
//   (in this process or another) is refused (lock_violation).
//
// Names use '/' as the separator (callers turn '\' into '/' first). A name
// that does not exist as written is matched component by component, ignoring
// letter case, when exactly one entry of a directory matches.
//
// Not thread-safe: the file layer calls it from one thread at a time.
#pragma once

#include "platform/os_file_locks.h"

#include <cstddef>
#include <cstdint>
#include <string>

enum class os_file_status {
    ok,
    not_found,          // no such file
    path_not_found,     // a directory on the way does not exist
    access_denied,      // rights, read-only file, directory, share mode
    lock_violation,     // a range lock of another open file is in the way
    not_locked,         // unlock of a range that is not locked as named
    too_many_open,      // the process or system file table is full
    device_unavailable, // no such device or device not ready
    io_failure,         // any other failure
    disk_full,          // a write found no room left on the device
};

struct os_file;

// Access bits and what to do with a missing file.
constexpr uint32_t OS_FILE_READ = 1;
constexpr uint32_t OS_FILE_WRITE = 2;

// Opens (create: or creates) the named file. deny_others makes the open
// exclusive. A directory, a pipe, a socket, and a write open of a file
// without any write permission bit, are refused with access_denied whoever
// runs the program. The open never waits (for a pipe's other end, a line's
// carrier); a device is opened for transfers that do wait.
os_file_status os_file_open(const char *name, uint32_t access, bool deny_others, bool create,
                            os_file **file);

// An anonymous file in memory holding a copy of the bytes, open for reading
// and writing; it behaves as a file on disk does (tests and fuzzing).
os_file_status os_file_from_bytes(const void *bytes, size_t count, os_file **file);

// Wraps an open device descriptor (a serial line) as a file read and written
// in stream order; os_file_close closes the descriptor.
os_file *os_file_adopt(int fd, bool writable);

// The descriptor under a file (serial lines wait on it).
int os_file_descriptor(const os_file *file);

// True for a regular file on a disk (or in memory), false for a device.
bool os_file_is_regular(const os_file *file);

// Closes the file and drops its range locks: ok, or the refusal the file
// system reported at the close. A network file system may report only there
// that the writes it took into its cache were refused: disk_full (no room,
// or the quota used up), io_failure (anything else). The descriptor is
// closed once whatever the answer; a close interrupted by a signal counts as
// done, as the descriptor is gone then. Null is ignored (ok).
os_file_status os_file_close(os_file *file);

os_file_status os_file_size(os_file *file, int64_t *size);

// Cuts the file to length 0 (the file must be open for writing).
os_file_status os_file_truncate(os_file *file);

// Flushes the file's bytes to the disk (fsync): once it returns ok they
// survive a crash of the system.
os_file_status os_file_sync(os_file *file);

// Lets small reads of a regular file opened for sequential input come from a
// block read ahead (off by default). Only such readers take it: a record file
// shared with other processes must see their writes and locks at every read.
void os_file_read_ahead_set(os_file *file, bool on);

// Reads up to count bytes at position; *done gets the bytes delivered, fewer
// than count only at the end of the file. Retries interrupted and partial
// transfers. With read-ahead on, small reads of a regular file are served from a block read ahead
// with one lock probe; every write, truncation, lock and unlock through any
// file of this process drops every such block, and a read that reaches past
// its block goes to the system, so the end of a file is always the system's
// answer. Bytes another process changes behind a block are seen once the
// reads leave it.
os_file_status os_file_read(os_file *file, int64_t position, void *dest, int64_t count,
                            int64_t *done);

// The bytes from position on that reads of a regular file would deliver now,
// without copying them: *bytes points at *count bytes, valid until the next
// call on the same file. *count is 0 when they cannot be had this way (a device,
// the end of the file, a failure, or a lock of another open file on the
// bytes ahead); reads then give the exact answer.
os_file_status os_file_read_ahead(os_file *file, int64_t position, const uint8_t **bytes,
                                  int64_t *count);

// Writes count bytes at position; *done gets the bytes written, fewer than
// count only when the system stops taking them.
os_file_status os_file_write(os_file *file, int64_t position, const void *src, int64_t count,
                             int64_t *done);

// Locks or unlocks length bytes from first; a length of 0 means "to the end
// of every possible file", which stops short of OS_FILE_RESERVED_BYTE. A lock
// the file system cannot take (no lock service) is an io_failure.
os_file_status os_file_lock(os_file *file, int64_t first, int64_t length);
os_file_status os_file_unlock(os_file *file, int64_t first, int64_t length);

// The name as it reaches the file system: exactly as written when that
// exists, else with each missing component replaced by the one entry of its
// directory that matches it ignoring letter case (when there is exactly one).
std::string os_path_resolve(const std::string &name);

// On a FUSE file system, os_path_resolve's name with every part spelt as its
// directory lists it, ignoring letter case: a case-blind one there (exFAT,
// FAT) finds a file by every spelling of its name but numbers each spelling
// as a file of its own, so that inode numbers, share locks and range locks
// taken through one spelling miss those of another. Elsewhere
// os_path_resolve's name. Reads every directory on the way: for statements
// that must know which file a name is (NAME), not for every open.
std::string os_path_listed(const std::string &name);

// True when the file system of path, asked to delete a file that is open,
// only hides it (a FUSE file system on libfuse's path interface renames it to
// a hidden name, an NFS or SMB client to one of its own) and deletes it at the
// last close, where a refusal reaches no one. A delete there must close its
// own handles on the file first; elsewhere the file goes at once.
bool os_unlink_hides_open_file(const std::string &path);

// True when the absolute names a and b reach one file: they are equal, or
// they differ in letter case alone and are one name spelt as listed.
bool os_names_one_file(const std::string &a, const std::string &b);

// True when this process has a file os_file_open opened open by the name
// path (a link as the last part is the link itself), in any letter case that
// names the same file (see os_names_one_file). Decided from the names alone,
// as a mount may not show a file being written until it is closed.
bool os_file_open_here(const std::string &path);

// 1 when the name exists and is a directory, 0 when it exists and is not, -1
// when it does not exist.
int os_path_kind(const char *name);

// The current directory, or an empty text when it cannot be had.
std::string os_current_directory();

// The directory of the running program's executable, with no trailing '/'.
std::string os_program_directory();
