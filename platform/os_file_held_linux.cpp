#include "platform/os_file_held.h"

#include "platform/os_file_held_testing.h"
#include "platform/os_file_locks.h"

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
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

// open(2), close-on-exec, asked again when a signal interrupts it.
int open_uninterrupted(const char *path, int flags, mode_t mode = 0)
{
    int fd;
    do
        fd = open(path, flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
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
            return os_dir_status_of_errno(errno);
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

void os_file_held_place_set(const std::string &place)
{
    place_seam = place;
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
