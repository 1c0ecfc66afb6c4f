/* A preloaded library for the end-to-end tests of NAME where the file system
 * has no rename that refuses to replace (renameat2 with flags fails with
 * EINVAL, as over NFS) and a step of the way round goes wrong for the file
 * whose last part RENAME_SHIM_FILE gives, of NAME and KILL whose one step
 * answers wrong, of KILL held before its removal of that file, and of OPEN
 * held before its share lock. RENAME_SHIM_FAULT says how:
 *   unlink-lost    its removal is done but answers ENOENT, as an NFS client
 *                  whose reply was lost retries and meets no file
 *   unlink-EACCES  its removal is refused, nothing removed (also EBUSY)
 *   rename-lost    hard links are refused (EPERM, as on FAT) and its rename
 *                  is done but answers ENOENT
 *   copy-unlink-EIO  it lies on another file system (its links and renames
 *                  answer EXDEV) and its removal is done but answers EIO
 *   placeholder-lstat  hard links are refused (EPERM) and the first lstat of
 *                  a file just made exclusively fails with EIO
 *   unlink-EIO-unread  its removal answers EIO, nothing removed, and no
 *                  folder can be read after it
 *   unlink-pause   its removal first makes the file RENAME_SHIM_READY, to say
 *                  that its caller is between its check and the removal,
 *                  and waits until the file RENAME_SHIM_GO exists (a minute
 *                  at most)
 *   EIO-done       its rename (renameat2 keeping its flags) or removal is
 *                  done but answers EIO, a reply lost as over NFS or FUSE
 *   unlink-count   its removal, once done, adds the bytes the file held as a
 *                  line to the file RENAME_SHIM_LOG
 *   lock-pause     every other share lock (flock) of it first waits 2 ms,
 *                  as between an open and its lock on a busy machine (so an
 *                  open made again after the pause is mostly not held)
 * Everything else passes through. */
#define _GNU_SOURCE
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

/* True when path's last part is the shim's file and the fault is `fault`. */
static int faulty(const char *path, const char *fault)
{
    const char *file = getenv("RENAME_SHIM_FILE");
    const char *set = getenv("RENAME_SHIM_FAULT");
    const char *slash = strrchr(path, '/');
    return file && set && strcmp(set, fault) == 0 && strcmp(slash ? slash + 1 : path, file) == 0;
}

/* The real call's answer, turned into a lost reply (err) once it is done. */
static int lost_as(int r, int err)
{
    if (r == 0)
        errno = err;
    return -1;
}

static int lost(int r)
{
    return lost_as(r, ENOENT);
}

/* placeholder-lstat: the file last made exclusively, until its first lstat. */
static char created[PATH_MAX];
/* unlink-EIO-unread: set once the removal was refused. */
static int folders_unreadable;

/* True, with errno err, when path's last part is the shim's file and the
 * fault is `fault`. */
static int refused(const char *path, const char *fault, int err)
{
    if (!faulty(path, fault))
        return 0;
    errno = err;
    return 1;
}

int renameat2(int from_dir, const char *from, int to_dir, const char *to, unsigned int flags)
{
    int (*real)(int, const char *, int, const char *, unsigned int) =
        (int (*)(int, const char *, int, const char *, unsigned int))dlsym(RTLD_NEXT, "renameat2");
    if (faulty(from, "EIO-done"))
        return lost_as(real(from_dir, from, to_dir, to, flags), EIO);
    if (flags != 0) {
        errno = EINVAL;
        return -1;
    }
    return real(from_dir, from, to_dir, to, 0);
}

int rename(const char *from, const char *to)
{
    int (*real)(const char *, const char *) =
        (int (*)(const char *, const char *))dlsym(RTLD_NEXT, "rename");
    if (refused(from, "copy-unlink-EIO", EXDEV))
        return -1;
    if (faulty(from, "EIO-done"))
        return lost_as(real(from, to), EIO);
    return faulty(from, "rename-lost") ? lost(real(from, to)) : real(from, to);
}

