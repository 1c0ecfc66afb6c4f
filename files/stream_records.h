// Stream records: one per stream connection (a TCP/IP client or an accepted
// connection), kept in stream_record_list and reached through the special
// handles. The record holds the connection's receive buffer; the waiting bytes
// start at an offset, so taking a few of them moves nothing.
#pragma once

#include "core/lists.h"

#include <cstdint>

struct stream_record {
    uint8_t *data;      // receive buffer, or null
    int64_t offset;     // where the waiting bytes start in data
    int64_t waiting;    // received bytes not yet taken, from data + offset
    uint64_t capacity;  // allocated size of data; 0 = no buffer is owned
    uint8_t short_read; // 1 when the last GET found fewer bytes than it asked
    uint8_t is_connection;
    void *connection; // the stream's connection record
};

extern indexed_list *stream_record_list;

// Creates the list at start-up (again for tests: the old list is released).
void stream_record_list_create();

// Frees the record's receive buffer when it owns one, then removes the record
// from stream_record_list. Null does nothing.
void stream_record_free(stream_record *record);
