// The speed a line reports through termios2 (speeds without a termios
// constant show as 0 through the classic interface); its kernel header
// cannot share a file with <termios.h>.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

long pty_line_speed(const std::string &path)
{
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct termios2 t {
    };
    long speed = ioctl(fd, TCGETS2, &t) == 0 ? long(t.c_ospeed) : -1;
    close(fd);
    return speed;
}
