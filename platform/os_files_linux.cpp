// Disk files on Linux: opening (with the share lock, and waiting out a
// lease), positioned reads and writes with the read-ahead block, byte-range
// locks, closing, and names: their lookup ignoring letter case, and the
// spelling a case-blind FUSE file system lists them by, which tells when two
// spellings reach one file.
#include "platform/os_files.h"

#include "platform/case_fold.h"
#include "platform/clock.h"
#include "platform/os_file_locks.h"
#include "platform/os_files_testing.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>
#include <vector>

namespace
{

// One byte range locked through an open file: first and last byte, inclusive.
struct locked_range {
    int64_t first;
    int64_t length; // as asked; 0 = to the end of every possible file
    int64_t last;
};

} // namespace

// The read-ahead block of a regular file: bytes [start, start + count) as
// read at a time when no other open file had a lock on them. It holds only
// while `generation` equals the process's write-and-lock generation.
struct read_ahead_block {
    std::unique_ptr<uint8_t[]> bytes;
    int64_t start = 0;
    int64_t count = 0;
    uint64_t generation = 0;
};

struct os_file {
    int fd;
    bool writable;
    bool seekable; // regular files; devices and pipes are read in stream order
    std::vector<locked_range> locks;
    int64_t fail_reads_at = -1;
    bool reads_ahead = false; // a sequential reader: see os_file_read_ahead_set
    read_ahead_block ahead;
    dev_t device = 0; // with inode, the file os_file_open opened (0: none)
    ino_t inode = 0;
};

namespace
{

constexpr mode_t WRITE_BITS = S_IWUSR | S_IWGRP | S_IWOTH;

// Read-ahead: small reads of a regular file are served from a block read
// ahead with one lock probe. Every write, truncation, lock and unlock through
// any file of this process moves the generation on, which drops every block,
// so a block never holds bytes this process has changed since or a range it
// has locked since. Reads that reach past a block, and so every end of file,
// go to the system.
constexpr int64_t READ_AHEAD_BYTES = 32768;
constexpr int64_t READ_AHEAD_LARGEST_READ = 4096;
uint64_t files_generation = 1;

// The files os_file_open opened that are still open.
std::vector<os_file *> files_open;

// True when another open file holds a lock that touches the range.
bool range_locked_elsewhere(const os_file *file, int64_t first, int64_t length)
{
    return os_range_locked_elsewhere(file->fd, first, length);
}

// The status an open failure reports; ENOENT tells a missing directory on the
// way from a missing file.
os_file_status open_failure_status(int err, const std::string &path)
{
    switch (err) {
    case ENOENT: {
        std::string::size_type slash = path.rfind('/');
        if (slash == std::string::npos)
            return os_file_status::not_found;
        std::string dir = slash == 0 ? "/" : path.substr(0, slash);
        struct stat st;
        if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return os_file_status::path_not_found;
        return os_file_status::not_found;
    }
    case ENOTDIR:
        return os_file_status::path_not_found;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EISDIR:
    case EWOULDBLOCK:
        return os_file_status::access_denied;
    case EMFILE:
    case ENFILE:
        return os_file_status::too_many_open;
    case ENXIO:
    case ENODEV:
        return os_file_status::device_unavailable;
    case EIO:
        return os_file_status::io_failure;
    case ENOSPC: // no inode or block left for a new file
    case EDQUOT:
        return os_file_status::disk_full;
    default:
        return os_file_status::not_found;
    }
}

os_file_status transfer_failure_status(int err)
{
    if (err == EACCES || err == EAGAIN || err == EPERM)
        return os_file_status::lock_violation;
    if (err == ENOSPC || err == EDQUOT)
        return os_file_status::disk_full;
    return os_file_status::io_failure;
}

// Reads count bytes at position (in stream order for devices), retrying
// interrupted and partial transfers; *done gets the bytes delivered, fewer
// than count only at the end of the file.
os_file_status bytes_read(os_file *file, int64_t position, uint8_t *p, int64_t count, int64_t *done)
{
    *done = 0;
    while (*done < count) {
        size_t want = size_t(std::min<int64_t>(count - *done, SSIZE_MAX));
        ssize_t got = file->seekable ? pread(file->fd, p + *done, want, position + *done)
                                     : read(file->fd, p + *done, want);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return transfer_failure_status(errno);
        }
        if (got == 0)
            break; // end of the file
        *done += got;
    }
    return os_file_status::ok;
}

