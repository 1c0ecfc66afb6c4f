// The speeds a line reports through termios2 (speeds without a termios
// constant show as 0 through the classic interface); its kernel header
// cannot share a file with <termios.h>.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <utility>

extern "C" int ioctl(int fd, unsigned long request, ...);

std::pair<long, long> pty_line_speeds(const std::string &path)
{
    std::pair<long, long> speeds{-1, -1};
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return speeds;
    struct termios2 t {
    };
    if (ioctl(fd, TCGETS2, &t) == 0)
        speeds = {long(t.c_ispeed), long(t.c_ospeed)};
    close(fd);
    return speeds;
}
