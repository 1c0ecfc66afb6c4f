// A preloaded model of how an NFS client treats locks, for the files under
// one folder ($NFS_LOCK_MODEL_DIR), as $NFS_LOCK_MODEL says:
//
//   nfs            flock(2) becomes a whole-file byte-range lock of the open
//                  file, as the client hands it to the server: a shared one
//                  needs the file open for reading and an exclusive one open
//                  for writing (EBADF otherwise), and the range locks and
//                  range tests of every other open file meet it.
//   none           no lock service answers: flock(2) and every byte-range
//                  lock command of fcntl(2) give ENOLCK.
//   nolocks-local  as none, on a file system that is not a network one.
//
// In nfs and none, fstatfs(2) reports NFS's file system type. Only the locks
// of regular files are modelled: the client keeps a folder's locks to itself.
// Files elsewhere are left to the system.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

enum model { MODEL_OFF, MODEL_NFS, MODEL_NONE, MODEL_NOLOCKS_LOCAL };

static enum model model_get(void)
{
    const char *m = getenv("NFS_LOCK_MODEL");
    if (!m || !getenv("NFS_LOCK_MODEL_DIR"))
        return MODEL_OFF;
    return strcmp(m, "nfs") == 0             ? MODEL_NFS
           : strcmp(m, "none") == 0          ? MODEL_NONE
           : strcmp(m, "nolocks-local") == 0 ? MODEL_NOLOCKS_LOCAL
                                             : MODEL_OFF;
}

static int no_lock_service(enum model m)
{
    return m == MODEL_NONE || m == MODEL_NOLOCKS_LOCAL;
}

// True when the absolute path lies in the modelled folder.
static int path_modelled(const char *path)
{
    const char *dir = getenv("NFS_LOCK_MODEL_DIR");
    size_t n = strlen(dir);
    return strncmp(path, dir, n) == 0 && (path[n] == '/' || path[n] == 0);
}

static int fd_modelled(int fd)
{
    char link[64], path[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(link, path, sizeof path - 1);
    if (n <= 0)
        return 0;
    path[n] = 0;
    return path_modelled(path);
}

static int fd_modelled_file(int fd)
{
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && fd_modelled(fd);
}

static void *next(const char *symbol)
{
    return dlsym(RTLD_NEXT, symbol);
}

static int is_lock_command(int cmd)
{
    return cmd == F_GETLK || cmd == F_SETLK || cmd == F_SETLKW || cmd == F_OFD_GETLK ||
           cmd == F_OFD_SETLK || cmd == F_OFD_SETLKW;
}

int fcntl(int fd, int cmd, ...)
{
    va_list ap;
    va_start(ap, cmd);
    void *arg = va_arg(ap, void *);
    va_end(ap);
    if (no_lock_service(model_get()) && is_lock_command(cmd) && fd_modelled_file(fd)) {
        errno = ENOLCK;
        return -1;
    }
    int (*real)(int, int, ...) = (int (*)(int, int, ...))next("fcntl");
    return real(fd, cmd, arg);
}

int flock(int fd, int operation)
{
    enum model m = model_get();
    if (m == MODEL_OFF || !fd_modelled_file(fd)) {
        int (*real)(int, int) = (int (*)(int, int))next("flock");
        return real(fd, operation);
    }
    if (no_lock_service(m)) {
        errno = ENOLCK;
        return -1;
    }
    // The whole file, locked for this open file as the client does.
    struct flock fl = {0};
    int kind = operation & ~LOCK_NB;
    fl.l_type = kind == LOCK_SH ? F_RDLCK : kind == LOCK_EX ? F_WRLCK : F_UNLCK;
    fl.l_whence = SEEK_SET;
    int access = fcntl(fd, F_GETFL) & O_ACCMODE;
    if ((fl.l_type == F_RDLCK && access == O_WRONLY) ||
        (fl.l_type == F_WRLCK && access == O_RDONLY)) {
        errno = EBADF;
        return -1;
    }
    return fcntl(fd, (operation & LOCK_NB) ? F_OFD_SETLK : F_OFD_SETLKW, &fl);
}

#define NFS_SUPER_MAGIC 0x6969

int fstatfs(int fd, struct statfs *buf)
{
    int (*real)(int, struct statfs *) = (int (*)(int, struct statfs *))next("fstatfs");
    int r = real(fd, buf);
    enum model m = model_get();
    if (r == 0 && (m == MODEL_NFS || m == MODEL_NONE) && fd_modelled(fd))
        buf->f_type = NFS_SUPER_MAGIC;
    return r;
}