bool read_ahead_holds(const os_file *file, int64_t position, int64_t count)
{
    const read_ahead_block &a = file->ahead;
    return a.generation == files_generation && position >= a.start &&
           count <= a.start + a.count - position;
}

// Fills the file's block from position on. It stays empty where a plain read
// could answer otherwise: a device, a failure, the end of the file, the
// failing-byte seam in the block, or a lock of another open file on it.
void read_ahead_fill(os_file *file, int64_t position)
{
    read_ahead_block &a = file->ahead;
    a.count = 0;
    if (!file->seekable || !file->reads_ahead ||
        (file->fail_reads_at >= position && file->fail_reads_at - position < READ_AHEAD_BYTES))
        return;
    if (!a.bytes)
        a.bytes = std::make_unique<uint8_t[]>(size_t(READ_AHEAD_BYTES));
    int64_t got = 0;
    if (bytes_read(file, position, a.bytes.get(), READ_AHEAD_BYTES, &got) != os_file_status::ok ||
        got == 0 || range_locked_elsewhere(file, position, got))
        return;
    a.start = position;
    a.count = got;
    a.generation = files_generation;
}

// A directory, a pipe or a socket: never opened as a file. A pipe's open or
// read could wait forever for a writer.
bool never_a_file(mode_t mode)
{
    return S_ISDIR(mode) || S_ISFIFO(mode) || S_ISSOCK(mode);
}

// Refuses what the designed system refuses before the open: a directory (and
// a pipe or socket, which it has no name for), and writing to a file that has
// no write permission bit (checked here because a privileged user would
// otherwise pass).
os_file_status open_precheck(const std::string &path, uint32_t access)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return os_file_status::ok; // missing: the open itself reports it
    if (never_a_file(st.st_mode))
        return os_file_status::access_denied;
    if ((access & OS_FILE_WRITE) && S_ISREG(st.st_mode) && (st.st_mode & WRITE_BITS) == 0)
        return os_file_status::access_denied;
    return os_file_status::ok;
}

// The longest an open waits for a lease to be given back. The kernel takes a
// lease away once its break time has passed (/proc/sys/fs/lease-break-time,
// 45 s unless changed), so this limit only ends a wait on a system set to
// wait longer.
constexpr int64_t LEASE_WAIT_LIMIT_MS = 60000;
constexpr uint32_t LEASE_POLL_LONGEST_MS = 50;

// Opens without waiting for a pipe's other end (flags hold O_NONBLOCK), but
// waits as a plain open does for a lease on the file: a file server's cache
// of it (an SMB oplock, an NFS delegation) or another program's. The
// non-blocking open that meets one starts the lease's break and fails with
// EWOULDBLOCK; it is asked again, a little later each time, until the lease
// holder has let go.
int open_waiting_out_leases(const char *path, int flags)
{
    const int64_t start = clock_now_ms();
    uint32_t pause = 1;
    for (;;) {
        int fd = open(path, flags, 0666);
        if (fd >= 0 || (errno != EINTR && errno != EWOULDBLOCK))
            return fd;
        if (errno == EWOULDBLOCK) {
            // Only a regular file has leases.
            struct stat st;
            if (clock_now_ms() - start >= LEASE_WAIT_LIMIT_MS || stat(path, &st) != 0 ||
                !S_ISREG(st.st_mode)) {
                errno = EWOULDBLOCK;
                return -1;
            }
            clock_sleep_ms(pause);
            pause = std::min(pause * 2, LEASE_POLL_LONGEST_MS);
        }
    }
}

