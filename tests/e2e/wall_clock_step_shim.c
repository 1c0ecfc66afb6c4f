/* A preloaded library for the end-to-end tests that steps the wall clock of
 * one process, as an NTP or manual correction of the system clock does:
 * gettimeofday, time and clock_gettime's real-time clocks read the real time
 * plus the whole seconds written in the file WALL_CLOCK_STEP_FILE names (none
 * or an unreadable file: no step). The steady clocks are left alone. The file
 * is read again at most every 20 ms of steady time. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/time.h>
#include <time.h>

typedef int (*clock_gettime_fn)(clockid_t, struct timespec *);

static clock_gettime_fn real_clock_gettime(void)
{
    static clock_gettime_fn real;
    if (!real)
        real = (clock_gettime_fn)dlsym(RTLD_NEXT, "clock_gettime");
    return real;
}

static long step_seconds(void)
{
    static __thread long step;
    static __thread long long read_ms = -1000;
    struct timespec now;
    real_clock_gettime()(CLOCK_MONOTONIC, &now);
    const long long ms = (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
    if (ms - read_ms < 20)
        return step;
    read_ms = ms;
    step = 0;
    const char *path = getenv("WALL_CLOCK_STEP_FILE");
    FILE *f = path ? fopen(path, "re") : NULL;
    if (f) {
        if (fscanf(f, "%ld", &step) != 1)
            step = 0;
        fclose(f);
    }
    return step;
}

int clock_gettime(clockid_t clock, struct timespec *ts)
{
    const int r = real_clock_gettime()(clock, ts);
    if (r == 0 && (clock == CLOCK_REALTIME || clock == CLOCK_REALTIME_COARSE))
        ts->tv_sec += step_seconds();
    return r;
}

int gettimeofday(struct timeval *tv, void *zone)
{
    (void)zone;
    struct timespec ts;
    const int r = clock_gettime(CLOCK_REALTIME, &ts);
    if (r == 0) {
        tv->tv_sec = ts.tv_sec;
        tv->tv_usec = ts.tv_nsec / 1000;
    }
    return r;
}

time_t time(time_t *out)
{
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    if (out)
        *out = ts.tv_sec;
    return ts.tv_sec;
}
