// Byte services for reading INPUT-mode files item by item, and the lookups
// the INPUT # readers make before reading.
//
// The byte services take the file layer's handle (the index of the open-file
// record), not the BASIC file number; callers first check with
// file_number_in_use that the number is bound, then look the handle up with
// file_number_handle and check its mode and read right.
#pragma once

#include <cstdint>

// BASIC open modes as the open-file record holds them.
constexpr uint8_t FILE_MODE_RANDOM = 1;
constexpr uint8_t FILE_MODE_BINARY = 2;
constexpr uint8_t FILE_MODE_INPUT = 3;
constexpr uint8_t FILE_MODE_OUTPUT = 4;

// 1 when the number is bound to an open file, 0 when it is free, -2 for
// numbers below 1 or above the map's limit. Raises no error.
int32_t file_number_in_use(int32_t file_number);

// The handle bound to a file number, or -1 when none.
int32_t file_number_handle(int32_t file_number);

// The record's BASIC mode and read right (0 for an invalid handle).
uint8_t file_handle_mode(int32_t handle);
uint8_t file_handle_may_read(int32_t handle);

// The next byte (0-255); -1 at the end of the file, where a byte 26 also ends
// the file (it stays unread and sets the record's end flag); -2 after raising
// an error (258 for a bad handle, 70 when another open file's lock is in the
// way, 75 for a failed read).
int32_t file_read_byte(int32_t handle);

// After a line-end byte `first` (10 or 13) has been read: swallows the other
// half of a CR LF or LF CR pair.
void file_skip_line_end(int32_t handle, int32_t first);

// Called with the byte that ended an INPUT # item (or -1): passes over the
// rest of the item up to and including the next comma or line end. Blanks
// followed by anything else end the skipping there (the next item begins).
// A negative handle does nothing.
void file_skip_separator(int32_t handle, int32_t last);