// Opens path with flags as os_file_open does, up to the share lock: the
// descriptor, whose fstat *st gets, or -1 with the failure in *status.
int descriptor_open(const std::string &path, int flags, struct stat *st, os_file_status *status)
{
    int fd = open_waiting_out_leases(path.c_str(), flags);
    if (fd < 0) {
        *status = open_failure_status(errno, path);
        return -1;
    }
    if (fstat(fd, st) != 0 || never_a_file(st->st_mode) ||
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        close(fd);
        *status = os_file_status::access_denied;
        return -1;
    }
    return fd;
}

// The name the kernel holds an open descriptor by: absolute, links resolved,
// each part spelt as it was looked up. Empty when it cannot be had.
std::string descriptor_path(int fd)
{
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t n = readlink(link.c_str(), buffer.data(), buffer.size());
    if (n <= 0 || size_t(n) >= buffer.size())
        return {};
    return std::string(buffer.data(), size_t(n));
}

// The file os_file_open opened and this process has open that is the file fd
// has open (whose fstat is st) under another spelling of its name; null when
// there is none. Only names are compared, and only of files on fd's device
// with another inode number: no file system is asked anything unless two
// names fold alike.
const os_file *open_file_spelt_otherwise(int fd, const struct stat &st)
{
    std::string path;
    for (const os_file *f : files_open) {
        if (f->fd == fd || f->device != st.st_dev || f->inode == st.st_ino)
            continue;
        if (path.empty())
            path = descriptor_path(fd);
        if (!path.empty() && os_names_one_file(descriptor_path(f->fd), path))
            return f;
    }
    return nullptr;
}

// True when path, followed as the open followed it, still leads to the
// regular file st (the fstat of the descriptor opened by it).
bool name_leads_to(const std::string &path, const struct stat &st)
{
    struct stat now;
    return stat(path.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino;
}

// How often an open is made again because its name no longer led to the file
// once the share lock was held.
constexpr int OPEN_TRIES = 8;

// Opens path with flags and takes the share lock (exclusive where
// deny_others): the descriptor, whose fstat *st gets, or -1 with the failure
// in *status. A KILL or NAME of another program that probes the share lock
// may come between the open and the lock and take the name away: the file
// held would then have no name, or not this one, and what is written to it
// would be lost. So once the lock is held the name is checked to lead to the
// file held still, and the open is made again where it does not: with create
// a new file, without it not_found. Where share locks are not kept (NFS,
// SMB) nothing is taken and the check only narrows the gap, as a remover
// there probes nothing; it costs one stat.
int locked_open(const std::string &path, int flags, bool deny_others, struct stat *st,
                os_file_status *status)
{
    for (int tries = 0; tries < OPEN_TRIES; ++tries) {
        std::string opened = path;
        int fd = descriptor_open(opened, flags, st, status);
        if (fd < 0)
            return -1;
        // A file this process has open under another spelling of the name is
        // opened again by that file's spelling, so that the share locks of
        // the two meet.
        if (const os_file *twin = open_file_spelt_otherwise(fd, *st)) {
            opened = descriptor_path(twin->fd);
            close(fd);
            fd = descriptor_open(opened, flags, st, status);
            if (fd < 0)
                return -1;
        }
        if (!os_share_lock_take(fd, deny_others)) {
            close(fd);
            *status = os_file_status::access_denied;
            return -1;
        }
        if (!S_ISREG(st->st_mode) || name_leads_to(opened, *st))
            return fd;
        close(fd);
    }
    *status = os_file_status::access_denied; // the name never stayed: a conflict
    return -1;
}

} // namespace