int link(const char *from, const char *to)
{
    int (*real)(const char *, const char *) =
        (int (*)(const char *, const char *))dlsym(RTLD_NEXT, "link");
    if (refused(from, "rename-lost", EPERM) || refused(from, "placeholder-lstat", EPERM) ||
        refused(from, "copy-unlink-EIO", EXDEV))
        return -1;
    return real(from, to);
}

/* unlink-pause: says it is ready, then waits for the word to go on. */
static void paused()
{
    const char *ready = getenv("RENAME_SHIM_READY");
    const char *go = getenv("RENAME_SHIM_GO");
    if (!ready || !go)
        return;
    int fd = open(ready, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0)
        close(fd);
    const struct timespec step = {0, 10 * 1000 * 1000};
    for (int i = 0; i < 6000 && access(go, F_OK) != 0; ++i)
        nanosleep(&step, NULL);
}

/* unlink-count: the removal, with the bytes the file held logged once done. */
static int counted(int (*real)(const char *), const char *path)
{
    struct stat st;
    const int known = stat(path, &st) == 0;
    const int r = real(path);
    const char *log = getenv("RENAME_SHIM_LOG");
    FILE *f = r == 0 && known && log ? fopen(log, "ae") : NULL;
    if (f) {
        fprintf(f, "%lld\n", (long long)st.st_size);
        fclose(f);
    }
    return r;
}

int unlink(const char *path)
{
    int (*real)(const char *) = (int (*)(const char *))dlsym(RTLD_NEXT, "unlink");
    if (faulty(path, "unlink-pause"))
        paused();
    if (faulty(path, "unlink-count"))
        return counted(real, path);
    if (faulty(path, "unlink-lost"))
        return lost(real(path));
    if (faulty(path, "copy-unlink-EIO") || faulty(path, "EIO-done"))
        return lost_as(real(path), EIO);
    if (refused(path, "unlink-EIO-unread", EIO)) {
        folders_unreadable = 1;
        return -1;
    }
    if (faulty(path, "unlink-EACCES") || faulty(path, "unlink-EBUSY")) {
        errno = faulty(path, "unlink-EACCES") ? EACCES : EBUSY;
        return -1;
    }
    return real(path);
}

int open(const char *path, int flags, ...)
{
    int (*real)(const char *, int, ...) = (int (*)(const char *, int, ...))dlsym(RTLD_NEXT, "open");
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list list;
        va_start(list, flags);
        mode = va_arg(list, mode_t);
        va_end(list);
    }
    int fd = real(path, flags, mode);
    const char *set = getenv("RENAME_SHIM_FAULT");
    if (fd >= 0 && (flags & O_CREAT) && (flags & O_EXCL) && set &&
        strcmp(set, "placeholder-lstat") == 0 && strlen(path) < sizeof created)
        strcpy(created, path);
    return fd;
}

int lstat(const char *path, struct stat *st)
{
    int (*real)(const char *, struct stat *) =
        (int (*)(const char *, struct stat *))dlsym(RTLD_NEXT, "lstat");
    if (created[0] && strcmp(path, created) == 0) {
        created[0] = 0;
        errno = EIO;
        return -1;
    }
    return real(path, st);
}

DIR *opendir(const char *path)
{
    DIR *(*real)(const char *) = (DIR * (*)(const char *)) dlsym(RTLD_NEXT, "opendir");
    if (folders_unreadable) {
        errno = EIO;
        return NULL;
    }
    return real(path);
}

/* lock-pause: every other share lock of the file waits 2 ms first. */
int flock(int fd, int operation)
{
    static int locks;
    int (*real)(int, int) = (int (*)(int, int))dlsym(RTLD_NEXT, "flock");
    char link[64], path[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, path, sizeof path - 1);
    path[n > 0 ? n : 0] = 0;
    if (faulty(path, "lock-pause") && locks++ % 2 == 0) {
        const struct timespec pause = {0, 2 * 1000 * 1000};
        nanosleep(&pause, NULL);
    }
    return real(fd, operation);
}
