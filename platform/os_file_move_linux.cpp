#include "platform/os_file_move.h"

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

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

} // namespace

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
