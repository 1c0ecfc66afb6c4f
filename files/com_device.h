// Serial ports behind COM device names: opening the device a record's port
// settings describe, and the reads and writes of the file layer on it.
//
// COMn is /dev/ttyS<n-1>, or the device the environment variable COMn_DEVICE
// names. Reads wait up to the record's DS time for the count asked (DS0: no
// wait), writes up to its CS time (CS0: no limit); both wait in slices of at
// most 20 ms and stop early once the end of the process is acknowledged, so
// the exit path never closes a port under a waiting read.
//
// A serial port cannot seek: a byte that a reader takes back is kept here and
// delivered again by the next read.
#pragma once

#include "platform/os_files.h"

#include <cstdint>
#include <string>

// The device path of a port.
std::string com_device_path(int32_t port);

// Opens and sets up the port of the record at handle (its device fields
// filled by com_open_parse); *file gets the open line. False when the device
// is missing, in use, not a serial line or refuses the settings.
bool com_device_open(int32_t handle, os_file **file);

// The transfers os_handle_read and os_handle_write make on a port; *done gets
// the bytes moved, fewer than count when the time ran out.
os_file_status com_device_read(int32_t handle, void *dest, int64_t count, int64_t *done);
os_file_status com_device_write(int32_t handle, const void *src, int64_t count, int64_t *done);

// Gives a byte just read back to the port: the next read delivers it first.
void com_device_keep(int32_t handle, uint8_t byte);

// Bytes waiting to be read: received by the device plus kept ones.
int64_t com_device_waiting(int32_t handle);

// Whether a port is at the end of its data: nothing is waiting, or (in text
// use) the next byte is a kept 26, which ends the data like the end of a file.
bool com_device_at_end(int32_t handle, bool text);

// 1 when the handle is an open serial port, else 0.
int32_t com_device_is_port(int32_t handle);
