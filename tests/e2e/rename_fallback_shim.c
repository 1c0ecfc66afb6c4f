/* A preloaded library for the end-to-end tests of NAME where the file system
 * has no rename that refuses to replace (renameat2 with flags fails with
 * EINVAL, as over NFS) and a step of the way round goes wrong for the file
 * whose last part RENAME_SHIM_FILE gives. RENAME_SHIM_FAULT says how:
 *   unlink-lost    its removal is done but answers ENOENT, as an NFS client
 *                  whose reply was lost retries and meets no file
 *   unlink-EACCES  its removal is refused, nothing removed (also EBUSY)
 *   rename-lost    hard links are refused (EPERM, as on FAT) and its rename
 *                  is done but answers ENOENT
 * Everything else passes through. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>

/* True when path's last part is the shim's file and the fault is `fault`. */
static int faulty(const char *path, const char *fault)
{
    const char *file = getenv("RENAME_SHIM_FILE");
    const char *set = getenv("RENAME_SHIM_FAULT");
    const char *slash = strrchr(path, '/');
    return file && set && strcmp(set, fault) == 0 && strcmp(slash ? slash + 1 : path, file) == 0;
}

/* The real call's answer, turned into a lost reply (ENOENT) once it is done. */
static int lost(int r)
{
    if (r == 0)
        errno = ENOENT;
    return -1;
}

int renameat2(int from_dir, const char *from, int to_dir, const char *to, unsigned int flags)
{
    if (flags != 0) {
        errno = EINVAL;
        return -1;
    }
    int (*real)(int, const char *, int, const char *, unsigned int) =
        (int (*)(int, const char *, int, const char *, unsigned int))dlsym(RTLD_NEXT, "renameat2");
    return real(from_dir, from, to_dir, to, 0);
}

int rename(const char *from, const char *to)
{
    int (*real)(const char *, const char *) =
        (int (*)(const char *, const char *))dlsym(RTLD_NEXT, "rename");
    return faulty(from, "rename-lost") ? lost(real(from, to)) : real(from, to);
}

int link(const char *from, const char *to)
{
    int (*real)(const char *, const char *) =
        (int (*)(const char *, const char *))dlsym(RTLD_NEXT, "link");
    if (faulty(from, "rename-lost")) {
        errno = EPERM;
        return -1;
    }
    return real(from, to);
}

int unlink(const char *path)
{
    int (*real)(const char *) = (int (*)(const char *))dlsym(RTLD_NEXT, "unlink");
    if (faulty(path, "unlink-lost"))
        return lost(real(path));
    if (faulty(path, "unlink-EACCES") || faulty(path, "unlink-EBUSY")) {
        errno = faulty(path, "unlink-EACCES") ? EACCES : EBUSY;
        return -1;
    }
    return real(path);
}
