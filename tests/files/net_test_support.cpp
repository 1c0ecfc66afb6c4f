#include "files/net_test_support.h"

#include "core/errors.h"
#include "files/get_put.h"
#include "files/network_handles.h"
#include "files/open_close.h"
#include "files/public_address.h"
#include "files/record_test_support.h"
#include "platform/clock.h"
#include "platform/os_environment.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

sockaddr_in loopback(int32_t port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(uint16_t(port));
    return a;
}

int32_t local_port_of(int fd)
{
    sockaddr_in a{};
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    return ntohs(a.sin_port);
}

} // namespace

raw_listener::raw_listener(int backlog)
{
    fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = loopback(0);
    bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    listen(fd, backlog);
    port = local_port_of(fd);
}

raw_listener::~raw_listener()
{
    close(fd);
}

int raw_listener::accept_one() const
{
    return accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
}

int raw_connect(int32_t port, int32_t *local_port)
{
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = loopback(port);
    if (connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    if (local_port)
        *local_port = local_port_of(fd);
    return fd;
}

bool raw_send_all(int fd, const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

std::string raw_receive(int fd, size_t count)
{
    std::string got(count, '\0');
    size_t done = 0;
    while (done < count) {
        ssize_t n = recv(fd, got.data() + done, count - done, 0);
        if (n <= 0)
            break;
        done += size_t(n);
    }
    got.resize(done);
    return got;
}

std::string pattern_bytes(size_t count, size_t from)
{
    std::string bytes(count, '\0');
    for (size_t i = 0; i < count; ++i)
        bytes[i] = char((from + i) % 251);
    return bytes;
}

void net_test::SetUp()
{
    file_test::SetUp();
    network_lists_create();
    os_environment_put("RT_PUBLIC_ADDRESS_HOST=");
}

void net_test::TearDown()
{
    special_handles_close_all();
    stream_receive_cap_set(0);
    clock_seam_set(nullptr);
    file_test::TearDown();
}

int32_t net_test::host_open(const std::string &text)
{
    basic_text t(text);
    return connection_open_host(t);
}

int32_t net_test::client_open(const std::string &text)
{
    basic_text t(text);
    return connection_open_client(t);
}

int32_t net_test::accept_wait(int32_t host)
{
    for (int i = 0; i < 500; ++i) {
        if (int32_t h = connection_accept(host))
            return h;
        clock_sleep_ms(10);
    }
    return 0;
}

std::string net_test::address_of(int32_t handle)
{
    return text_of(connection_address_str(handle));
}

void net_test::put_bytes(int32_t handle, const std::string &bytes)
{
    std::string copy = bytes;
    byte_element e = element_of(copy);
    rt_put(handle, 0, &e, 0);
}

std::string net_test::get_bytes(int32_t handle, size_t count)
{
    std::string bytes(count, '*');
    byte_element e = element_of(bytes);
    rt_get(handle, 0, &e, 0);
    return bytes;
}

std::string net_test::get_all(int32_t handle)
{
    string_descriptor *s = basic_variable("");
    rt_get_string(handle, 0, s, 0);
    std::string text = text_of(s);
    string_free(s);
    return text;
}
