// A FUSE file system that passes a folder through and refuses, at the close,
// every open file that was written to: writes are taken, and the flush of a
// written file fails with the errno named on the command line, as an NFS
// client does when the server refuses its cached writes (quota used up, disk
// full, a failing disk). Opens that write nothing close cleanly. With ENOSYS
// it is a read-only file system of the kind that has no calls for changes
// (squashfuse): creates, deletes, renames and links answer ENOSYS. With
// UNLINK_EIO every close is clean and every delete fails with EIO instead.
// SLOW_EDQUOT refuses as EDQUOT does, but only after a flush of
// SLOW_FLUSH_SECONDS, as a slow network flush takes; HOLD_EDQUOT's flush
// lasts until a file named .release is in the folder (HOLD_LIMIT_SECONDS at
// most), as a server that does not answer. "flush begins" on standard error
// marks the start of each.
//
//   refusing_fs EDQUOT|ENOSPC|EIO|ENOSYS|UNLINK_EIO|SLOW_EDQUOT|HOLD_EDQUOT FOLDER MOUNTPOINT
//               [FUSE OPTIONS...]
//
// Runs single-threaded in the foreground (-f -s are added).
#define _GNU_SOURCE
#define FUSE_USE_VERSION 31

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static int refusal, unlink_refusal;
static char folder[PATH_MAX];

// The backing path of a name in the mount (which starts with '/').
static const char *backing(const char *name, char *out)
{
    snprintf(out, PATH_MAX, "%s%s", folder, name);
    return out;
}

// The open file: its descriptor and whether anything was written through it.
struct open_file {
    int fd;
    int written;
};

static struct open_file *file_of(struct fuse_file_info *fi)
{
    return (struct open_file *)(uintptr_t)fi->fh;
}

static int result(int r)
{
    return r < 0 ? -errno : r;
}

static int fs_getattr(const char *name, struct stat *st, struct fuse_file_info *fi)
{
    char p[PATH_MAX];
    if (fi)
        return result(fstat(file_of(fi)->fd, st));
    return result(lstat(backing(name, p), st));
}

static int fs_readdir(const char *name, void *buf, fuse_fill_dir_t fill, off_t offset,
                      struct fuse_file_info *fi, enum fuse_readdir_flags flags)
{
    (void)offset, (void)fi, (void)flags;
    char p[PATH_MAX];
    DIR *d = opendir(backing(name, p));
    if (!d)
        return -errno;
    for (struct dirent *e; (e = readdir(d));)
        fill(buf, e->d_name, NULL, 0, 0);
    closedir(d);
    return 0;
}

static int file_keep(int fd, struct fuse_file_info *fi)
{
    if (fd < 0)
        return -errno;
    struct open_file *f = calloc(1, sizeof *f);
    if (!f) {
        close(fd);
        return -ENOMEM;
    }
    f->fd = fd;
    fi->fh = (uint64_t)(uintptr_t)f;
    return 0;
}

static int fs_open(const char *name, struct fuse_file_info *fi)
{
    char p[PATH_MAX];
    return file_keep(open(backing(name, p), fi->flags & ~O_NOFOLLOW), fi);
}

static int fs_create(const char *name, mode_t mode, struct fuse_file_info *fi)
{
    char p[PATH_MAX];
    if (refusal == ENOSYS)
        return -ENOSYS;
    return file_keep(open(backing(name, p), fi->flags, mode), fi);
}

static int fs_read(const char *name, char *buf, size_t size, off_t at, struct fuse_file_info *fi)
{
    (void)name;
    return result((int)pread(file_of(fi)->fd, buf, size, at));
}

static int fs_write(const char *name, const char *buf, size_t size, off_t at,
                    struct fuse_file_info *fi)
{
    (void)name;
    file_of(fi)->written = 1;
    return result((int)pwrite(file_of(fi)->fd, buf, size, at));
}

