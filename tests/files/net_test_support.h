// Plain sockets for the TCP/IP handle tests: peers written directly against
// the system's socket calls, so the handles are never tested only against
// themselves.
#pragma once

#include "files/file_test_support.h"

#include <cstdint>
#include <string>

// A blocking socket listening on 127.0.0.1 on a port the system picks.
struct raw_listener {
    int fd = -1;
    int32_t port = 0;
    explicit raw_listener(int backlog = 8);
    ~raw_listener();
    int accept_one() const; // blocking
};

// A blocking client socket connected to 127.0.0.1 on the port; its own local
// port in *local_port when given.
int raw_connect(int32_t port, int32_t *local_port = nullptr);

// Sends every byte; false when the peer is gone.
bool raw_send_all(int fd, const std::string &bytes);

// Receives exactly count bytes (fewer when the peer closes first).
std::string raw_receive(int fd, size_t count);

// count bytes of a pattern that holds zero bytes and repeats only every 251.
std::string pattern_bytes(size_t count, size_t from = 0);

// The TCP/IP handle layer on fresh lists, over the file-test fixture; every
// handle is closed afterwards.
class net_test : public file_test
{
  protected:
    void SetUp() override;
    void TearDown() override;
    // OPEN of a host or client by its text; the handle.
    int32_t host_open(const std::string &text);
    int32_t client_open(const std::string &text);
    // Accepts, polling until a connection waits (at most about 5 s).
    int32_t accept_wait(int32_t host);
    std::string address_of(int32_t handle);
    // PUT of the bytes; GET of count bytes and GET of a variable-length
    // string (all waiting).
    void put_bytes(int32_t handle, const std::string &bytes);
    std::string get_bytes(int32_t handle, size_t count);
    std::string get_all(int32_t handle);
};
