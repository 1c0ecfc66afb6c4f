#include "platform/os_file_locks.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <iterator>
#include <sys/file.h>
#include <sys/statfs.h>

namespace
{

// A struct flock over first..last, inclusive.
struct flock flock_over(short type, int64_t first, int64_t last)
{
    struct flock fl {
    };
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = first;
    fl.l_len = last - first + 1;
    return fl;
}

// Sets or clears a lock of the open file without waiting, again when a
// signal interrupts it.
os_lock_answer lock_set(int fd, struct flock fl)
{
    int r;
    do
        r = fcntl(fd, F_OFD_SETLK, &fl);
    while (r != 0 && errno == EINTR);
    if (r == 0)
        return os_lock_answer::taken;
    return errno == EAGAIN || errno == EACCES ? os_lock_answer::busy : os_lock_answer::unsupported;
}

} // namespace

bool os_share_locks_kept(int fd)
{
    // The file systems whose clients hand whole-file locks to a server as
    // byte-range locks (values of statfs's f_type).
    static constexpr unsigned long server_locked[] = {
        0x6969,     // NFS
        0x517B,     // SMB
        0xFF534D42, // CIFS
        0xFE534D42, // SMB2
    };
    struct statfs fs;
    if (fstatfs(fd, &fs) != 0)
        return true;
    return std::find(std::begin(server_locked), std::end(server_locked),
                     static_cast<unsigned long>(fs.f_type)) == std::end(server_locked);
}

bool os_share_lock_take(int fd, bool exclusive)
{
    if (!os_share_locks_kept(fd))
        return true;
    int r;
    do
        r = flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB);
    while (r != 0 && errno == EINTR);
    // Only a lock held elsewhere refuses; ENOLCK and the like mean the file
    // system gives none.
    return r == 0 || errno != EWOULDBLOCK;
}

int64_t os_range_last(int64_t first, int64_t length)
{
    if (length <= 0 || first > OS_RANGE_END - (length - 1))
        return OS_RANGE_END;
    return first + (length - 1);
}

bool os_range_locked_elsewhere(int fd, int64_t first, int64_t length)
{
    if (first > OS_RANGE_END)
        return false;
    struct flock fl = flock_over(F_WRLCK, first, os_range_last(first, length));
    if (fcntl(fd, F_OFD_GETLK, &fl) != 0)
        return false;
    return fl.l_type != F_UNLCK;
}

os_lock_answer os_range_lock(int fd, bool writable, int64_t first, int64_t length)
{
    return lock_set(fd,
                    flock_over(writable ? F_WRLCK : F_RDLCK, first, os_range_last(first, length)));
}

bool os_range_unlock(int fd, int64_t first, int64_t length)
{
    return lock_set(fd, flock_over(F_UNLCK, first, os_range_last(first, length))) ==
           os_lock_answer::taken;
}

os_lock_answer os_hold_lock_take(int fd)
{
    return lock_set(fd, flock_over(F_WRLCK, OS_FILE_RESERVED_BYTE, OS_FILE_RESERVED_BYTE));
}
