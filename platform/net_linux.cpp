#include "platform/net.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

constexpr int SOCKET_FLAGS = SOCK_NONBLOCK | SOCK_CLOEXEC;

bool port_valid(int64_t port)
{
    return port >= 0 && port <= 65535;
}

net_socket *socket_wrap(int fd, int32_t port)
{
    auto *s = static_cast<net_socket *>(std::calloc(1, sizeof(net_socket)));
    if (!s) {
        close(fd);
        return nullptr;
    }
    s->fd = fd;
    s->port = port;
    return s;
}

// The first IPv4 address of a host name or dotted text.
bool host_resolve(const char *host, in_addr *out)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found)
        return false;
    *out = reinterpret_cast<const sockaddr_in *>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

// poll on one socket, retried on EINTR; the revents, or 0 on time-out.
short poll_one(int fd, short events, int32_t wait_ms)
{
    pollfd p{fd, events, 0};
    int n;
    do {
        n = poll(&p, 1, wait_ms < 0 ? 0 : wait_ms);
    } while (n < 0 && errno == EINTR);
    return n > 0 ? p.revents : 0;
}

} // namespace

net_socket *net_listen(int64_t port)
{
    if (!port_valid(port))
        return nullptr;
    int fd = socket(AF_INET, SOCK_STREAM | SOCKET_FLAGS, 0);
    if (fd < 0)
        return nullptr;
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    a.sin_port = htons(uint16_t(port));
    socklen_t len = sizeof a;
    if (bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || listen(fd, SOMAXCONN) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len) != 0) {
        close(fd);
        return nullptr;
    }
    return socket_wrap(fd, ntohs(a.sin_port));
}

net_socket *net_connect_start(const char *host, int64_t port)
{
    sockaddr_in a{};
    if (!port_valid(port) || !host_resolve(host, &a.sin_addr))
        return nullptr;
    int fd = socket(AF_INET, SOCK_STREAM | SOCKET_FLAGS, 0);
    if (fd < 0)
        return nullptr;
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    int r;
    do {
        r = connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    } while (r != 0 && errno == EINTR);
    if (r != 0 && errno != EINPROGRESS) {
        close(fd);
        return nullptr;
    }
    net_socket *s = socket_wrap(fd, int32_t(port));
    if (s)
        s->host_text = strdup(host);
    if (s && !s->host_text) {
        net_socket_free(s);
        return nullptr;
    }
    return s;
}

int32_t net_connect_wait(net_socket *s, int32_t wait_ms)
{
    short ready = poll_one(s->fd, POLLOUT, wait_ms);
    if (ready == 0)
        return 0;
    int failure = 0;
    socklen_t len = sizeof failure;
    if (getsockopt(s->fd, SOL_SOCKET, SO_ERROR, &failure, &len) != 0 || failure != 0)
        return -1;
    return (ready & (POLLERR | POLLHUP)) ? -1 : 1;
}

net_socket *net_accept(net_socket *listener)
{
    sockaddr_in a{};
    socklen_t len = sizeof a;
    int fd;
    do {
        fd = accept4(listener->fd, reinterpret_cast<sockaddr *>(&a), &len, SOCKET_FLAGS);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return nullptr;
    net_socket *s = socket_wrap(fd, ntohs(a.sin_port));
    if (s)
        std::memcpy(s->peer_address, &a.sin_addr.s_addr,
                    4); // network order: most significant first
    return s;
}

int64_t net_send(net_socket *s, const void *src, int64_t count)
{
    ssize_t n;
    do {
        n = send(s->fd, src, size_t(count), MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n >= 0)
        return n;
    return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
}

bool net_wait_writable(net_socket *s, int32_t wait_ms)
{
    return poll_one(s->fd, POLLOUT, wait_ms) != 0;
}

int64_t net_receive(net_socket *s, void *dest, int64_t count)
{
    ssize_t n;
    do {
        n = recv(s->fd, dest, size_t(count), 0);
    } while (n < 0 && errno == EINTR);
    if (n > 0)
        return n;
    if (n == 0)
        return count == 0 ? 0 : -1;
    return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
}

bool net_connected(net_socket *s)
{
    short ready = poll_one(s->fd, POLLIN | POLLRDHUP, 0);
    if (ready & (POLLHUP | POLLERR | POLLRDHUP | POLLNVAL))
        return false;
    if (!(ready & POLLIN))
        return true;
    char byte;
    ssize_t n = recv(s->fd, &byte, 1, MSG_PEEK);
    if (n > 0)
        return true;
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR);
}

void net_socket_free(net_socket *s)
{
    if (!s)
        return;
    close(s->fd);
    std::free(s->host_text);
    std::free(s);
}
