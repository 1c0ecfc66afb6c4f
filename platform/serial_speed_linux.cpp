// Speeds without a termios speed constant go through the termios2 interface,
// whose kernel header cannot share a file with <termios.h>.
#include "platform/serial.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

bool serial_speed_set_any(int fd, uint32_t speed_bps)
{
    struct termios2 t {
    };
    if (ioctl(fd, TCGETS2, &t) != 0)
        return false;
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = speed_bps;
    t.c_ospeed = speed_bps;
    return ioctl(fd, TCSETS2, &t) == 0;
}
