// GET and PUT: the bytes of a variable moved between memory and a RANDOM or
// BINARY file (or a TCP/IP stream connection, a negative file number), the
// variable-length string forms with their length prefix, the record forms
// that move a RANDOM file's whole record buffer, and raw transfers at a byte
// position.
//
// BASIC positions count from 1: records in RANDOM files, bytes in BINARY
// files; without a position the transfer starts at the current one. Every
// statement returns at once while an error is pending. Refusals (errors 52,
// 54, 59, 63, 75) are raised before any byte moves, so they leave the file as
// it was. Program thread only.
//
// A variable-length string in a RANDOM record carries a length prefix: below
// 32768 bytes a u16 length and the characters from offset 2; from 32768 a u16
// (length AND 32767) + 32768, a 48-bit length / 32768, and the characters
// from offset 8 (little-endian). Prefix and characters fit in one record; the
// rest of the record keeps what the file held.
#pragma once

#include "files/byte_element.h"

#include <cstdint>

struct string_descriptor;

// GET #number, [position], variable and PUT #number, [position], variable.
// RANDOM: a variable longer than the record raises 59; after a full transfer
// the position moves to the end of the record. A short read zero-fills the
// rest of the variable and sets the end flag; it is no error.
void rt_get(int32_t number, int64_t position, byte_element *element, int32_t position_given);
void rt_put(int32_t number, int64_t position, byte_element *element, int32_t position_given);

// GET into a variable-length string: in a RANDOM record the prefixed string
// (59 for a prefix that cannot be right, with the position back at the
// record's start); in a BINARY file as many bytes as the string holds now.
void rt_get_string(int32_t number, int64_t position, string_descriptor *dest,
                   int32_t position_given);

// PUT of a string whose characters the element describes: prefixed in a
// RANDOM record, the bare characters in a BINARY file.
void rt_put_string(int32_t number, int64_t position, byte_element *element, int32_t position_given);

// GET #number [, position] and PUT #number [, position] without a variable:
// one record between the file and the record buffer; GET then refreshes the
// record's fielded strings. The result is always 0.
int32_t rt_get_record(int32_t number, int64_t position, int32_t position_given);
int32_t rt_put_record(int32_t number, int64_t position, int32_t position_given);

// Raw transfers of length bytes at a 0-based byte position (-1: the current
// one) of any open file with the right to read or write; failures are raised
// as errors. The result is always 0.
int32_t file_write_at(int32_t number, int64_t byte_position, const void *buffer, int64_t length);
int32_t file_read_at(int32_t number, int64_t byte_position, void *buffer, int64_t length);

// The length prefix of a string of length bytes: writes 2 or 8 bytes to out
// and returns how many.
int32_t string_prefix_encode(int64_t length, uint8_t out[8]);

// Reads the prefix at the start of a record of record_length bytes (at least
// 2 readable): false when it is the long form in a record shorter than 8
// bytes, or when the string it announces does not fit in the record; else the
// string's offset and length.
bool string_prefix_decode(const uint8_t *record, int64_t record_length, int64_t *offset,
                          int64_t *length);

// The modes a transfer accepts.
enum class transfer_modes { random, random_or_binary, any };

// The handle of a file number that a transfer may use: bound (else 52), in
// one of the modes (else 54), with the read or write right (else 75). -1
// after raising.
int32_t transfer_handle(int32_t number, bool writing, transfer_modes modes);

// The first byte of a transfer at a BASIC position (or the current position
// when not given) that must have span bytes after it: -1 after raising 63 for
// a position below 1 or one whose bytes lie past the largest file offset.
int64_t transfer_first_byte(int32_t handle, int64_t position, bool given, int64_t span);
