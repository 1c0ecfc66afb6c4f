// Special handles: negative file numbers that name TCP/IP connections and
// hosts (the bitwise NOT of an index in the special-handle list).
//
// The file statements hand every negative number to these operations. No
// connection can exist until the TCP/IP handle layer fills them in, so for now
// every negative number is an unknown handle: CLOSE ignores it, and LOF, EOF,
// GET and PUT report a bad file number.
#pragma once

#include <cstdint>

struct byte_element;
struct string_descriptor;

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
// a host, which the caller reports as a bad file number.
bool special_handle_get(int32_t number, byte_element *element);
bool special_handle_put(int32_t number, const byte_element *element);
bool special_handle_get_string(int32_t number, string_descriptor *dest);
