/* A preloaded library for the end-to-end tests: a SIGSEGV that is not the GL
 * library's own fault comes while the window is being made, after the
 * window's connection has gone as a server that ended leaves it. The
 * toolkit's first choice of a frame buffer configuration shuts the
 * connection's socket and then, as SETUP_FAULT says:
 *   thread  another thread writes through a null pointer (a real fault);
 *   sent    a SIGSEGV is sent to the process, as kill(1) sends it.
 * The call then goes on as it would (after 2 s for a sent signal). */
#define _GNU_SOURCE
#include <GL/glx.h>
#include <dlfcn.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

typedef GLXFBConfig *(*choose_fn)(Display *, int, const int *, int *);

static void *null_write(void *unused)
{
    (void)unused;
    *(volatile int *)NULL = 1;
    return NULL;
}

GLXFBConfig *glXChooseFBConfig(Display *d, int screen, const int *attributes, int *count)
{
    static int done;
    const char *how = getenv("SETUP_FAULT");
    if (!done && how) {
        done = 1;
        shutdown(ConnectionNumber(d), SHUT_RDWR);
        if (strcmp(how, "thread") == 0) {
            pthread_t t;
            pthread_create(&t, NULL, null_write, NULL);
            pthread_join(t, NULL);
        } else if (strcmp(how, "sent") == 0) {
            kill(getpid(), SIGSEGV);
            sleep(2);
        }
    }
    return ((choose_fn)dlsym(RTLD_NEXT, "glXChooseFBConfig"))(d, screen, attributes, count);
}
