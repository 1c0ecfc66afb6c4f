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

// The byte services under INPUT # (file_read_byte, file_skip_line_end,
// file_skip_separator) are declared in files/file_bytes.h.

// LINE INPUT #number, dest.
void rt_line_input_file(int32_t number, string_descriptor *dest);

// Its INPUT-mode and BINARY forms.
void file_line_input_text(int32_t handle, string_descriptor *dest);
void file_line_input_binary(int32_t number, string_descriptor *dest);

// INPUT$(count [, #number]): a temporary string.
string_descriptor *rt_input_str(int32_t count, int32_t number, int32_t number_given);

// Where INPUT$ without a file number takes its keys from: a function that
// gives the first byte of the next key pressed, or -1 when none is waiting.
// The keyboard's INKEY$ is the source from the start; tests put their own in
// its place, and null puts INKEY$ back.
using key_byte_poll_fn = int32_t (*)();
void input_str_key_source_set(key_byte_poll_fn poll);