os_file_status os_file_open(const char *name, uint32_t access, bool deny_others, bool create,
                            os_file **file)
{
    *file = nullptr;
    std::string path = os_path_resolve(name);
    os_file_status status = open_precheck(path, access);
    if (status != os_file_status::ok)
        return status;
    // Opened without waiting: a pipe put in the name's place after the check
    // above must not hold the open up. Transfers wait as usual.
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (create ? O_CREAT : 0);
    if ((access & OS_FILE_READ) && (access & OS_FILE_WRITE))
        flags |= O_RDWR;
    else if (access & OS_FILE_WRITE)
        flags |= O_WRONLY;
    else
        flags |= O_RDONLY;
    struct stat st;
    int fd = locked_open(path, flags, deny_others, &st, &status);
    if (fd < 0)
        return status;
    os_file *f =
        new os_file{fd, (access & OS_FILE_WRITE) != 0, S_ISREG(st.st_mode) != 0, {}, -1, false, {}};
    f->device = st.st_dev;
    f->inode = st.st_ino;
    *file = f;
    files_open.push_back(*file);
    return os_file_status::ok;
}

os_file_status os_file_from_bytes(const void *bytes, size_t count, os_file **file)
{
    *file = nullptr;
    int fd = memfd_create("bytes", MFD_CLOEXEC);
    if (fd < 0)
        return open_failure_status(errno, "");
    auto *f = new os_file{fd, true, true, {}, -1, false, {}};
    int64_t done = 0;
    if (os_file_write(f, 0, bytes, int64_t(count), &done) != os_file_status::ok ||
        done != int64_t(count)) {
        os_file_close(f);
        return os_file_status::io_failure;
    }
    *file = f;
    return os_file_status::ok;
}

void os_file_fail_reads_at(os_file *file, int64_t position)
{
    file->fail_reads_at = position;
    file->ahead.count = 0;
}

os_file *os_file_adopt(int fd, bool writable)
{
    return new os_file{fd, writable, false, {}, -1, false, {}};
}

int os_file_descriptor(const os_file *file)
{
    return file->fd;
}

bool os_file_is_regular(const os_file *file)
{
    return file->seekable;
}

os_file_status os_file_close(os_file *file)
{
    if (!file)
        return os_file_status::ok;
    files_open.erase(std::remove(files_open.begin(), files_open.end(), file), files_open.end());
    // Also drops the share lock and every range lock. Never repeated: on
    // Linux the descriptor is released even when close() fails, EINTR
    // included, and a second close could hit a descriptor opened since.
    const int r = close(file->fd);
    const int err = errno;
    delete file;
    if (r == 0 || err == EINTR)
        return os_file_status::ok;
    return err == ENOSPC || err == EDQUOT ? os_file_status::disk_full : os_file_status::io_failure;
}

os_file_status os_file_size(os_file *file, int64_t *size)
{
    struct stat st;
    if (fstat(file->fd, &st) != 0)
        return os_file_status::io_failure;
    *size = S_ISREG(st.st_mode) ? int64_t(st.st_size) : 0;
    return os_file_status::ok;
}

os_file_status os_file_truncate(os_file *file)
{
    ++files_generation;
    int r;
    do
        r = ftruncate(file->fd, 0);
    while (r != 0 && errno == EINTR);
    if (r == 0)
        return os_file_status::ok;
    return errno == EINVAL || errno == EBADF ? os_file_status::access_denied
                                             : os_file_status::io_failure;
}

os_file_status os_file_read(os_file *file, int64_t position, void *dest, int64_t count,
                            int64_t *done)
{
    *done = 0;
    if (count <= 0)
        return os_file_status::ok;
    if (file->seekable && count <= READ_AHEAD_LARGEST_READ) {
        if (!read_ahead_holds(file, position, count))
            read_ahead_fill(file, position);
        if (read_ahead_holds(file, position, count)) {
            std::memcpy(dest, file->ahead.bytes.get() + (position - file->ahead.start),
                        size_t(count));
            *done = count;
            return os_file_status::ok;
        }
    }
    if (file->seekable && range_locked_elsewhere(file, position, count))
        return os_file_status::lock_violation;
    if (file->fail_reads_at >= position && file->fail_reads_at - position < count)
        return os_file_status::io_failure;
    return bytes_read(file, position, static_cast<uint8_t *>(dest), count, done);
}

