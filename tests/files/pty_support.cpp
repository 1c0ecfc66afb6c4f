#include "files/pty_support.h"

#include "platform/os_environment.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

pty_line::pty_line(int port) : variable_("COM" + std::to_string(port) + "_DEVICE")
{
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        ADD_FAILURE() << "openpty failed";
        return;
    }
    termios t{};
    tcgetattr(master_, &t);
    cfmakeraw(&t);
    tcsetattr(master_, TCSANOW, &t);
    path_ = name;
    os_environment_put(variable_ + "=" + path_);
}

pty_line::~pty_line()
{
    os_environment_put(variable_ + "=");
    if (master_ >= 0)
        close(master_);
    if (slave_ >= 0)
        close(slave_);
}

void pty_line::send(const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = write(master_, bytes.data() + done, bytes.size() - done);
        ASSERT_GT(put, 0) << "write to the line's master side failed";
        done += size_t(put);
    }
}

std::string pty_line::receive(size_t count, int wait_ms)
{
    std::string got;
    while (got.size() < count) {
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, wait_ms) <= 0)
            break;
        char buffer[4096];
        ssize_t n = read(master_, buffer, std::min(sizeof buffer, count - got.size()));
        if (n <= 0)
            break;
        got.append(buffer, size_t(n));
    }
    return got;
}

long long pty_now_ms()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
