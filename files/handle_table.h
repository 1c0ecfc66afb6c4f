// The handle table and the file-number map.
//
// Every open file is one os_handle_record, addressed by its handle: the index
// in a table that grows as needed and never shrinks. Released handles are
// reused, most recently released first; each allocation takes a new serial
// number, so a stored serial tells whether a record still holds the same open.
//
// BASIC file numbers (#1, #2, ...) reach records through the file-number map:
// entry n holds the handle bound to number n, or -1 when n is free. The map
// grows to the highest number ever asked about, up to FILE_NUMBER_LIMIT.
//
// Used by the program thread, and by the runtime loop thread at the end of the
// program after the program thread has stopped; nothing is locked. Only
// file_numbers_bound may be asked from another thread while the program
// thread runs.
#pragma once

#include "files/file_bytes.h"
#include "platform/os_files.h"

#include <cstdint>
#include <string>
#include <vector>

struct string_descriptor;

// The highest file number the map accepts: numbers above it are refused like
// numbers below 1, so an absurd number never turns into a huge allocation.
constexpr int32_t FILE_NUMBER_LIMIT = 65535;

// The most records the table holds at once; beyond it an open fails as with
// too many open files.
constexpr int32_t OS_HANDLE_LIMIT = 1 << 20;

// One open file or serial device. record_buffer and field_strings are
// std::malloc'ed blocks owned by the record and freed by os_handle_close; the
// strings field_strings points at are not owned.
struct os_handle_record {
    int64_t serial;     // never reused: identifies this open
    uint8_t in_use;     // 1 while the record holds an open file
    uint8_t may_read;   // opened with read access
    uint8_t may_write;  // opened with write access
    uint8_t deny_read;  // others were denied read sharing
    uint8_t deny_write; // others were denied write sharing
    int64_t position;   // byte position of the next read or write, from 0
    uint8_t eof_flag;   // the last read was short (or met a 26 in INPUT mode)
    int32_t file_number;
    uint8_t mode; // FILE_MODE_* (APPEND is kept as OUTPUT)
    int64_t record_length;
    uint8_t *record_buffer;
    string_descriptor **field_strings;
    int32_t field_string_count;
    // Entries field_strings has room for.
    int32_t field_string_capacity;
    int64_t column; // PRINT # column, 1-based
    // Serial devices (0 in com_port for a plain file).
    uint8_t com_port;
    int32_t speed;
    uint8_t parity;
    uint8_t data_bits;
    uint8_t stop_bits_x10;
    uint8_t asc;
    uint8_t lf;
    uint8_t rs;
    int32_t cd_ms;
    int32_t cs_ms;
    int32_t ds_ms;
    int32_t op_ms;
};

// Allocates a record (zeroed, new serial, not in use) and returns its handle,
// or -1 when the table is full.
int32_t os_handle_new();

// 1 when the handle addresses a record in use, else 0.
int32_t os_handle_valid(int32_t handle);

// The record of a handle whether in use or not; null outside the table. The
// pointer stays valid until the next os_handle_new.
os_handle_record *os_handle_at(int32_t handle);

// The operating-system file of a handle (null when none).
os_file *os_handle_file(int32_t handle);
void os_handle_file_set(int32_t handle, os_file *file);

// Marks the record free, unbinds its file number and puts the handle on the
// free stack: 0, or -2 for an invalid handle. Closes nothing.
int32_t os_handle_release(int32_t handle);

// file_number_in_use and file_number_handle (files/file_bytes.h) answer for
// the map: a number above the highest asked about so far grows the map to it,
// and numbers below 1 or above FILE_NUMBER_LIMIT are refused (-2).

// The lowest free number from 1 up, or the highest asked about + 1.
int32_t file_number_free_lowest();

// FREEFILE.
int32_t rt_freefile();

// Binds number (already asked about with file_number_in_use) to handle.
void file_number_bind(int32_t number, int32_t handle);
void file_number_unbind(int32_t number);

// The highest number the map covers.
int32_t file_number_highest_get();

// The numbers bound now, lowest first, from a copy of the map that the
// program thread keeps in atomics: callable from any thread, even while the
// program thread opens or closes files (each number is then seen before or
// after its change).
std::vector<int32_t> file_numbers_bound();

// Turns a BASIC file name into the name the file system takes, in place:
// every '\' becomes '/'. Returns the string's characters.
uint8_t *file_name_fix(string_descriptor *name);

// The same for a name already copied into a text.
void file_name_fix(std::string &name);
// A copy of the name with every '\' made '/'.
std::string file_name_text(const string_descriptor *name);

// Closes every operating-system file the table still holds and empties the
// table and the map (tests and a fresh start). A close the file system
// refuses is said on standard error (file_close_refusal_report).
void handle_table_reset();

// Says on standard error that the close of file number was refused with the
// BASIC error (61 or 57): "CLOSE #n: message (error e)". For closes no
// statement can report, as the program ends or starts afresh.
void file_close_refusal_report(int32_t number, int32_t error);
