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
// The other modes pass everything through (links too) but a rename that
// must not replace (EINVAL, as many FUSE file systems answer), and go wrong
// for the name whose last part REFUSING_FS_FILE gives:
//   UNLINK_EACCES    its delete is refused, nothing done
//   UNLINK_DONE_EIO  its delete is done but answers EIO (a daemon that lost
//                    its backend's reply), and the name keeps answering
//                    lookups with the file's attributes (as a daemon that
//                    numbers inodes itself keeps the node of a name whose
//                    delete failed) while the folder lists it no more
//   RENAME_DONE_EIO  its links are refused (EPERM, as on FAT) and its rename
//                    is done but answers EIO
// How long the kernel keeps names and attributes is given by FUSE options
// (-o entry_timeout=600,attr_timeout=600); the words use_ino (inode numbers
// passed through) and hard_remove (a delete of an open file deletes it, where
// libfuse would hide it) among them set those of libfuse's own.
//
//   refusing_fs MODE FOLDER MOUNTPOINT [use_ino] [hard_remove] [FUSE OPTIONS...]
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
// The mode's fault, for the name faulty() tells, where it is one of the
// passing-through modes.
enum fault_kind { NO_FAULT, UNLINK_EACCES, UNLINK_DONE_EIO, RENAME_DONE_EIO };
static enum fault_kind fault;

// True when the name's last part is REFUSING_FS_FILE and the mode is f.
static int faulty(const char *name, enum fault_kind f)
{
    const char *file = getenv("REFUSING_FS_FILE");
    const char *slash = strrchr(name, '/');
    return fault == f && file && strcmp(slash ? slash + 1 : name, file) == 0;
}

// UNLINK_DONE_EIO: the name deleted and the file it stood for.
static char ghost_name[PATH_MAX];
static int ghost_fd = -1;

// A step done (r == 0) all the same answered EIO.
static int done_but_eio(int r)
{
    return r < 0 ? -errno : -EIO;
}

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
    if (ghost_fd >= 0 && strcmp(name, ghost_name) == 0)
        return result(fstat(ghost_fd, st));
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
    if (unlink_refusal || faulty(name, UNLINK_EACCES))
        return unlink_refusal ? -unlink_refusal : -EACCES;
    if (faulty(name, UNLINK_DONE_EIO)) {
        if (ghost_fd >= 0)
            close(ghost_fd);
        ghost_fd = open(backing(name, p), O_PATH | O_NOFOLLOW);
        snprintf(ghost_name, sizeof ghost_name, "%s", name);
        return done_but_eio(unlink(p));
    }
    return result(unlink(backing(name, p)));
}

// Also what an unlink of an open file becomes: a rename aside.
static int fs_rename(const char *from, const char *to, unsigned int flags)
{
    char p[PATH_MAX], q[PATH_MAX];
    if (refusal == ENOSYS)
        return -ENOSYS;
    if (fault != NO_FAULT && flags != 0)
        return -EINVAL;
    int r = renameat2(AT_FDCWD, backing(from, p), AT_FDCWD, backing(to, q), flags);
    return faulty(from, RENAME_DONE_EIO) ? done_but_eio(r) : result(r);
}

static int fs_link(const char *from, const char *to)
{
    char p[PATH_MAX], q[PATH_MAX];
    if (fault == NO_FAULT)
        return -ENOSYS;
    if (faulty(from, RENAME_DONE_EIO))
        return -EPERM;
    return result(link(backing(from, p), backing(to, q)));
}

static int use_ino, hard_remove;

static void *fs_init(struct fuse_conn_info *conn, struct fuse_config *config)
{
    (void)conn;
    config->use_ino = use_ino;
    config->hard_remove = hard_remove;
    return NULL;
}

static const struct fuse_operations operations = {
    .init = fs_init,
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
    .link = fs_link,
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
    static const char *const faults[] = {"", "UNLINK_EACCES", "UNLINK_DONE_EIO", "RENAME_DONE_EIO"};
    for (size_t i = 1; argc >= 4 && i < sizeof faults / sizeof faults[0]; i++)
        if (strcmp(argv[1], faults[i]) == 0)
            fault = (enum fault_kind)i;
    if ((!refusal && !unlink_refusal && !fault) || !realpath(argv[2], folder)) {
        fprintf(stderr, "usage: refusing_fs EDQUOT|ENOSPC|EIO|ENOSYS|UNLINK_EIO|SLOW_EDQUOT|HOLD_EDQUOT|"
                        "UNLINK_EACCES|UNLINK_DONE_EIO|RENAME_DONE_EIO FOLDER MOUNTPOINT [OPTIONS...]\n");
        return 2;
    }
    char *args[64] = {argv[0], argv[3], "-f", "-s"};
    int count = 4;
    for (int i = 4; i < argc && count < 63; i++) {
        if (strcmp(argv[i], "use_ino") == 0)
            use_ino = 1;
        else if (strcmp(argv[i], "hard_remove") == 0)
            hard_remove = 1;
        else
            args[count++] = argv[i];
    }
    return fuse_main(count, args, &operations, NULL);
}
