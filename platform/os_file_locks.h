// The lock rules per file system, in one place: the share lock every open
// takes (and every delete's or rename's probe meets), the byte-range locks
// of LOCK and the range tests of reads and writes, and the hold that marks a
// held temporary file (os_file_held.h). Each works on an open descriptor and
// says what the file system gave:
// - a local file system keeps all three;
// - a network file system (NFS, SMB) keeps range locks and holds in its
//   server, but cannot keep share locks: its client turns a whole-file lock
//   of the flock(2) kind into a range lock that every range test meets;
// - where no lock service answers (locks give ENOLCK, on any file system),
//   there are none: a share lock is skipped, a range test finds nothing, and
//   a range lock or a hold is `unsupported` for the caller to decide.
//
// Program thread only (and the runtime loop's end of the program).
#pragma once

#include <cstdint>

// The last possible byte of a file, which no range lock or range test ever
// covers: a held temporary file marks itself with a lock there, out of the
// way of LOCK on the same file.
constexpr int64_t OS_FILE_RESERVED_BYTE = INT64_MAX;

// The last byte a range may cover: the one after it is reserved.
constexpr int64_t OS_RANGE_END = OS_FILE_RESERVED_BYTE - 1;

enum class os_lock_answer {
    taken,       // the lock is held through the descriptor now
    busy,        // another open file holds a conflicting lock
    unsupported, // the file system gives no locks (no lock service)
};

// False where the file system holding fd cannot keep share modes (NFS,
// SMB). There no open takes a share lock and no delete or rename probes for
// one.
bool os_share_locks_kept(int fd);

// Takes the share lock of fd without waiting: exclusive (an open that denies
// others, a delete's or rename's probe) or shared. False only when a
// conflicting one is held; where the file system keeps no share locks, or
// gives none, there is nothing to take and it is true.
bool os_share_lock_take(int fd, bool exclusive);

// The last byte of length bytes from first (first <= OS_RANGE_END): a
// length of 0, or one running past OS_RANGE_END, ends there.
int64_t os_range_last(int64_t first, int64_t length);

// True when another open file (of any process) holds a lock that touches
// the range. Locks held through fd itself never count, nor do any where the
// file system gives no locks.
bool os_range_locked_elsewhere(int fd, int64_t first, int64_t length);

// Locks the range through fd without waiting: a write lock, or a read lock
// for a descriptor open for reading only (which cannot hold a write lock).
os_lock_answer os_range_lock(int fd, bool writable, int64_t first, int64_t length);

// Unlocks a range locked through fd: false when the file system refused.
bool os_range_unlock(int fd, int64_t first, int64_t length);

// Takes the hold of a held file, or a remover's lock of one: a write lock on
// its reserved byte through fd (open for writing), without waiting. A
// network file system's server keeps it, so it holds between machines too.
os_lock_answer os_hold_lock_take(int fd);
