// Byte sources for driving the INPUT # readers without files on disk: a file
// number bound to an anonymous in-memory file holding the bytes, opened
// through the file layer like any other file, so the readers run on the real
// byte services. Tests and fuzzing use it.
#pragma once

#include <cstdint>
#include <string_view>

// Closes every open file and unbinds every file number.
void file_bytes_memory_reset();

// Binds a file number (1 or more) to a copy of the bytes, in the given mode
// and read right, and returns its handle; a file already bound to the number
// is closed first.
int32_t file_bytes_memory_bind(int32_t file_number, std::string_view bytes, uint8_t mode = 3,
                               uint8_t may_read = 1);

// Makes every read of the byte at `position` fail (error 75), as a failing
// device would; a negative position clears it.
void file_bytes_memory_fail_at(int32_t handle, int64_t position);

// The handle's read position and end-of-file flag.
int64_t file_bytes_memory_position(int32_t handle);
uint8_t file_bytes_memory_eof_flag(int32_t handle);
