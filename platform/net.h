// Socket primitives: IPv4 stream sockets for the TCP/IP handles.
//
// Every socket is non-blocking and close-on-exec, so no call here waits
// beyond the time it is given and programs started from this one hold no
// ports. Sends never raise SIGPIPE: a closed peer is a failed send. The
// caller builds its long waits from short ones so that it can serve events
// between them. Not thread-safe: one thread uses a socket at a time.
#pragma once

#include <cstdint>

struct net_socket {
    int fd;
    int32_t port;            // the port the address text shows
    uint8_t peer_address[4]; // IPv4 address of an accepted socket's peer, most significant first
    char *host_text;         // the host name a client connected to (owned), or null
};

// Listens on the port on every local address; null for a port outside
// 0..65535 or when the port cannot be had. Port 0 takes one the system picks,
// and the socket's port is the one it listens on.
net_socket *net_listen(int64_t port);

// Starts a connection to a host (a name or dotted address) on the port; null
// for a port outside 0..65535, a host with no IPv4 address, or a refusal seen
// at once. The socket's port is the port connected to.
net_socket *net_connect_start(const char *host, int64_t port);

// Waits up to wait_ms for a started connection: 1 made, 0 not yet, -1 failed.
int32_t net_connect_wait(net_socket *s, int32_t wait_ms);

// Takes one waiting connection from a listener, null when none is waiting.
// The new socket's port is the peer's port.
net_socket *net_accept(net_socket *listener);

// Sends what the kernel takes at once of count bytes: the bytes sent (0 when
// it takes none now), or -1 when the connection has failed or closed.
int64_t net_send(net_socket *s, const void *src, int64_t count);

// Waits up to wait_ms until a send can take bytes; true when it can (or the
// connection has failed, which the next send reports).
bool net_wait_writable(net_socket *s, int32_t wait_ms);

// Receives up to count bytes that have arrived, without waiting: the bytes
// read, 0 when none are waiting, -1 when the peer has closed or the
// connection has failed.
int64_t net_receive(net_socket *s, void *dest, int64_t count);

// Whether the connection is still up: false once the peer has closed its
// side (even while its last bytes are still unread) or the connection failed.
bool net_connected(net_socket *s);

// Closes the socket and frees it with its host text. Null does nothing.
void net_socket_free(net_socket *s);
