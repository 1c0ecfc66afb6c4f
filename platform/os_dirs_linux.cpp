#include "platform/os_dirs.h"

#include "platform/case_fold.h"
#include "platform/os_file_locks.h"
#include "platform/os_file_move.h"
#include "platform/os_files.h"
#include "platform/wildcard.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace
{

constexpr mode_t WRITE_BITS = S_IWUSR | S_IWGRP | S_IWOTH;

os_dir_status result_of(int r)
{
    return r == 0 ? os_dir_status::ok : os_dir_status_of_errno(errno);
}

// True when dir holds an entry equal to name ignoring letter case that is not
// the file `self` (pass a null self to count every such entry), which dir
// lists as self_name when it lies there (else an empty text). The name tells
// where inode numbers cannot: a FUSE file system may number each spelling of
// one name as a file of its own.
bool name_taken_ignoring_case(const std::string &dir, const std::string &name,
                              const struct stat *self, const std::string &self_name = {})
{
    DIR *d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return false;
    bool taken = false;
    while (dirent *e = readdir(d)) {
        if (!case_fold_equal(e->d_name, name) || self_name == e->d_name)
            continue;
        struct stat st;
        if (self && fstatat(dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            st.st_dev == self->st_dev && st.st_ino == self->st_ino)
            continue;
        taken = true;
        break;
    }
    closedir(d);
    return taken;
}

// The share-lock probe of a delete or rename: true when no open file holds the
// file, by its share lock or, in this process, by its name in any spelling
// (this process's own table decides that, where a mount may show nothing of
// the open). Held exclusively until fd is closed, so no new open can lock it
// meanwhile.
bool share_probe(const std::string &path, int *fd)
{
    *fd = -1;
    if (os_file_open_here(path))
        return false;
    *fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (*fd < 0)
        return true; // a link or an unreadable file: nothing to probe
    return os_share_lock_take(*fd, true);
}

// Runs action unless an open file holds path, else gives access_denied. The
// probe's lock lasts until action returns, except where the file system
// would only hide a file that is open when action removes it (see
// os_unlink_hides_open_file): there the probe is closed before action, so
// that a refused removal is not turned into a hidden name, and another
// process's open may come in between.
template <typename Action> os_dir_status unless_held(const std::string &path, Action action)
{
    int fd = -1;
    if (!share_probe(path, &fd)) {
        if (fd >= 0)
            close(fd);
        return os_dir_status::access_denied;
    }
    if (fd >= 0 && os_unlink_hides_open_file(path)) {
        close(fd);
        fd = -1;
    }
    os_dir_status result = action();
    if (fd >= 0)
        close(fd);
    return result;
}

bool directory_empty(const char *dir)
{
    DIR *d = opendir(dir);
    if (!d)
        return false;
    bool empty = true;
    while (dirent *e = readdir(d))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
            empty = false;
            break;
        }
    closedir(d);
    return empty;
}

// True when the directory target (whose lstat is st) is the current one: the
// same inode, or one name in another letter case (a FUSE file system may
// number each spelling of one name as a folder of its own, and the current
// directory may have been entered by another).
bool is_current_directory(const std::string &target, const struct stat &st)
{
    struct stat current;
    if (stat(".", &current) == 0 && st.st_dev == current.st_dev && st.st_ino == current.st_ino)
        return true;
    std::string here = os_current_directory();
    char *full = realpath(target.c_str(), nullptr);
    bool same = full && !here.empty() && os_names_one_file(full, here);
    free(full);
    return same;
}

// The rename itself, once the names are checked: in place, never replacing,
// within a file system; across file systems by copy and delete for a file.
os_dir_status rename_unheld(const std::string &from, const std::string &to, const struct stat &self)
{
    if (os_path_rename_keeping(from, to) == 0)
        return os_dir_status::ok;
    if (errno == EXDEV && S_ISREG(self.st_mode))
        return os_file_move(from, to);
    return os_dir_status_of_errno(errno);
}

} // namespace

os_path_parts os_path_split(const std::string &name)
{
    std::string::size_type slash = name.rfind('/');
    if (slash == std::string::npos)
        return {"", name};
    return {name.substr(0, slash + 1), name.substr(slash + 1)};
}

std::string os_path_resolve_parent(const std::string &name)
{
    auto [dir, last] = os_path_split(name);
    return dir.empty() ? last : os_path_resolve(dir) + last;
}

