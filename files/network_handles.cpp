#include "files/network_handles.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "core/lists.h"
#include "core/program_thread.h"
#include "core/strings.h"
#include "files/network_open_text.h"
#include "files/public_address.h"
#include "files/stream_records.h"
#include "platform/clock.h"
#include "platform/net.h"

#include <cstring>
#include <string>

namespace
{

constexpr int32_t CONNECT_STEP_MS = 10;
constexpr int64_t CONNECT_LIMIT_MS = 5000;

indexed_list *special_handle_list = nullptr;
indexed_list *connection_list = nullptr;

// Null for a free index, and for every index before the lists exist.
special_handle_entry *entry_at(int32_t index)
{
    if (!special_handle_list)
        return nullptr;
    return static_cast<special_handle_entry *>(list_get(special_handle_list, index));
}

// The entry of a BASIC handle: null for a non-negative number or a free index.
special_handle_entry *entry_of(int32_t handle)
{
    return handle < 0 ? entry_at(~handle) : nullptr;
}

connection_record *stream_connection(const stream_record *stream)
{
    return static_cast<connection_record *>(stream->connection);
}

// A connection made within the time limit, serving events while it waits.
net_socket *connect_wait(const std::string &host, int32_t port)
{
    net_socket *s = net_connect_start(host.c_str(), port);
    if (!s)
        return nullptr;
    const int64_t deadline = clock_now_ms() + CONNECT_LIMIT_MS;
    int32_t made;
    while ((made = net_connect_wait(s, CONNECT_STEP_MS)) == 0)
        if (!network_wait_serve() || clock_now_ms() >= deadline)
            break;
    if (made == 1)
        return s;
    net_socket_free(s);
    return nullptr;
}

// A new entry with its connection record (and, for a stream, its stream
// record), linked together; the entry index.
int32_t entry_add(uint8_t type, net_socket *socket, int32_t port)
{
    int32_t index = list_add(special_handle_list);
    auto *connection =
        static_cast<connection_record *>(list_get(connection_list, list_add(connection_list)));
    *connection = {1, type, socket, port};
    special_handle_entry *entry = entry_at(index);
    if (type == CONNECTION_HOST) {
        *entry = {SPECIAL_KIND_HOST, connection};
        return index;
    }
    auto *stream =
        static_cast<stream_record *>(list_get(stream_record_list, list_add(stream_record_list)));
    stream->is_connection = 1;
    stream->connection = connection;
    *entry = {SPECIAL_KIND_STREAM, stream};
    return index;
}

int32_t open_accept(int32_t index)
{
    special_handle_entry *host = entry_at(index);
    if (!host || host->kind != SPECIAL_KIND_HOST)
        return -1;
    auto *listener = static_cast<connection_record *>(host->target);
    if (listener->state != 1)
        return 0;
    net_socket *s = net_accept(listener->socket);
    return s ? entry_add(CONNECTION_ACCEPTED, s, s->port) : 0;
}

// A handle from an entry index: NOT index, 0 stays 0, -1 raises the error.
int32_t handle_from(int32_t index, int32_t error)
{
    if (index < 0) {
        error_raise(error);
        return 0;
    }
    return index == 0 ? 0 : ~index;
}

std::string dotted(const uint8_t address[4])
{
    std::string text;
    for (int i = 0; i < 4; ++i)
        text += (i ? "." : "") + std::to_string(address[i]);
    return text;
}

// The address text of an entry, or false for one that has none.
bool address_text(const special_handle_entry &entry, std::string *text)
{
    if (entry.kind == SPECIAL_KIND_HOST) {
        auto *host = static_cast<const connection_record *>(entry.target);
        if (host->state != 1)
            return false;
        std::string address = public_address_lookup_text();
        *text = "TCP/IP:" + std::to_string(host->port) + ":" +
                (address.empty() ? "127.0.0.1" : address);
        return true;
    }
    auto *stream = static_cast<const stream_record *>(entry.target);
    if (entry.kind != SPECIAL_KIND_STREAM || stream->is_connection != 1)
        return false;
    const connection_record *c = stream_connection(stream);
    if (c->state != 1 || (c->type != CONNECTION_CLIENT && c->type != CONNECTION_ACCEPTED))
        return false;
    *text = "TCP/IP:" + std::to_string(c->socket->port) + ":" +
            (c->type == CONNECTION_ACCEPTED ? dotted(c->socket->peer_address)
                                            : std::string(c->socket->host_text));
    return true;
}

string_descriptor *temp_string_of(const std::string &text)
{
    string_descriptor *d = string_new(int32_t(text.size()), true);
    if (!text.empty())
        std::memcpy(d->chr, text.data(), text.size());
    return d;
}

} // namespace

