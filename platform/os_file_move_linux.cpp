#include "platform/os_file_move.h"

#include "platform/case_fold.h"
#include "platform/os_file_locks.h"
#include "platform/os_files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <string_view>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

os_dir_status status_now()
{
    return os_dir_status_of_errno(errno);
}

// A failed copy, by errno: disk_full for a full disk or a used-up quota,
// else failed.
os_dir_status copy_failure()
{
    return status_now() == os_dir_status::disk_full ? os_dir_status::disk_full
                                                    : os_dir_status::failed;
}

// open(2), close-on-exec, asked again when a signal interrupts it.
int open_uninterrupted(const char *path, int flags, mode_t mode = 0)
{
    int fd;
    do
        fd = open(path, flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Copies every byte of in to out, retrying interrupted and partial transfers;
// false with errno on failure (ENOSPC where a write takes nothing).
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
            if (w == 0)
                errno = ENOSPC;
            if (w <= 0)
                return false;
            done += w;
        }
    }
}

// The last way, as mv -n takes it: from renamed once to is seen absent. A
// program that makes an entry named to between the check and the rename
// loses that entry (the rename replaces it); nothing else can happen between.
int rename_when_absent(const std::string &from, const std::string &to)
{
    struct stat st;
    if (lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    if (errno != ENOENT)
        return -1;
    return rename(from.c_str(), to.c_str());
}

// Where there are no hard links: to made exclusively as an empty file (an
// empty directory for a directory, which may be renamed only over an empty
// one) and from renamed over it. Where the placeholder cannot be made for
// another reason than a taken name, or the file system will not rename over
// it (rclone refuses a directory with EEXIST, fusefat with EPERM), the
// placeholder goes again and the last way is taken.
int rename_over_placeholder(const std::string &from, const std::string &to, bool directory)
{
    bool made;
    if (directory) {
        made = mkdir(to.c_str(), 0700) == 0;
    } else {
        int fd = open_uninterrupted(to.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        made = fd >= 0;
        if (made)
            close(fd);
    }
    if (!made)
        return errno == EEXIST ? -1 : rename_when_absent(from, to);
    if (rename(from.c_str(), to.c_str()) == 0)
        return 0;
    int err = errno;
    directory ? rmdir(to.c_str()) : unlink(to.c_str());
    if (err == ENOENT || err == EXDEV) { // from is gone, or lies elsewhere
        errno = err;
        return -1;
    }
    return rename_when_absent(from, to);
}

// The rename where the file system has no RENAME_NOREPLACE (FUSE): a hard
// link under to and the removal of from, else over a placeholder. A link
// refused as such (EPERM, ENOSYS or EOPNOTSUPP: FAT, exFAT) leaves the
// placeholder. A link that fails in any other way (EIO on rclone, EXDEV where
// a union file system links only within one branch) tells of a file system
// that may still be writing out a new empty file after its close has
// returned, as rclone does, and may so empty or drop a file renamed over it:
// there the last way is taken (and where the rename is refused across file
// systems too, the caller copies).
int rename_without_flag(const std::string &from, const std::string &to)
{
    struct stat st;
    if (lstat(from.c_str(), &st) != 0)
        return -1;
    bool directory = S_ISDIR(st.st_mode);
    if (!directory) {
        if (link(from.c_str(), to.c_str()) == 0) {
            if (unlink(from.c_str()) == 0)
                return 0;
            int err = errno;
            unlink(to.c_str());
            errno = err;
            return -1;
        }
        if (errno == EEXIST || errno == ENOENT) // taken, or from is gone
            return -1;
        if (errno != EPERM && errno != ENOSYS && errno != EOPNOTSUPP)
            return rename_when_absent(from, to);
    }
    return rename_over_placeholder(from, to, directory);
}

// True when to differs from from in the letter case of its last part alone,
// in the same directory, and no entry there is spelt as to: the name reaches
// from's entry only because the directory ignores case. (A FUSE file system
// may number the two spellings as two files, so inode numbers cannot tell.)
bool case_only_rename(const std::string &from, const std::string &to)
{
    auto [from_dir, from_last] = os_path_split(from);
    auto [to_dir, to_last] = os_path_split(to);
    if (from_dir != to_dir || from_last == to_last ||
        !case_fold_equal(from_last, to_last))
        return false;
    DIR *d = opendir(to_dir.empty() ? "." : to_dir.c_str());
    if (!d)
        return false;
    bool spelt = false;
    while (dirent *e = readdir(d))
        spelt = spelt || to_last == e->d_name;
    closedir(d);
    return !spelt;
}

// The move across file systems: a flushed copy under a temporary name beside
// to, renamed into place.
os_dir_status move_by_copy(const std::string &from, const std::string &to)
{
    int in = open_uninterrupted(from.c_str(), O_RDONLY);
    if (in < 0)
        return status_now();
    std::string temporary;
    int out = -1;
    for (int i = 0; out < 0 && i < 100; i++) {
        temporary = to + ".move" + std::to_string(getpid()) + "_" + std::to_string(i);
        out = open_uninterrupted(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (out < 0 && errno != EEXIST)
            break;
    }
    os_dir_status result = out < 0 ? status_now() : os_dir_status::ok;
    if (out >= 0) {
        // The copy keeps the file's permission bits where the file system
        // takes them (a read-only file stays read-only): one that refuses
        // some (set-group-ID on exFAT) gets the rest, one that takes none
        // (FAT) keeps its own.
        struct stat st;
        if (fstat(in, &st) == 0 && fchmod(out, st.st_mode & 07777) != 0)
            fchmod(out, st.st_mode & 0777);
        // A full disk may show at the write, the flush or the close.
        if (!bytes_copy(in, out) || fsync(out) != 0)
            result = copy_failure();
        if (close(out) != 0 && result == os_dir_status::ok)
            result = copy_failure();
        if (result == os_dir_status::ok && os_path_rename_keeping(temporary, to) != 0)
            result = status_now();
        if (result != os_dir_status::ok)
            unlink(temporary.c_str());
    }
    close(in);
    if (result == os_dir_status::ok)
        unlink(from.c_str());
    return result;
}

// This machine's name, which the check value of a held file's name covers.
const std::string &machine_name()
{
    static const std::string name = [] {
        char text[256] = {};
        return gethostname(text, sizeof text - 1) == 0 ? std::string(text) : std::string();
    }();
    return name;
}

std::string place_seam; // see os_file_held_place_set

// Where this process runs, beyond the machine: its boot and its PID
// namespace, as a text; empty when either cannot be read. A process number
// means one process only there: another namespace under the same host name
// (a sandbox, a container) or another boot numbers its processes anew.
std::string process_place()
{
    if (!place_seam.empty())
        return place_seam;
    static const std::string boot = [] {
        char text[64] = {};
        FILE *f = fopen("/proc/sys/kernel/random/boot_id", "re");
        bool read = f && fgets(text, sizeof text, f);
        if (f)
            fclose(f);
        std::string id = read ? text : "";
        while (!id.empty() && id.back() == '\n')
            id.pop_back();
        return id;
    }();
    // Asked each time: a process forked into another namespace keeps the
    // memory of its parent.
    struct stat ns;
    if (boot.empty() || stat("/proc/self/ns/pid", &ns) != 0)
        return {};
    return boot + "/" + std::to_string(ns.st_ino);
}

// The held files this process holds: hold descriptor and the unique part of
// the name.
std::vector<std::pair<int, std::string>> held_here;

bool held_here_has(std::string_view unique)
{
    return std::any_of(held_here.begin(), held_here.end(),
                       [&](const auto &h) { return h.second == unique; });
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

// A held file found beside a target.
struct held_file {
    std::string path;
    std::string unique; // the maker's process number, '-', its count
    pid_t pid = 0;      // the maker's process number where it ran in this
                        // process's place (machine, boot, PID namespace), else 0
};

// True while the maker of a file made in this process's place runs; for
// this process's own file, while it holds it. (A process that has taken a
// leftover's number since keeps the leftover until it ends too.)
bool maker_runs(const held_file &file)
{
    if (file.pid <= 0)
        return false;
    if (file.pid == getpid())
        return held_here_has(file.unique);
    return kill(file.pid, 0) == 0 || errno != ESRCH;
}

// A check value of a held file's name: FNV-1a over the target's last part,
// the unique part and where the maker ran (its machine name, then also its
// place), as eight lowercase hexadecimal digits. Files made before the
// machine name was covered have the value without it (an empty text).
std::string check_value(std::string_view last, std::string_view unique, std::string_view machine)
{
    uint32_t h = 2166136261u;
    auto mix = [&](std::string_view t) {
        for (unsigned char c : t)
            h = (h ^ c) * 16777619u;
    };
    mix(last);
    mix("/");
    mix(unique);
    if (!machine.empty()) {
        mix("/");
        mix(machine);
    }
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

// The second check value of a held file's name, over the machine name and a
// place: it is the one this process's place gives only where the maker ran
// in that place.
std::string place_check(std::string_view last, std::string_view unique, const std::string &place)
{
    return check_value(last, unique, machine_name() + "/" + place);
}

// The held file name for the target's last part and a unique part, the last
// part cut short (never inside a UTF-8 sequence) where the whole would pass
// limit.
std::string held_name_make(const std::string &last, const std::string &unique, size_t limit)
{
    std::string tail = "." + unique + "-" + check_value(last, unique, machine_name()) + "-" +
                       place_check(last, unique, process_place()) + std::string(HELD_SUFFIX);
    size_t keep = last.size();
    if (keep + tail.size() > limit) {
        keep = limit > tail.size() ? limit - tail.size() : 0;
        while (keep > 0 && (uint8_t(last[keep]) & 0xC0) == 0x80)
            --keep;
    }
    return last.substr(0, keep) + tail;
}

// Splits "-" and a check value off the end of name into *check.
bool check_split(std::string_view *name, std::string_view *check)
{
    if (name->size() < CHECK_DIGITS + 1 || (*name)[name->size() - CHECK_DIGITS - 1] != '-')
        return false;
    *check = name->substr(name->size() - CHECK_DIGITS);
    name->remove_suffix(CHECK_DIGITS + 1);
    return true;
}

// The unique part of a name's start (a start of last, '.', digits, '-',
// digits), or an empty text.
std::string_view unique_split(std::string_view name, std::string_view last)
{
    auto digits = [](std::string_view t) {
        return !t.empty() && t.find_first_not_of("0123456789") == std::string_view::npos;
    };
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || !last.starts_with(name.substr(0, dot)))
        return {};
    std::string_view unique = name.substr(dot + 1);
    size_t dash = unique.find('-');
    if (dash == std::string_view::npos || !digits(unique.substr(0, dash)) ||
        !digits(unique.substr(dash + 1)))
        return {};
    return unique;
}

// True for a name that os_file_create_held made for the target's last part:
// its unique part, the check value over the part, those numbers and the
// machine name, then the one that covers the place too, and ".tmp"; or, in
// names made before they covered the place, one check value over the machine
// name or (older still) over none. file gets the unique part and, where the
// maker ran in this process's place, its process number (else 0).
bool held_name(std::string_view name, std::string_view last, held_file *file)
{
    file->pid = 0;
    if (!name.ends_with(HELD_SUFFIX))
        return false;
    name.remove_suffix(HELD_SUFFIX.size());
    std::string_view place, check;
    if (!check_split(&name, &place))
        return false;
    std::string_view start = name;
    std::string_view unique;
    if (check_split(&start, &check) && !(unique = unique_split(start, last)).empty() &&
        check == check_value(last, unique, machine_name())) {
        file->unique = unique;
        // A number too large for a process number leaves 0.
        const std::string here = process_place();
        if (!here.empty() && place == place_check(last, unique, here))
            std::from_chars(unique.data(), unique.data() + unique.find('-'), file->pid);
        return true;
    }
    unique = unique_split(name, last);
    file->unique = unique;
    return !unique.empty() && (place == check_value(last, unique, machine_name()) ||
                               place == check_value(last, unique, ""));
}

// Removes the file when it is a regular file nobody holds. A file whose
// maker runs in this process's place stays, whatever a lock says: the maker
// may have found no lock service where the remover finds one. Otherwise the
// remover's lock stays until the removal is done: no maker holds the file in
// between, and another remover cannot lock it, so the name still names the
// file checked. Where the file system gives no locks, a file made in this
// place goes once its maker has ended; one made elsewhere (another machine,
// boot or PID namespace, or by a maker before names told the place) stays.
void remove_when_unheld(const held_file &file)
{
    if (maker_runs(file))
        return;
    int fd = open_uninterrupted(file.path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        os_lock_answer lock = os_hold_lock_take(fd);
        bool unheld = lock == os_lock_answer::taken ||
                      (lock == os_lock_answer::unsupported && file.pid > 0);
        if (unheld && names_file(file.path, fd))
            unlink(file.path.c_str());
    }
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
        int fd = open_uninterrupted(path->c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return status_now();
        }
        // A remover may have locked and removed the file before the hold was
        // taken; it is then not this maker's, and another name is tried.
        // Without locks no remover can lock it either: the file is removed
        // only once this process has ended.
        os_lock_answer lock = os_hold_lock_take(fd);
        if (lock != os_lock_answer::busy && names_file(*path, fd)) {
            held_here.emplace_back(fd, unique);
            *hold = fd;
            return os_dir_status::ok;
        }
        close(fd);
    }
    return os_dir_status::exists;
}

void os_file_hold_release(int hold)
{
    if (hold < 0)
        return;
    std::erase_if(held_here, [&](const auto &h) { return h.first == hold; });
    close(hold);
}

void os_file_held_place_set(const std::string &place)
{
    place_seam = place;
}

void os_file_remove_unheld(const std::string &target)
{
    auto [dir, last] = os_path_split(target);
    if (last.empty())
        return;
    DIR *d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return;
    std::vector<held_file> found;
    while (dirent *e = readdir(d)) {
        held_file file;
        if (held_name(e->d_name, last, &file)) {
            file.path = dir + e->d_name;
            found.push_back(std::move(file));
        }
    }
    closedir(d);
    for (const held_file &file : found)
        remove_when_unheld(file);
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
    int fd = open_uninterrupted(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0)
        return status_now();
    close(fd);
    return os_dir_status::ok;
}

int os_path_rename_keeping(const std::string &from, const std::string &to)
{
    int r = renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (r != 0 && (errno == EINVAL || errno == ENOSYS))
        r = rename_without_flag(from, to);
    if (r != 0 && errno == EEXIST) {
        if (case_only_rename(from, to))
            return rename(from.c_str(), to.c_str());
        errno = EEXIST;
    }
    return r;
}

os_dir_status os_file_move(const std::string &from, const std::string &to)
{
    if (os_path_rename_keeping(from, to) == 0)
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
    int fd = open_uninterrupted(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
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

std::string os_file_held_name_make(const std::string &last, const std::string &unique,
                                   size_t limit)
{
    return held_name_make(last, unique, limit);
}

bool os_file_held_name_read(std::string_view name, std::string_view last, int *maker)
{
    held_file file;
    bool held = held_name(name, last, &file);
    *maker = file.pid;
    return held;
}
