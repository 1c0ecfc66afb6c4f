#include "platform/serial.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace
{

struct speed_code {
    uint32_t bps;
    speed_t code;
};

constexpr speed_code SPEED_CODES[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

// The termios constant for a speed; false when there is none.
bool speed_code_of(uint32_t bps, speed_t *code)
{
    for (const speed_code &s : SPEED_CODES)
        if (s.bps == bps) {
            *code = s.code;
            return true;
        }
    return false;
}

tcflag_t size_flag(uint8_t data_bits)
{
    switch (data_bits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

tcflag_t parity_flags(serial_parity parity)
{
    switch (parity) {
    case serial_parity::even:
        return PARENB;
    case serial_parity::odd:
        return PARENB | PARODD;
    case serial_parity::space:
        return PARENB | CMSPAR;
    case serial_parity::mark:
        return PARENB | CMSPAR | PARODD;
    default:
        return 0;
    }
}

// A raw line in the asked character format; reads never block in the
// driver (the caller waits with poll).
void line_format(termios &t, const serial_line_settings &s)
{
    cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR);
    t.c_cflag |= CLOCAL | CREAD | size_flag(s.data_bits) | parity_flags(s.parity);
    if (s.stop_bits == 2)
        t.c_cflag |= CSTOPB;
    if (s.parity != serial_parity::none)
        t.c_iflag |= INPCK;
    else
        t.c_iflag &= ~INPCK;
    if (s.rts_off)
        t.c_cflag &= ~CRTSCTS;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
}

// Sets the line; false when the device refuses it.
bool line_set(int fd, const serial_line_settings &s)
{
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return false;
    line_format(t, s);
    // An input speed field left set (by termios2 for an unnamed speed) would
    // keep that speed for input: cleared, input follows the output speed.
    t.c_cflag &= ~CIBAUD;
    speed_t code = B38400; // stands in until termios2 sets an unnamed speed
    bool named = speed_code_of(s.speed_bps, &code);
    if (cfsetispeed(&t, code) != 0 || cfsetospeed(&t, code) != 0)
        return false;
    if (tcsetattr(fd, TCSANOW, &t) != 0)
        return false;
    if (!named && !serial_speed_set_any(fd, s.speed_bps))
        return false;
    if (s.rts_off) {
        int rts = TIOCM_RTS;
        ioctl(fd, TIOCMBIC, &rts); // a pseudo-terminal has no RTS line: skipped
    }
    return true;
}

os_file_status open_failure(int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
    case EBUSY:
    case EWOULDBLOCK:
        return os_file_status::access_denied;
    case EMFILE:
    case ENFILE:
        return os_file_status::too_many_open;
    default:
        return os_file_status::device_unavailable;
    }
}

int open_flags(uint32_t access)
{
    int flags = O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    if ((access & OS_FILE_READ) && (access & OS_FILE_WRITE))
        return flags | O_RDWR;
    return flags | ((access & OS_FILE_WRITE) ? O_WRONLY : O_RDONLY);
}

// Waits up to wait_ms for the descriptor to become ready for events.
void ready_wait(int fd, short events, int32_t wait_ms)
{
    pollfd p{fd, events, 0};
    poll(&p, 1, std::max(wait_ms, 0)); // EINTR and time-outs both just return
}

size_t chunk(int64_t count)
{
    return size_t(std::min<int64_t>(count, SSIZE_MAX));
}

} // namespace

os_file_status serial_open(const char *path, uint32_t access, const serial_line_settings &settings,
                           os_file **file)
{
    *file = nullptr;
    int fd;
    do
        fd = open(path, open_flags(access));
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return open_failure(errno);
    // Exclusive use: a second open of the same device is refused. A flock
    // holds against every other opener, privileged or not.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        close(fd);
        return open_failure(err);
    }
    if (!isatty(fd) || !line_set(fd, settings)) {
        close(fd);
        return os_file_status::device_unavailable;
    }
    *file = os_file_adopt(fd, (access & OS_FILE_WRITE) != 0);
    return os_file_status::ok;
}

os_file_status serial_read(os_file *file, void *dest, int64_t count, int32_t wait_ms, int64_t *done)
{
    *done = 0;
    if (count <= 0)
        return os_file_status::ok;
    int fd = os_file_descriptor(file);
    if (wait_ms > 0)
        ready_wait(fd, POLLIN, wait_ms);
    ssize_t got = read(fd, dest, chunk(count));
    if (got >= 0) {
        *done = got;
        return os_file_status::ok;
    }
    return errno == EAGAIN || errno == EINTR ? os_file_status::ok : os_file_status::io_failure;
}

os_file_status serial_write(os_file *file, const void *src, int64_t count, int32_t wait_ms,
                            int64_t *done)
{
    *done = 0;
    if (count <= 0)
        return os_file_status::ok;
    int fd = os_file_descriptor(file);
    ssize_t put = write(fd, src, chunk(count));
    if (put < 0 && errno == EAGAIN && wait_ms > 0) {
        ready_wait(fd, POLLOUT, wait_ms);
        put = write(fd, src, chunk(count));
    }
    if (put >= 0) {
        *done = put;
        return os_file_status::ok;
    }
    return errno == EAGAIN || errno == EINTR ? os_file_status::ok : os_file_status::io_failure;
}

int64_t serial_waiting(os_file *file)
{
    int n = 0;
    if (ioctl(os_file_descriptor(file), FIONREAD, &n) != 0 || n < 0)
        return 0;
    return n;
}