void network_lists_create()
{
    list_free(special_handle_list);
    list_free(connection_list);
    special_handle_list = list_new(sizeof(special_handle_entry));
    connection_list = list_new(sizeof(connection_record));
    stream_record_list_create();
}

bool network_wait_serve()
{
    if (event_pending.load(std::memory_order_relaxed))
        statement_event_check(0);
    return !error_pending.load(std::memory_order_relaxed) &&
           !program_stop_flag.load(std::memory_order_relaxed);
}

int32_t connection_open(int32_t mode, const string_descriptor *text, int32_t index)
{
    if (!special_handle_list || !stream_record_list)
        network_lists_create();
    if (mode == 2)
        return open_accept(index);
    open_text parsed;
    if (!open_text_parse(text->chr, text->len, &parsed) || parsed.parts != (mode == 0 ? 3 : 2))
        return -1;
    if (error_pending) // VAL found the port too large for its notation
        return 0;
    if (mode == 0) {
        net_socket *s = connect_wait(parsed.host, parsed.port);
        return s ? entry_add(CONNECTION_CLIENT, s, parsed.port) : 0;
    }
    net_socket *s = net_listen(parsed.port);
    return s ? entry_add(CONNECTION_HOST, s, s->port) : 0;
}

int32_t connection_open_client(string_descriptor *text)
{
    if (error_pending)
        return 0;
    return handle_from(connection_open(0, text, 0), 5);
}

int32_t connection_open_host(string_descriptor *text)
{
    if (error_pending)
        return 0;
    return handle_from(connection_open(1, text, 0), 5);
}

int32_t connection_accept(int32_t host_handle)
{
    if (error_pending)
        return 0;
    return handle_from(connection_open(2, nullptr, ~host_handle), 258);
}

string_descriptor *connection_address_str(int32_t handle)
{
    if (error_pending)
        return string_new(0, true);
    const special_handle_entry *entry = entry_of(handle);
    std::string text;
    if (!entry || !address_text(*entry, &text)) {
        error_raise(52);
        return string_new(0, true);
    }
    return temp_string_of(text);
}

int32_t connection_is_connected(int32_t handle)
{
    if (error_pending)
        return 0;
    const special_handle_entry *entry = entry_of(handle);
    if (entry && entry->kind == SPECIAL_KIND_HOST &&
        static_cast<const connection_record *>(entry->target)->state == 1)
        return -1;
    stream_record *stream = special_handle_stream(handle);
    if (!stream || stream_connection(stream)->state != 1) {
        error_raise(52);
        return 0;
    }
    return net_connected(stream_connection(stream)->socket) ? -1 : 0;
}

stream_record *special_handle_stream(int32_t number)
{
    const special_handle_entry *entry = entry_of(number);
    if (!entry || entry->kind != SPECIAL_KIND_STREAM)
        return nullptr;
    auto *stream = static_cast<stream_record *>(entry->target);
    return stream->is_connection == 1 ? stream : nullptr;
}

void connection_close(int32_t index)
{
    special_handle_entry *entry = entry_at(index);
    if (!entry)
        return;
    stream_record *stream = nullptr;
    connection_record *c;
    if (entry->kind == SPECIAL_KIND_HOST) {
        c = static_cast<connection_record *>(entry->target);
    } else {
        stream = static_cast<stream_record *>(entry->target);
        c = stream_connection(stream);
    }
    if (c->state == 1)
        net_socket_free(c->socket);
    list_remove(connection_list, list_index_of(connection_list, c));
    stream_record_free(stream);
    list_remove(special_handle_list, index);
}

void special_handle_close(int32_t number)
{
    if (number < 0)
        connection_close(~number);
}

void special_handles_close_all()
{
    if (!special_handle_list)
        return;
    for (int32_t i = 1; i <= list_highest_index(special_handle_list); ++i)
        connection_close(i);
}