os_dir_status os_dir_list(const std::string &dir, std::string_view pattern,
                          std::vector<os_dir_entry> *entries)
{
    entries->clear();
    DIR *d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return os_dir_status_of_errno(errno);
    const wildcard_pattern wanted(pattern);
    while (dirent *e = readdir(d)) {
        if (!wanted.matches(e->d_name))
            continue;
        struct stat st;
        bool is_dir = fstatat(dirfd(d), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        entries->push_back({e->d_name, is_dir});
    }
    closedir(d);
    std::sort(entries->begin(), entries->end(), [](const os_dir_entry &a, const os_dir_entry &b) {
        int c = case_fold_compare(a.name, b.name);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return os_dir_status::ok;
}

os_dir_status os_file_delete(const std::string &path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return os_dir_status_of_errno(errno);
    if (S_ISDIR(st.st_mode))
        return os_dir_status::access_denied;
    if (S_ISREG(st.st_mode) && (st.st_mode & WRITE_BITS) == 0)
        return os_dir_status::access_denied;
    // The probe keeps its lock until the file is gone, so no open, in this
    // process or another, lands between the check and the delete, but where
    // the file system would only hide a file that is open (unless_held).
    // A removal answered as failed that the file system shows done is done.
    return unless_held(path, [&] {
        return unlink(path.c_str()) == 0 || os_name_gone_after(path, errno)
                   ? os_dir_status::ok
                   : os_dir_status_of_errno(errno);
    });
}

// A regular file that an open file holds is refused as a delete is: a rename
// under the holder would send its later writes to the new name. The probe
// keeps its exclusive lock until the rename is done, so no runtime open, in
// this process or another, takes the file in between (such an open is refused
// as a sharing conflict); where a removal of the old name would only hide an
// open file (FUSE, NFS, SMB), it is closed before the rename instead, and
// another process's open may come in between. Not covered: programs that
// take no share lock, and another file put under the old name between the
// probe and the rename (the probe then tested the file that was there
// before). Two probes of one file at the same moment each see the other as a
// holder, so a rename or delete may be refused once although no file is
// open, but a held file never goes.
os_dir_status os_path_rename(const std::string &from, const std::string &to)
{
    struct stat self;
    if (lstat(from.c_str(), &self) != 0)
        return os_dir_status_of_errno(errno);
    auto [dir, last] = os_path_split(to);
    if (last.empty())
        return os_dir_status::bad_name;
    auto [from_dir, from_last] = os_path_split(from);
    if (name_taken_ignoring_case(dir, last, &self, from_dir == dir ? from_last : std::string()))
        return os_dir_status::exists;
    if (!S_ISREG(self.st_mode))
        return rename_unheld(from, to, self);
    return unless_held(from, [&] { return rename_unheld(from, to, self); });
}

os_dir_status os_dir_make(const std::string &path)
{
    std::string target = os_path_resolve_parent(path);
    auto [dir, last] = os_path_split(target);
    if (!last.empty() && name_taken_ignoring_case(dir, last, nullptr))
        return os_dir_status::exists;
    return result_of(mkdir(target.c_str(), 0777));
}

os_dir_status os_dir_remove(const std::string &path)
{
    const std::string target = os_path_resolve(path);
    // The current directory is in use once it is empty: removing it would
    // leave every later relative name, and the current-directory query,
    // failing.
    struct stat st;
    if (lstat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && is_current_directory(target, st))
        return directory_empty(".") ? os_dir_status::access_denied : os_dir_status::not_empty;
    os_dir_status s = result_of(rmdir(target.c_str()));
    return s == os_dir_status::exists ? os_dir_status::not_empty : s;
}

os_dir_status os_dir_change(const std::string &path)
{
    return result_of(chdir(os_path_resolve(path).c_str()));
}

int64_t os_free_bytes(const std::string &dir)
{
    struct statvfs vfs;
    if (statvfs(dir.empty() ? "." : dir.c_str(), &vfs) != 0)
        return 0;
    unsigned __int128 bytes = static_cast<unsigned __int128>(vfs.f_bavail) * vfs.f_frsize;
    return bytes > INT64_MAX ? INT64_MAX : int64_t(bytes);
}

os_dir_status os_dir_status_of_errno(int err)
{
    switch (err) {
    case ENOENT:
        return os_dir_status::not_found;
    case ENOTDIR:
        return os_dir_status::path_not_found;
    case EEXIST:
        return os_dir_status::exists;
    case ENOTEMPTY:
        return os_dir_status::not_empty;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK:
    case ENOSYS: // a read-only FUSE file system without the call (squashfuse)
        return os_dir_status::access_denied;
    case EINVAL:
    case ENAMETOOLONG:
    case ELOOP:
        return os_dir_status::bad_name;
    case ENOSPC:
    case EDQUOT:
        return os_dir_status::disk_full;
    default:
        return os_dir_status::failed;
    }
}
