#include "platform/os_file_move.h"

#include "platform/case_fold.h"
#include "platform/os_files.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
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

// True when the entries a and b may be one file: on one device, of one kind,
// size and last change of the bytes. (A FUSE file system may number each
// name as a file of its own, so inode numbers alone cannot tell.)
bool alike(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_mode == b.st_mode && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// True when err is the file system's plain refusal of a step: nothing was
// done, and the name it was asked of is there as it was.
bool refused(int err)
{
    return err == EACCES || err == EPERM || err == EBUSY || err == EROFS;
}

// The lstat of path as the file system itself answers it: a FUSE kernel keeps
// the attributes of a name it has looked up for a while, and after a step
// whose answer was wrong (done but answered EIO) they are stale.
bool fresh_lstat(const std::string &path, struct stat *st)
{
    struct statx x;
    if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW | AT_STATX_FORCE_SYNC, STATX_BASIC_STATS,
              &x) != 0)
        return errno == ENOSYS && lstat(path.c_str(), st) == 0;
    *st = {};
    st->st_dev = makedev(x.stx_dev_major, x.stx_dev_minor);
    st->st_ino = x.stx_ino;
    st->st_mode = x.stx_mode;
    st->st_nlink = x.stx_nlink;
    st->st_size = off_t(x.stx_size);
    st->st_mtim.tv_sec = x.stx_mtime.tv_sec;
    st->st_mtim.tv_nsec = x.stx_mtime.tv_nsec;
    return true;
}

// Whether the file system lists a name: listed, absent, or unknown where its
// directory cannot be read.
enum class listing { listed, absent, unknown };

