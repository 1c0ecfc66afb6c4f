// Serial lines: a terminal device opened for exclusive use, its line set raw
// (speed, character size, parity, stop bits, RTS) and reads and writes that
// wait a bounded time.
//
// A line is an os_file (platform/os_files.h) and is closed with
// os_file_close. Reads and writes here take one wait of at most wait_ms; the
// file layer builds its time-outs from several such waits so that it can stop
// between them. Settings a pseudo-terminal cannot take (RTS) are skipped.
// Not thread-safe: the file layer calls it from one thread at a time.
#pragma once

#include "platform/os_files.h"

#include <cstdint>

enum class serial_parity { none, even, odd, space, mark };

struct serial_line_settings {
    uint32_t speed_bps;
    serial_parity parity; // any parity but none is also checked on input
    uint8_t data_bits;    // 5 to 8
    uint8_t stop_bits;    // 1 or 2
    bool rts_off;         // drop RTS and use no hardware flow control
};

// Opens the device with the access bits (OS_FILE_READ, OS_FILE_WRITE), takes
// it for exclusive use and sets the line. A device that is missing, busy or
// not a terminal, or a line that refuses the settings, gives a status other
// than ok and leaves nothing open.
os_file_status serial_open(const char *path, uint32_t access, const serial_line_settings &settings,
                           os_file **file);

// Reads up to count bytes that have arrived, first waiting up to wait_ms for
// any to arrive (0: no wait). *done gets the bytes read, possibly none.
os_file_status serial_read(os_file *file, void *dest, int64_t count, int32_t wait_ms,
                           int64_t *done);

// Writes up to count bytes, waiting up to wait_ms for room when the line's
// output queue is full. *done gets the bytes written.
os_file_status serial_write(os_file *file, const void *src, int64_t count, int32_t wait_ms,
                            int64_t *done);

// The bytes received and not yet read; 0 when the device cannot tell.
int64_t serial_waiting(os_file *file);

// Sets a speed that has no termios speed constant (termios2); false when the
// device refuses it. Used by serial_open.
bool serial_speed_set_any(int fd, uint32_t speed_bps);
