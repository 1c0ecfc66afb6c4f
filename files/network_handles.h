// Special handles: negative file numbers that name TCP/IP connections and
// hosts (the bitwise NOT of an index in the special-handle list).
//
// The file statements hand every negative number to these operations. No
// connection can exist until the TCP/IP handle layer fills them in, so for now
// every negative number is an unknown handle: CLOSE ignores it and LOF and EOF
// report a bad file number.
#pragma once

#include <cstdint>

// CLOSE of one special handle; an unknown one is ignored.
void special_handle_close(int32_t number);

// CLOSE of every special handle, before the files are closed.
void special_handles_close_all();

// LOF and EOF of a stream connection; false for an unknown handle or a host,
// which the caller reports as a bad file number.
bool special_handle_lof(int32_t number, int64_t *bytes_waiting);
bool special_handle_eof(int32_t number, int32_t *at_end);