os_file_status os_file_sync(os_file *file)
{
    int r;
    do
        r = fsync(file->fd);
    while (r != 0 && errno == EINTR);
    if (r == 0)
        return os_file_status::ok;
    return transfer_failure_status(errno);
}

void os_file_read_ahead_set(os_file *file, bool on)
{
    file->reads_ahead = on;
    file->ahead.count = 0;
}

os_file_status os_file_read_ahead(os_file *file, int64_t position, const uint8_t **bytes,
                                  int64_t *count)
{
    *count = 0;
    if (!file->seekable)
        return os_file_status::ok;
    if (!read_ahead_holds(file, position, 1))
        read_ahead_fill(file, position);
    if (read_ahead_holds(file, position, 1)) {
        *bytes = file->ahead.bytes.get() + (position - file->ahead.start);
        *count = file->ahead.start + file->ahead.count - position;
    }
    return os_file_status::ok;
}

os_file_status os_file_write(os_file *file, int64_t position, const void *src, int64_t count,
                             int64_t *done)
{
    *done = 0;
    if (count <= 0)
        return os_file_status::ok;
    ++files_generation;
    if (file->seekable && range_locked_elsewhere(file, position, count))
        return os_file_status::lock_violation;
    auto *p = static_cast<const uint8_t *>(src);
    while (*done < count) {
        size_t want = size_t(std::min<int64_t>(count - *done, SSIZE_MAX));
        ssize_t put = file->seekable ? pwrite(file->fd, p + *done, want, position + *done)
                                     : write(file->fd, p + *done, want);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return transfer_failure_status(errno);
        }
        if (put == 0)
            break; // the system takes no more
        *done += put;
    }
    return os_file_status::ok;
}

os_file_status os_file_lock(os_file *file, int64_t first, int64_t length)
{
    ++files_generation;
    if (first > OS_RANGE_END)
        return os_file_status::io_failure;
    int64_t last = os_range_last(first, length);
    for (const locked_range &r : file->locks)
        if (r.first <= last && first <= r.last)
            return os_file_status::lock_violation;
    if (range_locked_elsewhere(file, first, length))
        return os_file_status::lock_violation;
    // A read-only descriptor takes a read lock, which still conflicts with
    // every other lock through the test above.
    switch (os_range_lock(file->fd, file->writable, first, length)) {
    case os_lock_answer::taken:
        break;
    case os_lock_answer::busy:
        return os_file_status::lock_violation;
    case os_lock_answer::unsupported:
        return os_file_status::io_failure;
    }
    file->locks.push_back({first, length, last});
    return os_file_status::ok;
}

os_file_status os_file_unlock(os_file *file, int64_t first, int64_t length)
{
    ++files_generation;
    for (size_t i = 0; i < file->locks.size(); ++i) {
        const locked_range &r = file->locks[i];
        if (r.first != first || r.length != length)
            continue;
        if (!os_range_unlock(file->fd, first, length))
            return os_file_status::io_failure;
        file->locks.erase(file->locks.begin() + std::ptrdiff_t(i));
        return os_file_status::ok;
    }
    return os_file_status::not_locked;
}

