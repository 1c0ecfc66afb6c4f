#include "platform/standard_streams.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

void standard_streams_open()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free number is fd itself: every lower one is open.
        const int opened = open("/dev/null", (fd == 0 ? O_RDONLY : O_WRONLY) | O_NOCTTY);
        if (opened >= 0 && opened != fd) {
            dup2(opened, fd);
            close(opened);
        }
    }
}

namespace
{

void standard_streams_preinit(int, char **, char **)
{
    standard_streams_open();
}

} // namespace

// Runs before the constructors of the program's shared libraries, which may
// already open files or connections of their own.
__attribute__((section(".preinit_array"), used)) void (*const standard_streams_entry)(
    int, char **, char **) = standard_streams_preinit;
