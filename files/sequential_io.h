// Sequential text I/O: PRINT #, the byte services under INPUT #, LINE INPUT #
// and INPUT$.
//
// Text files are written with CR LF line ends; when read, CR, LF, CR LF and
// LF CR each end a line, and in INPUT mode the byte 26 marks the end of the
// file. Every statement returns at once while an error is pending. Program
// thread only.
#pragma once

#include <cstdint>

struct string_descriptor;

// One PRINT # item: the text, one blank when trailing_blank is set, with comma
// at least one blank and then up to the next 14-column zone, and CR LF when
// newline is set. A negative number does nothing.
void rt_print_file(int32_t number, const string_descriptor *text, int32_t trailing_blank,
                   int32_t comma, int32_t newline);

// Byte services on a handle already checked to be an INPUT file that may be
// read. handle_read_byte gives the next byte, -1 at the end of the file (a 26
// stays unread and sets the end flag), or -2 after raising an error.
int32_t handle_read_byte(int32_t handle);

// After a line-end byte first (10 or 13): swallows the other half of a CR LF
// or LF CR pair.
void handle_skip_line_end(int32_t handle, int32_t first);

// After the byte last that ended an INPUT # item (or -1): moves past the
// separator that follows the item. A negative handle does nothing.
void handle_skip_separator(int32_t handle, int32_t last);

// LINE INPUT #number, dest.
void rt_line_input_file(int32_t number, string_descriptor *dest);

// Its INPUT-mode and BINARY forms.
void file_line_input_text(int32_t handle, string_descriptor *dest);
void file_line_input_binary(int32_t number, string_descriptor *dest);

// INPUT$(count [, #number]): a temporary string.
string_descriptor *rt_input_str(int32_t count, int32_t number, int32_t number_given);

// Where INPUT$ without a file number takes its keys from: a function that
// gives the first byte of the next key pressed, or -1 when none is waiting.
// Null (the start) means no key source: INPUT$ then waits until the program
// ends.
using key_byte_poll_fn = int32_t (*)();
void input_str_key_source_set(key_byte_poll_fn poll);