// Slow flushes: SLOW_EDQUOT's length, HOLD_EDQUOT's limit, and which one
// this mount has (0 for none).
enum { SLOW_FLUSH_SECONDS = 4, HOLD_LIMIT_SECONDS = 60, SLOW = 1, HELD = 2 };
static int slow_flush;

static void flush_hold(void)
{
    char p[PATH_MAX];
    backing("/.release", p);
    for (int i = 0; i < HOLD_LIMIT_SECONDS * 20 && access(p, F_OK) != 0; i++)
        usleep(50000);
}

// The close(2) of a descriptor: where the refusal comes.
static int fs_flush(const char *name, struct fuse_file_info *fi)
{
    (void)name;
    if (!file_of(fi)->written)
        return 0;
    if (slow_flush)
        fprintf(stderr, "flush begins\n");
    if (slow_flush == SLOW)
        sleep(SLOW_FLUSH_SECONDS);
    if (slow_flush == HELD)
        flush_hold();
    return -refusal;
}

static int fs_release(const char *name, struct fuse_file_info *fi)
{
    (void)name;
    close(file_of(fi)->fd);
    free(file_of(fi));
    return 0;
}

static int fs_truncate(const char *name, off_t size, struct fuse_file_info *fi)
{
    char p[PATH_MAX];
    if (fi)
        return result(ftruncate(file_of(fi)->fd, size));
    return result(truncate(backing(name, p), size));
}

static int fs_unlink(const char *name)
{
    char p[PATH_MAX];
    if (refusal == ENOSYS)
        return -ENOSYS;
    return unlink_refusal ? -unlink_refusal : result(unlink(backing(name, p)));
}

// Also what an unlink of an open file becomes: a rename aside.
static int fs_rename(const char *from, const char *to, unsigned int flags)
{
    char p[PATH_MAX], q[PATH_MAX];
    if (refusal == ENOSYS)
        return -ENOSYS;
    return result(renameat2(AT_FDCWD, backing(from, p), AT_FDCWD, backing(to, q), flags));
}

static const struct fuse_operations operations = {
    .getattr = fs_getattr,
    .readdir = fs_readdir,
    .open = fs_open,
    .create = fs_create,
    .read = fs_read,
    .write = fs_write,
    .flush = fs_flush,
    .release = fs_release,
    .truncate = fs_truncate,
    .unlink = fs_unlink,
    .rename = fs_rename,
};

int main(int argc, char **argv)
{
    static const struct {
        const char *name;
        int value;
    } refusals[] = {{"EDQUOT", EDQUOT}, {"ENOSPC", ENOSPC}, {"EIO", EIO}, {"ENOSYS", ENOSYS}};
    for (size_t i = 0; argc >= 4 && i < sizeof refusals / sizeof refusals[0]; i++)
        if (strcmp(argv[1], refusals[i].name) == 0)
            refusal = refusals[i].value;
    if (argc >= 4 && strcmp(argv[1], "UNLINK_EIO") == 0)
        unlink_refusal = EIO;
    if (argc >= 4 && strcmp(argv[1], "SLOW_EDQUOT") == 0)
        slow_flush = SLOW, refusal = EDQUOT;
    if (argc >= 4 && strcmp(argv[1], "HOLD_EDQUOT") == 0)
        slow_flush = HELD, refusal = EDQUOT;
    if ((!refusal && !unlink_refusal) || !realpath(argv[2], folder)) {
        fprintf(stderr,
                "usage: refusing_fs EDQUOT|ENOSPC|EIO|ENOSYS|UNLINK_EIO|SLOW_EDQUOT|HOLD_EDQUOT FOLDER "
                "MOUNTPOINT [OPTIONS...]\n");
        return 2;
    }
    char *args[64] = {argv[0], argv[3], "-f", "-s"};
    int count = 4;
    for (int i = 4; i < argc && count < 63; i++)
        args[count++] = argv[i];
    return fuse_main(count, args, &operations, NULL);
}