// The name's entry as its directory lists it. A directory read goes to the
// file system each time, where a lookup of the name may meet an entry the
// kernel keeps (FUSE) that a step answered wrongly has left stale. A name
// spelt otherwise than listed (a case-blind local folder finds it all the
// same) counts where the entry listed in another letter case is the file the
// name reaches; not on FUSE, where names come spelt as listed (see
// os_path_listed) and the lookup might meet a stale entry.
listing listed(const std::string &path)
{
    auto [dir, last] = os_path_split(path);
    DIR *d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return listing::unknown;
    bool found = false, failed = false;
    std::string spelt_otherwise;
    while (!found && !failed) {
        errno = 0;
        dirent *e = readdir(d);
        failed = !e && errno != 0;
        if (!e)
            break;
        found = last == e->d_name;
        if (!found && spelt_otherwise.empty() && case_fold_equal(last, e->d_name))
            spelt_otherwise = e->d_name;
    }
    struct stat entry, name;
    struct statfs fs;
    if (!found && !failed && !spelt_otherwise.empty() && fstatfs(dirfd(d), &fs) == 0 &&
        fs.f_type != FUSE_SUPER_MAGIC)
        found = fstatat(dirfd(d), spelt_otherwise.c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0 &&
                lstat(path.c_str(), &name) == 0 && entry.st_dev == name.st_dev &&
                entry.st_ino == name.st_ino;
    closedir(d);
    return found ? listing::listed : failed ? listing::unknown : listing::absent;
}

// What a step that was to take the name from away (its removal, or its
// rename to to) did, where it answered failure err: the file system still
// lists from (or refused the step), lists it no more, or cannot tell.
listing old_name_after(const std::string &from, int err)
{
    return refused(err) ? listing::listed : listed(from);
}

// True when to holds the file was (by the file system's own attributes).
bool holds(const std::string &to, const struct stat &was)
{
    struct stat st;
    return listed(to) == listing::listed && fresh_lstat(to, &st) && alike(st, was);
}

// True where a rename of the file was (its lstat) from the name from to to
// failed with err but was done all the same (a lost reply, or EIO from a FUSE
// daemon): the file system lists from no more and to holds the file. errno
// stays err.
bool moved_all_the_same(const std::string &from, const std::string &to, const struct stat &was,
                        int err)
{
    const bool done = err != EXDEV && err != EEXIST &&
                      old_name_after(from, err) == listing::absent && holds(to, was);
    errno = err;
    return done;
}

// The last way, as mv -n takes it: from (whose lstat is was) renamed once to
// is seen absent. A program that makes an entry named to between the check
// and the rename loses that entry (the rename replaces it); nothing else can
// happen between.
int rename_when_absent(const std::string &from, const std::string &to, const struct stat &was)
{
    struct stat st;
    if (lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    if (errno != ENOENT)
        return -1;
    return rename(from.c_str(), to.c_str()) == 0 || moved_all_the_same(from, to, was, errno) ? 0
                                                                                             : -1;
}

// After from was linked as to, the removal of from failed with err. Where
// from is gone and to holds the file (a lost reply, or another program
// removed from), the move is done (0). to goes again only where from is
// certainly still there and both name one file; where the file system cannot
// tell, both names stay and the rename is refused (EACCES).
int link_undone(const std::string &from, const std::string &to, const struct stat &was_from,
                int err)
{
    const listing old_name = old_name_after(from, err);
    if (old_name == listing::absent && holds(to, was_from))
        return 0;
    if (old_name != listing::listed) {
        errno = EACCES;
        return -1;
    }
    struct stat from_now, to_now;
    if (fresh_lstat(from, &from_now) && fresh_lstat(to, &to_now) && alike(from_now, to_now) &&
        (from_now.st_ino == to_now.st_ino || (from_now.st_nlink > 1 && to_now.st_nlink > 1)))
        unlink(to.c_str());
    errno = err;
    return -1;
}

// Removes the placeholder at to (made: its stat when made) while it is the
// entry made and still empty (rmdir removes an empty directory only); true
// when it went.
bool placeholder_remove(const std::string &to, const struct stat &made)
{
    struct stat now;
    if (!fresh_lstat(to, &now) || now.st_dev != made.st_dev || now.st_ino != made.st_ino ||
        (now.st_mode & S_IFMT) != (made.st_mode & S_IFMT))
        return false;
    if (S_ISDIR(now.st_mode))
        return rmdir(to.c_str()) == 0;
    return now.st_size == 0 && unlink(to.c_str()) == 0;
}

// Makes the placeholder to as an empty file (an empty directory where
// directory), exclusively; true with *made its stat. A file's stat comes from
// the descriptor of its create; a directory whose stat cannot be had goes
// again (rmdir removes only an empty one).
bool placeholder_make(const std::string &to, bool directory, struct stat *made)
{
    if (directory) {
        if (mkdir(to.c_str(), 0700) != 0)
            return false;
        if (lstat(to.c_str(), made) == 0)
            return true;
        int err = errno;
        rmdir(to.c_str());
        errno = err;
        return false;
    }
    int fd = open_uninterrupted(to.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        return false;
    bool known = fstat(fd, made) == 0;
    int err = errno;
    close(fd);
    errno = err;
    return known;
}

// Where there are no hard links: to made exclusively as an empty file (an
// empty directory for a directory, which may be renamed only over an empty
// one) and from (whose lstat is was_from) renamed over it. Where the
// placeholder cannot be made for another reason than a taken name, or the
// file system will not rename over it (rclone refuses a directory with
// EEXIST, fusefat with EPERM), the placeholder goes again and the last way is
// taken. Where the failed rename was done all the same, to holds from's
// file: the move is done. The placeholder goes only while from is still
// listed, or is gone and the placeholder still the empty entry made; where
// the file system cannot tell, both names stay (EACCES).
int rename_over_placeholder(const std::string &from, const std::string &to,
                            const struct stat &was_from)
{
    struct stat placeholder;
    if (!placeholder_make(to, S_ISDIR(was_from.st_mode), &placeholder))
        return errno == EEXIST ? -1 : rename_when_absent(from, to, was_from);
    if (rename(from.c_str(), to.c_str()) == 0)
        return 0;
    const int err = errno;
    const listing old_name = old_name_after(from, err);
    if (old_name == listing::absent && holds(to, was_from))
        return 0;
    if (old_name == listing::unknown) {
        errno = EACCES;
        return -1;
    }
    if (!placeholder_remove(to, placeholder) || err == ENOENT || err == EXDEV ||
        old_name == listing::absent) {
        // Another entry in the placeholder's place, from gone, or from
        // lying elsewhere.
        errno = old_name == listing::absent ? ENOENT : err;
        return -1;
    }
    return rename_when_absent(from, to, was_from);
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
int rename_without_flag(const std::string &from, const std::string &to, const struct stat &st)
{
    if (!S_ISDIR(st.st_mode)) {
        if (link(from.c_str(), to.c_str()) == 0)
            return unlink(from.c_str()) == 0 ? 0 : link_undone(from, to, st, errno);
        if (errno == EEXIST || errno == ENOENT) // taken, or from is gone
            return -1;
        if (errno != EPERM && errno != ENOSYS && errno != EOPNOTSUPP)
            return rename_when_absent(from, to, st);
    }
    return rename_over_placeholder(from, to, st);
}

// True when to differs from from in the letter case of its last part alone,
// in the same directory.
bool case_only_change(const std::string &from, const std::string &to)
{
    auto [from_dir, from_last] = os_path_split(from);
    auto [to_dir, to_last] = os_path_split(to);
    return from_dir == to_dir && from_last != to_last && case_fold_equal(from_last, to_last);
}

// True when the directory lists any entry but "." and "..", or cannot be read.
bool holds_entries(const std::string &dir)
{
    DIR *d = opendir(dir.c_str());
    if (!d)
        return true;
    bool holds = false;
    for (dirent *e; !holds && (e = readdir(d));)
        holds = std::string_view(e->d_name) != "." && std::string_view(e->d_name) != "..";
    closedir(d);
    return holds;
}

// The type of the mounted file system that holds the entry st, as
// /proc/self/mountinfo names it ("fuse.fusefat"); empty when not found.
std::string mount_type(const struct stat &st)
{
    FILE *f = fopen("/proc/self/mountinfo", "re");
    if (!f)
        return {};
    std::string device = std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
    std::string type;
    char line[4096];
    while (type.empty() && fgets(line, sizeof line, f)) {
        // "ID PARENT MAJOR:MINOR ROOT MOUNTPOINT OPTIONS... - TYPE SOURCE ..."
        char id[32], parent[32], numbers[32], fs_type[256];
        const char *separator = strstr(line, " - ");
        if (separator && sscanf(line, "%31s %31s %31s", id, parent, numbers) == 3 &&
            device == numbers && sscanf(separator + 3, "%255s", fs_type) == 1)
            type = fs_type;
    }
    fclose(f);
    return type;
}

// True where the file system's own rename is known to lose data: fusefat
// frees the clusters of a folder renamed while it holds entries, and those
// of a file renamed to another letter case of its name. Asked of FUSE mounts
// only, and only for such renames.
bool rename_loses_data(const std::string &from, const std::string &to)
{
    struct stat st;
    if (lstat(from.c_str(), &st) != 0 || (!S_ISDIR(st.st_mode) && !case_only_change(from, to)))
        return false;
    struct statfs fs;
    if (statfs(from.c_str(), &fs) != 0 || fs.f_type != FUSE_SUPER_MAGIC)
        return false;
    std::string type = mount_type(st);
    return (type == "fuse.fusefat" || type == "fuseblk.fusefat") &&
           (!S_ISDIR(st.st_mode) || holds_entries(from));
}

// True when to differs from from in the letter case of its last part alone,
// in the same directory, and no entry there is spelt as to: the name reaches
// from's entry only because the directory ignores case. (A FUSE file system
// may number the two spellings as two files, so inode numbers cannot tell.)
bool case_only_rename(const std::string &from, const std::string &to)
{
    if (!case_only_change(from, to))
        return false;
    auto [to_dir, to_last] = os_path_split(to);
    DIR *d = opendir(to_dir.empty() ? "." : to_dir.c_str());
    if (!d)
        return false;
    bool spelt = false;
    while (dirent *e = readdir(d))
        spelt = spelt || to_last == e->d_name;
    closedir(d);
    return !spelt;
}

// A flushed copy of the open file in under a temporary name beside to,
// renamed to to; *copy gets the copy's stat. On failure no temporary stays.
os_dir_status copy_to(int in, const std::string &to, struct stat *copy)
{
    std::string temporary;
    int out = -1;
    for (int i = 0; out < 0 && i < 100; i++) {
        temporary = to + ".move" + std::to_string(getpid()) + "_" + std::to_string(i);
        out = open_uninterrupted(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (out < 0 && errno != EEXIST)
            break;
    }
    if (out < 0)
        return status_now();
    // The copy keeps the file's permission bits where the file system takes
    // them (a read-only file stays read-only): one that refuses some
    // (set-group-ID on exFAT) gets the rest, one that takes none (FAT) keeps
    // its own.
    struct stat st;
    if (fstat(in, &st) == 0 && fchmod(out, st.st_mode & 07777) != 0)
        fchmod(out, st.st_mode & 0777);
    // A full disk may show at the write, the flush or the close.
    os_dir_status result = os_dir_status::ok;
    if (!bytes_copy(in, out) || fsync(out) != 0 || fstat(out, copy) != 0)
        result = copy_failure();
    if (close(out) != 0 && result == os_dir_status::ok)
        result = copy_failure();
    if (result == os_dir_status::ok && os_path_rename_keeping(temporary, to) != 0)
        result = status_now();
    if (result != os_dir_status::ok)
        unlink(temporary.c_str());
    return result;
}

// The move across file systems: a copy, then the removal of from. Where from
// is certainly still there (a refusal, as of a read-only file system, or the
// file system lists it), the copy goes again, while it is still the one
// made, and the move is refused with access_denied, as mv says it cannot
// remove; where from is gone all the same, the move is done; where the file
// system cannot tell, both names stay (access_denied).
os_dir_status move_by_copy(const std::string &from, const std::string &to)
{
    int in = open_uninterrupted(from.c_str(), O_RDONLY);
    if (in < 0)
        return status_now();
    struct stat copy;
    os_dir_status result = copy_to(in, to, &copy);
    close(in);
    if (result != os_dir_status::ok || unlink(from.c_str()) == 0)
        return result;
    const listing old_name = old_name_after(from, errno);
    if (old_name == listing::absent)
        return os_dir_status::ok;
    struct stat now;
    if (old_name == listing::listed && fresh_lstat(to, &now) && alike(now, copy))
        unlink(to.c_str());
    return os_dir_status::access_denied;
}

} // namespace

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
    if (rename_loses_data(from, to)) {
        errno = EPERM;
        return -1;
    }
    struct stat was;
    if (lstat(from.c_str(), &was) != 0)
        return -1;
    int r = renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (r != 0 && (errno == EINVAL || errno == ENOSYS))
        r = rename_without_flag(from, to, was);
    else if (r != 0 && moved_all_the_same(from, to, was, errno))
        return 0;
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

bool os_name_gone_after(const std::string &path, int err)
{
    const bool gone = old_name_after(path, err) == listing::absent;
    errno = err;
    return gone;
}

bool os_file_remove(const std::string &path)
{
    return unlink(path.c_str()) == 0 || errno == ENOENT;
}
