#include "platform/os_file_move.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

os_dir_status status_now()
{
    return os_dir_status_of_errno(errno);
}

int open_retrying(const char *path, int flags, mode_t mode = 0)
{
    int fd;
    do
        fd = open(path, flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Copies every byte of in to out, retrying interrupted and partial transfers.
bool bytes_copy(int in, int out)
{
    char buffer[65536];
    for (;;) {
        ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = write(out, buffer + done, size_t(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return false;
            done += w;
        }
    }
}

// A rename that never replaces: renameat2 where the file system has it, else
// a hard link and the removal of the old name.
int rename_keeping(const char *from, const char *to)
{
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    if (link(from, to) != 0)
        return -1;
    return unlink(from);
}

// The move across file systems: a flushed copy under a temporary name beside
// to, renamed into place.
os_dir_status move_by_copy(const std::string &from, const std::string &to)
{
    int in = open_retrying(from.c_str(), O_RDONLY);
    if (in < 0)
        return status_now();
    std::string temporary;
    int out = -1;
    for (int i = 0; out < 0 && i < 100; i++) {
        temporary = to + ".move" + std::to_string(getpid()) + "_" + std::to_string(i);
        out = open_retrying(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (out < 0 && errno != EEXIST)
            break;
    }
    os_dir_status result = out < 0 ? status_now() : os_dir_status::ok;
    if (out >= 0) {
        // The copy keeps the file's permission bits: a read-only file stays
        // read-only.
        struct stat st;
        if (fstat(in, &st) != 0 || fchmod(out, st.st_mode & 07777) != 0 || !bytes_copy(in, out) ||
            fsync(out) != 0)
            result = os_dir_status::failed;
        if (close(out) != 0 && result == os_dir_status::ok)
            result = os_dir_status::failed;
        if (result == os_dir_status::ok && rename_keeping(temporary.c_str(), to.c_str()) != 0)
            result = status_now();
        if (result != os_dir_status::ok)
            unlink(temporary.c_str());
    }
    close(in);
    if (result == os_dir_status::ok)
        unlink(from.c_str());
    return result;
}

// The byte a hold locks: the last but one a file could have, which no file
// of the runtime ever reaches.
constexpr off_t HOLD_BYTE = INT64_MAX - 1;

enum class hold_lock { taken, busy, unsupported };

// Locks the hold byte through fd (a write lock, so that it excludes every
// other), without waiting: busy when another descriptor has it, unsupported
// where the file system keeps no such locks.
hold_lock hold_byte_lock(int fd)
{
    struct flock fl {
    };
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = HOLD_BYTE;
    fl.l_len = 1;
    int r;
    do
        r = fcntl(fd, F_OFD_SETLK, &fl);
    while (r != 0 && errno == EINTR);
    if (r == 0)
        return hold_lock::taken;
    return errno == EAGAIN || errno == EACCES ? hold_lock::busy : hold_lock::unsupported;
}

// True while path still names the file open as fd.
bool names_file(const std::string &path, int fd)
{
    struct stat named, open_file;
    return lstat(path.c_str(), &named) == 0 && fstat(fd, &open_file) == 0 &&
           named.st_dev == open_file.st_dev && named.st_ino == open_file.st_ino;
}

// True for a name of os_file_create_held for prefix and suffix: digits, '-'
// and digits between them.
bool held_name(std::string_view name, std::string_view prefix, std::string_view suffix)
{
    if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) ||
        !name.ends_with(suffix))
        return false;
    std::string_view unique =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    auto digits = [](std::string_view t) {
        return !t.empty() && t.find_first_not_of("0123456789") == std::string_view::npos;
    };
    size_t dash = unique.find('-');
    return dash != std::string_view::npos && digits(unique.substr(0, dash)) &&
           digits(unique.substr(dash + 1));
}

// Removes path when it is a regular file nobody holds. The hold byte stays
// locked until the removal is done: no maker holds the file in between, and
// another remover cannot lock it, so the name still names the file checked.
void remove_when_unheld(const std::string &path)
{
    int fd = open_retrying(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && hold_byte_lock(fd) == hold_lock::taken &&
        names_file(path, fd))
        unlink(path.c_str());
    close(fd);
}

std::atomic<uint64_t> held_files_made{0};

} // namespace

os_dir_status os_file_create_held(const std::string &prefix, const std::string &suffix,
                                  std::string *path, int *hold)
{
    *hold = -1;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        *path =
            prefix + std::to_string(getpid()) + "-" + std::to_string(held_files_made++) + suffix;
        int fd = open_retrying(path->c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return status_now();
        }
        // A remover may have locked and removed the file before the hold was
        // taken; it is then not this maker's, and another name is tried.
        // Without such locks no remover can lock it either: it stays unheld.
        hold_lock lock = hold_byte_lock(fd);
        if (lock != hold_lock::busy && names_file(*path, fd)) {
            *hold = fd;
            return os_dir_status::ok;
        }
        close(fd);
    }
    return os_dir_status::exists;
}

void os_file_hold_release(int hold)
{
    if (hold >= 0)
        close(hold);
}

void os_file_remove_unheld(const std::string &prefix, const std::string &suffix)
{
    auto [dir, last] = os_path_split(prefix);
    DIR *d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return;
    std::vector<std::string> found;
    while (dirent *e = readdir(d))
        if (held_name(e->d_name, last, suffix))
            found.push_back(dir + e->d_name);
    closedir(d);
    for (const std::string &path : found)
        remove_when_unheld(path);
}

os_dir_status os_file_create_new(const std::string &path)
{
    int fd = open_retrying(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0)
        return status_now();
    close(fd);
    return os_dir_status::ok;
}

os_dir_status os_file_move(const std::string &from, const std::string &to)
{
    if (rename_keeping(from.c_str(), to.c_str()) == 0)
        return os_dir_status::ok;
    if (errno != EXDEV)
        return status_now();
    struct stat st;
    if (lstat(to.c_str(), &st) == 0)
        return os_dir_status::exists;
    return move_by_copy(from, to);
}

os_dir_status os_file_replace(const std::string &from, const std::string &to)
{
    struct stat st;
    if (stat(to.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        chmod(from.c_str(), st.st_mode & 07777);
    if (rename(from.c_str(), to.c_str()) != 0)
        return status_now();
    std::string dir = os_path_split(to).dir;
    int fd = open_retrying(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
    return os_dir_status::ok;
}

bool os_file_remove(const std::string &path)
{
    return unlink(path.c_str()) == 0 || errno == ENOENT;
}
