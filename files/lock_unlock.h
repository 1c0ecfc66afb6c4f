// LOCK and UNLOCK: byte ranges of an open file closed to other open files
// (of this process or another) and opened again.
//
// LOCK #n [, start] [TO end]: in a RANDOM file start and end are record
// numbers, in a BINARY file byte numbers, both from 1; INPUT, OUTPUT and
// APPEND files always lock the whole file. Without a start the range begins
// at the first byte, without an end it is the one record or byte at start
// (or, with neither, the whole file). UNLOCK must name exactly a range that
// LOCK locked. Both return at once while an error is pending. Program thread
// only.
#pragma once

#include <cstdint>

// flags: bit 0 start given, bit 1 end given.
constexpr int32_t LOCK_START_GIVEN = 1;
constexpr int32_t LOCK_END_GIVEN = 2;

// Errors: 52 for an unbound number, 5 for a start or end below 1 or a range
// past the largest file offset, 70 when the range meets another lock (or an
// unlock names no locked range), 258 and 75 for other failures. The locks are
// unchanged after an error.
void rt_lock(int32_t number, int64_t start, int64_t end, int32_t flags);
void rt_unlock(int32_t number, int64_t start, int64_t end, int32_t flags);
