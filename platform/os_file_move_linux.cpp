#include "platform/os_file_move.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string_view>
#include <sys/file.h>
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

enum class hold_lock { taken, busy, unsupported };

// Takes the whole-file lock of a hold (shared) or of a remover (exclusive)
// through fd without waiting: busy when a conflicting one is held, unsupported
// where the file system keeps no such locks.
hold_lock hold_lock_take(int fd, bool exclusive)
{
    int r;
    do
        r = flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB);
    while (r != 0 && errno == EINTR);
    if (r == 0)
        return hold_lock::taken;
    return errno == EWOULDBLOCK ? hold_lock::busy : hold_lock::unsupported;
}

// True while path still names the file open as fd.
bool names_file(const std::string &path, int fd)
{
    struct stat named, open_file;
    return lstat(path.c_str(), &named) == 0 && fstat(fd, &open_file) == 0 &&
           named.st_dev == open_file.st_dev && named.st_ino == open_file.st_ino;
}

constexpr std::string_view HELD_SUFFIX = ".tmp";
constexpr size_t CHECK_DIGITS = 8;

// The check value of a held file's name: FNV-1a over the target's last part
// and the unique part, as eight lowercase hexadecimal digits.
std::string check_value(std::string_view last, std::string_view unique)
{
    uint32_t h = 2166136261u;
    auto mix = [&](std::string_view t) {
        for (unsigned char c : t)
            h = (h ^ c) * 16777619u;
    };
    mix(last);
    mix("/");
    mix(unique);
    char digits[CHECK_DIGITS + 1];
    snprintf(digits, sizeof digits, "%08x", h);
    return digits;
}

// The longest name the directory takes.
size_t name_limit(const std::string &dir)
{
    long limit = pathconf(dir.empty() ? "." : dir.c_str(), _PC_NAME_MAX);
    return limit > 0 ? size_t(limit) : NAME_MAX;
}

// The held file name for the target's last part and a unique part, the last
// part cut short (never inside a UTF-8 sequence) where the whole would pass
// limit.
std::string held_name_make(const std::string &last, const std::string &unique, size_t limit)
{
    std::string tail = "." + unique + "-" + check_value(last, unique) + std::string(HELD_SUFFIX);
    size_t keep = last.size();
    if (keep + tail.size() > limit) {
        keep = limit > tail.size() ? limit - tail.size() : 0;
        while (keep > 0 && (uint8_t(last[keep]) & 0xC0) == 0x80)
            --keep;
    }
    return last.substr(0, keep) + tail;
}

// True for a name that os_file_create_held made for the target's last part:
// a start of that part, '.', digits, '-', digits, '-', the check value of the
// part and those numbers, and ".tmp".
bool held_name(std::string_view name, std::string_view last)
{
    auto digits = [](std::string_view t) {
        return !t.empty() && t.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (!name.ends_with(HELD_SUFFIX))
        return false;
    name.remove_suffix(HELD_SUFFIX.size());
    if (name.size() < CHECK_DIGITS + 1 || name[name.size() - CHECK_DIGITS - 1] != '-')
        return false;
    std::string_view check = name.substr(name.size() - CHECK_DIGITS);
    name.remove_suffix(CHECK_DIGITS + 1);
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || !last.starts_with(name.substr(0, dot)))
        return false;
    std::string_view unique = name.substr(dot + 1);
    size_t dash = unique.find('-');
    return dash != std::string_view::npos && digits(unique.substr(0, dash)) &&
           digits(unique.substr(dash + 1)) && check == check_value(last, unique);
}

// Removes path when it is a regular file nobody holds. The exclusive lock
// stays until the removal is done: no maker holds the file in between, and
// another remover cannot lock it, so the name still names the file checked.
void remove_when_unheld(const std::string &path)
{
    int fd = open_retrying(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        hold_lock_take(fd, true) == hold_lock::taken && names_file(path, fd))
        unlink(path.c_str());
    close(fd);
}

std::atomic<uint64_t> held_files_made{0};

} // namespace

os_dir_status os_file_create_held(const std::string &target, std::string *path, int *hold)
{
    *hold = -1;
    auto [dir, last] = os_path_split(target);
    size_t limit = name_limit(dir);
    if (last.size() > limit)
        return os_dir_status::bad_name; // the target itself cannot be named
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string unique = std::to_string(getpid()) + "-" + std::to_string(held_files_made++);
        *path = dir + held_name_make(last, unique, limit);
        int fd = open_retrying(path->c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return status_now();
        }
        // A remover may have locked and removed the file before the hold was
        // taken; it is then not this maker's, and another name is tried.
        // Without such locks no remover can lock it either: it stays unheld.
        hold_lock lock = hold_lock_take(fd, false);
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

void os_file_remove_unheld(const std::string &target)
{
    auto [dir, last] = os_path_split(target);
    if (last.empty())
        return;
    DIR *d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return;
    std::vector<std::string> found;
    while (dirent *e = readdir(d))
        if (held_name(e->d_name, last))
            found.push_back(dir + e->d_name);
    closedir(d);
    for (const std::string &path : found)
        remove_when_unheld(path);
}

std::string os_path_link_target(const std::string &path)
{
    std::string name = path;
    for (int links = 0; links <= 40; ++links) {
        struct stat st;
        if (lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return name;
        std::vector<char> text(size_t(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        ssize_t n = readlink(name.c_str(), text.data(), text.size());
        if (n <= 0 || size_t(n) >= text.size())
            return {};
        std::string target(text.data(), size_t(n));
        name = target[0] == '/' ? target : os_path_split(name).dir + target;
    }
    return {};
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
    // Only a regular file is replaced: a device or a pipe keeps its node.
    struct stat st;
    if (stat(to.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return os_dir_status::access_denied;
        chmod(from.c_str(), st.st_mode & 07777);
    }
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
