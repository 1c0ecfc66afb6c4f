/* A preloaded library for the end-to-end test of KILL meeting another
 * program's OPEN: the removal of the file whose last part UNLINK_PAUSE_FILE
 * gives makes the file UNLINK_PAUSE_READY, to say that its caller is between
 * its check and the removal, and waits there until the file UNLINK_PAUSE_GO
 * exists (at most a minute). Everything else passes through. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static void pause_if_named(const char *path)
{
    const char *file = getenv("UNLINK_PAUSE_FILE");
    const char *ready = getenv("UNLINK_PAUSE_READY");
    const char *go = getenv("UNLINK_PAUSE_GO");
    const char *slash = strrchr(path, '/');
    if (!file || !ready || !go || strcmp(slash ? slash + 1 : path, file) != 0)
        return;
    int fd = open(ready, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0)
        close(fd);
    const struct timespec step = {0, 10 * 1000 * 1000};
    for (int i = 0; i < 6000 && access(go, F_OK) != 0; ++i)
        nanosleep(&step, NULL);
}

int unlink(const char *path)
{
    int (*real)(const char *) = (int (*)(const char *))dlsym(RTLD_NEXT, "unlink");
    pause_if_named(path);
    return real(path);
}
