// The byte side of stream connections: the receive buffer, sending, and GET,
// PUT, LOF and EOF on special handles.
#include "core/strings.h"
#include "files/byte_element.h"
#include "files/network_handles.h"
#include "files/stream_records.h"
#include "platform/net.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace
{

constexpr int64_t RECEIVE_CAP_STANDARD = int64_t(64) << 20;
constexpr uint64_t RECEIVE_FIRST_CAPACITY = 64 << 10;
constexpr int32_t SEND_STEP_MS = 10;

int64_t receive_cap = RECEIVE_CAP_STANDARD;

net_socket *socket_of(const stream_record *stream)
{
    return static_cast<const connection_record *>(stream->connection)->socket;
}

bool stream_sends(const stream_record *stream)
{
    auto *c = static_cast<const connection_record *>(stream->connection);
    return stream->is_connection == 1 && c->state == 1 &&
           (c->type == CONNECTION_CLIENT || c->type == CONNECTION_ACCEPTED);
}

// Makes room behind the waiting bytes: moves them to the front when that
// costs no more than the bytes already taken (or a quarter of the buffer),
// else grows the buffer up to the cap. The room there is afterwards.
int64_t receive_room(stream_record *s)
{
    if (s->waiting == 0)
        s->offset = 0;
    int64_t room = int64_t(s->capacity) - s->offset - s->waiting;
    if (room > 0 && (room >= int64_t(RECEIVE_FIRST_CAPACITY) || s->offset == 0))
        return room;
    if (s->offset > 0 && (s->offset >= s->waiting || s->offset >= int64_t(s->capacity) / 4)) {
        std::memmove(s->data, s->data + s->offset, size_t(s->waiting));
        s->offset = 0;
    } else if (int64_t(s->capacity) < receive_cap) {
        uint64_t grown = std::max<uint64_t>(RECEIVE_FIRST_CAPACITY, s->capacity * 2);
        grown = std::min<uint64_t>(grown, uint64_t(receive_cap));
        auto *data = static_cast<uint8_t *>(std::realloc(s->data, grown));
        if (data) {
            s->data = data;
            s->capacity = grown;
        }
    }
    return int64_t(s->capacity) - s->offset - s->waiting;
}

// The stream of a handle with whatever has arrived taken in; null for a
// handle that is no stream connection.
stream_record *stream_polled(int32_t number)
{
    stream_record *stream = special_handle_stream(number);
    if (stream)
        net_receive_poll(stream);
    return stream;
}

// Takes n waiting bytes (the caller has checked that they wait).
void stream_take(stream_record *stream, int64_t n)
{
    stream->offset += n;
    stream->waiting -= n;
    stream->short_read = 0;
}

} // namespace

void stream_receive_cap_set(int64_t bytes)
{
    receive_cap = bytes > 0 ? bytes : RECEIVE_CAP_STANDARD;
}

void net_receive_poll(stream_record *stream)
{
    if (!stream_sends(stream))
        return;
    net_socket *socket = socket_of(stream);
    for (;;) {
        int64_t room = receive_room(stream);
        if (room <= 0)
            return; // at the cap: the rest waits in the system
        int64_t n = net_receive(socket, stream->data + stream->offset + stream->waiting, room);
        if (n <= 0)
            return;
        stream->waiting += n;
    }
}

void connection_send(stream_record *stream, const uint8_t *buffer, int64_t length)
{
    if (!stream_sends(stream))
        return;
    net_socket *socket = socket_of(stream);
    while (length > 0) {
        int64_t sent = net_send(socket, buffer, length);
        if (sent < 0)
            return;
        buffer += sent;
        length -= sent;
        if (length == 0 || sent > 0)
            continue;
        // The peer takes nothing now: keep taking its bytes and serving events.
        net_receive_poll(stream);
        net_wait_writable(socket, SEND_STEP_MS);
        if (!network_wait_serve())
            return;
    }
}

bool special_handle_lof(int32_t number, int64_t *bytes_waiting)
{
    stream_record *stream = stream_polled(number);
    if (!stream)
        return false;
    *bytes_waiting = stream->waiting;
    return true;
}

bool special_handle_eof(int32_t number, int32_t *at_end)
{
    stream_record *stream = special_handle_stream(number);
    if (!stream)
        return false;
    *at_end = stream->short_read;
    return true;
}

bool special_handle_get(int32_t number, byte_element *element)
{
    stream_record *stream = stream_polled(number);
    if (!stream)
        return false;
    if (stream->waiting < element->length) {
        stream->short_read = 1;
        return true;
    }
    if (element->length > 0)
        std::memcpy(byte_element_bytes(element), stream->data + stream->offset,
                    size_t(element->length));
    stream_take(stream, element->length);
    return true;
}

bool special_handle_put(int32_t number, const byte_element *element)
{
    stream_record *stream = special_handle_stream(number);
    if (!stream)
        return false;
    connection_send(stream, byte_element_bytes(element), element->length);
    return true;
}

bool special_handle_get_string(int32_t number, string_descriptor *dest)
{
    stream_record *stream = stream_polled(number);
    if (!stream)
        return false;
    // The cap keeps the waiting bytes within one string.
    int32_t n = int32_t(std::min<int64_t>(stream->waiting, INT32_MAX));
    string_set(dest, string_from_buffer(stream->data + stream->offset, n));
    stream_take(stream, n);
    return true;
}
