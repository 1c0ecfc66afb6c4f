// LOF, EOF, SEEK and LOC: where an open file stands.
//
// BASIC positions count from 1 (bytes, or records in RANDOM files); the
// OS-handle layer counts bytes from 0. The four functions answer even while an
// error is pending and give 0 after raising one; the SEEK statement returns at
// once while an error is pending. Program thread only.
#pragma once

#include <cstdint>

// LOF(number): the file's length in bytes.
int64_t rt_lof(int32_t number);

// EOF(number): -1 or 0. INPUT files are at their end when the position has
// reached the file's length or a 26 was met; other modes only once a read has
// come up short.
int32_t rt_eof(int32_t number);

// SEEK #number, position.
void rt_seek(int32_t number, int64_t position);

// SEEK(number): the record (RANDOM) or byte the next access uses.
int64_t rt_seek_function(int32_t number);

// LOC(number).
int64_t rt_loc(int32_t number);