namespace
{

bool path_exists(const std::string &path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The entry of dir that name is spelt as, ignoring letter case: name itself
// when an entry is spelt so, else the one entry equal to it ignoring case;
// an empty text when there is none or more than one.
std::string listed_spelling(const std::string &dir, const std::string &name)
{
    DIR *d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return {};
    std::string found;
    int matches = 0;
    while (dirent *e = readdir(d)) {
        if (name == e->d_name) {
            found = name;
            matches = 1;
            break;
        }
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0 &&
            case_fold_equal(e->d_name, name)) {
            found = e->d_name;
            ++matches;
        }
    }
    closedir(d);
    return matches == 1 ? found : std::string();
}

// The name with each of its parts put through spelt(directory so far, part),
// which gives the part's new spelling or an empty text to keep it; '.' and
// '..' stay.
template <typename Spelt> std::string parts_respelt(const std::string &name, Spelt spelt)
{
    std::string result;
    size_t i = 0;
    if (name[0] == '/') {
        result = "/";
        i = 1;
    }
    while (i < name.size()) {
        size_t j = name.find('/', i);
        if (j == std::string::npos)
            j = name.size();
        std::string part = name.substr(i, j - i);
        if (!part.empty() && part != "." && part != "..") {
            std::string other = spelt(result, part);
            if (!other.empty())
                part = std::move(other);
        }
        result += part;
        if (j < name.size())
            result += '/';
        i = j + 1;
    }
    return result;
}

// The file system type of the name (its directory, for a name that does not
// exist), or 0 when neither can be asked.
unsigned long file_system_type(const std::string &name)
{
    struct statfs fs;
    if (statfs(name.c_str(), &fs) != 0) {
        std::string::size_type slash = name.rfind('/');
        std::string dir = slash == std::string::npos ? "." : name.substr(0, slash + 1);
        if (statfs(dir.c_str(), &fs) != 0)
            return 0;
    }
    return static_cast<unsigned long>(fs.f_type);
}

constexpr unsigned long FUSE_MAGIC = 0x65735546;

// True when the name lies on a FUSE file system. A case-blind one there
// (exFAT, FAT) finds a file by every spelling of its name but numbers each
// spelling as a file of its own, keeping the name as written: inode numbers,
// share locks and range locks then tell one file apart from itself.
bool on_fuse(const std::string &name)
{
    return file_system_type(name) == FUSE_MAGIC;
}

} // namespace

std::string os_path_resolve(const std::string &name)
{
    if (name.empty() || path_exists(name))
        return name;
    return parts_respelt(name, [](const std::string &dir, const std::string &part) {
        return path_exists(dir + part) ? std::string() : listed_spelling(dir, part);
    });
}

std::string os_path_listed(const std::string &name)
{
    const std::string path = os_path_resolve(name);
    if (path.empty() || !on_fuse(path))
        return path;
    return parts_respelt(path, listed_spelling);
}

bool os_unlink_hides_open_file(const std::string &path)
{
    constexpr unsigned long NFS_MAGIC = 0x6969;
    constexpr unsigned long CIFS_MAGIC = 0xFF534D42;
    constexpr unsigned long SMB2_MAGIC = 0xFE534D42;
    constexpr unsigned long SMB_MAGIC = 0x517B;
    // A type that cannot be had counts as hiding: closing the probe early
    // costs only the narrow window in which another program may open it.
    switch (file_system_type(path)) {
    case 0:
    case FUSE_MAGIC:
    case NFS_MAGIC:
    case CIFS_MAGIC:
    case SMB2_MAGIC:
    case SMB_MAGIC:
        return true;
    default:
        return false;
    }
}

bool os_names_one_file(const std::string &a, const std::string &b)
{
    return a == b || (case_fold_equal(a, b) && os_path_listed(a) == os_path_listed(b));
}

bool os_file_open_here(const std::string &path)
{
    if (files_open.empty())
        return false;
    // Absolute, with the links of its directory resolved, as the kernel names
    // an open descriptor.
    std::string::size_type slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    char *full = realpath(dir.c_str(), nullptr);
    if (!full)
        return false;
    std::string name = full;
    free(full);
    if (name.back() != '/')
        name += '/';
    name += path.substr(slash == std::string::npos ? 0 : slash + 1);
    for (const os_file *f : files_open)
        if (os_names_one_file(descriptor_path(f->fd), name))
            return true;
    return false;
}

int os_path_kind(const char *name)
{
    std::string path = os_path_resolve(name);
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0)
        return -1;
    return S_ISDIR(st.st_mode) ? 1 : 0;
}

std::string os_current_directory()
{
    std::vector<char> buffer(256);
    for (;;) {
        if (getcwd(buffer.data(), buffer.size()))
            return buffer.data();
        if (errno != ERANGE || buffer.size() > (1u << 20))
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string os_program_directory()
{
    std::vector<char> buffer(PATH_MAX + 1);
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0)
        return ".";
    std::string path(buffer.data(), size_t(n));
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}
