#include "platform/process_exit.h"

#include <cstdio>
#include <unistd.h>

namespace
{

// Flushes a stream unless another thread holds it: a thread blocked in a
// read of standard input holds that stream's lock for as long as it waits,
// and waiting for it would keep the process from ending.
void stream_flush_if_free(std::FILE *stream)
{
    if (ftrylockfile(stream) != 0)
        return;
    fflush_unlocked(stream);
    funlockfile(stream);
}

} // namespace

void process_exit(int code)
{
    stream_flush_if_free(stdout);
    stream_flush_if_free(stderr);
    _exit(code);
}
