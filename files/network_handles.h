// TCP/IP handles: client connections, listening hosts and the connections a
// host accepts, reached through special handles.
//
// A special handle is a negative file number: the bitwise NOT of an entry's
// index in special_handle_list (index 1 is handle -2). An entry names either a
// stream connection (a client or an accepted connection: a stream_record with
// its receive buffer and a connection_record) or a host (a connection_record).
// The file statements hand every negative number to the special_handle_*
// operations here: PUT sends, GET takes from the receive buffer, LOF counts
// the bytes waiting, EOF reports a short GET, CLOSE closes.
//
// Waits (a connection being made, a send the peer does not take) run in steps
// of at most 10 ms with the per-statement event check between them, so Break,
// traps and the close button are served; a connection that is not made within
// about 5 seconds fails. While a send waits, arriving bytes are still taken
// into the receive buffer, so two programs that send to each other at once
// never stall. The receive buffer holds at most a fixed cap of bytes; beyond
// it bytes wait in the system under its flow control.
//
// Every BASIC operation returns at once with 0 or an empty string while an
// error is pending. Program thread only (the runtime's end closes every
// handle from the runtime loop thread after the program thread has stopped).
#pragma once

#include <cstdint>

struct byte_element;
struct net_socket;
struct stream_record;
struct string_descriptor;

constexpr uint8_t SPECIAL_KIND_STREAM = 1;
constexpr uint8_t SPECIAL_KIND_HOST = 2;

constexpr uint8_t CONNECTION_CLIENT = 1;
constexpr uint8_t CONNECTION_HOST = 2;
constexpr uint8_t CONNECTION_ACCEPTED = 3;

struct special_handle_entry {
    uint8_t kind; // SPECIAL_KIND_*
    void *target; // the stream_record (stream) or the connection_record (host)
};

struct connection_record {
    uint8_t state; // 1 connected (stream) or listening (host)
    uint8_t type;  // CONNECTION_*
    net_socket *socket;
    int32_t port; // the port of the open text; for a host opened on port 0, the one it got
};

// Creates the special-handle, stream-record and connection lists at start-up
// (again for tests: the old lists are released without closing anything).
void network_lists_create();

// OPEN of a client ("TCP/IP:port:host") and of a host ("TCP/IP:port"): the
// new handle, 0 when the connection or the port cannot be had; a malformed
// text raises error 5.
int32_t connection_open_client(string_descriptor *text);
int32_t connection_open_host(string_descriptor *text);

// The next connection waiting on a host, 0 when none is waiting; error 258
// when the handle is not a host.
int32_t connection_accept(int32_t host_handle);

// "TCP/IP:" + port + ":" + address, as a temporary: a host shows its port and
// the public address (or "127.0.0.1" when there is none), an accepted
// connection its peer's port and address, a client the port and host it
// connected to. Error 52 for a bad handle.
string_descriptor *connection_address_str(int32_t handle);

// -1 while a host listens or a stream's connection is up, 0 once the peer
// has closed (its last bytes stay readable). Error 52 for a bad handle.
int32_t connection_is_connected(int32_t handle);

// The common core of the opens: mode 0 client, 1 host, 2 accept (index: the
// host's entry index). The new entry index, 0 when the socket could not be
// had, -1 for a malformed text or a bad host.
int32_t connection_open(int32_t mode, const string_descriptor *text, int32_t index);

// The stream record of a stream connection's handle, else null.
stream_record *special_handle_stream(int32_t number);

// One step of a wait: makes the per-statement event check when an event is
// pending; false when the wait must end (an error is pending or the program
// is stopping).
bool network_wait_serve();

// Closes the entry at index with its records and socket; a free index is
// ignored.
void connection_close(int32_t index);

// Sends length bytes on a stream connection, waiting while the peer does not
// take them. Stops early when the connection fails, an error is pending or
// the program ends.
void connection_send(stream_record *stream, const uint8_t *buffer, int64_t length);

// Takes whatever has arrived on the stream's socket into its receive buffer,
// without waiting.
void net_receive_poll(stream_record *stream);

// The receive buffer's cap in bytes (tests set a small one; 0 restores the
// standard 64 MiB).
void stream_receive_cap_set(int64_t bytes);

// ---- The file statements' branch points -------------------------------------

// CLOSE of one special handle; an unknown one is ignored.
void special_handle_close(int32_t number);

// CLOSE of every special handle, before the files are closed.
void special_handles_close_all();

// LOF and EOF of a stream connection; false for an unknown handle or a host,
// which the caller reports as a bad file number.
bool special_handle_lof(int32_t number, int64_t *bytes_waiting);
bool special_handle_eof(int32_t number, int32_t *at_end);

// GET and PUT of a variable's bytes on a stream connection, and GET of a
// variable-length string (everything waiting); false for an unknown handle or
// a host, which the caller reports as a bad file number. GET of n bytes takes
// them only when n are waiting, else takes nothing and sets the EOF flag.
bool special_handle_get(int32_t number, byte_element *element);
bool special_handle_put(int32_t number, const byte_element *element);
bool special_handle_get_string(int32_t number, string_descriptor *dest);
